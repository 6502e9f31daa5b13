// sway_watch.h — what a player sees on the sway desktop tools/with_sway.sh
// starts, and the player's hands there: the output read back with grim, the
// windows as swaymsg lists them, and the one virtual keyboard and pointer
// tools/with_sway.sh holds (X clients on XWayland take their keys from
// xdotool, as on the X desktops).
//
// As in e2e_support.h, nothing waits for a fixed time: every wait polls what
// it waits for and has a deadline that only bounds a failure.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/shared/png_file.h"

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

// [SECTION] The screen

// The whole output as grim reads it back (false when grim failed).
bool Screen(RgbaImage& out);
// Waits until the screen reads back as one picture several times in a row
// (a slide or a fade changes it every frame) and leaves it in `out`.
bool WaitUntilSettled(RgbaImage* out = nullptr, double timeoutSeconds = 20);
// Waits until the settled screen satisfies `want`, and leaves it in `out`.
bool WaitForScreen(const std::function<bool(const RgbaImage&)>& want, RgbaImage* out = nullptr,
                   double timeoutSeconds = 20);
// Does `act`, then waits for the screen to change and settle again.
bool ActAndSettle(const std::function<void()>& act, double timeoutSeconds = 20);

// [SECTION] Where the menu's picture is, and its shape

struct Box {
    int X = 0, Y = 0, W = 0, H = 0;
};
// Agreement (as e2e::Agreement) of the picture `want` with the screen's box,
// read at each picture pixel's centre; pixels of the box off the screen are
// not counted (0 when fewer than half of them are on it).
double AgreementInBox(const RgbaImage& screen, const Box& box, const RgbaImage& want, int tolerance);
// The menu's shape as its two long horizontal dividers give it: their length
// over the distance between them (0 when the picture shows no two).
double DividerAspect(const RgbaImage& picture);
// Where the dividers run: their left and right end (the picture's middle
// when they are centred).
bool DividerSpan(const RgbaImage& picture, int& left, int& right);

// [SECTION] Input

// The program's driver: its keys go through the virtual keyboard natively,
// through xdotool on XWayland.
enum class Driver { Wayland, XWayland };
void Key(Driver driver, const std::string& keysym);   // down, 80 ms, up
bool Press(Driver driver, const std::string& keysym); // a key whose answer is a new picture
// The virtual pointer: a relative motion, a click.
void Move(int dx, int dy);
void Click();
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
void PointerOnto(const Window& w, const Box& picture, int pictureW, int pictureH, int startX, int startY);
// The menu's pointer to (x, y) of its picture: pushed into the corner once
// (it stops there), then moved by the difference, each step waited for on
// the screen.
void PointerTo(int x, int y);

}  // namespace sway
