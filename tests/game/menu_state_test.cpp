// menu_state_test.cpp — the state table (identifiers, overlay names, page
// tree) and the page reset of the Options hotkey delay.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "menu/menu.h"

namespace {

// Written out from the page tree, independently of the table under test.
struct Expected {
    int Value;
    const char* Identifier;
    const char* German;   // nullptr: no overlay name
    const char* English;
    int Parent;
};
const Expected ExpectedStates[] = {
    {0, "MenuMain", "Hauptmenü", "Main Menu", -1},
    {1, "MenuNewGame", "Neues Spiel", "New Game", 0},
    {2, "MenuLoadGame", "Spiel Laden", "Load Game", 0},
    {3, "MenuOptions", "Optionen", "Options", 0},
    {4, "MenuControl", "Steuerung", "Control", 3},
    {5, "MenuForward", "Vorwärts", "Forward", 4},
    {6, "MenuBackward", "Rückwärts", "Backward", 4},
    {7, "MenuLeft", "Links", "Left", 4},
    {8, "MenuRight", "Rechts", "Right", 4},
    {9, "MenuDuck", "Ducken", "Duck", 4},
    {10, "MenuJump", "Springen", "Jump", 4},
    {11, "MenuJournal", "Journal", "Journal", 4},
    {12, "MenuScreenshot", "Bildaufnahme", "Screenshot", 4},
    {13, "MenuGameplay", "Gameplay", "Gameplay", 3},
    {14, "MenuLanguage", "Sprache", "Language", 13},
    {15, "MenuGerman", nullptr, nullptr, -1},
    {16, "MenuEnglish", nullptr, nullptr, -1},
    {17, "MenuGraphic", "Grafik", "Graphic", 3},
    {18, "MenuResolution", "Auflösung", "Resolution", 17},
    {19, "MenuRes800x600", nullptr, nullptr, -1},
    {20, "MenuRes1024x768", nullptr, nullptr, -1},
    {21, "MenuRes1280x720", nullptr, nullptr, -1},
    {22, "MenuSound", "Audio", "Sound", 3},
    {23, "MenuMusic", "Musik", "Music", 22},
    {24, "MenuMusicOn", nullptr, nullptr, -1},
    {25, "MenuMusicOff", nullptr, nullptr, -1},
    {26, "MenuCredits", "Mitwirkende", "Credits", 0},
    {27, "MenuQuit", "Beenden", "Quit", 0},
};

std::string OrNull(const char* s) { return s ? s : "(none)"; }

}  // namespace

TEST(MenuStateTable, EveryRowMatchesThePageTree) {
    ASSERT_EQ(sizeof(ExpectedStates) / sizeof(ExpectedStates[0]), size_t{MenuStateCount});
    for (const Expected& e : ExpectedStates) {
        SCOPED_TRACE(e.Identifier);
        const MenuStateInfo& row = MenuStates[e.Value];
        ASSERT_NE(row.Identifier, nullptr);
        EXPECT_EQ(std::string(row.Identifier), e.Identifier);
        EXPECT_EQ(OrNull(row.GermanName), OrNull(e.German));
        EXPECT_EQ(OrNull(row.EnglishName), OrNull(e.English));
        EXPECT_EQ(row.Parent, e.Parent);
    }
}

TEST(PageReset, ZeroesTheOptionsDelayOnlyOnTheMainRowPages) {
    const std::set<int> resetting = {MenuMain, MenuNewGame, MenuLoadGame, MenuCredits, MenuQuit};
    for (int state = 0; state < MenuStateCount; ++state) {
        SCOPED_TRACE(state);
        Menu = MenuPageState{};
        Menu.MenuSelect = state;
        for (int& level : Menu.FadeInLevels) level = 140;
        ResetFadeInOnMainPages();
        for (int level : Menu.FadeInLevels) EXPECT_EQ(level, resetting.count(state) ? 0 : 140);
        EXPECT_EQ(Menu.MenuSelect, state);
    }
    Menu = MenuPageState{};
}
