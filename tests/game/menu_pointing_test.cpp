// menu_pointing_test.cpp — clicks on every item at every size, the strict
// hit test, the order of the table and the held button.
#include "menu_test_support.h"

namespace {

class MenuPointing : public GameTest {};

// Each clickable item: the state it leads to and the page it is live on
// (-1: every page). The sub-column items are clicked at their shifted x,
// where they stand on the pages below Options.
const struct {
    int Target, Page;
} Clicks[] = {{1, -1}, {2, -1}, {3, -1}, {4, -1}, {5, 4},   {6, 4},   {7, 4},   {8, 4},   {9, 4},
              {10, 4}, {11, 4}, {12, 4}, {13, -1}, {14, 13}, {15, 14}, {16, 14}, {17, -1}, {18, 17},
              {19, 18}, {20, 18}, {21, 18}, {22, -1}, {23, 22}, {26, -1}, {27, -1}};

// One pointing pass with the button held (or not) at (x, y), or in the middle of a box.
void PointOnce(int x, int y, bool held) {
    PointAt(x, y);
    HoldLeftButton(held);
    PollMouse();
    PointWithMouse();
}
void PointOnce(const ItemBox& box, bool held) { PointOnce(box.x + box.w / 2, box.y + box.h / 2, held); }

// [SECTION] Every entry

TEST_F(MenuPointing, EveryBoxFiresOnItsPagesAtEverySize) {
    for (const OfferedSize& size : OfferedSizes) {
        UseScreen(size.Width, size.Height);
        PlaceSubColumn(ShiftedColumnX());
        for (const auto& click : Clicks) {
            // Off its own page the same place takes nothing.
            const std::vector<int> pages =
                click.Page < 0 ? std::vector<int>{0, 3, 5, 12, 18, 26} : std::vector<int>{click.Page, 0, 3, 5};
            for (int page : pages) {
                Menu.MenuSelect = page;
                PointOnce(Layout.*BoxOf(click.Target), true);
                EXPECT_EQ(Menu.MenuSelect, click.Page < 0 || page == click.Page ? click.Target : page)
                    << "size " << size.Width << " target " << click.Target << " on page " << page;
            }
        }
    }
}

// One pass over an item on a page, the sub column home or slid over.
struct OneClick {
    const char* Name;
    int Page;
    bool Home, Held;
    int Target, Expected;
};
class MenuPointingOnce : public GameTest, public ::testing::WithParamInterface<OneClick> {};

TEST_P(MenuPointingOnce, TakesItsItem) {
    const OneClick& c = GetParam();
    UseScreen(800, 600);
    PlaceSubColumn(c.Home ? HomeColumnX() : ShiftedColumnX());
    Menu.MenuSelect = c.Page;
    PointOnce(Layout.*BoxOf(c.Target), c.Held);
    EXPECT_EQ(Menu.MenuSelect, c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MenuPointingOnce,
    ::testing::Values(OneClick{"HoverWithoutTheButtonChangesNothing", 0, true, false, 1, 0},
                      OneClick{"SubColumnWinsTheOverlapWithTheRowsUnderIt", 4, true, true, 4, 4},
                      OneClick{"ControlsHomeBoxOpensControlFromTheMainPage", 0, true, true, 4, 4},
                      OneClick{"CapturePageIgnoresTheOtherBindings", 5, false, true, 6, 5},
                      OneClick{"CapturePageKeepsTheMainRow", 5, false, true, 26, 26},
                      // Pointing only selects the action states; what they do is the music tests'.
                      OneClick{"OnOnTheMusicPage", 23, false, true, 24, 24},
                      OneClick{"OffOnTheMusicPage", 23, false, true, 25, 25},
                      OneClick{"NoOnOnTheSoundPage", 22, false, true, 24, 22},
                      OneClick{"NoOffOnTheSoundPage", 22, false, true, 25, 22}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(MenuPointing, AScreenWithoutLayoutTakesNoClick) {
    UseScreen(1024, 600);
    for (int x : {0, 1, 75}) {
        PointOnce(x, x, true);
        EXPECT_EQ(Menu.MenuSelect, MenuMain);
    }
}

// [SECTION] The hit test

TEST_F(MenuPointing, EdgePixelsAreOutsideOnePixelInIsInside) {
    UseScreen(800, 600);
    const ItemBox& box = Layout.NewGameBox;
    const int midX = box.x + box.w / 2, midY = box.y + box.h / 2, right = box.x + box.w, bottom = box.y + box.h;
    const struct {
        int X, Y;
        bool Inside;
    } points[] = {
        {box.x, midY, false}, {box.x + 1, midY, true}, {right - 1, midY, true}, {right, midY, false},
        {midX, box.y, false}, {midX, box.y + 1, true}, {midX, bottom - 1, true}, {midX, bottom, false},
    };
    for (const auto& p : points) {
        PointAt(p.X, p.Y);
        PollMouse();
        EXPECT_EQ(IsHovered(box), p.Inside) << p.X << "," << p.Y;
    }
}

// [SECTION] Whole frames

TEST_F(MenuPointing, HeldButtonSlidesFromControlOntoForward) {
    UseScreen(800, 600);
    PointAtItem(Layout.ControlBox);
    const int pointerX = Rec.MouseX;
    HoldLeftButton(true);
    for (int frame = 1; frame <= 15; ++frame) {
        Frame();
        ASSERT_EQ(Menu.MenuSelect, MenuControl) << "frame " << frame;
    }
    EXPECT_EQ(Layout.ControlBox.x + Layout.ControlBox.w, pointerX) << "the pointer is now on its right edge";
    Frame();
    EXPECT_EQ(Menu.MenuSelect, MenuForward);
}

TEST_F(MenuPointing, AClickOverridesAHotkeyOfTheSameFrame) {
    UseScreen(800, 600);
    PointAt(790, 10);
    Frame({KeyN});
    PointAtItem(Layout.OptionsBox);
    HoldLeftButton(true);
    Frame();
    EXPECT_EQ(Menu.MenuSelect, MenuOptions);
}

}  // namespace
