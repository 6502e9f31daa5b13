// menu_navigation_test.cpp — the hotkeys of every page in both languages,
// the Options delay and the order in which released keys decide.
#include <map>
#include <sstream>

#include "menu_test_support.h"

namespace {

// [SECTION] The transition table, as the player reads it

// "key>target" pairs; "S/L" is S on a German screen and L on an English one;
// "quit" is Escape on the main page.
struct PageKeys {
    int State;
    const char* Keys;
};

const PageKeys Transitions[] = {
    {0, "Esc>quit N>1 S/L>2 O>3 M/C>26 B/Q>27"},
    {1, "Esc>0 S/L>2 O>3 M/C>26 B/Q>27"},
    {2, "Esc>0 N>1 O>3 M/C>26 B/Q>27"},
    {3, "Esc>0 N>1 S/L>2 M/C>26 B/Q>27 T>4 A>13 R>17 U>22"},   // delay over
    {4, "Esc>3 N>1 S/L>2 A>13 R>17 U>22 M/C>26 B/Q>27"},
    {5, "Esc>4"}, {6, "Esc>4"}, {7, "Esc>4"}, {8, "Esc>4"},
    {9, "Esc>4"}, {10, "Esc>4"}, {11, "Esc>4"}, {12, "Esc>4"},
    {13, "Esc>3 N>1 S/L>2 T>4 R>17 U>22 M/C>26 B/Q>27"},
    {14, "Esc>13 N>1 S/L>2 T>4 R>17 U>22 M/C>26 B/Q>27"},
    {15, ""}, {16, ""},
    {17, "Esc>3 N>1 S/L>2 T>4 A>13 U>22 M/C>26 B/Q>27"},
    {18, "Esc>17 N>1 S/L>2 T>4 A>13 U>22 M/C>26 B/Q>27"},
    {19, ""}, {20, ""}, {21, ""},
    {22, "Esc>3 N>1 S/L>2 T>4 A>13 R>17 M/C>26 B/Q>27"},
    {23, "Esc>22 N>1 S/L>2 T>4 A>13 R>17 M/C>26 B/Q>27"},
    {24, ""}, {25, ""},
    {26, "Esc>0 N>1 S/L>2 O>3 B/Q>27"},
    {27, "Esc>0 N>1 S/L>2 O>3 M/C>26"},
};

constexpr int QuitTarget = -1;

int KeyOfCap(const std::string& cap) {
    if (cap == "Esc") return KeyEscape;
    return KeyA + (cap[0] - 'A');
}

// Released key -> target, for one language.
std::map<int, int> ExpectedKeys(const char* keys, bool german) {
    std::map<int, int> expected;
    std::istringstream in(keys);
    std::string pair;
    while (in >> pair) {
        const size_t arrow = pair.find('>');
        std::string cap = pair.substr(0, arrow);
        const std::string target = pair.substr(arrow + 1);
        if (cap.size() == 3 && cap[1] == '/') cap = german ? cap.substr(0, 1) : cap.substr(2, 1);
        expected[KeyOfCap(cap)] = target == "quit" ? QuitTarget : std::stoi(target);
    }
    return expected;
}

// Every key a page could take, and one that no page takes.
const int AllHotKeys[] = {KeyEscape, KeyN, KeyS, KeyL, KeyO, KeyM, KeyC,
                          KeyB,      KeyQ, KeyT, KeyA, KeyR, KeyU, KeyW};

class MenuNavigation : public GameTest {};

// [SECTION] Every page, every key, both languages

TEST_F(MenuNavigation, EveryPageTakesExactlyItsKeysInBothLanguages) {
    for (const char* language : {"German", "English"}) {
        for (const PageKeys& page : Transitions) {
            const std::map<int, int> expected = ExpectedKeys(page.Keys, language == std::string("German"));
            for (int key : AllHotKeys) {
                ResetRecording();
                Cfg.settings.language = language;
                Menu = MenuPageState{};
                Menu.MenuSelect = page.State;
                for (int& level : Menu.FadeInLevels) level = 140;
                App.QuitRequested = 0;
                NavigateRelease({key});
                const auto found = expected.find(key);
                SCOPED_TRACE(std::string(language) + " page " + std::to_string(page.State) + " key " +
                             std::to_string(key));
                if (found == expected.end()) {
                    EXPECT_EQ(Menu.MenuSelect, page.State);
                    EXPECT_EQ(App.QuitRequested, 0);
                } else if (found->second == QuitTarget) {
                    EXPECT_EQ(Menu.MenuSelect, page.State);
                    EXPECT_EQ(App.QuitRequested, 1);
                } else {
                    EXPECT_EQ(Menu.MenuSelect, found->second);
                    EXPECT_EQ(App.QuitRequested, 0);
                }
            }
        }
    }
}

TEST_F(MenuNavigation, ActionStatesAndReservedStatesAskAboutNoKey) {
    for (int state : {15, 16, 19, 20, 21, 24, 25}) {
        ResetRecording();
        Menu.MenuSelect = state;
        NavigateRelease({KeyEscape, KeyN, KeyO});
        EXPECT_TRUE(CallsOf("KeyReleased").empty()) << "state " << state;
        EXPECT_EQ(Menu.MenuSelect, state);
    }
}

TEST_F(MenuNavigation, LanguageLettersFollowTheExactLanguageText) {
    // Only the exact text "German" selects the German letters.
    for (const char* other : {"german", "GERMAN", "Deutsch", ""}) {
        ResetRecording();
        Cfg.settings.language = other;
        Menu.MenuSelect = MenuMain;
        NavigateRelease({KeyB});
        EXPECT_EQ(Menu.MenuSelect, MenuMain) << other;
        NavigateRelease({KeyQ});
        EXPECT_EQ(Menu.MenuSelect, MenuQuit) << other;
    }
}

// [SECTION] Several keys in one frame

TEST_F(MenuNavigation, LastReleasedKeyInTheListDecides) {
    Menu.MenuSelect = MenuMain;
    NavigateRelease({KeyN, KeyO});
    EXPECT_EQ(Menu.MenuSelect, MenuOptions);

    ResetRecording();
    Menu.MenuSelect = MenuMain;
    NavigateRelease({KeyEscape, KeyN});
    EXPECT_EQ(App.QuitRequested, 1);
    EXPECT_EQ(Menu.MenuSelect, MenuNewGame);
}

TEST_F(MenuNavigation, TheListOfTheFramesFirstStateStaysInForce) {
    for (int& level : Menu.FadeInLevels) level = 140;
    // T is seen down on Gameplay, then the page becomes Control (no T there).
    Menu.MenuSelect = MenuGameplay;
    HoldOnly({KeyT});
    PollKeyboard();
    NavigateByKeyboard();
    Menu.MenuSelect = MenuControl;
    HoldOnly({KeyT, KeyEscape});
    PollKeyboard();
    NavigateByKeyboard();
    // Both let go: Escape leads to Options, whose T is not asked in this frame.
    HoldOnly({});
    PollKeyboard();
    NavigateByKeyboard();
    EXPECT_EQ(Menu.MenuSelect, MenuOptions);
    // The release of T is still pending and acts on the page that asks next.
    PollKeyboard();
    NavigateByKeyboard();
    EXPECT_EQ(Menu.MenuSelect, MenuControl);
}

TEST_F(MenuNavigation, CapturePageLeavesOnlyEscapeToNavigation) {
    Menu.MenuSelect = MenuForward;
    HoldOnly({KeyN, KeyO, KeyT, KeyQ, KeyEscape});
    PollKeyboard();
    NavigateByKeyboard();
    for (const RecordedCall& call : CallsOf("KeyReleased")) EXPECT_EQ(call.Args.at(0), KeyEscape);
    HoldOnly({});
    PollKeyboard();
    NavigateByKeyboard();
    EXPECT_EQ(Menu.MenuSelect, MenuControl);
}

TEST_F(MenuNavigation, FailedKeyboardPollNavigatesNowhere) {
    Menu.MenuSelect = MenuMain;
    HoldOnly({KeyN});
    PollKeyboard();
    NavigateByKeyboard();
    Rec.PollKeyboardFails = true;
    HoldOnly({});
    PollKeyboard();
    NavigateByKeyboard();
    EXPECT_EQ(Menu.MenuSelect, MenuMain);
}

// [SECTION] The Options delay

TEST_F(MenuNavigation, ClosedOptionsGateDoesNotAskAboutTheSubColumnKeys) {
    Menu.MenuSelect = MenuOptions;
    Menu.FadeInLevels[0] = Menu.FadeInLevels[1] = Menu.FadeInLevels[2] = 140;
    Menu.FadeInLevels[3] = 130;
    HoldOnly({KeyT, KeyA, KeyR, KeyU});
    PollKeyboard();
    NavigateByKeyboard();
    std::vector<int64_t> asked;
    for (const RecordedCall& call : CallsOf("KeyReleased")) asked.push_back(call.Args.at(0));
    EXPECT_EQ(asked, (std::vector<int64_t>{KeyEscape, KeyN, KeyS, KeyM, KeyB}));
}

TEST_F(MenuNavigation, FadeInLevelsFillOneAfterAnother) {
    const int expected[][4] = {
        {10, 0, 0, 0},       // frame 1
        {140, 10, 0, 0},     // frame 14: the next starts as its predecessor fills
        {140, 140, 10, 0},   // frame 27
        {140, 140, 140, 10}, // frame 40
        {140, 140, 140, 130},// frame 52
        {140, 140, 140, 140},// frame 53
        {140, 140, 140, 140},// frame 60: stays full
    };
    const int checkAt[] = {1, 14, 27, 40, 52, 53, 60};
    int frame = 0, row = 0;
    for (int at : checkAt) {
        while (frame < at) {
            FadeInStep();
            ++frame;
        }
        for (int i = 0; i < 4; ++i) EXPECT_EQ(Menu.FadeInLevels[i], expected[row][i]) << "frame " << at;
        ++row;
    }
}

class MenuOptionsDelay : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        UseScreen(800, 600);
        PointAt(790, 10);
        Frame({KeyO});
        Frame();   // frame 1 of the Options visit
        ASSERT_EQ(Menu.MenuSelect, MenuOptions);
    }
};

TEST_F(MenuOptionsDelay, TappedDuringTheCountDoesNothingEvenAfterwards) {
    for (int frame = 2; frame <= 100; ++frame) {
        if (frame == 20)
            Frame({KeyT});   // pressed here, let go in frame 21
        else
            Frame();
    }
    EXPECT_EQ(Menu.MenuSelect, MenuOptions);
}

TEST_F(MenuOptionsDelay, HeldUntilTheGateOpensCountsOnlyFromTheFirstFrameItIsAsked) {
    // Held through frame 53 and let go in 54, the first frame T is asked:
    // it was never seen down, so nothing happens.
    for (int frame = 2; frame <= 53; ++frame) Frame({KeyT});
    Frame();
    EXPECT_EQ(Menu.MenuSelect, MenuOptions);
}

TEST_F(MenuOptionsDelay, HeldPastTheCountOpensControl) {
    for (int frame = 2; frame <= 54; ++frame) Frame({KeyT});
    EXPECT_EQ(Menu.MenuSelect, MenuOptions);
    Frame();
    EXPECT_EQ(Menu.MenuSelect, MenuControl);
}

TEST_F(MenuOptionsDelay, ReturningFromASubPageKeepsTheKeysLive) {
    for (int frame = 2; frame <= 54; ++frame) Frame({KeyR});
    Frame();
    ASSERT_EQ(Menu.MenuSelect, MenuGraphic);
    Frame({KeyEscape});
    Frame();
    ASSERT_EQ(Menu.MenuSelect, MenuOptions);
    Frame({KeyU});
    Frame();
    EXPECT_EQ(Menu.MenuSelect, MenuSound);
}

TEST_F(MenuOptionsDelay, AVisitFromTheMainPageWaitsAgain) {
    for (int frame = 2; frame <= 60; ++frame) Frame();
    Release({KeyEscape});
    ASSERT_EQ(Menu.MenuSelect, MenuMain);
    Release({KeyO});
    ASSERT_EQ(Menu.MenuSelect, MenuOptions);
    Release({KeyT});
    EXPECT_EQ(Menu.MenuSelect, MenuOptions) << "the letters did not wait again after the main page";
}

}  // namespace
