// menu_directional_test.cpp — the arrow keys and a game controller driving
// the menu: where each direction leads from every item of every page at the
// three sizes, the first direction on a page, select as a click, the east
// button as Escape, repeat while held, and the capture pages left alone.
#include "menu_test_support.h"

namespace {

class MenuDirections : public GameTest {};

struct Spot {
    int x, y;
    bool operator==(const Spot&) const = default;
};
Spot CentreOf(int target) {
    const ItemBox& box = Layout.*BoxOf(target);
    return {box.x + 75, box.y + 10};
}
Spot Pointer() { return {Rec.MouseX, Rec.MouseY}; }
using ::PointAt;
void PointAt(Spot spot) { PointAt(spot.x, spot.y); }

constexpr int Stays = -1;
constexpr int NG = MenuNewGame, LG = MenuLoadGame, Opt = MenuOptions, Cred = MenuCredits, Quit = MenuQuit,
              Ctl = MenuControl, Gpl = MenuGameplay, Gfx = MenuGraphic, Snd = MenuSound;

// From an item, where Up, Down, Left and Right lead (Stays: nowhere).
struct Moves {
    int From, Up, Down, Left, Right;
};
using Rows = std::vector<Moves>;
Rows operator+(Rows rows, const Rows& more) {
    rows.insert(rows.end(), more.begin(), more.end());
    return rows;
}

// The main row: Up from New Game and Load Game leads to `leftUp`, from
// Options to `optionsUp`, from Credits and Quit to `rightUp`.
Rows MainRow(int optionsUp, int rightUp, int leftUp = Snd) {
    return {{NG, leftUp, Stays, Stays, LG}, {LG, leftUp, Stays, NG, Opt}, {Opt, optionsUp, Stays, LG, Cred},
            {Cred, rightUp, Stays, Opt, Quit}, {Quit, rightUp, Stays, Cred, Stays}};
}
// The sub column slid over: Right from each item, Down from Sound.
Rows SubColumn(int ctlRight, int gplRight, int gfxRight, int sndRight, int sndDown = LG) {
    return {{Ctl, Stays, Gpl, Stays, ctlRight}, {Gpl, Ctl, Gfx, Stays, gplRight},
            {Gfx, Gpl, Snd, Stays, gfxRight}, {Snd, Gfx, sndDown, Stays, sndRight}};
}

// Every item each page can be clicked on and draws.
const struct {
    std::vector<int> Pages;
    Rows Items;
} AllPageMoves[] = {
    // The main-row pages draw no sub column; it takes no direction there.
    {{MenuMain, MenuNewGame, MenuLoadGame, MenuCredits, MenuQuit}, MainRow(Stays, Stays, Stays)},
    // Options: the sub column in its home column, straight above Options.
    {{MenuOptions}, MainRow(Snd, Snd) + SubColumn(Stays, Stays, Stays, Stays, Opt)},
    {{MenuControl},
     MainRow(MenuScreenshot, MenuScreenshot) + SubColumn(MenuForward, MenuBackward, MenuLeft, MenuRight) +
         Rows{{MenuForward, Stays, MenuBackward, Ctl, Stays}, {MenuBackward, MenuForward, MenuLeft, Gpl, Stays},
              {MenuLeft, MenuBackward, MenuRight, Gfx, Stays}, {MenuRight, MenuLeft, MenuDuck, Snd, Stays},
              {MenuDuck, MenuRight, MenuJump, Snd, Stays}, {MenuJump, MenuDuck, MenuJournal, Stays, Stays},
              {MenuJournal, MenuJump, MenuScreenshot, Stays, Stays},
              {MenuScreenshot, MenuJournal, Opt, Stays, Stays}}},
    {{MenuGameplay},
     MainRow(MenuLanguage, MenuLanguage) + SubColumn(MenuLanguage, MenuLanguage, MenuLanguage, Stays) +
         Rows{{MenuLanguage, Ctl, Opt, Gpl, Stays}}},
    {{MenuLanguage},
     MainRow(Snd, MenuEnglish) + SubColumn(MenuGerman, MenuGerman, MenuEnglish, MenuEnglish) +
         Rows{{MenuGerman, Ctl, MenuEnglish, Gpl, Stays}, {MenuEnglish, MenuGerman, Cred, Gfx, Stays}}},
    {{MenuGraphic},
     MainRow(MenuResolution, MenuResolution) + SubColumn(Stays, MenuResolution, MenuResolution, MenuResolution) +
         Rows{{MenuResolution, Gpl, Opt, Gfx, Stays}}},
    {{MenuResolution},
     MainRow(MenuRes1280x720, MenuRes1280x720) + SubColumn(Stays, MenuRes800x600, MenuRes800x600, MenuRes1024x768) +
         Rows{{MenuRes800x600, Gpl, MenuRes1024x768, Gfx, Stays},
              {MenuRes1024x768, MenuRes800x600, MenuRes1280x720, Snd, Stays},
              {MenuRes1280x720, MenuRes1024x768, Cred, Snd, Stays}}},
    {{MenuSound}, MainRow(MenuMusic, MenuMusic) + SubColumn(Stays, Stays, MenuMusic, MenuMusic) +
                      Rows{{MenuMusic, Gfx, Opt, Snd, Stays}}},
    {{MenuMusic},
     MainRow(MenuMusicOff, MenuMusicOff) + SubColumn(Stays, Stays, MenuMusicOn, MenuMusicOn) +
         Rows{{MenuMusicOn, Gfx, MenuMusicOff, Snd, Stays}, {MenuMusicOff, MenuMusicOn, Cred, Snd, Stays}}},
};

// A page opened afresh, the sub column where that page keeps it.
void OpenPage(int page) {
    Rec.Calls.clear();
    Directional = DirectionalState{};
    ShowPage(page);
}

// One pass of directional navigation with these keys held, the snapshots
// taken as the frame loop takes them.
void DirectionPass(std::initializer_list<int> held) {
    HoldOnly(held);
    PollKeyboard();
    PollMouse();
    PollController();
    NavigateByDirection();
}

// [SECTION] Every page, every item, every direction

TEST_F(MenuDirections, EachDirectionLeadsToItsNeighbourOnEveryPageAtEverySize) {
    const int keys[4] = {KeyUp, KeyDown, KeyLeft, KeyRight};
    for (const OfferedSize& size : OfferedSizes) {
        UseScreen(size.Width, size.Height);
        for (const auto& group : AllPageMoves) {
            for (int page : group.Pages) {
                for (const Moves& row : group.Items) {
                    const int expected[4] = {row.Up, row.Down, row.Left, row.Right};
                    for (int d = 0; d < 4; ++d) {
                        OpenPage(page);
                        const Spot from = CentreOf(row.From);
                        PointAt(from);
                        DirectionPass({keys[d]});
                        EXPECT_EQ(Pointer(), expected[d] == Stays ? from : CentreOf(expected[d]))
                            << size.Width << " page " << page << " from " << row.From << " key " << keys[d];
                        EXPECT_EQ(Menu.MenuSelect, page) << "a direction only moves the pointer";
                    }
                }
            }
        }
    }
}

TEST_F(MenuDirections, TheFirstDirectionOffAnyItemGoesToThePagesFirstItem) {
    const struct {
        int Page, First;
    } cases[] = {
        {MenuMain, NG}, {MenuCredits, NG}, {MenuOptions, Ctl}, {MenuControl, MenuForward},
        {MenuGameplay, MenuLanguage}, {MenuLanguage, MenuGerman}, {MenuGraphic, MenuResolution},
        {MenuResolution, MenuRes800x600}, {MenuSound, MenuMusic}, {MenuMusic, MenuMusicOn},
    };
    UseScreen(1024, 768);
    for (const auto& c : cases) {
        for (int key : {KeyUp, KeyRight}) {
            OpenPage(c.Page);
            PointAt(1000, 10);   // on nothing
            DirectionPass({key});
            EXPECT_EQ(Pointer(), CentreOf(c.First)) << "page " << c.Page;
        }
    }
    // On the main page the Control box takes clicks but is not drawn: a
    // pointer resting there rests on no item.
    UseScreen(800, 600);
    OpenPage(MenuMain);
    PointAtItem(Layout.ControlBox);
    DirectionPass({KeyDown});
    EXPECT_EQ(Pointer(), CentreOf(NG));
}

// [SECTION] Held directions

TEST_F(MenuDirections, AHeldDirectionRepeatsAfterADelayAtARateAndTheStickNeedsToPassItsDeadZone) {
    UseScreen(800, 600);
    ShowPage(MenuControl);
    struct Source {
        bool Arrow, Pad;
        int StickY;
    };
    const Source sources[] = {{true, false, 0}, {false, true, 0}, {false, false, 30000}};
    for (const Source& source : sources) {
        Directional = DirectionalState{};
        Rec.PadPlugged = true;
        // One pass with the source pushing down, or let go.
        const auto pass = [&](bool down) {
            Rec.PadDown[PadDown] = down && source.Pad;
            Rec.StickY = down ? source.StickY : 0;
            down && source.Arrow ? DirectionPass({KeyDown}) : DirectionPass({});
        };
        PointAt(CentreOf(MenuForward));
        // Times after the first press: 0 moves; 390 not yet; 400 the delay is
        // over; then every 120 ms.
        const struct {
            uint32_t Ms;
            int At;
        } steps[] = {{0, MenuBackward}, {390, MenuBackward}, {400, MenuLeft}, {510, MenuLeft},
                     {520, MenuRight}, {640, MenuDuck}};
        for (const auto& step : steps) {
            Rec.ClockMs = 5000 + step.Ms;
            pass(true);
            EXPECT_EQ(Pointer(), CentreOf(step.At)) << step.Ms << " ms";
        }
        pass(false);   // let go: the next press moves at once
        Rec.ClockMs += 1;
        pass(true);
        EXPECT_EQ(Pointer(), CentreOf(MenuJump));
    }
    // Inside the dead zone, or pushed more sideways than down: no down.
    Directional = DirectionalState{};
    const Spot forward = CentreOf(MenuForward);
    PointAt(forward);
    Rec.StickY = PadStickRange / 2;
    DirectionPass({});
    EXPECT_EQ(Pointer(), forward);
    Rec.StickX = -32768;
    Rec.StickY = 30000;
    DirectionPass({});
    EXPECT_EQ(Pointer(), CentreOf(Ctl)) << "the stronger axis decides";
}

// [SECTION] Select, back and the capture pages, in whole frames

class MenuSelectByDirections : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        BootWith({"[Controls]", "Forward = W"});   // 800 x 600, the main page, the pointer at (400, 300)
    }
    void Press(int key) { Release({key}); }
    void PadPress(int button) {
        Rec.PadPlugged = true;
        Rec.PadDown[button] = true;
        Frame();
        Rec.PadDown[button] = false;
        Frame();
    }
    // Control's page with the sub column slid away and the pointer on Forward.
    void OpenControlsOnForward() {
        Press(Hotkey(MenuOptions));
        Press(KeyUp);       // first item: Control, home column
        Press(KeyReturn);   // a click on Control
        ASSERT_EQ(Menu.MenuSelect, MenuControl);
        Frames(32);         // the column slides; the pointer now rests on Forward
        ASSERT_EQ(Pointer(), CentreOf(MenuForward));
    }
    std::string Stored(const char* key) { return StoredText("Controls", key); }
};

TEST_F(MenuSelectByDirections, ReturnAndKeypadEnterClickWhereTheArrowsPutThePointer) {
    Press(KeyRight);   // New Game, the first item
    Press(KeyRight);
    Press(KeyRight);
    EXPECT_EQ(Menu.MenuSelect, MenuMain) << "pointing alone selects nothing";
    Frame({KeyReturn});
    EXPECT_EQ(Menu.MenuSelect, MenuMain) << "a held Return is not yet a click";
    Frame();
    EXPECT_EQ(Menu.MenuSelect, MenuOptions);
    Press(KeyLeft);
    Press(KeyKeypadEnter);
    EXPECT_EQ(Menu.MenuSelect, MenuLoadGame);
}

TEST_F(MenuSelectByDirections, TheReturnThatOpensACapturePageIsNotCapturedAndTheNextKeyIs) {
    OpenControlsOnForward();
    Press(KeyReturn);
    EXPECT_EQ(Menu.MenuSelect, MenuForward);
    Frames(3);
    EXPECT_EQ(Menu.MenuSelect, MenuForward);
    EXPECT_EQ(Stored("Forward"), "W");
    Press(KeyK);
    EXPECT_EQ(Menu.MenuSelect, MenuControl);
    EXPECT_EQ(Stored("Forward"), "K");
}

TEST_F(MenuSelectByDirections, OnACapturePageArrowsMoveNothingAndReturnIsBound) {
    OpenControlsOnForward();
    Press(KeyReturn);
    ASSERT_EQ(Menu.MenuSelect, MenuForward);
    const Spot before = Pointer();
    for (int key : {KeyDown, KeyLeft, KeyUp, KeyKeypadEnter}) Press(key);
    Rec.PadPlugged = true;
    Rec.StickX = 32767;
    Frames(2);
    Rec.StickX = 0;
    PadPress(PadDown);
    PadPress(PadSouth);
    EXPECT_EQ(Pointer(), before);
    EXPECT_EQ(Menu.MenuSelect, MenuForward);
    EXPECT_EQ(Stored("Forward"), "W") << "arrows, keypad Enter and the pad store nothing";
    Press(KeyReturn);
    EXPECT_EQ(Menu.MenuSelect, MenuControl);
    EXPECT_EQ(Stored("Forward"), "Return");
}

TEST_F(MenuSelectByDirections, TheSouthButtonHeldIsTheHeldMouseButtonAndSlidesIntoCapture) {
    Press(Hotkey(MenuOptions));
    Press(KeyUp);   // Control, home column
    Rec.PadPlugged = true;
    Rec.PadDown[PadSouth] = true;
    for (int frame = 1; frame <= 15; ++frame) {
        Frame();
        ASSERT_EQ(Menu.MenuSelect, MenuControl) << "frame " << frame;
    }
    Frame();   // the column has left the pointer, which rests on Forward
    EXPECT_EQ(Menu.MenuSelect, MenuForward);
    Rec.PadDown[PadSouth] = false;
    Press(KeyK);
    EXPECT_EQ(Stored("Forward"), "K");
}

TEST_F(MenuSelectByDirections, TheEastButtonIsEscapeAndAPulledOutPadLeavesNothingBehind) {
    PadPress(PadEast);
    EXPECT_EQ(App.QuitRequested, 1) << "on the main page it ends the program, as Escape";
    App.QuitRequested = 0;

    OpenControlsOnForward();
    Press(KeyReturn);
    ASSERT_EQ(Menu.MenuSelect, MenuForward);
    PadPress(PadEast);
    EXPECT_EQ(Menu.MenuSelect, MenuControl) << "it leaves a capture page as Escape does";
    EXPECT_EQ(Stored("Forward"), "W");
    PadPress(PadEast);
    EXPECT_EQ(Menu.MenuSelect, MenuOptions);

    // Held, then the pad is pulled out: nothing was let go.
    Rec.PadDown[PadEast] = true;
    Frame();
    Rec.PadPlugged = false;
    Frames(2);
    Rec.PadPlugged = true;
    Rec.PadDown[PadEast] = false;
    Frames(2);
    EXPECT_EQ(Menu.MenuSelect, MenuOptions);
    EXPECT_EQ(App.QuitRequested, 0);
}

// A pad lying on the table, its stick a little off centre: the frames it
// leaves behind are the same, so a frame left unchanged stays unchanged.
TEST_F(MenuSelectByDirections, APadAtRestChangesNoFrame) {
    Press(Hotkey(MenuOptions));
    Frames(60);
    Rec.PadPlugged = true;
    Rec.StickX = 2500;
    Rec.StickY = -4000;
    Frames(2);
    const int last = Rec.Frame - 1;
    EXPECT_EQ(Described(last, {"DrawBlended", "DrawTextAt"}), Described(last - 1, {"DrawBlended", "DrawTextAt"}));
    EXPECT_TRUE(CallsOf("PlaceMouse").empty() || CallsOf("PlaceMouse").back().Frame < 0);
}

}  // namespace
