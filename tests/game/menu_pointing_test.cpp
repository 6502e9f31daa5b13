// menu_pointing_test.cpp — clicks on every item at every size, the strict
// hit test, the order of the table and the held button.
#include "menu_test_support.h"

namespace {

class MenuPointing : public GameTest {};

// Each clickable item: the state it leads to, the page it is live on (-1:
// every page) and its box in the layout table. The sub-column items are
// clicked at their shifted x, where they stand on the pages below Options.
struct ClickCase {
    int Target;
    int Page;
    ItemBox LayoutTable::*Box;
};

const ClickCase Clicks[] = {
    {1, -1, &LayoutTable::NewGameBox},     {2, -1, &LayoutTable::LoadGameBox},
    {3, -1, &LayoutTable::OptionsBox},     {4, -1, &LayoutTable::ControlBox},
    {5, 4, &LayoutTable::ForwardBox},      {6, 4, &LayoutTable::BackwardBox},
    {7, 4, &LayoutTable::LeftBox},         {8, 4, &LayoutTable::RightBox},
    {9, 4, &LayoutTable::DuckBox},         {10, 4, &LayoutTable::JumpBox},
    {11, 4, &LayoutTable::JournalBox},     {12, 4, &LayoutTable::ScreenshotBox},
    {13, -1, &LayoutTable::GameplayBox},   {14, 13, &LayoutTable::LanguageBox},
    {15, 14, &LayoutTable::GermanBox},     {16, 14, &LayoutTable::EnglishBox},
    {17, -1, &LayoutTable::GraphicBox},    {18, 17, &LayoutTable::ResolutionBox},
    {19, 18, &LayoutTable::Res800Box},     {20, 18, &LayoutTable::Res1024Box},
    {21, 18, &LayoutTable::Res1280Box},    {22, -1, &LayoutTable::SoundBox},
    {23, 22, &LayoutTable::MusicBox},      {26, -1, &LayoutTable::CreditsBox},
    {27, -1, &LayoutTable::QuitBox},
};

// The middle of a box, where a player aims.
int MidX(const ItemBox& box) { return box.x + box.w / 2; }
int MidY(const ItemBox& box) { return box.y + box.h / 2; }

// One pointing pass with the button held (or not) at (x, y).
void PointOnce(int x, int y, bool held) {
    PointAt(x, y);
    HoldLeftButton(held);
    PollMouse();
    PointWithMouse();
}

// [SECTION] Every entry

TEST_F(MenuPointing, EveryBoxFiresOnItsPagesAtEverySize) {
    for (const OfferedSize& size : OfferedSizes) {
        for (const ClickCase& click : Clicks) {
            UseScreen(size.Width, size.Height);
            PlaceSubColumn(ShiftedColumnX());
            const ItemBox box = Layout.*click.Box;
            const int x = MidX(box), y = MidY(box);
            SCOPED_TRACE("size " + std::to_string(size.Width) + " target " + std::to_string(click.Target));
            const std::vector<int> livePages =
                click.Page < 0 ? std::vector<int>{0, 3, 5, 12, 18, 26} : std::vector<int>{click.Page};
            for (int page : livePages) {
                ResetRecording();
                UseScreen(size.Width, size.Height);
                PlaceSubColumn(ShiftedColumnX());
                Menu.MenuSelect = page;
                PointOnce(x, y, true);
                EXPECT_EQ(Menu.MenuSelect, click.Target) << "on page " << page;
            }
            if (click.Page >= 0) {
                // Elsewhere the same place takes nothing.
                for (int page : {0, 3, 5}) {
                    if (page == click.Page) continue;
                    ResetRecording();
                    UseScreen(size.Width, size.Height);
                    PlaceSubColumn(ShiftedColumnX());
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
    PointOnce(MidX(Layout.NewGameBox), MidY(Layout.NewGameBox), false);
    EXPECT_EQ(Menu.MenuSelect, MenuMain);
}

// Pointing only selects the action states; what they do is the music tests'.
TEST_F(MenuPointing, OnAndOffTakeAClickOnTheMusicPageOnly) {
    UseScreen(800, 600);
    PlaceSubColumn(ShiftedColumnX());
    for (int page : {int(MenuMusic), int(MenuSound)}) {
        for (int row : {0, 1}) {
            Menu.MenuSelect = page;
            const ItemBox& box = row == 0 ? Layout.OnBox : Layout.OffBox;
            PointOnce(MidX(box), MidY(box), true);
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
    const ItemBox& box = Layout.NewGameBox;
    const int midX = MidX(box), midY = MidY(box), right = box.x + box.w, bottom = box.y + box.h;
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

TEST_F(MenuPointing, SubColumnWinsTheOverlapWithTheRowsUnderIt) {
    UseScreen(800, 600);
    PlaceSubColumn(HomeColumnX());   // not yet slid away
    Menu.MenuSelect = MenuControl;
    PointOnce(MidX(Layout.ControlBox), MidY(Layout.ControlBox), true);
    EXPECT_EQ(Menu.MenuSelect, MenuControl);
}

TEST_F(MenuPointing, ControlsHomeBoxOpensControlFromTheMainPage) {
    UseScreen(800, 600);
    Menu.MenuSelect = MenuMain;
    PointOnce(MidX(Layout.ControlBox), MidY(Layout.ControlBox), true);
    EXPECT_EQ(Menu.MenuSelect, MenuControl);
}

TEST_F(MenuPointing, CapturePageKeepsTheMainRowButNotTheOtherBindings) {
    UseScreen(800, 600);
    PlaceSubColumn(ShiftedColumnX());
    Menu.MenuSelect = MenuForward;
    PointOnce(MidX(Layout.BackwardBox), MidY(Layout.BackwardBox), true);
    EXPECT_EQ(Menu.MenuSelect, MenuForward);
    PointOnce(MidX(Layout.CreditsBox), MidY(Layout.CreditsBox), true);
    EXPECT_EQ(Menu.MenuSelect, MenuCredits);
}

// [SECTION] Whole frames

TEST_F(MenuPointing, HeldButtonSlidesFromControlOntoForward) {
    UseScreen(800, 600);
    const int pointerX = MidX(Layout.ControlBox);
    PointAt(pointerX, MidY(Layout.ControlBox));
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
    PointAt(MidX(Layout.OptionsBox), MidY(Layout.OptionsBox));
    HoldLeftButton(true);
    Frame();
    EXPECT_EQ(Menu.MenuSelect, MenuOptions);
}

}  // namespace
