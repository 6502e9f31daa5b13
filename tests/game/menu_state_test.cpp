// menu_state_test.cpp — the states as the player sees them: the name the
// debug overlay gives every page in both languages (and none to the action
// and reserved states), and the page reset of the Options hotkey delay.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>

#include "core/core.h"
#include "menu/menu.h"
#include "recording/harness.h"

namespace {

// The pages' names, German then English, written out from the page tree; a
// state not listed has no name.
const std::map<int, std::pair<std::string, std::string>> PageNames = {
    {0, {"Hauptmenü", "Main Menu"}},     {1, {"Neues Spiel", "New Game"}},
    {2, {"Spiel Laden", "Load Game"}},   {3, {"Optionen", "Options"}},
    {4, {"Steuerung", "Control"}},       {5, {"Vorwärts", "Forward"}},
    {6, {"Rückwärts", "Backward"}},      {7, {"Links", "Left"}},
    {8, {"Rechts", "Right"}},            {9, {"Ducken", "Duck"}},
    {10, {"Springen", "Jump"}},          {11, {"Journal", "Journal"}},
    {12, {"Bildaufnahme", "Screenshot"}}, {13, {"Gameplay", "Gameplay"}},
    {14, {"Sprache", "Language"}},       {17, {"Grafik", "Graphic"}},
    {18, {"Auflösung", "Resolution"}},   {22, {"Audio", "Sound"}},
    {23, {"Musik", "Music"}},            {26, {"Mitwirkende", "Credits"}},
    {27, {"Beenden", "Quit"}},
};

// The state's name in the status line the overlay draws for it now; "" when
// it draws none.
std::string OverlayName(int state) {
    Menu.MenuSelect = state;
    const size_t before = Rec.Calls.size();
    DrawOverlay();
    const std::string marker = "[ MenuSelect: ";
    for (size_t i = before; i < Rec.Calls.size(); ++i) {
        const std::string& text = Rec.Calls[i].Text;
        const size_t at = text.find(marker);
        if (Rec.Calls[i].Op != "DrawTextAt" || at == std::string::npos) continue;
        const size_t from = at + marker.size();
        return text.substr(from, text.find(" ]", from) - from);
    }
    return "";
}

}  // namespace

TEST_F(GameTest, OverlayNamesEveryPageInBothLanguagesAndNoOtherState) {
    WriteSettingsFile(SettingsText({"[Settings]", "settings.debugger = 1"}));
    Boot();
    for (int state = 0; state < MenuStateCount; ++state) {
        SCOPED_TRACE(state);
        const auto page = PageNames.find(state);
        Cfg.settings.language = "German";
        EXPECT_EQ(OverlayName(state), page == PageNames.end() ? "" : page->second.first);
        Cfg.settings.language = "English";
        EXPECT_EQ(OverlayName(state), page == PageNames.end() ? "" : page->second.second);
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
