// The menu at rest presents nothing new, so what the X server shows must be
// drawn again whenever the window's content is lost: a window pushed mostly
// off the screen and brought back shows the whole menu again, read back from
// the X server and compared with the reference picture of the page.
// (Moving a window keeps the focus; a covering window would take it, and a
// windowed menu that loses the focus minimises itself.)
#include <gtest/gtest.h>

#include <string>

#include "e2e_support.h"
#include "menu_layout.h"

using namespace e2e;

TEST(Redraw, AWindowPushedOffTheScreenAndBroughtBackShowsTheWholeMenuAgain) {
    NEED_DISPLAY();
    Program p = Start(MenuFolder("redraw", {"[Screen]", "ScreenW = 800", "ScreenH = 600", "[Settings]",
                                            "settings.screenmode = 1", "settings.language = English"}));
    const std::string id = WaitForWindow(20, p.Pid);
    ASSERT_FALSE(id.empty());
    PointerToRest(800);

    // Somewhere wholly on the screen first (the whole window reads back only
    // there), then mostly off its right edge, then back: each move is over
    // once the window manager has put the window somewhere else.
    const auto moveTo = [&](int x, int y) {
        const auto from = WindowPlace(id);
        MoveWindow(id, x, y);
        EXPECT_TRUE(WaitUntil([&] { return WindowPlace(id) != from; })) << "the window was not moved to " << x << "," << y;
    };
    const int screenW = DesktopSize().first;
    const RgbaImage want = ReferencePicture(800, 600, "main");
    RgbaImage before, after;
    ASSERT_GT(want.width, 0) << "no reference picture";
    moveTo(0, 0);
    EXPECT_TRUE(WaitForPicture(id, want)) << "the menu at rest is not on the screen";
    ASSERT_TRUE(WindowPicture(id, before));
    ASSERT_EQ(before.width, 800) << "the window is not wholly on the screen";
    ASSERT_EQ(before.height, 600) << "the window is not wholly on the screen";
    moveTo(screenW - 40, 0);
    moveTo(0, 0);
    EXPECT_TRUE(WaitForPicture(id, want)) << "the menu is not drawn again where the screen lost it";
    ASSERT_TRUE(WindowPicture(id, after));
    EXPECT_TRUE(ShowsPicture(after, want));

    EXPECT_EQ(EscapeToTheEnd(p), 0);
}
