// core_overlay_test.cpp — the debug overlay's lines, its colours and the Grave
// key that follows the stored flag; and the running-time worker.
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "menu_test_support.h"

namespace {

Lines OverlayTexts(int frame) {
    Lines texts;
    for (const RecordedCall& call : CallsOf("DrawTextAt"))
        if (call.Frame == frame && call.Font == FontDebug) texts.push_back(Describe(call));
    return texts;
}

}  // namespace

// [SECTION] Drawing

TEST_F(GameTest, OverlayStatusLineInGerman) {
    BootWith({"[Settings]", "settings.debugger = 1"});
    App.RuntimeMs = 12300;
    App.RuntimePasses = 123;
    Frame();
    EXPECT_EQ(OverlayTexts(0),
              (Lines{"DrawTextAt 1 560 Debugger: (200,30,30)",
                     "DrawTextAt 1 580 [ Laufzeit: 12 Sek ] [ MenuSelect: Hauptmenü ] "
                     "[ MausLokation: 400(x)300(y) ] (160,160,160)"}));
}

TEST_F(GameTest, OverlayStatusLineInEnglishWithItsOwnColoursAndPlace) {
    BootWith({"[Screen]", "ScreenW = 1280", "ScreenH = 720", "[Settings]", "settings.debugger = 1",
              "settings.language = English", "settings.debbuger.titlered = 1", "settings.debbuger.titlegreen = 2",
              "settings.debbuger.titleblue = 3", "settings.debbuger.textred = 4", "settings.debbuger.textgreen = 5",
              "settings.debbuger.textblue = 999"});
    Menu.MenuSelect = MenuResolution;
    PointAt(0, 719);
    Frame();
    EXPECT_EQ(OverlayTexts(0),
              (Lines{"DrawTextAt 1 680 Debugger: (1,2,3)",
                     "DrawTextAt 1 700 [ Runtime:  Sec ] [ MenuSelect: Resolution ] "
                     "[ MouseLocate: 0(x)719(y) ] (4,5,255)"}))
        << "before the worker's first pass the seconds are empty";
}

TEST_F(GameTest, OverlayColoursAreRebuiltEveryFrame) {
    BootWith({"[Settings]", "settings.debugger = 1"});
    Frame();
    Cfg.settings.debbuger.titlegreen = 77;
    Frame();
    EXPECT_EQ(OverlayTexts(1).at(0), "DrawTextAt 1 560 Debugger: (200,77,30)");
}

TEST_F(GameTest, OverlayDrawsNothingForStatesWithoutAName) {
    BootWith({"[Settings]", "settings.debugger = 1"});
    Menu.MenuSelect = MenuMusicOn;   // an action state: no name
    Frame();
    EXPECT_EQ(OverlayTexts(0), Lines{});
    for (int state : {int(MenuGerman), int(MenuEnglish), int(MenuRes800x600), int(MenuMusicOff),
                      -1, int(MenuStateCount)}) {
        ResetRecording();
        Menu.MenuSelect = state;
        DrawOverlay();
        EXPECT_EQ(CallsOf("DrawTextAt").size(), 0u) << "state " << state;
    }
}

TEST_F(GameTest, OverlayNamesTheStateTheFrameBeganWith) {
    BootWith({"[Settings]", "settings.debugger = 1"});
    Menu.MenuSelect = MenuOptions;
    for (int& level : Menu.FadeInLevels) level = IdleAlpha;   // the hotkeys are armed
    Frame({KeyT});
    Frame();   // T let go: navigation moves on, after the overlay was drawn
    EXPECT_EQ(Menu.MenuSelect, MenuControl);
    ASSERT_EQ(OverlayTexts(1).size(), 2u);
    EXPECT_NE(OverlayTexts(1)[1].find("MenuSelect: Optionen ]"), std::string::npos);
}

TEST_F(GameTest, OverlayIsNotDrawnUnlessTheFlagIsExactlyOne) {
    BootWith({"[Settings]", "settings.debugger = 2"});
    Frame();
    EXPECT_EQ(OverlayTexts(0), Lines{});
}

// [SECTION] Grave key

TEST_F(GameTest, GraveFollowsTheStoredFlagNotTheOneInMemory) {
    BootWith({"[Settings]", "settings.debugger = 1"});
    Frame();
    EXPECT_EQ(OverlayTexts(0).size(), 2u) << "shown from the first frame";
    Release({KeyGrave});
    EXPECT_EQ(StoredNumber(SettingDebugger), 0);
    EXPECT_EQ(Cfg.settings.debugger, 0);
    Frame();
    EXPECT_EQ(OverlayTexts(3), Lines{}) << "hidden from the next frame on";

    // Someone sets the file to 1 by hand while the overlay is off: the key
    // reads the file and switches it off again.
    WriteSettingsFile(SettingsText({"[Settings]", "settings.debugger = 1"}));
    Release({KeyGrave});
    EXPECT_EQ(StoredNumber(SettingDebugger), 0);
    EXPECT_EQ(Cfg.settings.debugger, 0);
}

TEST_F(GameTest, GraveWithTheFlagMissingOrOddSwitchesTheOverlayOn) {
    Boot();
    Release({KeyGrave});
    EXPECT_EQ(StoredNumber(SettingDebugger), 1) << "a missing key counts as 0";
    EXPECT_EQ(Cfg.settings.debugger, 1);

    WriteSettingsFile(SettingsText({"[Settings]", "settings.debugger = 7"}));
    Release({KeyGrave});
    EXPECT_EQ(StoredNumber(SettingDebugger), 1);
    Frame({KeyGrave});   // held: nothing yet
    EXPECT_EQ(StoredNumber(SettingDebugger), 1);
}

// [SECTION] Running time

TEST_F(GameTest, RuntimeTextIsWholeSecondsAfterTheFirstPass) {
    EXPECT_EQ(RuntimeText(), "");
    App.RuntimePasses = 1;
    for (auto [ms, text] : {std::pair{100, "0"}, {59900, "59"}, {60000, "60"}}) {
        App.RuntimeMs = ms;
        EXPECT_EQ(RuntimeText(), text) << ms;
    }
}

// The real worker on its own thread while the game thread reads the text
// (this test is also run under ThreadSanitizer).
TEST_F(GameTest, RuntimeWorkerCountsWhileTheGameThreadReads) {
    constexpr int Passes = 12;
    std::thread worker(RuntimeWorker, Passes);
    std::vector<std::string> seen;
    while (App.RuntimePasses.load() < Passes) {
        std::string text = RuntimeText();
        if (seen.empty() || seen.back() != text) seen.push_back(text);
        std::this_thread::yield();
    }
    worker.join();
    EXPECT_EQ(App.RuntimeMs.load(), Passes * 100);
    EXPECT_EQ(RuntimeText(), "1");
    for (const std::string& text : seen)
        EXPECT_TRUE(text == "" || text == "0" || text == "1") << "torn or odd text '" << text << "'";
    EXPECT_EQ(CallsOf("Pause").size(), 0u) << "the worker's pauses are not game calls";
}
