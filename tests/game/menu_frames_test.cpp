// menu_frames_test.cpp — the menu inside whole frames of the program: roads
// a player takes, from start-up to the file and the restart.
#include <algorithm>

#include "menu_test_support.h"

namespace {

class MenuFrames : public GameTest {};

bool FrameDraws(int frame, const std::string& line) {
    const std::vector<std::string> drawn = Described(frame, {"DrawBlended"});
    return std::find(drawn.begin(), drawn.end(), line) != drawn.end();
}

TEST_F(MenuFrames, KeysLetGoTogetherOnTheMainPage) {
    Boot();
    Release({KeyN, KeyO});
    EXPECT_EQ(Menu.MenuSelect, MenuOptions);
    Release({KeyEscape});
    Release({KeyEscape, KeyN});
    EXPECT_EQ(App.QuitRequested, 1);
    EXPECT_EQ(Menu.MenuSelect, MenuNewGame);
}

TEST_F(MenuFrames, RebindingForwardByClicksAndAKeyShowsTheKeyNextFrame) {
    Boot();
    ClickAt(400, 190);   // Control, in the home column on the main page
    ASSERT_EQ(Menu.MenuSelect, MenuControl);
    Frames(32);          // the sub column slides out of the way
    ASSERT_EQ(Layout.ControlBox.x, 165);
    ClickAt(400, 190);   // Forward
    ASSERT_EQ(Menu.MenuSelect, MenuForward);
    Frame({KeyK});
    const int captureFrame = Rec.Frame;
    Frame();
    EXPECT_EQ(Menu.MenuSelect, MenuControl);
    EXPECT_NE(ReadSettingsFile().find("Forward = K"), std::string::npos);
    EXPECT_FALSE(FrameDraws(captureFrame, "DrawBlended 921 485 180 255"));
    Frame();
    EXPECT_TRUE(FrameDraws(captureFrame + 1, "DrawBlended 921 485 180 255")) << "K in Forward's row";
}

TEST_F(MenuFrames, ChoosingAnotherSizeRestartsOnTheResolutionPage) {
    Boot();
    Rec.Modes = {{800, 600, 32, 85}, {1024, 768, 32, 85}};
    ClickAt(400, 510);   // Options
    ClickAt(400, 250);   // Graphic, still in the home column
    ASSERT_EQ(Menu.MenuSelect, MenuGraphic);
    Frames(32);
    ClickAt(400, 250);   // Resolution
    ASSERT_EQ(Menu.MenuSelect, MenuResolution);
    ClickAt(560, 280);   // 1024x768
    EXPECT_EQ(App.RestartRequested, 1);
    ASSERT_EQ(Rec.Launched.size(), 1u);
    const std::string settings = ReadSettingsFile();
    EXPECT_NE(settings.find("ScreenW = 1024"), std::string::npos) << settings;
    EXPECT_NE(settings.find("ScreenH = 768"), std::string::npos) << settings;
    EXPECT_NE(settings.find("settings.page = GraphicRes"), std::string::npos) << settings;
}

TEST_F(MenuFrames, StartingOnTheResolutionPageDrawsItCompleteInTheFirstFrame) {
    WriteSettingsFile(SettingsText({"[Screen]", "ScreenW = 1024", "ScreenH = 768", "[Settings]",
                                    "settings.page = GraphicRes"}));
    Rec.Modes = {{1024, 768, 32, 85}};
    Boot();
    PointAt(1000, 10);
    Frame();
    EXPECT_EQ(Menu.MenuSelect, MenuResolution);
    EXPECT_TRUE(FrameDraws(0, "DrawBlended 53 277 280 255")) << "Graphic lit in the shifted column";
    EXPECT_TRUE(FrameDraws(0, "DrawBlended 54 437 280 255")) << "Resolution";
    EXPECT_TRUE(FrameDraws(0, "DrawBlended 56 597 310 255")) << "1024x768 lit";
}

}  // namespace
