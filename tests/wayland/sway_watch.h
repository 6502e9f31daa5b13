// sway_watch.h — the sway desktop tools/with_sway.sh starts: the windows as
// swaymsg lists them, the output read back with grim, the menu's shape on it,
// and e2e_support.h's back end over the virtual keyboard and pointer that
// tools/with_sway.sh holds (X clients on XWayland take their keys from
// xdotool, as on the X desktops). Every wait polls, with a deadline.
#pragma once

#include <sys/types.h>

#include <string>

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
    std::string AppId;          // a Wayland window's app id, "" for an X window
    std::string XClass;         // an X window's class, "" for a Wayland window
    int X = 0, Y = 0, W = 0, H = 0;
};
Window VisibleWindowOf(pid_t pid);   // the newest visible window of `pid` (Id 0 when none)
double OutputScale();                // logical pixels times it are grim's pixels
bool Command(const std::string& command);   // through swaymsg; false when sway refused it
// The desktop entry's file name without ".desktop", and its StartupWMClass.
std::string DesktopId();
std::string DesktopWmClass();

// [SECTION] The screen, and the menu's shape on it

bool Screen(RgbaImage& out);   // the whole output as grim reads it back
// The menu's shape as its two long horizontal dividers give it: their length
// over the distance between them (0 when the picture shows no two).
double DividerAspect(const RgbaImage& picture);
// Where the dividers run: their left and right end (the picture's middle
// when they are centred).
bool DividerSpan(const RgbaImage& picture, int& left, int& right);

// [SECTION] Input

// The program's keys go through the virtual keyboard natively, through
// xdotool on XWayland; the pointer is the virtual one for both.
enum class Driver { Wayland, XWayland };
e2e::Backend BackendFor(Driver driver);   // what it sees is the whole output
// The program takes the mouse's motions alone (SDL's relative mode) and gets
// them only while the desktop's pointer is over its window (sway does not
// hold it there for a floating window). So ParkPointer() before the window
// opens puts the desktop's pointer in the output's corner, away from any
// window smaller than the output, where its coming gives the program no
// motion; PointerOnto() then brings it onto the picture's pixel (startX,
// startY), where the program's own pointer starts, and e2e::PointerTo moves
// on from there.
void ParkPointer();
void PointerOnto(const Window& w, const e2e::Box& picture, int pictureW, int pictureH, int startX, int startY);

}  // namespace sway
