// menu_state.cpp — the menu's states: one row per MenuSelect value with its
// identifier and the names the debug overlay prints, which pages are the
// main-row pages, and the page reset that re-arms the Options hotkey delay.
#include "assets/menu_words.h"
#include "menu/menu.h"

MenuPageState Menu;

// [SECTION] The state table

// Rows are indexed by value and must stay in value order: the overlay looks a
// state up by MenuStates[MenuSelect]. The one-frame action states (15, 16,
// 19, 20, 21, 24, 25) never last until an overlay is drawn, so they carry no
// overlay name. Where Escape leads is in
// each page's key list (navigation.cpp), in its place among the page's keys.
// A page is named by the label of the item that opens it (ItemLabel); the
// main page has a name of its own.
#define PAGE(id) {#id, GermanWords.Labels[ItemLabel(id)].Text, EnglishWords.Labels[ItemLabel(id)].Text}
#define ACTION(id) {#id, nullptr, nullptr}   // one frame
const MenuStateInfo MenuStates[MenuStateCount] = {
    {"MenuMain", GermanWords.MainPage, EnglishWords.MainPage},
    PAGE(MenuNewGame),    PAGE(MenuLoadGame),  PAGE(MenuOptions),     PAGE(MenuControl),
    PAGE(MenuForward),    PAGE(MenuBackward),  PAGE(MenuLeft),        PAGE(MenuRight),
    PAGE(MenuDuck),       PAGE(MenuJump),      PAGE(MenuJournal),     PAGE(MenuScreenshot),
    PAGE(MenuGameplay),   PAGE(MenuLanguage),  ACTION(MenuGerman),    ACTION(MenuEnglish),
    PAGE(MenuGraphic),    PAGE(MenuResolution), ACTION(MenuRes800x600), ACTION(MenuRes1024x768),
    ACTION(MenuRes1280x720), PAGE(MenuSound),  PAGE(MenuMusic),       ACTION(MenuMusicOn),
    ACTION(MenuMusicOff), PAGE(MenuCredits),   PAGE(MenuQuit),
};
#undef PAGE
#undef ACTION

// [SECTION] Page kinds

// Options, although on the main row, holds the options tree and is not one
// of these: its page shows the sub column.
bool IsMainRowPage(int32_t state) {
    switch (state) {
    case MenuMain:
    case MenuNewGame:
    case MenuLoadGame:
    case MenuCredits:
    case MenuQuit:
        return true;
    default:
        return false;
    }
}

// [SECTION] Page reset

// On the main page and the main-row pages outside the options tree the
// Options hotkey delay starts over, so the next visit to Options waits for
// the full fade-in again; returning to Options from one of its sub-pages
// keeps the levels and the hotkeys work at once.
void ResetFadeInOnMainPages() {
    if (!IsMainRowPage(Menu.MenuSelect)) return;
    for (int& level : Menu.FadeInLevels) level = 0;
}
