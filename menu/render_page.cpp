// render_page.cpp — drawing the page of the current state. (stub)
#include "menu/menu.h"

void RenderPage() {}
void SlideStep() {}
int ComputeBlinkAlpha(uint32_t) { return 255; }
