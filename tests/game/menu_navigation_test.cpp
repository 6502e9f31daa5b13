// menu_navigation_test.cpp — the hotkeys of every page in both languages,
// the Options delay and the order in which released keys decide.
#include <cctype>
#include <map>
#include <set>
#include <sstream>

#include "assets/menu_words.h"
#include "menu_test_support.h"

namespace {

// [SECTION] The transition table, as the player reads it

// The key of the red letter of the item that leads to `state`, in a
// language's words.
int Hotkey(int32_t state, const MenuWords& words = GermanWords) {
    const char letter = words.Labels[ItemLabel(state)].Hotkey;
    return letter == 0 ? KeyNone : KeyA + (std::toupper(letter) - 'A');
}

// The pages a page's hotkeys lead to, each by the red letter of its item in
// the language shown; "Esc>n" is where Escape leads, "Esc>quit" Escape on
// the main page.
struct PageKeys {
    int State;
    const char* Keys;
};

const PageKeys Transitions[] = {
    {0, "Esc>quit 1 2 3 26 27"},
    {1, "Esc>0 2 3 26 27"},
    {2, "Esc>0 1 3 26 27"},
    {3, "Esc>0 1 2 26 27 4 13 17 22"},   // delay over
    {4, "Esc>3 1 2 13 17 22 26 27"},
    {5, "Esc>4"}, {6, "Esc>4"}, {7, "Esc>4"}, {8, "Esc>4"},
    {9, "Esc>4"}, {10, "Esc>4"}, {11, "Esc>4"}, {12, "Esc>4"},
    {13, "Esc>3 1 2 4 17 22 26 27"},
    {14, "Esc>13 1 2 4 17 22 26 27"},
    {15, ""}, {16, ""},
    {17, "Esc>3 1 2 4 13 22 26 27"},
    {18, "Esc>17 1 2 4 13 22 26 27"},
    {19, ""}, {20, ""}, {21, ""},
    {22, "Esc>3 1 2 4 13 17 26 27"},
    {23, "Esc>22 1 2 4 13 17 26 27"},
    {24, ""}, {25, ""},
    {26, "Esc>0 1 2 3 27"},
    {27, "Esc>0 1 2 3 26"},
};

constexpr int QuitTarget = -1;

// Released key -> target, for one language.
std::map<int, int> ExpectedKeys(const char* keys, const MenuWords& words) {
    std::map<int, int> expected;
    std::istringstream in(keys);
    std::string pair;
    while (in >> pair) {
        if (pair.rfind("Esc>", 0) == 0) {
            expected[KeyEscape] = pair == "Esc>quit" ? QuitTarget : std::stoi(pair.substr(4));
            continue;
        }
        const int target = std::stoi(pair);
        EXPECT_NE(Hotkey(target, words), KeyNone) << "the item of state " << target << " has no red letter";
        expected[Hotkey(target, words)] = target;
    }
    return expected;
}

// Every key a page could take: Escape and every red letter in both
// languages; and W, which no page takes.
std::set<int> AllHotKeys() {
    std::set<int> keys = {KeyEscape, KeyW};
    for (int state = MenuNewGame; state < MenuStateCount; ++state)
        for (const MenuWords* words : {&GermanWords, &EnglishWords})
            if (Hotkey(state, *words) != KeyNone) keys.insert(Hotkey(state, *words));
    return keys;
}

class MenuNavigation : public GameTest {};

// [SECTION] Every page, every key, both languages

TEST_F(MenuNavigation, EveryPageTakesExactlyItsKeysInBothLanguages) {
    for (const char* language : {"German", "English"}) {
        for (const PageKeys& page : Transitions) {
            const std::map<int, int> expected =
                ExpectedKeys(page.Keys, language == std::string("German") ? GermanWords : EnglishWords);
            for (int key : AllHotKeys()) {
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
        NavigateRelease({KeyEscape, Hotkey(MenuNewGame), Hotkey(MenuOptions)});
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
        NavigateRelease({Hotkey(MenuQuit)});
        EXPECT_EQ(Menu.MenuSelect, MenuMain) << other;
        NavigateRelease({Hotkey(MenuQuit, EnglishWords)});
        EXPECT_EQ(Menu.MenuSelect, MenuQuit) << other;
    }
}

// [SECTION] Several keys in one frame

TEST_F(MenuNavigation, LastReleasedKeyInTheListDecides) {
    Menu.MenuSelect = MenuMain;
    NavigateRelease({Hotkey(MenuNewGame), Hotkey(MenuOptions)});
    EXPECT_EQ(Menu.MenuSelect, MenuOptions);

    ResetRecording();
    Menu.MenuSelect = MenuMain;
    NavigateRelease({KeyEscape, Hotkey(MenuNewGame)});
    EXPECT_EQ(App.QuitRequested, 1);
    EXPECT_EQ(Menu.MenuSelect, MenuNewGame);
}

TEST_F(MenuNavigation, TheListOfTheFramesFirstStateStaysInForce) {
    for (int& level : Menu.FadeInLevels) level = 140;
    // T is seen down on Gameplay, then the page becomes Control (no T there).
    Menu.MenuSelect = MenuGameplay;
    NavigatePass({Hotkey(MenuControl)});
    Menu.MenuSelect = MenuControl;
    NavigatePass({Hotkey(MenuControl), KeyEscape});
    // Both let go: Escape leads to Options, whose T is not asked in this frame.
    NavigatePass({});
    EXPECT_EQ(Menu.MenuSelect, MenuOptions);
    // The release of T is still pending and acts on the page that asks next.
    PollKeyboard();
    NavigateByKeyboard();
    EXPECT_EQ(Menu.MenuSelect, MenuControl);
}

TEST_F(MenuNavigation, CapturePageLeavesOnlyEscapeToNavigation) {
    Menu.MenuSelect = MenuForward;
    NavigatePass({Hotkey(MenuNewGame), Hotkey(MenuOptions), Hotkey(MenuControl), Hotkey(MenuQuit, EnglishWords), KeyEscape});
    for (const RecordedCall& call : CallsOf("KeyReleased")) EXPECT_EQ(call.Args.at(0), KeyEscape);
    NavigatePass({});
    EXPECT_EQ(Menu.MenuSelect, MenuControl);
}

TEST_F(MenuNavigation, FailedKeyboardPollNavigatesNowhere) {
    Menu.MenuSelect = MenuMain;
    NavigatePass({Hotkey(MenuNewGame)});
    Rec.PollKeyboardFails = true;
    NavigatePass({});
    EXPECT_EQ(Menu.MenuSelect, MenuMain);
}

// [SECTION] The Options delay

TEST_F(MenuNavigation, ClosedOptionsGateDoesNotAskAboutTheSubColumnKeys) {
    Menu.MenuSelect = MenuOptions;
    Menu.FadeInLevels[0] = Menu.FadeInLevels[1] = Menu.FadeInLevels[2] = 140;
    Menu.FadeInLevels[3] = 130;
    NavigatePass({Hotkey(MenuControl), Hotkey(MenuGameplay), Hotkey(MenuGraphic), Hotkey(MenuSound)});
    std::vector<int64_t> asked;
    for (const RecordedCall& call : CallsOf("KeyReleased")) asked.push_back(call.Args.at(0));
    EXPECT_EQ(asked, (std::vector<int64_t>{KeyEscape, Hotkey(MenuNewGame), Hotkey(MenuLoadGame), Hotkey(MenuCredits), Hotkey(MenuQuit)}));
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

// A visit to Options from frame 1 of its delay: runs of frames with one key
// held (0: none), each followed by the page it must leave open (-1: not asked).
struct DelayStep {
    int Frames, Key, After;
};
struct DelayCase {
    const char* Name;
    std::vector<DelayStep> Steps;
};
class MenuOptionsDelay : public GameTest, public ::testing::WithParamInterface<DelayCase> {};

TEST_P(MenuOptionsDelay, Visit) {
    UseScreen(800, 600);
    PointAt(790, 10);
    Frame({Hotkey(MenuOptions)});
    Frame();   // frame 1 of the Options visit
    ASSERT_EQ(Menu.MenuSelect, MenuOptions);
    int frame = 1;
    for (const DelayStep& step : GetParam().Steps) {
        for (int i = 0; i < step.Frames; ++i) step.Key ? Frame({step.Key}) : Frame();
        frame += step.Frames;
        if (step.After >= 0) {
            ASSERT_EQ(Menu.MenuSelect, step.After) << "after frame " << frame;
        }
    }
}

const int T = Hotkey(MenuControl), R = Hotkey(MenuGraphic), U = Hotkey(MenuSound), O = Hotkey(MenuOptions);
INSTANTIATE_TEST_SUITE_P(
    Cases, MenuOptionsDelay,
    ::testing::Values(
        // Pressed in frame 20, let go in 21: nothing, even afterwards.
        DelayCase{"TappedDuringTheCountDoesNothingEvenAfterwards", {{18, 0, -1}, {1, T, -1}, {80, 0, MenuOptions}}},
        // Let go in 54, the first frame T is asked: it was never seen down.
        DelayCase{"HeldUntilTheGateOpensCountsOnlyFromTheFirstFrameItIsAsked", {{52, T, -1}, {1, 0, MenuOptions}}},
        DelayCase{"HeldPastTheCountOpensControl", {{53, T, MenuOptions}, {1, 0, MenuControl}}},
        DelayCase{"ReturningFromASubPageKeepsTheKeysLive",
                  {{53, R, -1}, {1, 0, MenuGraphic}, {1, KeyEscape, -1}, {1, 0, MenuOptions}, {1, U, -1},
                   {1, 0, MenuSound}}},
        // The letters wait again after the main page.
        DelayCase{"AVisitFromTheMainPageWaitsAgain",
                  {{59, 0, -1}, {1, KeyEscape, -1}, {1, 0, MenuMain}, {1, O, -1}, {1, 0, MenuOptions}, {1, T, -1},
                   {1, 0, MenuOptions}}}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
