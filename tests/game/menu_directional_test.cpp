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

constexpr int Stays = -1;
constexpr int NG = MenuNewGame, LG = MenuLoadGame, Opt = MenuOptions, Cred = MenuCredits, Quit = MenuQuit,
              Ctl = MenuControl, Gpl = MenuGameplay, Gfx = MenuGraphic, Snd = MenuSound;

// From an item, where Up, Down, Left and Right lead (Stays: nowhere).
struct Moves {
    int From, Up, Down, Left, Right;
};
struct PageMoves {
    std::vector<int> Pages;
    std::vector<Moves> Rows;   // every item the page can be clicked on and draws
};

// The main row's own moves, the same on every page.
const Moves RowNG{NG, Snd, Stays, Stays, LG}, RowLG{LG, Snd, Stays, NG, Opt},
    RowCred{Cred, Snd, Stays, Opt, Quit}, RowQuit{Quit, Snd, Stays, Cred, Stays};

const PageMoves AllPageMoves[] = {
    // The main-row pages draw no sub column; it takes no direction there.
    {{MenuMain, MenuNewGame, MenuLoadGame, MenuCredits, MenuQuit},
     {{NG, Stays, Stays, Stays, LG}, {LG, Stays, Stays, NG, Opt}, {Opt, Stays, Stays, LG, Cred},
      {Cred, Stays, Stays, Opt, Quit}, {Quit, Stays, Stays, Cred, Stays}}},
    // Options: the sub column in its home column, straight above Options.
    {{MenuOptions},
     {RowNG, RowLG, {Opt, Snd, Stays, LG, Cred}, RowCred, RowQuit, {Ctl, Stays, Gpl, Stays, Stays},
      {Gpl, Ctl, Gfx, Stays, Stays}, {Gfx, Gpl, Snd, Stays, Stays}, {Snd, Gfx, Opt, Stays, Stays}}},
    {{MenuControl},
     {RowNG, RowLG, {Opt, MenuScreenshot, Stays, LG, Cred}, {Cred, MenuScreenshot, Stays, Opt, Quit},
      {Quit, MenuScreenshot, Stays, Cred, Stays},
      {Ctl, Stays, Gpl, Stays, MenuForward}, {Gpl, Ctl, Gfx, Stays, MenuBackward},
      {Gfx, Gpl, Snd, Stays, MenuLeft}, {Snd, Gfx, LG, Stays, MenuRight},
      {MenuForward, Stays, MenuBackward, Ctl, Stays}, {MenuBackward, MenuForward, MenuLeft, Gpl, Stays},
      {MenuLeft, MenuBackward, MenuRight, Gfx, Stays}, {MenuRight, MenuLeft, MenuDuck, Snd, Stays},
      {MenuDuck, MenuRight, MenuJump, Snd, Stays}, {MenuJump, MenuDuck, MenuJournal, Stays, Stays},
      {MenuJournal, MenuJump, MenuScreenshot, Stays, Stays}, {MenuScreenshot, MenuJournal, Opt, Stays, Stays}}},
    {{MenuGameplay},
     {RowNG, RowLG, {Opt, MenuLanguage, Stays, LG, Cred}, {Cred, MenuLanguage, Stays, Opt, Quit},
      {Quit, MenuLanguage, Stays, Cred, Stays}, {Ctl, Stays, Gpl, Stays, MenuLanguage},
      {Gpl, Ctl, Gfx, Stays, MenuLanguage}, {Gfx, Gpl, Snd, Stays, MenuLanguage}, {Snd, Gfx, LG, Stays, Stays},
      {MenuLanguage, Ctl, Opt, Gpl, Stays}}},
    {{MenuLanguage},
     {RowNG, RowLG, {Opt, Snd, Stays, LG, Cred}, {Cred, MenuEnglish, Stays, Opt, Quit},
      {Quit, MenuEnglish, Stays, Cred, Stays}, {Ctl, Stays, Gpl, Stays, MenuGerman},
      {Gpl, Ctl, Gfx, Stays, MenuGerman}, {Gfx, Gpl, Snd, Stays, MenuEnglish}, {Snd, Gfx, LG, Stays, MenuEnglish},
      {MenuGerman, Ctl, MenuEnglish, Gpl, Stays}, {MenuEnglish, MenuGerman, Cred, Gfx, Stays}}},
    {{MenuGraphic},
     {RowNG, RowLG, {Opt, MenuResolution, Stays, LG, Cred}, {Cred, MenuResolution, Stays, Opt, Quit},
      {Quit, MenuResolution, Stays, Cred, Stays}, {Ctl, Stays, Gpl, Stays, Stays},
      {Gpl, Ctl, Gfx, Stays, MenuResolution}, {Gfx, Gpl, Snd, Stays, MenuResolution},
      {Snd, Gfx, LG, Stays, MenuResolution}, {MenuResolution, Gpl, Opt, Gfx, Stays}}},
    {{MenuResolution},
     {RowNG, RowLG, {Opt, MenuRes1280x720, Stays, LG, Cred}, {Cred, MenuRes1280x720, Stays, Opt, Quit},
      {Quit, MenuRes1280x720, Stays, Cred, Stays}, {Ctl, Stays, Gpl, Stays, Stays},
      {Gpl, Ctl, Gfx, Stays, MenuRes800x600}, {Gfx, Gpl, Snd, Stays, MenuRes800x600},
      {Snd, Gfx, LG, Stays, MenuRes1024x768}, {MenuRes800x600, Gpl, MenuRes1024x768, Gfx, Stays},
      {MenuRes1024x768, MenuRes800x600, MenuRes1280x720, Snd, Stays},
      {MenuRes1280x720, MenuRes1024x768, Cred, Snd, Stays}}},
    {{MenuSound},
     {RowNG, RowLG, {Opt, MenuMusic, Stays, LG, Cred}, {Cred, MenuMusic, Stays, Opt, Quit},
      {Quit, MenuMusic, Stays, Cred, Stays}, {Ctl, Stays, Gpl, Stays, Stays}, {Gpl, Ctl, Gfx, Stays, Stays},
      {Gfx, Gpl, Snd, Stays, MenuMusic}, {Snd, Gfx, LG, Stays, MenuMusic}, {MenuMusic, Gfx, Opt, Snd, Stays}}},
    {{MenuMusic},
     {RowNG, RowLG, {Opt, MenuMusicOff, Stays, LG, Cred}, {Cred, MenuMusicOff, Stays, Opt, Quit},
      {Quit, MenuMusicOff, Stays, Cred, Stays}, {Ctl, Stays, Gpl, Stays, Stays},
      {Gpl, Ctl, Gfx, Stays, Stays}, {Gfx, Gpl, Snd, Stays, MenuMusicOn}, {Snd, Gfx, LG, Stays, MenuMusicOn},
      {MenuMusicOn, Gfx, MenuMusicOff, Snd, Stays}, {MenuMusicOff, MenuMusicOn, Cred, Snd, Stays}}},
};

const int Sizes[3][2] = {{800, 600}, {1024, 768}, {1280, 720}};

// A page opened afresh at a size, the sub column where that page keeps it.
void OpenPage(int page, int width, int height) {
    ResetRecording();
    Directional = DirectionalState{};
    UseScreen(width, height);
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
    const char* names[4] = {"up", "down", "left", "right"};
    for (const auto& size : Sizes) {
        for (const PageMoves& group : AllPageMoves) {
            for (int page : group.Pages) {
                for (const Moves& row : group.Rows) {
                    const int expected[4] = {row.Up, row.Down, row.Left, row.Right};
                    for (int d = 0; d < 4; ++d) {
                        OpenPage(page, size[0], size[1]);
                        const Spot from = CentreOf(row.From);
                        PointAt(from.x, from.y);
                        DirectionPass({keys[d]});
                        const Spot want = expected[d] == Stays ? from : CentreOf(expected[d]);
                        EXPECT_EQ(Pointer(), want) << size[0] << "x" << size[1] << " page " << page << " from "
                                                   << row.From << " " << names[d] << " to " << expected[d];
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
    for (const auto& c : cases) {
        for (int key : {KeyUp, KeyRight}) {
            OpenPage(c.Page, 1024, 768);
            PointAt(1000, 10);   // on nothing
            DirectionPass({key});
            EXPECT_EQ(Pointer(), CentreOf(c.First)) << "page " << c.Page;
        }
    }
    // On the main page the Control box takes clicks but is not drawn: a
    // pointer resting there rests on no item.
    OpenPage(MenuMain, 800, 600);
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
        Rec.PadDown[PadDown] = source.Pad;
        Rec.StickY = source.StickY;
        const Spot forward = CentreOf(MenuForward);
        PointAt(forward.x, forward.y);
        // Times after the first press: 0 moves; 390 not yet; 400 the delay is
        // over; then every 120 ms.
        const struct {
            uint32_t Ms;
            int At;
        } steps[] = {{0, MenuBackward}, {390, MenuBackward}, {400, MenuLeft}, {510, MenuLeft},
                     {520, MenuRight}, {640, MenuDuck}};
        for (const auto& step : steps) {
            Rec.ClockMs = 5000 + step.Ms;
            source.Arrow ? DirectionPass({KeyDown}) : DirectionPass({});
            EXPECT_EQ(Pointer(), CentreOf(step.At)) << step.Ms << " ms";
        }
        Rec.PadDown[PadDown] = false;
        Rec.StickY = 0;
        DirectionPass({});   // let go: the next press moves at once
        Rec.PadDown[PadDown] = source.Pad;
        Rec.StickY = source.StickY;
        Rec.ClockMs += 1;
        source.Arrow ? DirectionPass({KeyDown}) : DirectionPass({});
        EXPECT_EQ(Pointer(), CentreOf(MenuJump));
    }
    // Inside the dead zone, or pushed more sideways than down: no down.
    Directional = DirectionalState{};
    const Spot forward = CentreOf(MenuForward);
    PointAt(forward.x, forward.y);
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
        Press(KeyO);           // Options
        Press(KeyUp);          // first item: Control, home column
        Press(KeyReturn);      // a click on Control
        ASSERT_EQ(Menu.MenuSelect, MenuControl);
        Frames(32);            // the column slides; the pointer now rests on Forward
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
    Press(KeyO);
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
    Press(KeyO);
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
