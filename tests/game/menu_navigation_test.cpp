// menu_navigation_test.cpp — the hotkeys of every page in both languages,
// the Options delay and the order in which released keys decide.
#include <map>
#include <set>

#include "menu_test_support.h"

namespace {

// [SECTION] The keys each page takes, as the player meets them

// Where Escape leads from each state, the page above it (Quit: it ends the
// program; NoKeys: an action state, which takes no key at all).
constexpr int Quit = -1, NoKeys = -2;
constexpr int EscapeTo[MenuStateCount] = {Quit, 0, 0, 0, 3, 4, 4, 4, 4, 4, 4, 4, 4, 3,
                                          13, NoKeys, NoKeys, 3, 17, NoKeys, NoKeys, NoKeys, 3, 22,
                                          NoKeys, NoKeys, 0, 0};

// The page is `above` or lies below it.
bool Within(int page, int above) {
    for (int state = page; state >= 0; state = EscapeTo[state])
        if (state == above) return true;
    return false;
}

// Released key -> target on a page: Escape to the page above; a capture page
// nothing else (its other keys are captured); otherwise every red letter the
// page shows (the main row's, and the sub column's below Options) except
// those of the page itself and the pages above it.
std::map<int, int> ExpectedKeys(int page, const MenuWords& words) {
    std::map<int, int> keys;
    if (EscapeTo[page] == NoKeys) return keys;
    keys[KeyEscape] = EscapeTo[page];
    if (EscapeTo[page] == MenuControl) return keys;
    for (int target = MenuNewGame; target < MenuStateCount; ++target) {
        const bool shown = EscapeTo[target] == MenuMain || Within(page, MenuOptions);
        if (Hotkey(target, words) != KeyNone && shown && !Within(page, target)) keys[Hotkey(target, words)] = target;
    }
    return keys;
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
        const MenuWords& words = language == std::string("German") ? GermanWords : EnglishWords;
        // Options shows Escape and eight red letters besides its own.
        EXPECT_EQ(ExpectedKeys(MenuOptions, words).size(), 9u) << language;
        for (int page = 0; page < MenuStateCount; ++page) {
            const std::map<int, int> expected = ExpectedKeys(page, words);
            for (int key : AllHotKeys()) {
                ResetRecording();
                Cfg.settings.language = language;
                Menu = MenuPageState{};
                Menu.MenuSelect = page;
                for (int& level : Menu.FadeInLevels) level = 140;   // the Options delay is over
                App.QuitRequested = 0;
                NavigateRelease({key});
                SCOPED_TRACE(std::string(language) + " page " + std::to_string(page) + " key " + std::to_string(key));
                const auto found = expected.find(key);
                const bool quits = found != expected.end() && found->second == Quit;
                EXPECT_EQ(Menu.MenuSelect, found == expected.end() || quits ? page : found->second);
                EXPECT_EQ(App.QuitRequested, quits ? 1 : 0);
            }
        }
    }
}

TEST_F(MenuNavigation, ActionStatesAndReservedStatesAskAboutNoKey) {
    for (int state = 0; state < MenuStateCount; ++state) {
        if (MenuStates[state].GermanName != nullptr) continue;   // a page, with a name in the overlay
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
    NavigatePass({Hotkey(MenuNewGame), Hotkey(MenuOptions), Hotkey(MenuControl), Hotkey(MenuQuit, EnglishWords),
                  KeyEscape});
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
    EXPECT_EQ(asked, (std::vector<int64_t>{KeyEscape, Hotkey(MenuNewGame), Hotkey(MenuLoadGame), Hotkey(MenuCredits),
                                           Hotkey(MenuQuit)}));
}

TEST_F(MenuNavigation, FadeInLevelsFillOneAfterAnother) {
    // Each level starts as its predecessor fills; they stay full.
    const struct {
        int Frame, Levels[4];
    } rows[] = {{1, {10, 0, 0, 0}},          {14, {140, 10, 0, 0}},      {27, {140, 140, 10, 0}},
                {40, {140, 140, 140, 10}},   {52, {140, 140, 140, 130}}, {53, {140, 140, 140, 140}},
                {60, {140, 140, 140, 140}}};
    int frame = 0;
    for (const auto& row : rows) {
        for (; frame < row.Frame; ++frame) FadeInStep();
        for (int i = 0; i < 4; ++i) EXPECT_EQ(Menu.FadeInLevels[i], row.Levels[i]) << "frame " << row.Frame;
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
