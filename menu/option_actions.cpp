// option_actions.cpp — language and screen-size actions. (stub)
#include "menu/menu.h"

void ApplyLanguage(const char*) {}
void ChooseScreenSize(int, int) {}
