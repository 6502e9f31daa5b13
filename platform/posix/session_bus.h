// session_bus.h — keeping the program from ever starting a D-Bus session bus.
#pragma once

#include <vector>

// Where no session bus is named (DBUS_SESSION_BUS_ADDRESS unset or empty)
// and none waits at $XDG_RUNTIME_DIR/bus, names an address that no bus can
// have, so that nothing in the process (SDL's screensaver and input-method
// calls, speech) has D-Bus "autolaunch" one through the X display. Call
// before SDL_Init and before any other thread runs (it sets the environment).
void KeepSessionBusFromStarting();

// The environment a new instance of the program is started with: ours,
// without the address KeepSessionBusFromStarting set, so that the new one
// decides afresh from the player's own environment. The pointers are
// environ's and live as long as it is unchanged.
std::vector<char*> EnvironmentForNewInstance();
