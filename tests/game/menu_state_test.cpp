// menu_state_test.cpp — the states as the player sees them: the name the
// debug overlay gives every page in both languages (and none to the action
// and reserved states), and the page reset of the Options hotkey delay.
#include <set>
#include <string>

#include "assets/menu_words.h"
#include "menu_test_support.h"

namespace {

// Whether the state is a page the player stays on: one frame from it with
// nothing held keeps it, and the program goes on. An action state does its
// deed in the frame it is entered and hands over to its page, or to a new
// instance of the program at another size, so no overlay ever shows it.
bool StateLasts(int state) {
    Menu = MenuPageState{};
    Menu.MenuSelect = state;
    Frame();
    const bool lasts = Menu.MenuSelect == state && App.RestartRequested == 0 && App.QuitRequested == 0;
    App.RestartRequested = App.QuitRequested = 0;   // the restart is not taken
    App.NewScreenWidth = App.NewScreenHeight = 0;
    return lasts;
}

// The name the player reads for a page in the language's words: the label of
// the item that opens it, the main page's own name for the main page.
std::string PageName(const MenuWords& words, int state) {
    return state == MenuMain ? words.MainPage : words.Labels[ItemLabel(state)].Text;
}

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
    BootWith({"[Settings]", "settings.debugger = 1"});
    int pages = 0, others = 0;
    for (int state = 0; state < MenuStateCount; ++state) {
        SCOPED_TRACE(state);
        const bool page = StateLasts(state);
        (page ? pages : others) += 1;
        Cfg.settings.language = "German";
        EXPECT_EQ(OverlayName(state), page ? PageName(GermanWords, state) : "");
        Cfg.settings.language = "English";
        EXPECT_EQ(OverlayName(state), page ? PageName(EnglishWords, state) : "");
    }
    // Both kinds were met: the frames told pages and actions apart.
    EXPECT_GT(pages, 0);
    EXPECT_GT(others, 0);
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
