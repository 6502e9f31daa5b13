// menu_state.cpp — the menu's states: one row per MenuSelect value with its
// identifier and the names the debug overlay prints, which pages are the
// main-row pages, and the page reset that re-arms the Options hotkey delay.
#include "menu/menu.h"

MenuPageState Menu;

// [SECTION] The state table

// Rows are indexed by value and must stay in value order: the overlay looks a
// state up by MenuStates[MenuSelect]. The one-frame action states (15, 16,
// 19, 20, 21, 24, 25) never last until an overlay is drawn, so they carry no
// overlay name. Where Escape leads is in
// each page's key list (navigation.cpp), in its place among the page's keys.
const MenuStateInfo MenuStates[MenuStateCount] = {
    //  Identifier           German name       English name
    {"MenuMain",          "Hauptmenü",      "Main Menu"},
    {"MenuNewGame",       "Neues Spiel",    "New Game"},
    {"MenuLoadGame",      "Spiel Laden",    "Load Game"},
    {"MenuOptions",       "Optionen",       "Options"},
    {"MenuControl",       "Steuerung",      "Control"},
    {"MenuForward",       "Vorwärts",       "Forward"},
    {"MenuBackward",      "Rückwärts",      "Backward"},
    {"MenuLeft",          "Links",          "Left"},
    {"MenuRight",         "Rechts",         "Right"},
    {"MenuDuck",          "Ducken",         "Duck"},
    {"MenuJump",          "Springen",       "Jump"},
    {"MenuJournal",       "Journal",        "Journal"},
    {"MenuScreenshot",    "Bildaufnahme",   "Screenshot"},
    {"MenuGameplay",      "Gameplay",       "Gameplay"},
    {"MenuLanguage",      "Sprache",        "Language"},
    {"MenuGerman",        nullptr,          nullptr},   // action, one frame
    {"MenuEnglish",       nullptr,          nullptr},   // action, one frame
    {"MenuGraphic",       "Grafik",         "Graphic"},
    {"MenuResolution",    "Auflösung",      "Resolution"},
    {"MenuRes800x600",    nullptr,          nullptr},   // action, one frame
    {"MenuRes1024x768",   nullptr,          nullptr},   // action, one frame
    {"MenuRes1280x720",   nullptr,          nullptr},   // action, one frame
    {"MenuSound",         "Audio",          "Sound"},
    {"MenuMusic",         "Musik",          "Music"},
    {"MenuMusicOn",       nullptr,          nullptr},   // action, one frame
    {"MenuMusicOff",      nullptr,          nullptr},   // action, one frame
    {"MenuCredits",       "Mitwirkende",    "Credits"},
    {"MenuQuit",          "Beenden",        "Quit"},
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
