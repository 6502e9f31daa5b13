// overlay.cpp — the debug overlay. (stub)
#include "core/core.h"

void DrawOverlay() {}
void CheckOverlayToggle() {}
