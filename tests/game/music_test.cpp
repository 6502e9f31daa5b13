// music_test.cpp — when the menu's music plays, frame by frame: from the
// first frame with settings.music 1 and never with another value, On and Off on the Music
// page, quiet during the focus-loss wait, the restart and the end.
#include <algorithm>
#include <string>
#include <vector>

#include "menu_test_support.h"

namespace {

const std::vector<std::string> SoundOps = {"StartSoundOutput", "PlayMusic", "StopMusic", "PauseMusic",
                                           "ResumeMusic"};
// (Functions: the track's size is known only once the program's globals are.)
std::string PlayWithFade(int ms) { return "PlayMusic " + std::to_string(MenuMusicTrack.Size) + " " + std::to_string(ms); }

// Whether the last frame drew a Music page label (`first`: the language's first label blendable) at its item's
// place at this opacity: 255 lit, 140 dim.
bool DrewLabel(int first, MenuLabel label, const ItemBox& box, int alpha) {
    const Lines drawn = Described(1, {"DrawBlended"});
    const std::string line = "DrawBlended " + std::to_string(first + label) + " " + std::to_string(box.x) + " " +
                             std::to_string(box.y) + " " + std::to_string(alpha);
    return std::find(drawn.begin(), drawn.end(), line) != drawn.end();
}

// Start-up and the first frame, after which the music begins; the calls
// made so far are then forgotten, so that a test reads what follows.
void BootWithMusic(const std::string& value = "1") {
    BootWith({"[Settings]", "settings.music = " + value});
    Frame();
    Rec.Calls.clear();
}

}  // namespace

// [SECTION] Start-up

TEST_F(GameTest, MusicFadesInAfterTheFirstFrameOnlyWhenTheSettingIsOne) {
    Boot();   // no settings file: music 1
    EXPECT_EQ(Described(-1, SoundOps), Lines{}) << "start-up does not share the cores with the audio";
    Frame();   // (calls after the frame's present count for the next frame)
    EXPECT_EQ(Described(1, SoundOps), (Lines{"StartSoundOutput", PlayWithFade(2000)}));
    EXPECT_GT(IndexOfCall("StartSoundOutput"), IndexOfCall("PresentFrame")) << "the first frame is on the screen first";
    EXPECT_EQ(Rec.MusicTrack, MenuMusicTrack.Data);
    EXPECT_EQ(Rec.Music, MusicPlaying);
    Frames(2);
    EXPECT_EQ(CallsOf("PlayMusic").size(), 1u);
    for (const char* value : {"0", "2", "-1", "x", ""}) {
        StartAgain();
        BootWith({"[Settings]", "settings.music = " + std::string(value)});
        Frames(3);
        EXPECT_EQ(Described(-1, SoundOps), Lines{}) << "settings.music = " << value << ": the audio is never opened";
    }
}

// [SECTION] On and Off

TEST_F(GameTest, OffAndOnOnTheMusicPageWriteTheSettingAndFadeAtOnce) {
    BootWith({"; mine", "[Settings]", "settings.music = 1", "settings.language = English"});
    Frame();
    Rec.Calls.clear();
    ShowPage(MenuMusic);
    ClickItem(Layout.OffBox);
    EXPECT_EQ(Described(1, SoundOps), Lines{"StopMusic 300"});
    EXPECT_EQ(Rec.Music, MusicSilent);
    EXPECT_EQ(Menu.MenuSelect, MenuMusic) << "the page stays open";
    EXPECT_EQ(Cfg.settings.music, 0);
    const std::string afterOff = ReadSettingsFile();
    EXPECT_NE(afterOff.find("settings.music = 0"), std::string::npos) << afterOff;
    EXPECT_NE(afterOff.find("; mine"), std::string::npos) << "the rest of the file stays";
    EXPECT_TRUE(DrewLabel(BlendLabelEnFirst, LabelOff, Layout.OffBox, 255)) << "lit in the choosing frame already";
    EXPECT_TRUE(DrewLabel(BlendLabelEnFirst, LabelOn, Layout.OnBox, 140));

    Frame();
    PointAtItem(Layout.OnBox);
    Release({KeyReturn});   // Return with the pointer on On chooses it as a click does
    EXPECT_EQ(Described(-1, SoundOps), (Lines{"StopMusic 300", "StartSoundOutput", PlayWithFade(300)}));
    EXPECT_EQ(Rec.Music, MusicPlaying);
    EXPECT_EQ(Menu.MenuSelect, MenuMusic);
    EXPECT_NE(ReadSettingsFile().find("settings.music = 1"), std::string::npos);
}

TEST_F(GameTest, ChoosingWhatPlaysAlreadyChangesNothingHeard) {
    BootWithMusic();
    ShowPage(MenuMusic);
    HoldLeftButton(true);
    PointAtItem(Layout.OnBox);
    Frames(3);   // held over On: chosen in every frame, played once
    HoldLeftButton(false);
    EXPECT_EQ(Described(-1, {"PlayMusic"}), Lines{});
    EXPECT_NE(ReadSettingsFile().find("settings.music = 1"), std::string::npos) << "written all the same";
}

// A held button is chosen again in every frame, but the file is written at
// the press alone (a file edited meanwhile is left as it is); the next press
// writes again.
TEST_F(GameTest, AHeldButtonOnOffWritesTheFileOnce) {
    BootWithMusic();
    ShowPage(MenuMusic);
    HoldLeftButton(true);
    PointAtItem(Layout.OffBox);
    Frame();
    EXPECT_NE(ReadSettingsFile().find("settings.music = 0"), std::string::npos);
    WriteSettingsFile(SettingsText({"[Settings]", "settings.music = 7"}));
    Frames(3);
    EXPECT_NE(ReadSettingsFile().find("settings.music = 7"), std::string::npos) << "rewritten while held";
    HoldLeftButton(false);
    Frame();
    ClickItem(Layout.OffBox);
    EXPECT_NE(ReadSettingsFile().find("settings.music = 0"), std::string::npos) << "a new press writes";
}

TEST_F(GameTest, AnotherValueLightsNeitherItemAndOffFromItStopsNothing) {
    BootWithMusic("7");
    ShowPage(MenuMusic);
    PointAt(10, 10);
    Frame();
    EXPECT_TRUE(DrewLabel(BlendLabelDeFirst, LabelOn, Layout.OnBox, 140));
    EXPECT_TRUE(DrewLabel(BlendLabelDeFirst, LabelOff, Layout.OffBox, 140));
    ClickItem(Layout.OffBox);
    EXPECT_EQ(Described(-1, SoundOps), Lines{}) << "nothing was playing";
    EXPECT_EQ(Cfg.settings.music, 0);
    ClickItem(Layout.OnBox);
    EXPECT_EQ(Described(-1, SoundOps), (Lines{"StartSoundOutput", PlayWithFade(300)}));
}

// [SECTION] Focus loss

TEST_F(GameTest, MusicPausesForTheFocusLossWaitAndResumesAfterIt) {
    for (int mode : {1, 3}) {
        StartAgain();
        BootWith({"[Settings]", "settings.screenmode = " + std::to_string(mode)});
        Frame();
        Rec.ScreenActive = {false};
        Rec.WindowEvents = {WindowEventOther, WindowEventActivated};
        Frame();
        EXPECT_EQ(Described(1, {"PauseMusic", "AwaitWindowEvent", "ResumeMusic"}),
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
    BootWithMusic();
    Rec.ScreenActive = {false};
    Rec.WindowEvents = {WindowEventClosed};
    Frame();
    ShutDown();
    EXPECT_EQ(Described(-1, SoundOps), (Lines{"PauseMusic 300", "StopMusic 150"}));
}

// A screen that never opened (screen mode 0): the first frames wait in the
// background, and the music begins after the first frame that is shown.
TEST_F(GameTest, MusicBeginsAfterTheFirstFrameShownNotDuringTheWait) {
    BootWith({"[Settings]", "settings.screenmode = 0"});
    Frame();   // the focus-loss path: the screen opens after the wait
    EXPECT_EQ(Described(-1, SoundOps), Lines{});
    Frame();
    EXPECT_EQ(Described(1, SoundOps), (Lines{"StartSoundOutput", PlayWithFade(2000)}));
}

// [SECTION] Restart and end

TEST_F(GameTest, ARestartFadesThisInstanceOutAndTheNewOneIn) {
    BootWithMusic();
    Menu.MenuSelect = MenuRes1024x768;   // the action's frame
    Frame();
    ASSERT_EQ(Rec.Launched.size(), 1u);
    ShutDown();
    EXPECT_EQ(Described(-1, SoundOps), Lines{"StopMusic 150"});
    // The new instance, with what the restart wrote.
    StartAgain();
    Boot();
    Frame();
    EXPECT_EQ(Menu.MenuSelect, MenuResolution);
    EXPECT_EQ(Described(-1, SoundOps), (Lines{"StartSoundOutput", PlayWithFade(2000)}));
}

TEST_F(GameTest, QuittingFadesOutWithinAQuarterSecondAndOnlyWhatPlays) {
    BootWithMusic();
    Release({KeyEscape});
    ASSERT_EQ(App.QuitRequested, 1);
    ShutDown();
    EXPECT_EQ(Described(-1, {"StopMusic"}), Lines{"StopMusic 150"});
    StartAgain();
    BootWithMusic("0");
    ShutDown();
    EXPECT_EQ(Described(-1, SoundOps), Lines{});
    StartAgain();
    Boot();
    ShutDown();   // ended before its first frame (a quit in the stand-by wait)
    EXPECT_EQ(Described(-1, SoundOps), Lines{});
}
