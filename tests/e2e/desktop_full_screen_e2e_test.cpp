// Full screen as the X desktop has it, read back from the screen as a player
// sees it:
//   - a window manager's full-screen toggle (_NET_WM_STATE_FULLSCREEN, as
//     wmctrl sends it) takes full screen away: the page shows whole, at its
//     own size, in a window of that size wholly on the screen, and a switched
//     display mode is given back; the same toggle gives full screen back,
//     the page letterboxed over the whole screen;
//   - bare X without a window manager, on a display that cannot switch to
//     the menu's size: the page at the largest scale that keeps its shape,
//     centred on black.
// The first needs a window manager (tools/with_x.sh), the second none
// (tools/with_x.sh --bare); each skips where the other runs. tools/test.sh
// runs both.
#include <gtest/gtest.h>

#include <string>

#include "e2e_support.h"
#include "menu_layout.h"
#include "screen_watch.h"

using namespace e2e;

namespace {

constexpr int W = 800, H = 600;

bool HasWindowManager() { return Run("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -c 'window id'") == "1"; }

// The whole screen, read back as a window.
std::string RootWindow() {
    const std::string hex = Run("xwininfo -root | sed -n 's/.*Window id: \\(0x[0-9a-f]*\\).*/\\1/p'");
    return hex.empty() ? "" : std::to_string(std::stoul(hex, nullptr, 16));
}

// Whether the screen shows the main page letterboxed over all of it: the
// largest box of its shape, centred, black around it.
bool LetterboxedMainPage(const RgbaImage& screen) {
    const Box box = Letterbox({0, 0, screen.width, screen.height}, W, H);
    const bool scaled = box.W != W || box.H != H;
    return AgreementInBox(screen, box, ReferencePicture(W, H, "main"), scaled ? 48 : 24) >= 0.99 &&
           BlackOutside(screen, box.X, box.Y, box.W, box.H);
}

Program StartFullScreen(const std::string& name) {
    return Start(MenuFolder(name, {"[Screen]", "ScreenW = 800", "ScreenH = 600", "[Settings]",
                                   "settings.screenmode = 3", "settings.language = English", "settings.music = 0"}));
}

TEST(DesktopFullScreen, AWindowManagersToggleTakesItAwayAndGivesItBack) {
    NEED_DISPLAY();
    if (!HasWindowManager()) GTEST_SKIP() << "needs a window manager (tools/with_x.sh)";
    ASSERT_EQ(e2e::Run("command -v wmctrl >/dev/null && echo yes"), "yes") << "wmctrl is missing (tools/install_deps.sh)";
    Program p = StartFullScreen("wm-toggle");
    const std::string id = WaitForWindow(20, p.Pid);
    ASSERT_FALSE(id.empty()) << "no window";
    PointerToRest(W);
    const std::string root = RootWindow();
    RgbaImage screen;
    ASSERT_TRUE(WaitForSettled(root, LetterboxedMainPage, &screen))
        << "full screen does not show the main page over the whole " << screen.width << " x " << screen.height
        << " screen";
    const DisplayMode full = CurrentDisplayMode();

    // Taken away: a window of the page's own size, wholly on the screen (a
    // window is read back as far as it is on the screen).
    e2e::Run("wmctrl -i -r " + id + " -b toggle,fullscreen");
    const RgbaImage main = ReferencePicture(W, H, "main");
    RgbaImage window;
    ASSERT_TRUE(WaitForSettled(id, [&](const RgbaImage& shown) {
        return shown.width == W && shown.height == H && AgreementInBox(shown, {0, 0, W, H}, main, 24) >= 0.99;
    }, &window)) << "taken away, the window shows " << window.width << " x " << window.height
        << " on the screen, not the page whole at its own size";
    if (full.Width == W && full.Height == H) {
        const DisplayMode now = CurrentDisplayMode();
        EXPECT_GT(now.Width * now.Height, W * H) << "the display stays in the menu's mode";
    }

    // Given back: the page over the whole screen again.
    e2e::Run("wmctrl -i -r " + id + " -b toggle,fullscreen");
    EXPECT_TRUE(WaitForSettled(root, LetterboxedMainPage, &screen))
        << "given back, full screen does not show the main page over the whole " << screen.width << " x "
        << screen.height << " screen";
    EXPECT_EQ(EscapeToTheEnd(p), 0);
}

TEST(DesktopFullScreen, BareXShowsThePageWholeAndCentred) {
    NEED_DISPLAY();
    if (HasWindowManager()) GTEST_SKIP() << "needs X without a window manager (tools/with_x.sh --bare)";
    Program p = StartFullScreen("bare-x");
    const std::string id = WaitForWindow(20, p.Pid);
    ASSERT_FALSE(id.empty()) << "no window";
    PointerToRest(W);
    const std::string root = RootWindow();
    RgbaImage screen;
    EXPECT_TRUE(WaitForSettled(root, LetterboxedMainPage, &screen))
        << "the " << screen.width << " x " << screen.height
        << " screen does not show the main page at the largest scale that keeps its shape, centred on black";
    EXPECT_EQ(EscapeToTheEnd(p), 0);
}

}  // namespace
