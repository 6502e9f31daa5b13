// frame_loop.cpp — one pass of the loop. (stub)
#include "core/core.h"

FrameCounter FrameRate;
void RunFrame() {}
void CountFrame() {}
void DrawFrameTexts() {}
