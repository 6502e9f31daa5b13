// screen_reader.cpp — the desktop's screen-reader switch: the property
// ScreenReaderEnabled of org.a11y.Status on the session bus, which GNOME and
// KDE set while their screen reader runs and flip with its shortcut. A thread
// of its own reads it, then sleeps in poll() until the bus says it changed,
// so following it costs nothing at rest and the game thread only reads an
// atomic.
//
// Only a bus the session names is used: where DBUS_SESSION_BUS_ADDRESS is
// unset libdbus would start one through X, which outlives the program. The
// question carries "do not start the service", so a bus without the
// desktop's accessibility service does not get one started for us either.
// libdbus is loaded at run time, and only where there is a bus to ask.
#include "platform/desktop/desktop.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_internal.h"
#include "platform/shared/library_functions.h"

#include <dbus/dbus.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>

// [SECTION] State

namespace {

// The watch's state is Sdl.ScreenReader (sdl_internal.h).
ScreenReaderWatch& Watch = Sdl.ScreenReader;

// libdbus's functions the watch uses.
struct Bus {
    decltype(&dbus_error_init) ErrorInit;
    decltype(&dbus_error_free) ErrorFree;
    decltype(&dbus_connection_open_private) OpenPrivate;
    decltype(&dbus_bus_register) Register;
    decltype(&dbus_connection_set_exit_on_disconnect) SetExitOnDisconnect;
    decltype(&dbus_bus_add_match) AddMatch;
    decltype(&dbus_connection_close) Close;
    decltype(&dbus_connection_unref) ConnectionUnref;
    decltype(&dbus_connection_get_unix_fd) UnixFd;
    decltype(&dbus_connection_read_write) ReadWrite;
    decltype(&dbus_connection_pop_message) PopMessage;
    decltype(&dbus_connection_send_with_reply_and_block) Call;
    decltype(&dbus_message_new_method_call) NewMethodCall;
    decltype(&dbus_message_append_args) AppendArgs;
    decltype(&dbus_message_set_auto_start) SetAutoStart;
    decltype(&dbus_message_unref) MessageUnref;
    decltype(&dbus_message_iter_init) IterInit;
    decltype(&dbus_message_iter_get_arg_type) IterArgType;
    decltype(&dbus_message_iter_recurse) IterRecurse;
    decltype(&dbus_message_iter_get_basic) IterBasic;
};

constexpr const char* A11yService = "org.a11y.Bus";
constexpr const char* A11yObject = "/org/a11y/bus";
constexpr int AnswerTimeoutMs = 1000;   // a bus that does not answer reads as off meanwhile

// The session bus the desktop names, or nullptr: never one to be started,
// nor the "disabled:" stand-in the platform sets for SDL where the desktop
// names none (platform/posix/session_bus.cpp), which no thread need try.
const char* SessionBusAddress() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address == nullptr || *address == '\0' || std::strncmp(address, "autolaunch:", 11) == 0 ||
        std::strncmp(address, "disabled:", 9) == 0)
        return nullptr;
    return address;
}

bool LoadBus(Bus& bus) {
    void* library = dlopen("libdbus-1.so.3", RTLD_LAZY | RTLD_LOCAL);
    if (!library) return false;
    LibraryFunctions find{library};
    find(bus.ErrorInit, "dbus_error_init");
    find(bus.ErrorFree, "dbus_error_free");
    find(bus.OpenPrivate, "dbus_connection_open_private");
    find(bus.Register, "dbus_bus_register");
    find(bus.SetExitOnDisconnect, "dbus_connection_set_exit_on_disconnect");
    find(bus.AddMatch, "dbus_bus_add_match");
    find(bus.Close, "dbus_connection_close");
    find(bus.ConnectionUnref, "dbus_connection_unref");
    find(bus.UnixFd, "dbus_connection_get_unix_fd");
    find(bus.ReadWrite, "dbus_connection_read_write");
    find(bus.PopMessage, "dbus_connection_pop_message");
    find(bus.Call, "dbus_connection_send_with_reply_and_block");
    find(bus.NewMethodCall, "dbus_message_new_method_call");
    find(bus.AppendArgs, "dbus_message_append_args");
    find(bus.SetAutoStart, "dbus_message_set_auto_start");
    find(bus.MessageUnref, "dbus_message_unref");
    find(bus.IterInit, "dbus_message_iter_init");
    find(bus.IterArgType, "dbus_message_iter_get_arg_type");
    find(bus.IterRecurse, "dbus_message_iter_recurse");
    find(bus.IterBasic, "dbus_message_iter_get_basic");
    return find.All;
}

// [SECTION] The watch (its own thread)

DBusConnection* Connect(Bus& bus, const char* address) {
    DBusError error;
    bus.ErrorInit(&error);
    DBusConnection* connection = bus.OpenPrivate(address, &error);
    if (connection && !bus.Register(connection, &error)) {
        bus.Close(connection);
        bus.ConnectionUnref(connection);
        connection = nullptr;
    }
    bus.ErrorFree(&error);
    if (!connection) return nullptr;
    bus.SetExitOnDisconnect(connection, false);
    // The switch flipping, and the service coming or going.
    bus.AddMatch(connection,
                 "type='signal',interface='org.freedesktop.DBus.Properties',member='PropertiesChanged',"
                 "path='/org/a11y/bus'",
                 nullptr);
    bus.AddMatch(connection,
                 "type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop.DBus',"
                 "member='NameOwnerChanged',arg0='org.a11y.Bus'",
                 nullptr);
    return connection;
}

// Asks the property; no service, no answer or anything but a boolean is off.
ScreenReaderSwitch ReadSwitch(Bus& bus, DBusConnection* connection) {
    DBusMessage* call = bus.NewMethodCall(A11yService, A11yObject, "org.freedesktop.DBus.Properties", "Get");
    if (!call) return ScreenReaderOff;
    const char* interface = "org.a11y.Status";
    const char* property = "ScreenReaderEnabled";
    bus.AppendArgs(call, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &property, DBUS_TYPE_INVALID);
    bus.SetAutoStart(call, false);
    DBusError error;
    bus.ErrorInit(&error);
    DBusMessage* reply = bus.Call(connection, call, AnswerTimeoutMs, &error);
    bus.MessageUnref(call);
    bus.ErrorFree(&error);
    if (!reply) return ScreenReaderOff;
    ScreenReaderSwitch result = ScreenReaderOff;
    DBusMessageIter outer, variant;
    if (bus.IterInit(reply, &outer) && bus.IterArgType(&outer) == DBUS_TYPE_VARIANT) {
        bus.IterRecurse(&outer, &variant);
        if (bus.IterArgType(&variant) == DBUS_TYPE_BOOLEAN) {
            dbus_bool_t enabled = false;
            bus.IterBasic(&variant, &enabled);
            result = enabled ? ScreenReaderOn : ScreenReaderOff;
        }
    }
    bus.MessageUnref(reply);
    return result;
}

void WatchThread(std::string address) {
    Bus bus{};
    DBusConnection* connection = LoadBus(bus) ? Connect(bus, address.c_str()) : nullptr;
    int busFd = -1;
    if (!connection || !bus.UnixFd(connection, &busFd)) {
        Watch.Switch.store(ScreenReaderOff, std::memory_order_release);
        if (connection) {
            bus.Close(connection);
            bus.ConnectionUnref(connection);
        }
        return;
    }
    bool ask = true;
    for (;;) {
        if (ask) Watch.Switch.store(ReadSwitch(bus, connection), std::memory_order_release);
        ask = false;
        // Any signal we listen for means: ask again.
        while (DBusMessage* message = bus.PopMessage(connection)) {
            ask = true;
            bus.MessageUnref(message);
        }
        if (ask) continue;
        pollfd waits[2] = {{busFd, POLLIN, 0}, {Watch.WakePipe[0], POLLIN, 0}};
        if (poll(waits, 2, -1) < 0) continue;   // a signal broke the wait
        if (waits[1].revents) break;             // the program ends
        if (!bus.ReadWrite(connection, 0)) {     // the bus is gone: off from now on
            Watch.Switch.store(ScreenReaderOff, std::memory_order_release);
            break;
        }
    }
    bus.Close(connection);
    bus.ConnectionUnref(connection);
}

}  // namespace

// [SECTION] The platform's operations (game thread)

void WatchScreenReader() {
    if (Watch.Started) return;
    Watch.Started = true;
    const char* address = SessionBusAddress();
    if (!address || pipe2(Watch.WakePipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        Watch.Switch.store(ScreenReaderOff, std::memory_order_release);
        return;
    }
    try {
        Watch.Thread = std::thread(WatchThread, std::string(address));
    } catch (const std::system_error&) {
        Watch.Switch.store(ScreenReaderOff, std::memory_order_release);
    }
}

ScreenReaderSwitch ScreenReaderState() {
    return static_cast<ScreenReaderSwitch>(Watch.Switch.load(std::memory_order_acquire));
}

// The watch never blocks for long (a question waits a second at most), so
// it is joined.
void StopScreenReaderWatch() {
    if (Watch.Thread.joinable()) {
        const char wake = 1;
        (void)!write(Watch.WakePipe[1], &wake, 1);
        Watch.Thread.join();
    }
    for (int& fd : Watch.WakePipe) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
    Watch.Switch.store(ScreenReaderNotKnown, std::memory_order_relaxed);
    Watch.Started = false;
}
