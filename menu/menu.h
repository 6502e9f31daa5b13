// menu.h — the menu: state model, keyboard navigation, mouse pointing,
// directional navigation, page rendering and option actions.
//
// The only page state kept between frames (everything else is decided afresh
// every frame from the pointer and MenuSelect):
//   Menu.MenuSelect     which page is open (never cleared during a run)
//   Menu.FadeInLevels   the Options hotkey delay (zeroed on the main-row pages)
//   Menu.BlinkAlpha     the pulse of the capture pages
//   Directional         the held direction's repeat (menu/directional.cpp)
// The sliding sub column's x lives in the layout table (assets/assets.h),
// which LoadAssets resets.
#pragma once

#include <cstdint>
#include <string>

#include "assets/numbered_objects.h"
#include "core/settings_keys.h"

enum MenuSelectValue : int32_t {
    MenuMain = 0,
    MenuNewGame = 1,
    MenuLoadGame = 2,
    MenuOptions = 3,
    MenuControl = 4,
    MenuForward = 5,
    MenuBackward = 6,
    MenuLeft = 7,
    MenuRight = 8,
    MenuDuck = 9,
    MenuJump = 10,
    MenuJournal = 11,
    MenuScreenshot = 12,
    MenuGameplay = 13,
    MenuLanguage = 14,
    MenuGerman = 15,
    MenuEnglish = 16,
    MenuGraphic = 17,
    MenuResolution = 18,
    MenuRes800x600 = 19,
    MenuRes1024x768 = 20,
    MenuRes1280x720 = 21,
    MenuSound = 22,
    MenuMusic = 23,
    MenuMusicOn = 24,     // action: music on, then 23
    MenuMusicOff = 25,    // action: music off, then 23
    MenuCredits = 26,
    MenuQuit = 27,
    MenuStateCount = 28,
};

// The label of the item that leads to a state: the labels stand in the order
// of the states they lead to, New Game's first.
constexpr MenuLabel ItemLabel(int32_t state) { return static_cast<MenuLabel>(state - MenuNewGame); }
static_assert(ItemLabel(MenuNewGame) == LabelNewGame && ItemLabel(MenuForward) == LabelForward &&
                  ItemLabel(MenuGerman) == LabelGerman && ItemLabel(MenuRes800x600) == LabelRes800 &&
                  ItemLabel(MenuMusicOn) == LabelOn && ItemLabel(MenuQuit) == LabelQuit &&
                  MenuStateCount - MenuNewGame == MenuLabelCount,
              "the labels follow the states their items lead to");

struct MenuStateInfo {
    const char* Identifier;   // "MenuMain", ...
    const char* GermanName;   // overlay name, nullptr for states without one
    const char* EnglishName;
};
// One row per state, indexed by value.
extern const MenuStateInfo MenuStates[MenuStateCount];

struct MenuPageState {
    int32_t MenuSelect = MenuMain;
    int FadeInLevels[4] = {0, 0, 0, 0};   // Control, Gameplay, Graphic, Sound: 0..140
    int BlinkAlpha = 255;                 // 1..255 on the capture pages
    int32_t HeldMusicChoice = -1;         // the music value the button still held chose and wrote
                                          // (-1: none); not written again until it is let go
};
extern MenuPageState Menu;

constexpr int IdleAlpha = 140;

// Directional navigation (arrow keys and game controllers) between frames.
struct DirectionalState {
    int HeldDirection = 0;      // the direction held in the last frame (0: none)
    uint32_t NextRepeatMs = 0;  // when the held direction moves the pointer again
    bool SelectHeld = false;    // this frame: Return let go or the controller's south button
                                // held; pointing takes it as the left button held
};
extern DirectionalState Directional;

// What the menu has said (menu/speech.cpp), compared every frame with what
// the player could see, so that each change is said once.
struct SpeechState {
    bool On = false;             // speaking: settings.speech is 1, or the desktop's screen reader is on
    bool Started = false;        // the speech service was asked for (once, when speech first turned on)
    bool DesktopHeard = false;   // the desktop's switch has been read: it turning on later is news
    int32_t Page = -1;           // the page whose name was said last; -1: say the page again
    std::string Item;            // what was said of the item under the pointer ("" nothing)
    int32_t SavedScreenshot = 0; // a screenshot saved in this frame, to be said; 0 none
};
extern SpeechState Speech;

struct ItemBox;   // assets/assets.h

// [SECTION] Procedures

// The main page and the main-row pages outside the options tree (0, 1, 2,
// 26, 27): the pages without the sub column.
bool IsMainRowPage(int32_t state);
void ResetFadeInOnMainPages();     // the page reset after input handling
void FadeInStep();
void NavigateByKeyboard();
void PointWithMouse();
void NavigateByDirection();
// The items a click would take on the page `state`, in the pointing table's
// order: the box at its current place (the sub column's included) and the
// state it leads to. OwnItem is true for the page's own items, false for
// those live on every page.
struct ClickableItem {
    const ItemBox* Box;
    int32_t Target;
    bool OwnItem;
};
constexpr int MaxClickableItems = 27;
int ClickableItems(int32_t state, ClickableItem out[MaxClickableItems]);
// The pointer strictly inside the box (its edge pixels do not count); the
// one hover and hit test of pointing and drawing.
bool IsHovered(const ItemBox& box);
// The items the arrows move between on the page `state`: the clickable
// items that are drawn there (the sub column only where it shows, no item of
// a size without a layout), in the pointing table's order.
int ReachableItems(int32_t state, ClickableItem out[MaxClickableItems]);
// The item under the pointer as pointing takes it (the first hit), -1 none.
int ItemUnderPointer(const ClickableItem* items, int count);
void RenderPage();
// The sizes of the Resolution page's items, in their order (MenuRes800x600 ...).
struct OfferedSize {
    int Width, Height;
};
extern const OfferedSize OfferedSizes[3];
// The depth and refresh rate at which the Resolution page offers a size: the
// full-screen mode a size item switches to.
constexpr int OfferedDepth = 32;
constexpr int OfferedRefresh = 85;
// Whether the display lists the size at the depth and rate the Resolution
// page offers (its item is drawn only then).
bool DisplayOffersSize(int width, int height);
// The [Controls] key a capture state edits (MenuForward ... MenuScreenshot).
SettingKey BindingSetting(int32_t state);
void SlideStep();
int ComputeBlinkAlpha(uint32_t milliseconds);
void ApplyLanguage(const char* language);
void ChooseScreenSize(int width, int height);
void ChooseMusic(int32_t music);   // settings.music: 1 on, 0 off
// Speech: the desktop's switch is followed from the start (unless
// settings.speech decides); the frame's words are said at its end.
void StartSpeechFollowing();
void SpeakMenu();
void AnnounceScreenshot(int32_t number);   // a screenshot was saved under this number
void SpeechToBackground();                 // before the focus-loss wait
