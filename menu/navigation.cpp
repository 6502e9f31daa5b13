// navigation.cpp — keyboard navigation: one list of hotkey tests per menu
// state, and the Options page's hotkey delay (FadeInStep).
#include <algorithm>
#include <cassert>
#include <iterator>

#include "assets/menu_words.h"
#include "core/core.h"
#include "menu/menu.h"
#include "platform/platform.h"

// [SECTION] Keys of the lists

namespace {

// A hotkey as the player sees it: the red letter of an item's label, in
// each language (three main-row letters differ between the German and the
// English labels).
struct HotKey {
    int German;
    int English;
};

constexpr int KeyOfLetter(char letter) { return KeyA + (letter >= 'a' ? letter - 'a' : letter - 'A'); }
constexpr HotKey RedLetterOf(MenuLabel label) {
    return {KeyOfLetter(GermanWords.Labels[label].Hotkey), KeyOfLetter(EnglishWords.Labels[label].Hotkey)};
}

constexpr HotKey Esc{KeyEscape, KeyEscape};
constexpr HotKey N = RedLetterOf(LabelNewGame);
constexpr HotKey SL = RedLetterOf(LabelLoadGame);   // Spiel Laden / Load Game
constexpr HotKey O = RedLetterOf(LabelOptions);
constexpr HotKey MC = RedLetterOf(LabelCredits);    // Mitwirkende / Credits
constexpr HotKey BQ = RedLetterOf(LabelQuit);       // Beenden / Quit
constexpr HotKey T = RedLetterOf(LabelControl);
constexpr HotKey A = RedLetterOf(LabelGameplay);
constexpr HotKey R = RedLetterOf(LabelGraphic);
constexpr HotKey U = RedLetterOf(LabelSound);

// Escape on the main page ends the program instead of changing the page.
constexpr int32_t ToQuit = -1;

struct NavTest {
    HotKey Key;
    int32_t Target;       // a MenuSelect value, or ToQuit
    bool WaitsForFadeIn = false;  // tested only once the Options delay has run out
};

// [SECTION] The lists, one per state, in the order they are tested

constexpr NavTest MainTests[] = {
    {Esc, ToQuit}, {N, MenuNewGame}, {SL, MenuLoadGame}, {O, MenuOptions},
    {MC, MenuCredits}, {BQ, MenuQuit},
};
constexpr NavTest NewGameTests[] = {
    {Esc, MenuMain}, {SL, MenuLoadGame}, {O, MenuOptions}, {MC, MenuCredits}, {BQ, MenuQuit},
};
constexpr NavTest LoadGameTests[] = {
    {Esc, MenuMain}, {N, MenuNewGame}, {O, MenuOptions}, {MC, MenuCredits}, {BQ, MenuQuit},
};
constexpr NavTest OptionsTests[] = {
    {Esc, MenuMain}, {N, MenuNewGame}, {SL, MenuLoadGame}, {MC, MenuCredits}, {BQ, MenuQuit},
    {T, MenuControl, true}, {A, MenuGameplay, true}, {R, MenuGraphic, true}, {U, MenuSound, true},
};
constexpr NavTest ControlTests[] = {
    {Esc, MenuOptions}, {N, MenuNewGame}, {SL, MenuLoadGame}, {A, MenuGameplay},
    {R, MenuGraphic}, {U, MenuSound}, {MC, MenuCredits}, {BQ, MenuQuit},
};
// Every other key of a capture page belongs to key capture.
constexpr NavTest CaptureTests[] = {
    {Esc, MenuControl},
};
constexpr NavTest GameplayTests[] = {
    {Esc, MenuOptions}, {N, MenuNewGame}, {SL, MenuLoadGame}, {T, MenuControl},
    {R, MenuGraphic}, {U, MenuSound}, {MC, MenuCredits}, {BQ, MenuQuit},
};
constexpr NavTest LanguageTests[] = {
    {Esc, MenuGameplay}, {N, MenuNewGame}, {SL, MenuLoadGame}, {T, MenuControl},
    {R, MenuGraphic}, {U, MenuSound}, {MC, MenuCredits}, {BQ, MenuQuit},
};
constexpr NavTest GraphicTests[] = {
    {Esc, MenuOptions}, {N, MenuNewGame}, {SL, MenuLoadGame}, {T, MenuControl},
    {A, MenuGameplay}, {U, MenuSound}, {MC, MenuCredits}, {BQ, MenuQuit},
};
constexpr NavTest ResolutionTests[] = {
    {Esc, MenuGraphic}, {N, MenuNewGame}, {SL, MenuLoadGame}, {T, MenuControl},
    {A, MenuGameplay}, {U, MenuSound}, {MC, MenuCredits}, {BQ, MenuQuit},
};
constexpr NavTest SoundTests[] = {
    {Esc, MenuOptions}, {N, MenuNewGame}, {SL, MenuLoadGame}, {T, MenuControl},
    {A, MenuGameplay}, {R, MenuGraphic}, {MC, MenuCredits}, {BQ, MenuQuit},
};
constexpr NavTest MusicTests[] = {
    {Esc, MenuSound}, {N, MenuNewGame}, {SL, MenuLoadGame}, {T, MenuControl},
    {A, MenuGameplay}, {R, MenuGraphic}, {MC, MenuCredits}, {BQ, MenuQuit},
};
constexpr NavTest CreditsTests[] = {
    {Esc, MenuMain}, {N, MenuNewGame}, {SL, MenuLoadGame}, {O, MenuOptions}, {BQ, MenuQuit},
};
constexpr NavTest QuitTests[] = {
    {Esc, MenuMain}, {N, MenuNewGame}, {SL, MenuLoadGame}, {O, MenuOptions}, {MC, MenuCredits},
};

struct NavList {
    const NavTest* Tests;
    int Count;
};

template <size_t Count>
constexpr NavList List(const NavTest (&tests)[Count]) {
    return {tests, static_cast<int>(Count)};
}
constexpr NavList NoKeys{nullptr, 0};   // the one-frame action states

// Indexed by MenuSelect.
constexpr NavList NavLists[MenuStateCount] = {
    List(MainTests),        // 0  MenuMain
    List(NewGameTests),     // 1  MenuNewGame
    List(LoadGameTests),    // 2  MenuLoadGame
    List(OptionsTests),     // 3  MenuOptions
    List(ControlTests),     // 4  MenuControl
    List(CaptureTests),     // 5  MenuForward
    List(CaptureTests),     // 6  MenuBackward
    List(CaptureTests),     // 7  MenuLeft
    List(CaptureTests),     // 8  MenuRight
    List(CaptureTests),     // 9  MenuDuck
    List(CaptureTests),     // 10 MenuJump
    List(CaptureTests),     // 11 MenuJournal
    List(CaptureTests),     // 12 MenuScreenshot
    List(GameplayTests),    // 13 MenuGameplay
    List(LanguageTests),    // 14 MenuLanguage
    NoKeys,                 // 15 MenuGerman
    NoKeys,                 // 16 MenuEnglish
    List(GraphicTests),     // 17 MenuGraphic
    List(ResolutionTests),  // 18 MenuResolution
    NoKeys,                 // 19 MenuRes800x600
    NoKeys,                 // 20 MenuRes1024x768
    NoKeys,                 // 21 MenuRes1280x720
    List(SoundTests),       // 22 MenuSound
    List(MusicTests),       // 23 MenuMusic
    NoKeys,                 // 24 MenuMusicOn
    NoKeys,                 // 25 MenuMusicOff
    List(CreditsTests),     // 26 MenuCredits
    List(QuitTests),        // 27 MenuQuit
};
static_assert(std::size(NavLists) == MenuStateCount, "one navigation list per menu state");

constexpr int FadeInFull = 140;
constexpr int FadeInRise = 10;

}  // namespace

// [SECTION] Procedures

// Every test of the list runs, even after one succeeded, so that of several
// keys let go in one frame the last one in the list decides. The list is
// chosen once: a state reached by one test does not bring its own keys into
// play before the next frame.
void NavigateByKeyboard() {
    const int32_t state = Menu.MenuSelect;
    if (state < 0 || state >= MenuStateCount) return;   // not a page: no keys
    const NavList list = NavLists[state];
    const bool german = IsGerman();
    // The Options delay gates its keys completely: while it counts they are
    // not even asked about, so a key tapped meanwhile leaves no release behind.
    const bool fadeInDone = Menu.FadeInLevels[3] == FadeInFull;
    for (int i = 0; i < list.Count; ++i) {
        const NavTest& test = list.Tests[i];
        if (test.WaitsForFadeIn && !fadeInDone) continue;
        bool released = KeyReleased(german ? test.Key.German : test.Key.English);
        // The controller's east button is a second Escape, in Escape's place in the list.
        if (test.Key.German == KeyEscape && ControllerButtonReleased(PadEast)) released = true;
        if (!released) continue;
        if (test.Target == ToQuit)
            App.QuitRequested = 1;
        else
            Menu.MenuSelect = test.Target;
    }
}

// The four levels fill one after the other, 10 a frame; each starts in the
// frame its predecessor is full, so the last is full in the 53rd frame.
void FadeInStep() {
    for (int i = 0; i < 4; ++i) {
        assert(Menu.FadeInLevels[i] >= 0 && Menu.FadeInLevels[i] <= FadeInFull &&
               "fade-in level outside 0..140");
        if (i > 0 && Menu.FadeInLevels[i - 1] != FadeInFull) continue;
        if (Menu.FadeInLevels[i] < FadeInFull)
            Menu.FadeInLevels[i] = std::min(Menu.FadeInLevels[i] + FadeInRise, FadeInFull);
    }
}
