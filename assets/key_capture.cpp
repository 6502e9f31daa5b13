// key_capture.cpp — capturing a key for a binding. (stub)
#include "assets/assets.h"

void CaptureKey(const char*) {}
