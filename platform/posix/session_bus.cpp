// session_bus.cpp — keeping the program from ever starting a D-Bus session
// bus. Asked for the session bus with no address in the environment, libdbus
// looks for $XDG_RUNTIME_DIR/bus and then falls back to "autolaunch:": where
// dbus-x11 is installed, that runs dbus-launch through the X display, which
// starts a dbus-daemon that writes ~/.dbus/ and outlives the program (one more
// on every new X display). A kiosk or a bare `startx` has no session bus, and
// the menu needs none: there it names an address libdbus refuses at once.
#include "platform/posix/session_bus.h"
#include "platform/sdl/sdl_internal.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <string>

extern char** environ;

namespace {

// An address of a kind libdbus does not know: connecting fails at once with
// "Unknown address type", nothing is started and nothing is written.
constexpr const char* NoBusAddress = "disabled:";
constexpr const char* NoBusEntry = "DBUS_SESSION_BUS_ADDRESS=disabled:";

// Whether libdbus would find a session bus without an address: the socket a
// user's bus (systemd --user, dbus-user-session) listens on.
bool UserBusSocketExists() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || runtime[0] != '/') return false;
    struct stat st {};
    return stat((std::string(runtime) + "/bus").c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

}  // namespace

void KeepSessionBusFromStarting() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    // The player's bus, named or found, is left to be used as it is.
    if ((address && *address) || UserBusSocketExists()) return;
    setenv("DBUS_SESSION_BUS_ADDRESS", NoBusAddress, 1);
    Sdl.Process.BusAddressIsOurs = true;
}

std::vector<char*> EnvironmentForNewInstance() {
    std::vector<char*> env;
    for (char** e = environ; e && *e; ++e)
        if (!(Sdl.Process.BusAddressIsOurs && std::strcmp(*e, NoBusEntry) == 0)) env.push_back(*e);
    env.push_back(nullptr);
    return env;
}
