// frame_loop.cpp — one pass of the loop. (stub)
#include "core/core.h"

FrameCounter Frames;
void RunFrame() {}
void CountFrame() {}
void DrawFrameTexts() {}
