// virtual_input.cpp — one virtual pointer and one virtual keyboard on a
// wlroots compositor, held open while it runs and driven by lines written to
// a FIFO. `virtual_input FIFO` connects to $XDG_RUNTIME_DIR/$WAYLAND_DISPLAY,
// makes FIFO when missing, prints "ready" once the compositor has both
// devices, then reads lines until "quit" or the compositor goes away:
//   move DX DY   relative motion by DX, DY pixels
//   at X Y W H   the desktop's pointer to X, Y of a W x H desktop
//   down / up    the left button pressed / released; click: both in one go
//   key NAME     the key of the keysym NAME (o, Escape, F12) pressed and released
//
// tools/with_sway.sh says why the two are held for a whole run (a keyboard
// that goes takes the seat's keymap with it, which SDL 2.26 does not
// survive). The keymap is the whole US one (libxkbcommon's, from the
// system's XKB data), so XWayland's X clients read it as X does.
//
// It speaks the Wayland wire protocol itself (a handful of requests), with no
// protocol headers: 32-bit little-endian words, a header of the object id and
// (size << 16 | opcode), then the arguments; strings are their length with
// the NUL, the bytes, padding to 4; fixed-point numbers are 24.8; a file
// descriptor goes beside the bytes (SCM_RIGHTS).
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <xkbcommon/xkbcommon.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// [SECTION] Connection state

// The one connection and what it found; ids are the client's, handed out in order.
struct Connection {
    int Socket = -1;                   // the compositor's socket
    std::vector<uint8_t> In;           // received bytes not yet made into events
    uint32_t NextId = 2;               // 1 is wl_display
    uint32_t Registry = 0;             // our wl_registry
    uint32_t PointerManagerName = 0, KeyboardManagerName = 0, SeatName = 0;   // the globals' names, 0 until seen
    uint32_t Pointer = 0;              // our virtual pointer
    uint32_t Keyboard = 0;             // our virtual keyboard
    uint32_t PendingSync = 0;          // the callback of the sync we wait for, 0 when none
};
Connection C;

xkb_keymap* Keymap = nullptr;   // the keyboard's, for finding a keysym's key

constexpr uint32_t DisplayId = 1;
constexpr uint32_t LeftButton = 0x110;   // BTN_LEFT

uint32_t NowMs() {
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// [SECTION] Requests

struct Message {
    std::vector<uint32_t> Words;
    Message(uint32_t object, uint32_t opcode) : Words{object, opcode} {}
    Message& U(uint32_t v) { Words.push_back(v); return *this; }
    Message& I(int32_t v) { Words.push_back(uint32_t(v)); return *this; }
    Message& S(const std::string& s) {
        const size_t bytes = s.size() + 1, words = (bytes + 3) / 4;
        Words.push_back(uint32_t(bytes));
        const size_t at = Words.size();
        Words.resize(at + words, 0);
        std::memcpy(&Words[at], s.c_str(), bytes);
        return *this;
    }
};

// With `fd`, the descriptor travels with the message's first bytes.
bool Send(Message m, int fd = -1) {
    m.Words[1] |= uint32_t(m.Words.size() * 4) << 16;
    const char* p = reinterpret_cast<const char*>(m.Words.data());
    size_t left = m.Words.size() * 4;
    while (left > 0) {
        iovec io{const_cast<char*>(p), left};
        msghdr msg{};
        msg.msg_iov = &io;
        msg.msg_iovlen = 1;
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
        if (fd >= 0) {
            msg.msg_control = control;
            msg.msg_controllen = sizeof control;
            cmsghdr* c = CMSG_FIRSTHDR(&msg);
            c->cmsg_level = SOL_SOCKET;
            c->cmsg_type = SCM_RIGHTS;
            c->cmsg_len = CMSG_LEN(sizeof(int));
            std::memcpy(CMSG_DATA(c), &fd, sizeof(int));
        }
        const ssize_t n = sendmsg(C.Socket, &msg, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        fd = -1;
        p += n;
        left -= size_t(n);
    }
    return true;
}

// wl_registry.bind(name, interface, version 1, new id); the new id, 0 when it could not be sent.
uint32_t Bind(uint32_t name, const std::string& interface) {
    const uint32_t id = C.NextId++;
    return Send(Message(C.Registry, 0).U(name).S(interface).U(1).U(id)) ? id : 0;
}

// Every input ends with a frame, so the compositor passes it on at once.
bool Frame() { return Send(Message(C.Pointer, 4)); }   // zwlr_virtual_pointer_v1.frame

bool Motion(double dx, double dy) {   // motion(time, dx, dy)
    return Send(Message(C.Pointer, 0).U(NowMs()).I(int32_t(dx * 256)).I(int32_t(dy * 256))) && Frame();
}

bool MotionTo(uint32_t x, uint32_t y, uint32_t w, uint32_t h) {   // motion_absolute(time, x, y, x extent, y extent)
    return Send(Message(C.Pointer, 1).U(NowMs()).U(x).U(y).U(w).U(h)) && Frame();
}

bool Button(bool pressed) {   // button(time, button, state)
    return Send(Message(C.Pointer, 2).U(NowMs()).U(LeftButton).U(pressed ? 1 : 0)) && Frame();
}

// The whole US keymap, handed over in a memory file.
bool SendKeymap() {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    const xkb_rule_names names{"evdev", "pc105", "us", "", ""};
    Keymap = context ? xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS) : nullptr;
    char* text = Keymap ? xkb_keymap_get_as_string(Keymap, XKB_KEYMAP_FORMAT_TEXT_V1) : nullptr;
    if (!text) {
        std::fprintf(stderr, "virtual_input: no US keymap (is xkb-data installed?)\n");
        return false;
    }
    const size_t size = std::strlen(text) + 1;
    const int fd = memfd_create("keymap", MFD_CLOEXEC);
    const bool written = fd >= 0 && write(fd, text, size) == ssize_t(size);
    std::free(text);
    const bool sent = written && Send(Message(C.Keyboard, 0).U(1).U(uint32_t(size)), fd);   // keymap(xkb_v1, fd, size)
    if (fd >= 0) close(fd);
    return sent;
}

// The key whose first level gives `name`; 0 when the keymap has none.
xkb_keycode_t KeyOf(const std::string& name) {
    const xkb_keysym_t sym = xkb_keysym_from_name(name.c_str(), XKB_KEYSYM_NO_FLAGS);
    if (sym == XKB_KEY_NoSymbol) return 0;
    for (xkb_keycode_t k = xkb_keymap_min_keycode(Keymap); k <= xkb_keymap_max_keycode(Keymap); ++k) {
        const xkb_keysym_t* syms = nullptr;
        if (xkb_keymap_key_get_syms_by_level(Keymap, k, 0, 0, &syms) == 1 && syms[0] == sym) return k;
    }
    return 0;
}

// Down and up at once: the program keeps a press seen since its last poll,
// so a tap between two frames still counts.
bool Key(const std::string& name) {
    const xkb_keycode_t k = KeyOf(name);
    if (!k) {
        std::fprintf(stderr, "virtual_input: no key gives '%s'\n", name.c_str());
        return true;
    }
    // key(time, evdev code, state)
    return Send(Message(C.Keyboard, 1).U(NowMs()).U(k - 8).U(1)) &&
           Send(Message(C.Keyboard, 1).U(NowMs()).U(k - 8).U(0));
}

// [SECTION] Events

std::string StringAt(const uint32_t* w, size_t words, size_t& at) {
    if (at >= words) return {};
    const uint32_t bytes = w[at++];
    const size_t n = (bytes + 3) / 4;
    if (bytes == 0 || at + n > words) return {};
    std::string s(reinterpret_cast<const char*>(&w[at]), bytes - 1);
    at += n;
    return s;
}

// Reads what the socket has and handles every whole event; false when the
// compositor has gone or reported an error.
bool ReadEvents() {
    uint8_t buffer[4096];
    const ssize_t n = recv(C.Socket, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n == 0) return false;
    if (n < 0) return errno == EAGAIN || errno == EINTR;
    C.In.insert(C.In.end(), buffer, buffer + n);
    while (C.In.size() >= 8) {
        uint32_t head[2];
        std::memcpy(head, C.In.data(), 8);
        const uint32_t size = head[1] >> 16, opcode = head[1] & 0xffff;
        if (size < 8 || size % 4) return false;
        if (C.In.size() < size) break;
        std::vector<uint32_t> args((size - 8) / 4);
        if (!args.empty()) std::memcpy(args.data(), C.In.data() + 8, size - 8);
        C.In.erase(C.In.begin(), C.In.begin() + size);
        if (head[0] == DisplayId && opcode == 0) {   // wl_display.error(object, code, message)
            size_t at = 2;
            std::fprintf(stderr, "virtual_input: compositor error %u on object %u: %s\n",
                         args.size() > 1 ? args[1] : 0, args.empty() ? 0 : args[0],
                         StringAt(args.data(), args.size(), at).c_str());
            return false;
        }
        // wl_registry.global(name, interface, version)
        if (head[0] == C.Registry && opcode == 0 && args.size() >= 3) {
            size_t at = 1;
            const std::string interface = StringAt(args.data(), args.size(), at);
            if (interface == "zwlr_virtual_pointer_manager_v1") C.PointerManagerName = args[0];
            if (interface == "zwp_virtual_keyboard_manager_v1") C.KeyboardManagerName = args[0];
            if (interface == "wl_seat" && !C.SeatName) C.SeatName = args[0];
        }
        if (head[0] == C.PendingSync && opcode == 0) C.PendingSync = 0;   // wl_callback.done
    }
    return true;
}

// Waits until the compositor has answered every request sent before the sync.
bool RoundTrip() {
    C.PendingSync = C.NextId++;
    if (!Send(Message(DisplayId, 0).U(C.PendingSync))) return false;   // wl_display.sync
    while (C.PendingSync) {
        pollfd p{C.Socket, POLLIN, 0};
        if (poll(&p, 1, 10000) <= 0 || !ReadEvents()) return false;
    }
    return true;
}

bool Connect() {
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    const char* name = std::getenv("WAYLAND_DISPLAY");
    std::string path = name && name[0] == '/' ? name : std::string(dir ? dir : "") + "/" + (name ? name : "wayland-0");
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::strcpy(address.sun_path, path.c_str());
    C.Socket = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    return C.Socket >= 0 && connect(C.Socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

// [SECTION] Commands

// One line from the FIFO; false for "quit" or a compositor that went away.
bool Command(const std::string& line) {
    double dx = 0, dy = 0;
    if (std::sscanf(line.c_str(), "move %lf %lf", &dx, &dy) == 2) return Motion(dx, dy);
    unsigned x = 0, y = 0, w = 0, h = 0;
    if (std::sscanf(line.c_str(), "at %u %u %u %u", &x, &y, &w, &h) == 4) return MotionTo(x, y, w, h);
    if (line == "down") return Button(true);
    if (line == "up") return Button(false);
    if (line == "click") return Button(true) && Button(false);
    if (line.rfind("key ", 0) == 0) return Key(line.substr(4));
    if (line == "quit") return false;
    if (!line.empty()) std::fprintf(stderr, "virtual_input: unknown command '%s'\n", line.c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: virtual_input FIFO  (then write its commands there)\n");
        return 2;
    }
    if (!Connect()) {
        std::fprintf(stderr, "virtual_input: no Wayland display (XDG_RUNTIME_DIR, WAYLAND_DISPLAY)\n");
        return 1;
    }
    C.Registry = C.NextId++;
    if (!Send(Message(DisplayId, 1).U(C.Registry)) || !RoundTrip()) return 1;   // wl_display.get_registry
    if (!C.PointerManagerName || !C.KeyboardManagerName || !C.SeatName) {
        std::fprintf(stderr, "virtual_input: the compositor lacks a seat or a virtual pointer or keyboard manager\n");
        return 1;
    }
    const uint32_t pointerManager = Bind(C.PointerManagerName, "zwlr_virtual_pointer_manager_v1");
    const uint32_t keyboardManager = Bind(C.KeyboardManagerName, "zwp_virtual_keyboard_manager_v1");
    const uint32_t seat = Bind(C.SeatName, "wl_seat");
    C.Pointer = C.NextId++;
    C.Keyboard = C.NextId++;
    // create_virtual_pointer(seat: none, the default one; new id), create_virtual_keyboard(seat, new id)
    if (!pointerManager || !keyboardManager || !seat || !Send(Message(pointerManager, 0).U(0).U(C.Pointer)) ||
        !Send(Message(keyboardManager, 0).U(seat).U(C.Keyboard)) || !SendKeymap() || !RoundTrip())
        return 1;

    // Open for reading and writing: the FIFO then never reports an end when
    // a writer closes it, and opening it does not wait for a writer.
    const int fifo = mkfifo(argv[1], 0600) != 0 && errno != EEXIST ? -1 : open(argv[1], O_RDWR | O_CLOEXEC);
    if (fifo < 0) {
        std::perror(argv[1]);
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);

    std::string pending;
    for (;;) {
        pollfd p[2] = {{C.Socket, POLLIN, 0}, {fifo, POLLIN, 0}};
        if (poll(p, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return 1;
        }
        if (p[0].revents & (POLLHUP | POLLERR)) return 0;
        if ((p[0].revents & POLLIN) && !ReadEvents()) return 0;
        if (p[1].revents & POLLIN) {
            char buffer[512];
            const ssize_t n = read(fifo, buffer, sizeof buffer);
            if (n > 0) pending.append(buffer, size_t(n));
            for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
                const std::string line = pending.substr(0, end);
                pending.erase(0, end + 1);
                if (!Command(line)) return 0;
            }
        }
    }
}
