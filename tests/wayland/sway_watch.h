// sway_watch.h — the sway desktop tools/with_sway.sh starts: the windows as
// swaymsg lists them, the output read back with grim, the menu's shape on it,
// and the back end for e2e_support.h that reads the output and drives the one
// virtual keyboard and pointer tools/with_sway.sh holds (X clients on
// XWayland take their keys from xdotool, as on the X desktops).
//
// As in e2e_support.h, nothing waits for a fixed time: every wait polls what
// it waits for and has a deadline that only bounds a failure.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "e2e_support.h"
#include "screen_watch.h"

namespace sway {

// Whether the run has the desktop tools/with_sway.sh makes; the reason when not.
bool HasDesktop(std::string& reason);

// [SECTION] Windows and outputs

// A window as sway lists it; the box is the window's own content (without
// sway's title bar and border) in the output's logical pixels.
struct Window {
    long Id = 0;                // sway's container id
    pid_t Pid = 0;
    std::string Title;
    std::string AppId;          // a Wayland window's app id, "" for an X window
    std::string XClass;         // an X window's class, "" for a Wayland window
    int X = 0, Y = 0, W = 0, H = 0;
    bool Visible = false, Focused = false;
};
std::vector<Window> Windows();
// The newest visible window of `pid` (Id 0 when none).
Window VisibleWindowOf(pid_t pid);
// The output's scale: logical pixels times it are grim's pixels.
double OutputScale();
// A sway command through swaymsg; false when sway refused it.
bool Command(const std::string& command);
// The desktop entry's file name without ".desktop", and its StartupWMClass.
std::string DesktopId();
std::string DesktopWmClass();

// [SECTION] The screen, and the menu's shape on it

// The whole output as grim reads it back (false when grim failed).
bool Screen(RgbaImage& out);
// The menu's shape as its two long horizontal dividers give it: their length
// over the distance between them (0 when the picture shows no two).
double DividerAspect(const RgbaImage& picture);
// Where the dividers run: their left and right end (the picture's middle
// when they are centred).
bool DividerSpan(const RgbaImage& picture, int& left, int& right);

// [SECTION] Input

// The program's driver: its keys go through the virtual keyboard natively,
// through xdotool on XWayland; the pointer is the virtual one for both.
enum class Driver { Wayland, XWayland };
// e2e_support's back end for the program on `driver`: what it sees is the
// whole output.
e2e::Backend BackendFor(Driver driver);
// The desktop's pointer onto the window, as a player's hand brings it there.
// The program takes the mouse's motions alone (SDL's relative mode) and gets
// them only while the desktop's pointer is over its window (sway does not
// hold it there for a floating window): on a window smaller than the output
// the pointer comes from outside onto the picture's pixel (startX, startY),
// where the program's own pointer starts, and moves with it from there.
// ParkPointer() first, before the window opens: the desktop's pointer in the
// output's corner, away from any window smaller than the output, where its
// coming gives the program no motion.
void ParkPointer();
// Then e2e::PointerTo moves the menu's pointer from there.
void PointerOnto(const Window& w, const e2e::Box& picture, int pictureW, int pictureH, int startX, int startY);

}  // namespace sway
