// layout.cpp — the layout table per screen size. (stub)
#include "assets/assets.h"

LayoutTable Layout;
int ScreenSizeIndex() { return -1; }
int HomeColumnX() { return 0; }
int ShiftedColumnX() { return 0; }
void FillLayoutTable() {}
