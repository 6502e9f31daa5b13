// menu_pointing_test.cpp — clicks on every item at every size, the strict
// hit test, the order of the table and the held button.
#include "menu_test_support.h"

namespace {

class MenuPointing : public GameTest {};

// Left x and top y of each clickable box at 800x600, 1024x768, 1280x720, with
// the page it is live on (-1: every page). The sub-column items are listed
// at their shifted x, where they stand on the pages below Options.
struct ClickCase {
    int Target;
    int Page;
    int X[3], Y[3];
};

const ClickCase Clicks[] = {
    {1, -1, {5, 117, 245}, {500, 668, 620}},
    {2, -1, {165, 277, 405}, {500, 668, 620}},
    {3, -1, {325, 437, 565}, {500, 668, 620}},
    {4, -1, {165, 277, 405}, {180, 220, 220}},
    {5, 4, {325, 437, 565}, {180, 220, 220}},
    {6, 4, {325, 437, 565}, {210, 250, 250}},
    {7, 4, {325, 437, 565}, {240, 280, 280}},
    {8, 4, {325, 437, 565}, {270, 310, 310}},
    {9, 4, {325, 437, 565}, {300, 340, 340}},
    {10, 4, {325, 437, 565}, {330, 370, 370}},
    {11, 4, {325, 437, 565}, {360, 400, 400}},
    {12, 4, {325, 437, 565}, {390, 430, 430}},
    {13, -1, {165, 277, 405}, {210, 250, 250}},
    {14, 13, {325, 437, 565}, {210, 250, 250}},
    {15, 14, {485, 597, 725}, {210, 250, 250}},
    {16, 14, {485, 597, 725}, {240, 280, 280}},
    {17, -1, {165, 277, 405}, {240, 280, 280}},
    {18, 17, {325, 437, 565}, {240, 280, 280}},
    {19, 18, {485, 597, 725}, {240, 280, 280}},
    {20, 18, {485, 597, 725}, {270, 310, 310}},
    {21, 18, {485, 597, 725}, {300, 340, 340}},
    {22, -1, {165, 277, 405}, {270, 310, 310}},
    {23, 22, {325, 437, 565}, {270, 310, 310}},
    {26, -1, {485, 597, 725}, {500, 668, 620}},
    {27, -1, {645, 757, 885}, {500, 668, 620}},
};

const int Sizes[3][2] = {{800, 600}, {1024, 768}, {1280, 720}};
const int ShiftedX[3] = {165, 277, 405};
const int HomeX[3] = {325, 437, 565};

// One pointing pass with the button held (or not) at (x, y).
void PointOnce(int x, int y, bool held) {
    PointAt(x, y);
    HoldLeftButton(held);
    PollMouse();
    PointWithMouse();
}

// [SECTION] Every entry

TEST_F(MenuPointing, EveryBoxFiresOnItsPagesAtEverySize) {
    for (int size = 0; size < 3; ++size) {
        for (const ClickCase& click : Clicks) {
            const int x = click.X[size] + 75, y = click.Y[size] + 10;
            SCOPED_TRACE("size " + std::to_string(size) + " target " + std::to_string(click.Target));
            const std::vector<int> livePages =
                click.Page < 0 ? std::vector<int>{0, 3, 5, 12, 18, 26} : std::vector<int>{click.Page};
            for (int page : livePages) {
                ResetRecording();
                UseScreen(Sizes[size][0], Sizes[size][1]);
                PlaceSubColumn(ShiftedX[size]);
                Menu.MenuSelect = page;
                PointOnce(x, y, true);
                EXPECT_EQ(Menu.MenuSelect, click.Target) << "on page " << page;
            }
            if (click.Page >= 0) {
                // Elsewhere the same place takes nothing.
                for (int page : {0, 3, 5}) {
                    if (page == click.Page) continue;
                    ResetRecording();
                    UseScreen(Sizes[size][0], Sizes[size][1]);
                    PlaceSubColumn(ShiftedX[size]);
                    Menu.MenuSelect = page;
                    PointOnce(x, y, true);
                    EXPECT_EQ(Menu.MenuSelect, page) << "on page " << page;
                }
            }
        }
    }
}

TEST_F(MenuPointing, HoverWithoutTheButtonChangesNothing) {
    UseScreen(800, 600);
    Menu.MenuSelect = MenuMain;
    PointOnce(80, 510, false);
    EXPECT_EQ(Menu.MenuSelect, MenuMain);
}

// Pointing only selects the action states; what they do is the music tests'.
TEST_F(MenuPointing, OnAndOffTakeAClickOnTheMusicPageOnly) {
    UseScreen(800, 600);
    PlaceSubColumn(165);
    for (int page : {int(MenuMusic), int(MenuSound)}) {
        for (int row : {0, 1}) {
            Menu.MenuSelect = page;
            PointOnce(485 + 75, 270 + 30 * row + 10, true);
            EXPECT_EQ(Menu.MenuSelect, page == MenuMusic ? MenuMusicOn + row : page) << page << " row " << row;
        }
    }
}

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
    const ItemBox& box = Layout.NewGameBox;   // 5, 500, 150 x 20
    const int midX = 80, midY = 510;
    const struct {
        int X, Y;
        bool Inside;
    } points[] = {
        {5, midY, false}, {6, midY, true}, {154, midY, true}, {155, midY, false},
        {midX, 500, false}, {midX, 501, true}, {midX, 519, true}, {midX, 520, false},
    };
    for (const auto& p : points) {
        PointAt(p.X, p.Y);
        PollMouse();
        EXPECT_EQ(IsHovered(box), p.Inside) << p.X << "," << p.Y;
    }
}

TEST_F(MenuPointing, SubColumnWinsTheOverlapWithTheRowsUnderIt) {
    UseScreen(800, 600);
    PlaceSubColumn(HomeX[0]);   // not yet slid away
    Menu.MenuSelect = MenuControl;
    PointOnce(400, 190, true);
    EXPECT_EQ(Menu.MenuSelect, MenuControl);
}

TEST_F(MenuPointing, ControlsHomeBoxOpensControlFromTheMainPage) {
    UseScreen(800, 600);
    Menu.MenuSelect = MenuMain;
    PointOnce(400, 190, true);
    EXPECT_EQ(Menu.MenuSelect, MenuControl);
}

TEST_F(MenuPointing, CapturePageKeepsTheMainRowButNotTheOtherBindings) {
    UseScreen(800, 600);
    PlaceSubColumn(165);
    Menu.MenuSelect = MenuForward;
    PointOnce(325 + 75, 210 + 10, true);   // Backward
    EXPECT_EQ(Menu.MenuSelect, MenuForward);
    PointOnce(485 + 75, 510, true);        // Credits
    EXPECT_EQ(Menu.MenuSelect, MenuCredits);
}

// [SECTION] Whole frames

TEST_F(MenuPointing, HeldButtonSlidesFromControlOntoForward) {
    UseScreen(800, 600);
    PointAt(400, 190);
    HoldLeftButton(true);
    for (int frame = 1; frame <= 15; ++frame) {
        Frame();
        ASSERT_EQ(Menu.MenuSelect, MenuControl) << "frame " << frame;
    }
    EXPECT_EQ(Layout.ControlBox.x, 250);   // pointer x 400 is now its right edge
    Frame();
    EXPECT_EQ(Menu.MenuSelect, MenuForward);
}

TEST_F(MenuPointing, AClickOverridesAHotkeyOfTheSameFrame) {
    UseScreen(800, 600);
    PointAt(790, 10);
    Frame({KeyN});
    PointAt(400, 510);   // Options
    HoldLeftButton(true);
    Frame();
    EXPECT_EQ(Menu.MenuSelect, MenuOptions);
}

}  // namespace
