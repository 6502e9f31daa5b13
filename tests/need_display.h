// need_display.h — the one way the X and end-to-end tests find out whether
// they can run: NEED_DISPLAY() skips a test where there is no X display,
// fails it where the display or the tools to drive it are broken, and waits
// for the window manager before the first window on a new server. Also what
// both ask of the X desktop as a player's would (through xdotool).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace need_display {

inline bool Shell(const char* command) { return std::system(command) == 0; }

// Polls `done` every 50 ms until it holds or `seconds` pass.
template <class Done>
bool PollFor(double seconds, Done done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// A freshly started openbox now and then never maps the first client window
// it is asked to, and SDL then waits for that window's MapNotify for ever.
// So before our first window on a server, wait until the window manager has
// finished starting (it publishes its client list), let a throwaway client
// take the first map (killed if it is the one that gets stuck), and mark the
// server as primed so that later test processes skip all this.
inline void WaitForWindowManager() {
    if (!Shell("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'")) return;
    if (Shell("xprop -root _VELDRUNE_WM_PRIMED 2>/dev/null | grep -q '= 1'")) return;
    PollFor(10, [] { return Shell("xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -q 'WINDOW'"); });
    Shell("timeout 3 xmessage -timeout 1 -geometry +0+0 probe >/dev/null 2>&1");
    Shell("xprop -root -f _VELDRUNE_WM_PRIMED 32c -set _VELDRUNE_WM_PRIMED 1 >/dev/null 2>&1");
}

enum class Verdict { Run, Skip, Fail };

// Decided once per test program; the reason is for the test log.
inline Verdict Check(std::string& reason) {
    static const Verdict verdict = [] {
        const char* d = std::getenv("DISPLAY");
        if (!d || !*d) return Verdict::Skip;
        // A DISPLAY that does not answer is a run whose X server died, not a
        // machine without one: that must not pass as skipped.
        if (!Shell("xdpyinfo >/dev/null 2>&1") || !Shell("command -v xdotool >/dev/null 2>&1")) return Verdict::Fail;
        WaitForWindowManager();
        return Verdict::Run;
    }();
    const char* d = std::getenv("DISPLAY");
    reason.clear();
    if (verdict == Verdict::Skip) reason = "no X display (run under tools/with_x.sh)";
    if (verdict == Verdict::Fail)
        reason = std::string("DISPLAY=") + (d ? d : "") +
                 " does not answer, or xdotool is missing (tools/install_deps.sh installs it)";
    return verdict;
}

// [SECTION] Asking the X desktop
// None of these waits for the answer unless `sync` says so: a test waits for
// what it expects to see.

inline bool Xdotool(const std::string& arguments) {
    return Shell(("xdotool " + arguments + " >/dev/null 2>&1").c_str());
}
// Raises and focuses, through the window manager (fails without one).
inline bool ActivateWindow(const std::string& id, bool sync = false) {
    return Xdotool(std::string("windowactivate ") + (sync ? "--sync " : "") + id);
}
// Gives the window the focus directly, as where no window manager takes
// _NET_ACTIVE_WINDOW; waits at most 5 s for it.
inline bool FocusWindow(const std::string& id) {
    return Shell(("timeout 5 xdotool windowfocus --sync " + id + " >/dev/null 2>&1").c_str());
}
inline bool MinimiseWindow(const std::string& id) { return Xdotool("windowminimize " + id); }
inline bool MoveWindow(const std::string& id, int x, int y, bool sync = false) {
    return Xdotool(std::string("windowmove ") + (sync ? "--sync " : "") + id + " " + std::to_string(x) + " " +
                   std::to_string(y));
}
// A key pressed and let go at once (a tap between two of the program's polls).
inline bool TapKey(const std::string& keysym) { return Xdotool("key " + keysym); }
// A relative move, from wherever the pointer is.
inline bool NudgePointer(int dx, int dy) {
    return Xdotool("mousemove_relative -- " + std::to_string(dx) + " " + std::to_string(dy));
}

}  // namespace need_display

// At the top of every test (or fixture SetUp) that opens a window.
#define NEED_DISPLAY()                                                               \
    do {                                                                             \
        std::string needDisplayReason;                                               \
        switch (need_display::Check(needDisplayReason)) {                            \
            case need_display::Verdict::Skip: GTEST_SKIP() << needDisplayReason;     \
            case need_display::Verdict::Fail: FAIL() << needDisplayReason;           \
            case need_display::Verdict::Run: break;                                  \
        }                                                                            \
    } while (0)
