// pointing.cpp — mouse pointing. (stub)
#include "menu/menu.h"

void PointWithMouse() {}
