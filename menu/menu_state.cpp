// menu_state.cpp — the menu's states and page tree. (stub)
#include "menu/menu.h"

MenuPageState Menu;
const MenuStateInfo MenuStates[MenuStateCount] = {};
void ResetFadeInOnMainPages() {}
