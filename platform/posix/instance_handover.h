// instance_handover.h — the restart's hand-over of the display from the
// instance that ends to the one it started.
#pragma once

// The variable LaunchProgram gives the new instance: the pid of the one that
// started it and is about to end.
constexpr const char* StartedByVariable = "VELDRUNE_STARTED_BY";

// In an instance a restart started: waits, at most 3 s, for the instance
// before to end. Until then that one may still hold the display in its
// full-screen mode, and SDL takes the mode it finds at its start for the
// desktop's own and gives that back at the end: the desktop would stay at the
// game's old size after the player quits. Call before SDL_Init, before any
// other thread runs (it takes the variable out of the environment).
void AwaitTheInstanceBefore();
