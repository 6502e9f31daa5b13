// music_test.cpp — when the menu's music plays, frame by frame: from start-up
// with settings.music 1 and never with another value, On and Off on the Music
// page, quiet during the focus-loss wait, the restart and the end.
#include <algorithm>
#include <string>
#include <vector>

#include "menu_test_support.h"

namespace {

using Lines = std::vector<std::string>;
const std::vector<std::string> SoundOps = {"StartSoundOutput", "PlayMusic", "StopMusic", "PauseMusic",
                                           "ResumeMusic"};
// (Functions: the track's size is known only once the program's globals are.)
std::string PlayWithFade(int ms) { return "PlayMusic " + std::to_string(MenuMusicTrack.Size) + " " + std::to_string(ms); }

void BootWithMusic(const std::string& value) {
    WriteSettingsFile(SettingsText({"[Settings]", "settings.music = " + value}));
    Boot();
}

// On the Music page at 800 x 600, the sub column slid over.
void OpenMusicPage() {
    Menu.MenuSelect = MenuMusic;
    PlaceSubColumn(165);
}

constexpr int OnX = 485 + 75, OnY = 270 + 10, OffX = 485 + 75, OffY = 300 + 10;

int IndexOf(const std::string& op) {
    for (size_t i = 0; i < Rec.Calls.size(); ++i)
        if (Rec.Calls[i].Op == op) return int(i);
    return -1;
}

}  // namespace

// [SECTION] Start-up

TEST_F(GameTest, MusicFadesInFromStartUpOnlyWhenTheSettingIsOne) {
    Boot();   // no settings file: music 1
    EXPECT_EQ(Described(-1, SoundOps), (Lines{"StartSoundOutput", PlayWithFade(2000)}));
    EXPECT_EQ(Rec.MusicTrack, MenuMusicTrack.Data);
    EXPECT_EQ(Rec.Music, MusicPlaying);
    EXPECT_GT(IndexOf("StartSoundOutput"), IndexOf("PlaceMouse")) << "the screen and the assets come first";
    for (const char* value : {"0", "2", "-1", "x", ""}) {
        ResetGameState();
        ResetRecording();
        BootWithMusic(value);
        Frames(3);
        EXPECT_EQ(Described(-1, SoundOps), Lines{}) << "settings.music = " << value << ": the audio is never opened";
    }
}

// [SECTION] On and Off

TEST_F(GameTest, OffAndOnOnTheMusicPageWriteTheSettingAndFadeAtOnce) {
    WriteSettingsFile(SettingsText({"; mine", "[Settings]", "settings.music = 1", "settings.language = English"}));
    Boot();
    OpenMusicPage();
    ClickAt(OffX, OffY);
    EXPECT_EQ(Described(0, SoundOps), Lines{"StopMusic 300"});
    EXPECT_EQ(Rec.Music, MusicSilent);
    EXPECT_EQ(Menu.MenuSelect, MenuMusic) << "the page stays open";
    EXPECT_EQ(Cfg.settings.music, 0);
    const std::string afterOff = ReadSettingsFile();
    EXPECT_NE(afterOff.find("settings.music = 0"), std::string::npos) << afterOff;
    EXPECT_NE(afterOff.find("; mine"), std::string::npos) << "the rest of the file stays";
    // The chosen item is bright in the choosing frame already.
    const Lines drawn = Described(0, {"DrawBlended"});
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), "DrawBlended 88 485 300 255"), drawn.end());
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), "DrawBlended 87 485 270 140"), drawn.end());

    Frame();
    PointAt(OnX, OnY);
    Release({KeyReturn});   // Return with the pointer on On chooses it as a click does
    EXPECT_EQ(Described(-1, SoundOps), (Lines{"StartSoundOutput", PlayWithFade(2000), "StopMusic 300", "StartSoundOutput",
                                              PlayWithFade(300)}));
    EXPECT_EQ(Rec.Music, MusicPlaying);
    EXPECT_EQ(Menu.MenuSelect, MenuMusic);
    EXPECT_NE(ReadSettingsFile().find("settings.music = 1"), std::string::npos);
}

TEST_F(GameTest, ChoosingWhatPlaysAlreadyChangesNothingHeard) {
    Boot();
    OpenMusicPage();
    HoldLeftButton(true);
    PointAt(OnX, OnY);
    Frames(3);   // held over On: chosen in every frame, played once
    HoldLeftButton(false);
    EXPECT_EQ(Described(-1, {"PlayMusic"}), Lines{PlayWithFade(2000)});
    EXPECT_NE(ReadSettingsFile().find("settings.music = 1"), std::string::npos) << "written all the same";
}

TEST_F(GameTest, AnotherValueLightsNeitherItemAndOffFromItStopsNothing) {
    BootWithMusic("7");
    OpenMusicPage();
    PointAt(10, 10);
    Frame();
    const Lines drawn = Described(0, {"DrawBlended"});
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), "DrawBlended 60 485 270 140"), drawn.end());
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), "DrawBlended 61 485 300 140"), drawn.end());
    ClickAt(OffX, OffY);
    EXPECT_EQ(Described(-1, SoundOps), Lines{}) << "nothing was playing";
    EXPECT_EQ(Cfg.settings.music, 0);
    ClickAt(OnX, OnY);
    EXPECT_EQ(Described(-1, SoundOps), (Lines{"StartSoundOutput", PlayWithFade(300)}));
}

// [SECTION] Focus loss

TEST_F(GameTest, MusicPausesForTheFocusLossWaitAndResumesAfterIt) {
    for (int mode : {1, 3}) {
        ResetGameState();
        ResetRecording();
        WriteSettingsFile(SettingsText({"[Settings]", "settings.screenmode = " + std::to_string(mode)}));
        Boot();
        Rec.ScreenActive = {false};
        Rec.WindowEvents = {WindowEventOther, WindowEventActivated};
        Frame();
        EXPECT_EQ(Described(0, {"PauseMusic", "AwaitWindowEvent", "ResumeMusic"}),
                  (Lines{"PauseMusic 300", "AwaitWindowEvent", "AwaitWindowEvent", "ResumeMusic 1000"}))
            << "screen mode " << mode;
        EXPECT_EQ(Rec.Music, MusicPlaying);
    }
}

TEST_F(GameTest, WithMusicOffTheFocusLossTouchesNoSound) {
    BootWithMusic("0");
    Rec.ScreenActive = {false};
    Frame();
    EXPECT_EQ(Described(-1, SoundOps), Lines{});
}

TEST_F(GameTest, ClosingTheStandByWindowFadesTheMusicOutInsteadOfResuming) {
    Boot();
    Rec.ScreenActive = {false};
    Rec.WindowEvents = {WindowEventClosed};
    Frame();
    ShutDown();
    EXPECT_EQ(Described(0, SoundOps), (Lines{"PauseMusic 300", "StopMusic 250"}));
}

// [SECTION] Restart and end

TEST_F(GameTest, ARestartFadesThisInstanceOutAndTheNewOneIn) {
    Boot();
    Menu.MenuSelect = MenuRes1024x768;   // the action's frame
    Frame();
    ASSERT_EQ(Rec.Launched.size(), 1u);
    ShutDown();
    EXPECT_EQ(Described(1, SoundOps), Lines{"StopMusic 250"});
    // The new instance, with what the restart wrote.
    ResetGameState();
    ResetRecording();
    Boot();
    EXPECT_EQ(Menu.MenuSelect, MenuResolution);
    EXPECT_EQ(Described(-1, SoundOps), (Lines{"StartSoundOutput", PlayWithFade(2000)}));
}

TEST_F(GameTest, QuittingFadesOutWithinAQuarterSecondAndOnlyWhatPlays) {
    Boot();
    Release({KeyEscape});
    ASSERT_EQ(App.QuitRequested, 1);
    ShutDown();
    EXPECT_EQ(Described(-1, {"StopMusic"}), Lines{"StopMusic 250"});
    ResetGameState();
    ResetRecording();
    BootWithMusic("0");
    ShutDown();
    EXPECT_EQ(Described(-1, SoundOps), Lines{});
}
