// The menu at rest presents nothing new, so what the X server shows must be
// drawn again whenever the window's content is lost: a window pushed mostly
// off the screen and brought back shows the whole menu again, read back from
// the X server and compared with the reference picture of the page.
// (Moving a window keeps the focus; a covering window would take it, and a
// windowed menu that loses the focus minimises itself.)
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "e2e_support.h"
#include "platform/png_file.h"

// Xlib names a type KeyCode, as the platform's key enum is named.
#define KeyCode XlibKeyCode
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#undef KeyCode

using namespace e2e;

namespace {

int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// The window's pixels as the X server holds them, once the window is mapped
// and wholly on the screen (X reads back nothing else); tries for up to 5 s.
bool WindowPixels(const std::string& id, int w, int h, RgbaImage& out) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    // A read of a window that is not (yet) viewable is an X error, which
    // must fail the test, not end the test program.
    XErrorHandler previous = XSetErrorHandler(IgnoreXError);
    XImage* image = nullptr;
    for (int attempt = 0; attempt < 50 && !image; ++attempt) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, Window(std::stoul(id)), &attributes) &&
            attributes.map_state == IsViewable)
            image = XGetImage(display, Window(std::stoul(id)), 0, 0, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
        XSync(display, False);
        if (!image) Sleep(0.1);
    }
    if (image) {
        out.width = w;
        out.height = h;
        out.pixels.assign(size_t(w) * h * 4, 255);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                uint8_t* o = &out.pixels[(size_t(y) * w + x) * 4];
                o[0] = uint8_t((p & image->red_mask) >> __builtin_ctzl(image->red_mask));
                o[1] = uint8_t((p & image->green_mask) >> __builtin_ctzl(image->green_mask));
                o[2] = uint8_t((p & image->blue_mask) >> __builtin_ctzl(image->blue_mask));
            }
        XDestroyImage(image);
    }
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return image != nullptr;
}

// Share of pixels whose channels all lie within `tolerance` of the reference.
double Agreement(const RgbaImage& a, const RgbaImage& b, int tolerance) {
    if (a.width != b.width || a.height != b.height) return 0.0;
    size_t same = 0, total = size_t(a.width) * a.height;
    for (size_t i = 0; i < total; ++i) {
        bool close = true;
        for (int c = 0; c < 3; ++c)
            if (std::abs(a.pixels[i * 4 + c] - b.pixels[i * 4 + c]) > tolerance) close = false;
        same += close;
    }
    return double(same) / double(total);
}

}  // namespace

TEST(Redraw, AWindowPushedOffTheScreenAndBroughtBackShowsTheWholeMenuAgain) {
    if (!HaveDisplay()) GTEST_SKIP() << "no X display or xdotool";
    std::string dir = MakeWorkDir("redraw");
    std::vector<std::string> lines = {"[Screen]", "ScreenW = 800", "ScreenH = 600", "[Settings]",
                                      "settings.screenmode = 1", "settings.language = English"};
    for (const auto& l : PinnedFontSettings(dir)) lines.push_back(l);
    WriteFile(dir + "/Veldrune.cfg", SettingsText(lines));
    Program p = Start(dir);
    const std::string id = WaitForWindow(20, p.Pid);
    ASSERT_FALSE(id.empty());
    PointerTo(800 - 30, 30);   // where the reference picture has it
    Sleep(1.0);

    // Somewhere wholly on the screen first (X reads back only what is on it),
    // then mostly off its right edge, then back.
    const auto moveTo = [&](int x, int y) {
        e2e::Run("xdotool windowmove " + id + " " + std::to_string(x) + " " + std::to_string(y));
        Sleep(0.5);
    };
    const int screenW = std::atoi(e2e::Run("xdotool getdisplaygeometry | cut -d' ' -f1").c_str());
    RgbaImage want, before, after;
    ASSERT_TRUE(DecodePngFile(std::string(VELDRUNE_SOURCE_DIR) + "/tests/e2e/reference/English_800x600_main.png",
                              want));
    moveTo(0, 0);
    ASSERT_TRUE(WindowPixels(id, 800, 600, before)) << "the window is not wholly on the screen, or not mapped";
    EXPECT_GE(Agreement(before, want, 24), 0.998) << "the menu at rest is not on the screen";
    moveTo(screenW - 40, 0);
    moveTo(0, 0);
    ASSERT_TRUE(WindowPixels(id, 800, 600, after)) << "the window is not wholly on the screen, or not mapped";
    EXPECT_GE(Agreement(after, want, 24), 0.998) << "the menu is not drawn again where the screen lost it";

    Key("Escape");
    EXPECT_EQ(WaitExit(p), 0);
}
