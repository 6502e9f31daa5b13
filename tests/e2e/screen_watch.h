// screen_watch.h — what a player sees, watched from outside the program:
// a window's pixels read back from the X server, the picture it settles on,
// how often its content is drawn anew (X Damage, whoever draws it), how often
// the program reads a file (inotify), and the display's mode.
#pragma once

#include <functional>
#include <string>

#include "platform/png_file.h"

namespace e2e {

// The display's current mode: size of the output and its refresh rate (Hz,
// rounded), from RandR.
struct DisplayMode {
    int Width = 0, Height = 0, Hz = 0;
};
DisplayMode CurrentDisplayMode();

// The window's whole content as the X server holds it (viewable windows
// only); false when it cannot be read.
bool ReadWindow(const std::string& windowId, RgbaImage& out);
// Reads the window until it shows the same picture `reads` times in a row;
// false when it does not settle within the deadline. `out` is that picture.
bool WaitUntilWindowSettles(const std::string& windowId, RgbaImage& out, int reads = 5, double timeoutSeconds = 20);
// Reads the window until its picture differs from `before`; false on timeout.
bool WaitUntilWindowChanges(const std::string& windowId, const RgbaImage& before, double timeoutSeconds = 20);

// How many times the window's content is drawn anew during `seconds` while
// `during` runs (on this thread, repeatedly, until the time is up).
int CountWindowDraws(const std::string& windowId, double seconds, const std::function<void()>& during = {});
// How many times `path` is opened during `seconds` while `during` runs.
int CountFileOpens(const std::string& path, double seconds, const std::function<void()>& during = {});

// The picture of `w` x `h` shown in the box (x, y, boxW, boxH) of `screen`,
// scaled: each picture pixel is read at its centre's place in the box.
RgbaImage PictureInBox(const RgbaImage& screen, int x, int y, int boxW, int boxH, int w, int h);
// Share of pixels whose channels all lie within `tolerance` of each other.
double Agreement(const RgbaImage& a, const RgbaImage& b, int tolerance);
// Whether every pixel of `screen` outside the box is black.
bool BlackOutside(const RgbaImage& screen, int x, int y, int boxW, int boxH);

}  // namespace e2e
