// menu_words.h — every word of the menu, one table per language: the item
// labels with their red hotkey letters (drawn into the label pictures by the
// image generator, spoken by speech, named by the debug overlay), the main
// page's name, the credits, and the few words only speech says.
//
// Header-only and constant, so the image generator (tools/make_images.cpp)
// reads the same table as the program.
#pragma once

#include "assets/numbered_objects.h"

// [SECTION] The shape of a language's table

struct LabelWord {
    const char* Text;   // as drawn on the label and as spoken
    char Hotkey;        // the letter of Text drawn in red (case as in Text), 0 for none
};

constexpr int CreditsLineCount = 5;

struct MenuWords {
    const char* SpeechLanguage;             // the speech service's language: "de", "en"
    LabelWord Labels[MenuLabelCount];       // in MenuLabel order
    const char* MainPage;                   // the main page's name (it has no item of its own)
    const char* Credits[CreditsLineCount];  // the credits page, top to bottom: role, name(s), ...
    const char* ChooseKey;                  // the capture pages' prompt
    // Only spoken:
    const char* Selected;                   // after the item that is in force (language, size, On/Off)
    const char* NotOffered;                 // after a size the display does not offer
    const char* NoKey;                      // a binding whose stored name names no key
    const char* SizeBy;                     // "1024 <by> 768": read as a size, not as "x"
    const char* CtrlKey;                    // the key stored as "Strg", said as a word
    const char* TabKey;                     // the key stored as "Tab"
    const char* SpeechOn;                   // when speech turns on while the menu runs
    const char* ScreenshotSaved;            // "<this> <n> <ScreenshotSavedAfter>"
    const char* ScreenshotSavedAfter;
};

// [SECTION] German

inline constexpr MenuWords GermanWords{
    "de",
    {
        {"Neues Spiel", 'N'},  {"Spiel Laden", 'S'}, {"Optionen", 'O'},      {"Steuerung", 't'},
        {"Vorw\u00e4rts", 0},  {"R\u00fcckw\u00e4rts", 0},                   {"Links", 0},
        {"Rechts", 0},         {"Ducken", 0},        {"Springen", 0},        {"Journal", 0},
        {"Bildaufnahme", 0},   {"Gameplay", 'a'},    {"Sprache", 0},         {"Deutsch", 0},
        {"Englisch", 0},       {"Grafik", 'r'},      {"Aufl\u00f6sung", 0},  {"800x600", 0},
        {"1024x768", 0},       {"1280x720", 0},      {"Audio", 'u'},         {"Musik", 0},
        {"An", 0},             {"Aus", 0},           {"Mitwirkende", 'M'},   {"Beenden", 'B'},
    },
    "Hauptmen\u00fc",
    {"Projektleitung", "Talvenor", "Programmierung", "Talvenor", "Quorvath"},
    TextLabels[TextPromptDe],
    "ausgew\u00e4hlt",
    "nicht verf\u00fcgbar",
    "keine Taste",
    "mal",
    "Steuerung",
    "Tabulator",
    "Sprachausgabe an",
    "Bildaufnahme",
    "gespeichert",
};

// [SECTION] English

inline constexpr MenuWords EnglishWords{
    "en",
    {
        {"New Game", 'N'},   {"Load Game", 'L'},  {"Options", 'O'},     {"Control", 't'},
        {"Forward", 0},      {"Backward", 0},     {"Left", 0},          {"Right", 0},
        {"Duck", 0},         {"Jump", 0},         {"Journal", 0},       {"Screenshot", 0},
        {"Gameplay", 'a'},   {"Language", 0},     {"German", 0},        {"English", 0},
        {"Graphic", 'r'},    {"Resolution", 0},   {"800x600", 0},       {"1024x768", 0},
        {"1280x720", 0},     {"Sound", 'u'},      {"Music", 0},         {"On", 0},
        {"Off", 0},          {"Credits", 'C'},    {"Quit", 'Q'},
    },
    "Main Menu",
    {"Project Management", "Talvenor", "Programming", "Talvenor", "Quorvath"},
    TextLabels[TextPromptEn],
    "selected",
    "not available",
    "no key",
    "by",
    "Control",
    "Tab",
    "Speech on",
    "Screenshot",
    "saved",
};

// [SECTION] Checks

namespace menu_words_detail {
constexpr bool SameText(const char* a, const char* b) {
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}
constexpr bool HotkeysInText(const MenuWords& words) {
    for (const LabelWord& label : words.Labels) {
        if (label.Text == nullptr) return false;
        if (label.Hotkey == 0) continue;
        bool found = false;
        for (const char* c = label.Text; *c; ++c) found = found || *c == label.Hotkey;
        if (!found) return false;
    }
    return true;
}
}  // namespace menu_words_detail

static_assert(menu_words_detail::HotkeysInText(GermanWords) && menu_words_detail::HotkeysInText(EnglishWords),
              "every label has all its words and its hotkey letter is one of its letters");
static_assert(menu_words_detail::SameText(GermanWords.Labels[LabelRes1024].Text, "1024x768") &&
                  menu_words_detail::SameText(EnglishWords.Labels[LabelQuit].Text, "Quit"),
              "the labels stand in MenuLabel order");
