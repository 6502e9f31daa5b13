// menu_state.cpp — the menu's states: one row per MenuSelect value with its
// identifier, the names the debug overlay prints and the page Escape leads
// back to; which pages are the main-row pages; and the page reset that
// re-arms the Options hotkey delay.
#include "menu/menu.h"

MenuPageState Menu;

// [SECTION] The state table

// Rows are indexed by value and must stay in value order: the overlay and
// Escape look a state up by MenuStates[MenuSelect]. The one-frame action
// states (15, 16, 19, 20, 21) and the reserved music rows (24, 25) never last
// until an overlay is drawn, so they carry no overlay name. Parent -1 means
// "none": on the main page Escape requests the quit instead, and the action
// and reserved states are never left by Escape.
const MenuStateInfo MenuStates[MenuStateCount] = {
    //  Identifier           German name       English name    Parent
    {"MenuMain",          "Hauptmenü",      "Main Menu",    -1},
    {"MenuNewGame",       "Neues Spiel",    "New Game",     MenuMain},
    {"MenuLoadGame",      "Spiel Laden",    "Load Game",    MenuMain},
    {"MenuOptions",       "Optionen",       "Options",      MenuMain},
    {"MenuControl",       "Steuerung",      "Control",      MenuOptions},
    {"MenuForward",       "Vorwärts",       "Forward",      MenuControl},
    {"MenuBackward",      "Rückwärts",      "Backward",     MenuControl},
    {"MenuLeft",          "Links",          "Left",         MenuControl},
    {"MenuRight",         "Rechts",         "Right",        MenuControl},
    {"MenuDuck",          "Ducken",         "Duck",         MenuControl},
    {"MenuJump",          "Springen",       "Jump",         MenuControl},
    {"MenuJournal",       "Journal",        "Journal",      MenuControl},
    {"MenuScreenshot",    "Bildaufnahme",   "Screenshot",   MenuControl},
    {"MenuGameplay",      "Gameplay",       "Gameplay",     MenuOptions},
    {"MenuLanguage",      "Sprache",        "Language",     MenuGameplay},
    {"MenuGerman",        nullptr,          nullptr,        -1},   // action, one frame
    {"MenuEnglish",       nullptr,          nullptr,        -1},   // action, one frame
    {"MenuGraphic",       "Grafik",         "Graphic",      MenuOptions},
    {"MenuResolution",    "Auflösung",      "Resolution",   MenuGraphic},
    {"MenuRes800x600",    nullptr,          nullptr,        -1},   // action, one frame
    {"MenuRes1024x768",   nullptr,          nullptr,        -1},   // action, one frame
    {"MenuRes1280x720",   nullptr,          nullptr,        -1},   // action, one frame
    {"MenuSound",         "Audio",          "Sound",        MenuOptions},
    {"MenuMusic",         "Musik",          "Music",        MenuSound},
    {"MenuMusicOn",       nullptr,          nullptr,        -1},   // reserved, never selected
    {"MenuMusicOff",      nullptr,          nullptr,        -1},   // reserved, never selected
    {"MenuCredits",       "Mitwirkende",    "Credits",      MenuMain},
    {"MenuQuit",          "Beenden",        "Quit",         MenuMain},
};

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
