// screenshot.cpp — numbered PNG screenshots. (stub)
#include "core/core.h"

void CheckScreenshotKey() {}
void TakeScreenshot() {}
