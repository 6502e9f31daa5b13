// menu_actions_test.cpp — choosing a language and choosing a screen size.
#include <filesystem>

#include "menu_test_support.h"

namespace {

class MenuActions : public GameTest {};

// One frame on a page with the button held on an item.
void ClickInAFrame(int page, const ItemBox& box) {
    ShowPage(page);
    PointAtItem(box);
    HoldLeftButton(true);
    Frame();
}

// [SECTION] Language

TEST_F(MenuActions, ChoosingALanguageWritesItEveryTime) {
    WriteSettingsFile(SettingsText({"[Settings]", "settings.language = German", "settings.music = 0"}));
    ApplyLanguage("English");
    EXPECT_EQ(Cfg.settings.language, "English");
    EXPECT_NE(ReadSettingsFile().find("settings.language = English"), std::string::npos);
    EXPECT_NE(ReadSettingsFile().find("settings.music = 0"), std::string::npos) << "other keys kept";

    // The language in use again: the file is written again with the same value.
    WriteSettingsFile(SettingsText({"[Settings]", "settings.language = Klingon"}));
    Cfg.settings.language = "English";
    ApplyLanguage("English");
    EXPECT_NE(ReadSettingsFile().find("settings.language = English"), std::string::npos);
}

TEST_F(MenuActions, LanguageChangesInMemoryWhenTheFileCannotBeWritten) {
    std::filesystem::create_directory(SettingsFileName);   // not a file: cannot be written
    ApplyLanguage("English");
    EXPECT_EQ(Cfg.settings.language, "English");
}

TEST_F(MenuActions, ClickingAnotherLanguageEndsOnTheLanguagePageInIt) {
    UseScreen(800, 600);
    ClickInAFrame(MenuLanguage, Layout.EnglishBox);
    EXPECT_EQ(Menu.MenuSelect, MenuLanguage);
    EXPECT_EQ(Cfg.settings.language, "English");
    EXPECT_NE(ReadSettingsFile().find("settings.language = English"), std::string::npos);
}

// [SECTION] Screen size

TEST_F(MenuActions, ChoosingTheCurrentSizeTouchesNothing) {
    Cfg.ScreenW = 1024;
    Cfg.ScreenH = 768;
    Menu.MenuSelect = MenuRes1024x768;
    ChooseScreenSize(1024, 768);
    EXPECT_EQ(Menu.MenuSelect, MenuResolution);
    EXPECT_EQ(App.RestartRequested, 0);
    EXPECT_EQ(App.NewScreenWidth, 0);
    EXPECT_FALSE(FileExists(SettingsFileName));
}

TEST_F(MenuActions, AnotherSizeRequestsTheRestartAndKeepsTheState) {
    Menu.MenuSelect = MenuRes1024x768;
    ChooseScreenSize(1024, 768);
    EXPECT_EQ(App.RestartRequested, 1);
    EXPECT_EQ(App.NewScreenWidth, 1024);
    EXPECT_EQ(App.NewScreenHeight, 768);
    EXPECT_EQ(Menu.MenuSelect, MenuRes1024x768);
    EXPECT_EQ(Cfg.ScreenW, 800) << "the restart, not the choice, changes the size";
}

TEST_F(MenuActions, SizeWidthAndHeightAreComparedTogether) {
    Cfg.ScreenW = 1024;
    Cfg.ScreenH = 720;
    ChooseScreenSize(1024, 768);
    EXPECT_EQ(App.RestartRequested, 1);
}

TEST_F(MenuActions, ClickOnASizeTheDisplayLacksStillRestarts) {
    UseScreen(800, 600);
    Rec.Modes = {ModeOf(OfferedSizes[0])};   // 1280x720 is not offered, so not drawn
    ClickInAFrame(MenuResolution, Layout.Res1280Box);
    EXPECT_EQ(App.RestartRequested, 1);
    EXPECT_EQ(App.NewScreenWidth, 1280);
    EXPECT_EQ(App.NewScreenHeight, 720);
}

TEST_F(MenuActions, ClickOnTheCurrentSizeStaysOnTheResolutionPage) {
    UseScreen(800, 600);
    const std::string before = ReadSettingsFile();
    ClickInAFrame(MenuResolution, Layout.Res800Box);
    EXPECT_EQ(Menu.MenuSelect, MenuResolution);
    EXPECT_EQ(App.RestartRequested, 0);
    EXPECT_EQ(ReadSettingsFile(), before);
}

}  // namespace
