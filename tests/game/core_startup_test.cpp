// core_startup_test.cpp — start-up, the screen per screen mode, the return to
// the resolution page, the focus-loss path, the restart and the shutdown.
#include <string>
#include <vector>

#include "menu_test_support.h"

namespace {

const std::vector<std::string> ScreenOps = {"OpenGameWindow", "OpenScreenInWindow", "OpenGameScreen",
                                            "CloseGameScreen", "CloseGameWindow",
                                            "MinimiseGameWindow", "AwaitWindowEvent", "Pause"};

void WriteScreenSettings(int screenmode) {
    WriteSettingsFile(SettingsText({"[Screen]", "ScreenW = 1024", "ScreenH = 768", "ScreenD = 16",
                                    "ScreenF = 60", "ScreenS = 0", "[Settings]",
                                    "settings.screenmode = " + std::to_string(screenmode)}));
}

}  // namespace

// [SECTION] Settings at start-up

TEST_F(GameTest, FirstStartWritesOnlyTheApplicationGroupAndOpensTheDefaultScreen) {
    Rec.ProgramFile = "/opt/veldrune/bin/veldrune";
    Boot();
    EXPECT_EQ(ReadSettingsFile(), SettingsText({"[Application]", "Path = /opt/veldrune/bin/",
                                                "File = veldrune"}));
    EXPECT_EQ(Described(-1, ScreenOps), Lines{"OpenGameScreen 800 600 32 1 85 Veldrune"});
    EXPECT_EQ(Menu.MenuSelect, MenuMain);
    EXPECT_EQ(Described(-1, {"PlaceMouse"}), Lines{"PlaceMouse 400 300"});
}

TEST_F(GameTest, ProgramPathSplitsAtTheLastSlashOfEitherKind) {
    Rec.ProgramFile = "C:\\Games\\Veldrune/bin\\veldrune.exe";
    Boot();
    EXPECT_EQ(ReadSettingsFile(), SettingsText({"[Application]", "Path = C:\\Games\\Veldrune/bin\\",
                                                "File = veldrune.exe"}));
}

TEST_F(GameTest, StartUpReadsEveryGroupIntoMemory) {
    BootWith({"[Settings]", "settings.language = English", "settings.fps = 4", "settings.debbuger.textblue = 7",
              "[controls]", "scrshot = F9", "Jump", "[Screen]", "ScreenW = 1280", "ScreenH = 720"});
    EXPECT_EQ(Cfg.ScreenW, 1280);
    EXPECT_EQ(Cfg.ScreenH, 720);
    EXPECT_EQ(Cfg.ScreenD, 32) << "an absent key keeps its default";
    EXPECT_EQ(Cfg.settings.language, "English");
    EXPECT_FALSE(IsGerman());
    EXPECT_EQ(Cfg.settings.fps, 4);
    EXPECT_EQ(Cfg.settings.debbuger.textblue, 7);
    EXPECT_EQ(Cfg.settings.debbuger.textred, 160);
    EXPECT_EQ(Cfg.Scrshot, "F9");
    EXPECT_EQ(Cfg.Jump, "") << "a key without '=' is an empty text, not the default";
    EXPECT_EQ(Cfg.Forward, "W");
}

TEST_F(GameTest, ReadControlsTakesTheFileAsItIsNowAndLeavesItUntouched) {
    Boot();
    Cfg.Forward = "Q";   // stale value in memory, absent from the file
    std::string file = SettingsText({"[Controls]", "Backward = Space"});
    WriteSettingsFile(file);
    ReadControls();
    EXPECT_EQ(Cfg.Backward, "Space");
    EXPECT_EQ(Cfg.Forward, "W") << "an absent key reads as its default";
    EXPECT_EQ(ReadSettingsFile(), file);
}

// [SECTION] Services

TEST_F(GameTest, AFailingServiceShowsItsGermanMessageAndStartUpGoesOn) {
    for (int service : {0, 3, 4}) Rec.ServiceFails[service] = true;
    Boot();
    EXPECT_EQ(Described(-1, {"StartKeyboardInput", "StartMouseInput", "StartSpriteSystem",
                             "StartBlendingSystem", "StartMovieSystem", "ShowMessage"}),
              (Lines{"StartKeyboardInput", "ShowMessage Tastatur konnte nicht initialisiert werden",
                     "StartMouseInput", "StartSpriteSystem", "StartBlendingSystem",
                     "ShowMessage Sprite3D konnte nicht initialisiert werden", "StartMovieSystem",
                     "ShowMessage Movie konnte nicht initialisiert werden"}));
    EXPECT_EQ(Rec.MessageTitles, (Lines{"Veldrune", "Veldrune", "Veldrune"}));
    EXPECT_EQ(CallsOf("OpenGameScreen").size(), 1u) << "start-up went on to the screen";
    ASSERT_EQ(Rec.ThreadProcs.size(), 1u);
    EXPECT_EQ(Rec.ThreadProcs[0], &RuntimeWorker);
    EXPECT_EQ(Described(-1, {"StartThread"}), Lines{"StartThread 0"});
}

TEST_F(GameTest, MouseAndSpriteFailuresHaveTheirOwnTexts) {
    for (int service : {1, 2}) Rec.ServiceFails[service] = true;
    Boot();
    EXPECT_EQ(Rec.Messages, (Lines{"Maus konnte nicht initialisiert werden",
                                   "Sprite konnte nicht initialisiert werden"}));
}

TEST_F(GameTest, StartUpRunsItsStepsInOrder) {
    Boot();
    const int steps[] = {IndexOfCall("ProgramPath"), IndexOfCall("StartKeyboardInput"), IndexOfCall("OpenGameScreen"),
                         IndexOfCall("PlaceMouse"), IndexOfCall("StartThread")};
    ASSERT_GE(steps[0], 0);
    for (int i = 1; i < 5; ++i) EXPECT_LT(steps[i - 1], steps[i]) << "step " << i;
}

// [SECTION] Screen modes

// Framed window, borderless maximised window, full-screen mode.
class ScreenModes : public GameTest, public ::testing::WithParamInterface<std::pair<int, Lines>> {};

TEST_P(ScreenModes, OpenTheirScreen) {
    WriteScreenSettings(GetParam().first);
    Boot();
    EXPECT_EQ(Described(-1, ScreenOps), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(
    OneTwoThree, ScreenModes,
    ::testing::Values(std::pair{1, Lines{"OpenGameWindow 0 0 0 1024 768 0 Veldrune",
                                         "OpenScreenInWindow 0 0 0 1024 768 0 0 0 1"}},
                      std::pair{2, Lines{"OpenGameWindow 0 0 0 1024 768 1 Veldrune",
                                         "OpenScreenInWindow 0 0 0 1024 768 0 0 0 1"}},
                      std::pair{3, Lines{"OpenGameScreen 1024 768 16 1 60 Veldrune"}}),
    [](const auto& info) { return "Mode" + std::to_string(info.param.first); });

TEST_F(GameTest, ScreenModeZeroOpensNothingThenComesUpFullScreenAfterActivation) {
    WriteScreenSettings(0);
    Boot();
    EXPECT_EQ(Described(-1, ScreenOps), Lines{});
    Frame();
    EXPECT_EQ(Described(0, ScreenOps),
              (Lines{"Pause 10", "CloseGameScreen", "OpenGameWindow 0 0 0 0 0 2 Veldrune",
                     "AwaitWindowEvent", "CloseGameWindow 0", "OpenGameScreen 1024 768 16 1 60 Veldrune"}));
    EXPECT_EQ(CallsOf("PresentFrame").size(), 0u) << "the focus-loss pass draws nothing";
    Frame();
    EXPECT_EQ(CallsOf("PresentFrame").size(), 1u) << "the next pass is an ordinary frame";
}

// [SECTION] Return to the resolution page

TEST_F(GameTest, GraphicResReturnsToTheResolutionPageWithTheColumnSlidOver) {
    BootWith({"[Screen]", "ScreenW = 1024", "ScreenH = 768", "[Settings]", "settings.page = GraphicRes"});
    EXPECT_EQ(Menu.MenuSelect, MenuResolution);
    ASSERT_GE(ScreenSizeIndex(), 0);
    for (ItemBox LayoutTable::*box : SubColumnBoxes) EXPECT_EQ((Layout.*box).x, ShiftedColumnX());
    std::string file = ReadSettingsFile();
    EXPECT_NE(file.find("settings.page = Main\r\n"), std::string::npos) << file;
    EXPECT_EQ(file.find("GraphicRes"), std::string::npos) << file;
}

TEST_F(GameTest, GraphicResAtAnUnknownSizeLeavesTheColumnWhereLoadAssetsPutIt) {
    WriteSettingsFile(SettingsText({"[Screen]", "ScreenW = 640", "ScreenH = 480", "[Settings]",
                                    "settings.page = GraphicRes"}));
    LayoutTable before = Layout;
    Boot();
    EXPECT_EQ(Menu.MenuSelect, MenuResolution);
    EXPECT_EQ(Layout.ControlBox.x, before.ControlBox.x);
    EXPECT_EQ(Layout.SoundBox.x, before.SoundBox.x);
}

TEST_F(GameTest, AnyOtherPageTextStartsOnTheMainPageAndIsNotWritten) {
    BootWith({"[Settings]", "settings.page = graphicres"});
    EXPECT_EQ(Menu.MenuSelect, MenuMain);
    EXPECT_NE(ReadSettingsFile().find("settings.page = graphicres"), std::string::npos);
}

// [SECTION] Focus loss

TEST_F(GameTest, WindowedFocusLossMinimisesAndWaitsForActivationOnly) {
    WriteScreenSettings(1);
    Boot();
    Rec.ScreenActive = {false};
    Rec.WindowEvents = {WindowEventOther, WindowEventOther, WindowEventActivated};
    size_t before = CallsOf("RegisterFontFile").size();
    Frame();
    EXPECT_EQ(Described(0, ScreenOps), (Lines{"MinimiseGameWindow 0", "AwaitWindowEvent",
                                              "AwaitWindowEvent", "AwaitWindowEvent"}));
    EXPECT_EQ(CallsOf("RegisterFontFile").size(), before) << "nothing is reloaded";
    EXPECT_EQ(Described(0, {"ClearFrame", "PollKeyboard", "PresentFrame"}), Lines{});
}

TEST_F(GameTest, FullScreenFocusLossReopensTheScreenAndReloadsKeepingThePage) {
    Boot();
    Menu.MenuSelect = MenuSound;
    Rec.ScreenActive = {false};
    Rec.WindowEvents = {WindowEventOther, WindowEventActivated};
    Frame();
    EXPECT_EQ(Described(0, ScreenOps),
              (Lines{"Pause 10", "CloseGameScreen", "OpenGameWindow 0 0 0 0 0 2 Veldrune",
                     "AwaitWindowEvent", "AwaitWindowEvent", "CloseGameWindow 0",
                     "OpenGameScreen 800 600 32 1 85 Veldrune"}));
    int reopened = IndexOfCall("OpenGameScreen", IndexOfCall("CloseGameWindow"));
    EXPECT_GT(IndexOfCall("RegisterFontFile", reopened), reopened) << "the assets load again";
    EXPECT_EQ(Menu.MenuSelect, MenuSound);
    EXPECT_EQ(FrameRate.FramesInWindow, 0) << "the focus-loss pass is not counted";
}

TEST_F(GameTest, ClosingTheStandByWindowEndsTheProgramInsteadOfWaiting) {
    Boot();
    Rec.ScreenActive = {false};
    Rec.WindowEvents = {WindowEventClosed};
    Frame();
    EXPECT_EQ(App.QuitRequested, 1);
    EXPECT_EQ(Described(0, {"OpenGameScreen", "CloseGameWindow"}), Lines{"CloseGameWindow 0"});
}

TEST_F(GameTest, TheCloseBoxEndsTheProgramAfterTheFrame) {
    WriteScreenSettings(1);
    Boot();
    Rec.CloseRequested = true;
    Frame();
    EXPECT_EQ(App.QuitRequested, 1);
    EXPECT_EQ(CallsOf("PresentFrame").size(), 1u) << "the frame still finishes";
}

// [SECTION] Restart and shutdown

TEST_F(GameTest, RestartWritesTheNewSizeAndPageBeforeLaunching) {
    WriteSettingsFile(SettingsText({"; my settings", "[Screen]", "ScreenW = 800", "ScreenH = 600"}));
    Boot();
    ChooseScreenSize(1280, 720);
    Frame();
    ASSERT_EQ(Rec.Launched, Lines{"/opt/veldrune/bin/veldrune"});
    const std::string& atLaunch = Rec.SettingsAtLaunch[0];
    EXPECT_NE(atLaunch.find("[Screen]\r\nScreenW = 1280\r\nScreenH = 720\r\n"), std::string::npos)
        << atLaunch;
    EXPECT_NE(atLaunch.find("settings.page = GraphicRes\r\n"), std::string::npos) << atLaunch;
    EXPECT_NE(atLaunch.find("; my settings"), std::string::npos) << "comments survive";
    int launch = IndexOfCall("LaunchProgram");
    EXPECT_EQ(Describe(Rec.Calls[launch - 2]), "Pause 10");
    EXPECT_LT(launch, IndexOfCall("PresentFrame")) << "the frame finishes after the launch";
}

TEST_F(GameTest, RunProgramEndsAfterTheRestartFrameAndWithdrawsTheFont) {
    // Requested before the loop starts: start-up, one frame with the restart, shutdown.
    ChooseScreenSize(1024, 768);
    EXPECT_EQ(RunProgram(), 0);
    EXPECT_EQ(Rec.Frame, 1);
    EXPECT_EQ(Rec.Launched.size(), 1u);
    ASSERT_FALSE(Assets.RegisteredFontPath.empty());
    EXPECT_EQ(Described(-1, {"UnregisterFontFile"}),
              Lines{"UnregisterFontFile " + Assets.RegisteredFontPath});
    EXPECT_EQ(Rec.Calls.back().Op, "StopPlatform");
}

TEST_F(GameTest, ResetGameStateRestoresEveryStruct) {
    Cfg.ScreenW = 1;
    App.QuitRequested = 1;
    App.RuntimePasses = 3;
    FrameRate.FpsText = "85";
    Menu.MenuSelect = MenuCredits;
    Layout.OverlayY = 5;
    Assets.ScreenshotKey = KeyF1;
    ResetGameState();
    EXPECT_EQ(Cfg.ScreenW, 800);
    EXPECT_EQ(App.QuitRequested, 0);
    EXPECT_EQ(RuntimeText(), "");
    EXPECT_EQ(FrameRate.FpsText, "");
    EXPECT_EQ(Menu.MenuSelect, MenuMain);
    EXPECT_EQ(Layout.OverlayY, 0);
    EXPECT_EQ(Assets.ScreenshotKey, KeyNone);
}

// The new instance cannot be started (the program's file was replaced while
// it ran): this one goes on at its size, on the Resolution page; the new size
// waits in the file for the next start, which opens on the main page.
TEST_F(GameTest, ARestartThatCannotStartKeepsTheGameOnTheResolutionPage) {
    BootWith({"[Screen]", "ScreenW = 800", "ScreenH = 600"});
    Rec.LaunchFails = true;
    Menu.MenuSelect = MenuRes1024x768;
    ChooseScreenSize(1024, 768);
    Frame();
    EXPECT_EQ(Rec.Launched.size(), 1u);
    EXPECT_EQ(App.RestartRequested, 0);
    EXPECT_EQ(Menu.MenuSelect, MenuResolution);
    EXPECT_EQ(Cfg.ScreenW, 800);
    const std::string file = ReadSettingsFile();
    EXPECT_NE(file.find("ScreenW = 1024\r\nScreenH = 768\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("settings.page = Main\r\n"), std::string::npos) << file;
    Frames(2);
    EXPECT_EQ(Described(-1, {"OpenGameScreen", "CloseGameScreen"}).size(), 1u) << "the screen stays as it is";
    EXPECT_EQ(Rec.Frame, 3);
}
