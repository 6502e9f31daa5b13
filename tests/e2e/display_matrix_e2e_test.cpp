// The menu on whatever screen the test runs on, in each screen mode and with
// the software and the GL renderer, watched from outside as a player sees
// it: one steady picture at rest (read back from the X server again and
// again), presented once and then not again (X Damage), the picture's shape
// on a display that cannot switch to the menu's size, the loop paced at the
// display's rate while the pointer moves (the Control page reads the
// settings file once a pass), and the frames drawn by changed rectangles
// alone ending on exactly the picture a full redraw gives.
//
// tools/test.sh runs it on three displays: the 85 Hz one, one that offers
// only 60 Hz, and a fixed 1920 x 1080 panel (tools/with_x.sh --xorg=60,
// --xorg=panel).
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <tuple>

#include "e2e_support.h"
#include "menu_layout.h"
#include "screen_watch.h"

using namespace e2e;

namespace {

constexpr int W = 800, H = 600;

// Pointer motions at a steady 40 a second, a few pixels back and forth;
// Finish() brings the pointer back where it started.
struct PointerMover {
    std::chrono::steady_clock::time_point Next = std::chrono::steady_clock::now();
    int Step = 0;
    void Move() { Step++ % 2 ? NudgePointer(-3, 2) : NudgePointer(3, -2); }
    void operator()() {
        if (std::chrono::steady_clock::now() < Next) return;
        Next += std::chrono::milliseconds(25);
        Move();
    }
    void Finish() {
        if (Step % 2) Move();
    }
};

class DisplayMatrix : public ::testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(DisplayMatrix, OneSteadyPacedPictureOfTheMenusOwnPixels) {
    NEED_DISPLAY();
    const int mode = std::get<0>(GetParam());
    const bool gl = std::get<1>(GetParam());
    const std::string dir =
        MenuFolder("display-" + std::to_string(mode) + (gl ? "-gl" : "-sw"),
                   {"[Screen]", "ScreenW = 800", "ScreenH = 600", "ScreenS = 1", "[Settings]",
                    "settings.screenmode = " + std::to_string(mode), "settings.language = English"});
    Program p = Start(dir, "", {{"SDL_RENDER_DRIVER", gl ? "opengl" : ""}});
    const std::string id = WaitForWindow(20, p.Pid);
    ASSERT_FALSE(id.empty()) << "no window";
    // X reads back only what is on the screen: a framed window goes to the
    // top-left corner, wholly on it.
    if (mode == 1) e2e::MoveWindow(id, 0, 0, true);
    const DisplayMode display = CurrentDisplayMode();
    ASSERT_GT(display.Hz, 0) << "the display reports no refresh rate";
    PointerToRest(W);

    // At rest: one picture, shown once.
    RgbaImage rest;
    ASSERT_TRUE(WaitUntilSettled(id, &rest))
        << "the screen never shows one steady picture; it is drawn " << CountWindowDraws(id, 2.0) << " times in 2 s";
    const int draws = CountWindowDraws(id, 4.0);
    EXPECT_GE(draws, 0) << "no X Damage extension";
    EXPECT_LE(draws, 2) << "a still page is drawn again and again";
    RgbaImage again;
    ASSERT_TRUE(WindowPicture(id, again));
    EXPECT_EQ(again.pixels, rest.pixels) << "the picture at rest changed";

    // Its shape and its pixels: the menu's own 800 x 600, scaled where the
    // window is not that size, black around it full screen.
    // Where the window shows the picture: at its own size where it fits
    // exactly; full screen elsewhere the largest box of the same shape,
    // centred; a stretched window fills itself.
    const Box window{0, 0, rest.width, rest.height};
    const Box box = mode == 3 ? Letterbox(window, W, H) : window;
    const bool scaled = box.W != W || box.H != H;
    const RgbaImage main = ReferencePicture(W, H, "main");
    EXPECT_TRUE(ShowsPicture(rest, box, main))
        << "the main page on the screen (" << rest.width << " x " << rest.height << ") is not the reference picture";
    if (mode == 3) {
        EXPECT_TRUE(BlackOutside(rest, box.X, box.Y, box.W, box.H)) << "the border is not black";
    }
    RgbaImage shot;
    ASSERT_TRUE(TakeScreenshot(dir, 1, shot));
    EXPECT_EQ(shot.width, W);
    EXPECT_EQ(shot.height, H);
    EXPECT_TRUE(ShowsPicture(shot, main)) << "the screenshot is not the main page's picture";

    // The Control page reads the settings file once a pass: with the
    // pointer moving, the passes keep to the display's rate.
    ASSERT_TRUE(Press(RedLetterKey(EnglishWords, LabelOptions))) << "the Options page does not open";
    ASSERT_TRUE(PressUntilAnswered(RedLetterKey(EnglishWords, LabelControl))) << "the Control page does not open";
    const double seconds = 3.0;
    PointerMover mover;
    const int passes = CountFileOpens(dir + "/Veldrune.cfg", seconds, mover);
    mover.Finish();
    EXPECT_LE(passes / seconds, display.Hz + 3) << "the loop runs faster than the " << display.Hz << " Hz display";
    EXPECT_GE(passes / seconds, display.Hz / 2.0) << "the loop stalls while the pointer moves";

    // Every frame since the page settled drew only the pointer's old and new
    // boxes; at rest again the screen must be exactly the full picture.
    ASSERT_TRUE(WaitUntilSettled(id, &rest));
    ASSERT_TRUE(TakeScreenshot(dir, 2, shot));
    const RgbaImage control = ReferencePicture(W, H, "control");
    EXPECT_TRUE(ShowsPicture(shot, control)) << "the Control page's screenshot is not its reference";
    EXPECT_TRUE(ShowsPicture(rest, box, control))
        << "after the pointer moved, the screen is not the picture a full redraw gives";
    if (!scaled) {
        RgbaImage opaque = shot;
        for (size_t i = 3; i < opaque.pixels.size(); i += 4) opaque.pixels[i] = 255;
        EXPECT_EQ(PictureInBox(rest, 0, 0, W, H, W, H).pixels, opaque.pixels)
            << "the screen differs from the program's own full frame";
    }

    EXPECT_EQ(EscapeToTheEnd(p, 2), 0);
}

std::string MatrixName(const ::testing::TestParamInfo<std::tuple<int, bool>>& info) {
    static const char* const modes[] = {"", "Framed", "Borderless", "FullScreen"};
    return std::string(modes[std::get<0>(info.param)]) + (std::get<1>(info.param) ? "_OpenGL" : "_Software");
}

INSTANTIATE_TEST_SUITE_P(ModesAndRenderers, DisplayMatrix,
                         ::testing::Combine(::testing::Values(1, 2, 3), ::testing::Values(false, true)), MatrixName);

}  // namespace
