// screen_watch.h — what a player sees, measured from outside the program:
// how often a window's content is drawn anew (X Damage, whoever draws it),
// how often the program reads a file (inotify), the display's mode, and the
// menu's picture inside a scaled window or a box of the screen. Reading
// windows back and waiting for them is e2e_support.h's.
#pragma once

#include <functional>
#include <string>

#include "platform/shared/png_file.h"

namespace e2e {

// The display's current mode: size of the output and its refresh rate (Hz,
// rounded), from RandR.
struct DisplayMode {
    int Width = 0, Height = 0, Hz = 0;
};
DisplayMode CurrentDisplayMode();

// How many times the window's content is drawn anew during `seconds` while
// `during` runs (on this thread, repeatedly, until the time is up).
int CountWindowDraws(const std::string& windowId, double seconds, const std::function<void()>& during = {});
// How many times `path` is opened during `seconds` while `during` runs.
int CountFileOpens(const std::string& path, double seconds, const std::function<void()>& during = {});

// The picture of `w` x `h` shown in the box (x, y, boxW, boxH) of `screen`,
// scaled: each picture pixel is read at its centre's place in the box.
RgbaImage PictureInBox(const RgbaImage& screen, int x, int y, int boxW, int boxH, int w, int h);
// Whether every pixel of `screen` outside the box is black.
bool BlackOutside(const RgbaImage& screen, int x, int y, int boxW, int boxH);

// A box on the screen, in its pixels.
struct Box {
    int X = 0, Y = 0, W = 0, H = 0;
};
// The largest box of the shape w x h inside `outer`, centred in it (as full
// screen shows the menu's picture).
Box Letterbox(const Box& outer, int w, int h);
// The share of pixels whose channels all lie within `tolerance` of the
// picture `want` in the screen's box, read at each picture pixel's centre;
// pixels of the box off the screen are not counted (0 when fewer than half
// of them are on it).
double AgreementInBox(const RgbaImage& screen, const Box& box, const RgbaImage& want, int tolerance);
// Whether the box shows `want`, as a whole and in every 32 x 32 tile but
// those the pointer may cover; a scaled picture is compared more loosely
// (filtering blurs every edge).
bool ShowsPicture(const RgbaImage& screen, const Box& box, const RgbaImage& want);
// Whether `picture` is `want`, of its size, as ShowsPicture at its own size.
bool ShowsPicture(const RgbaImage& picture, const RgbaImage& want);

}  // namespace e2e
