// navigation.cpp — keyboard navigation. (stub)
#include "menu/menu.h"

void FadeInStep() {}
void NavigateByKeyboard() {}
