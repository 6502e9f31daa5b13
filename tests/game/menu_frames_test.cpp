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
    Release({Hotkey(MenuNewGame), Hotkey(MenuOptions)});
    EXPECT_EQ(Menu.MenuSelect, MenuOptions);
    Release({KeyEscape});
    Release({KeyEscape, Hotkey(MenuNewGame)});
    EXPECT_EQ(App.QuitRequested, 1);
    EXPECT_EQ(Menu.MenuSelect, MenuNewGame);
}

TEST_F(MenuFrames, RebindingForwardByClicksAndAKeyShowsTheKeyNextFrame) {
    Boot();
    ClickItem(Layout.ControlBox);   // in the home column on the main page
    ASSERT_EQ(Menu.MenuSelect, MenuControl);
    Frames(32);                     // the sub column slides out of the way
    ASSERT_EQ(Layout.ControlBox.x, ShiftedColumnX());
    ClickItem(Layout.ForwardBox);
    ASSERT_EQ(Menu.MenuSelect, MenuForward);
    Frame({KeyK});
    const int captureFrame = Rec.Frame;
    Frame();
    EXPECT_EQ(Menu.MenuSelect, MenuControl);
    EXPECT_NE(ReadSettingsFile().find("Forward = K"), std::string::npos);
    // The key cap K, drawn in Forward's row.
    const std::string drawnK = Blended(TextLabelBlend(TextCapitalFirst + ('K' - 'A')), Layout.ForwardGlyphBox, 255);
    EXPECT_FALSE(FrameDraws(captureFrame, drawnK));
    Frame();
    EXPECT_TRUE(FrameDraws(captureFrame + 1, drawnK)) << "K in Forward's row";
}

TEST_F(MenuFrames, ChoosingAnotherSizeRestartsOnTheResolutionPage) {
    Boot();
    Rec.Modes = {ModeOf(OfferedSizes[0]), ModeOf(OfferedSizes[1])};
    ClickItem(Layout.OptionsBox);
    ClickItem(Layout.GraphicBox);   // still in the home column
    ASSERT_EQ(Menu.MenuSelect, MenuGraphic);
    Frames(32);
    ClickItem(Layout.ResolutionBox);
    ASSERT_EQ(Menu.MenuSelect, MenuResolution);
    ClickItem(Layout.Res1024Box);
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
    Rec.Modes = {ModeOf(OfferedSizes[1])};
    Boot();
    PointAt(1000, 10);
    Frame();
    EXPECT_EQ(Menu.MenuSelect, MenuResolution);
    EXPECT_TRUE(FrameDraws(0, Blended(BlendLabelDeFirst + LabelGraphic, ShiftedColumnX(), Layout.GraphicBox.y, 255)))
        << "Graphic lit in the shifted column";
    EXPECT_TRUE(FrameDraws(0, Blended(BlendLabelDeFirst + LabelResolution, 437, 280, 255))) << "Resolution";
    EXPECT_TRUE(FrameDraws(0, Blended(BlendLabelDeFirst + LabelRes1024, 597, 310, 255))) << "1024x768 lit";
}

}  // namespace
