// numbered_objects.h — the catalogue of numbered objects: every font, sprite
// and blendable number the menu uses, and the lists whose order they follow.
//
// The numbers themselves are fixed; what is derived here is how they hang
// together (a blendable is its sprite moved by a constant, a key glyph is its
// text label's place in TextLabels, an image's sprite is its place in the
// decoding order). Each dependency is checked when compiling, so reordering
// a list fails to compile instead of drawing the wrong picture.
#pragma once

#include <iterator>
#include <string_view>

// [SECTION] Fonts

constexpr int FontMenu = 0;      // MenuFont
constexpr int FontCredits = 1;   // CreditsFont
constexpr int FontDebug = 2;     // DebugFont

// [SECTION] The picture lists

// Each list names its pictures as M(kind, name, variant); the identifier of a
// picture is the three pasted together ("Backdrop" "Main" "800"). The enums
// below and the embedded images (embedded_images.cpp) both come from these
// lists, so they cannot disagree about the order.

// The backdrop pages, in catalogue order (one picture per page and size).
#define VELDRUNE_BACKDROP_PAGES(M, size)                                                          \
    M(Backdrop, Main, size) M(Backdrop, NewGameDe, size) M(Backdrop, LoadGameDe, size)            \
    M(Backdrop, OptionsDe, size) M(Backdrop, CreditsDe, size) M(Backdrop, QuitDe, size)           \
    M(Backdrop, NewGameEn, size) M(Backdrop, LoadGameEn, size) M(Backdrop, OptionsEn, size)       \
    M(Backdrop, CreditsEn, size) M(Backdrop, QuitEn, size)

// The menu labels of one language, in item order.
#define VELDRUNE_MENU_LABELS(M, lang)                                                             \
    M(Label, NewGame, lang) M(Label, LoadGame, lang) M(Label, Options, lang)                      \
    M(Label, Control, lang) M(Label, Forward, lang) M(Label, Backward, lang) M(Label, Left, lang)  \
    M(Label, Right, lang) M(Label, Duck, lang) M(Label, Jump, lang) M(Label, Journal, lang)       \
    M(Label, Screenshot, lang) M(Label, Gameplay, lang) M(Label, Language, lang)                  \
    M(Label, German, lang) M(Label, English, lang) M(Label, Graphic, lang)                        \
    M(Label, Resolution, lang) M(Label, Res800, lang) M(Label, Res1024, lang)                     \
    M(Label, Res1280, lang) M(Label, Sound, lang) M(Label, Music, lang) M(Label, On, lang)        \
    M(Label, Off, lang) M(Label, Credits, lang) M(Label, Quit, lang)

#define VELDRUNE_PAGE_ENUM(kind, name, size) Page##name,
#define VELDRUNE_LABEL_ENUM(kind, name, lang) Label##name,
// Backdrop pages (blendable = BlendBackdropFirst + 11 * sizeIndex + page).
enum BackdropPage : int { VELDRUNE_BACKDROP_PAGES(VELDRUNE_PAGE_ENUM, ) BackdropPageCount };
// Menu labels (German blendable = BlendLabelDeFirst + label, English = BlendLabelEnFirst + label).
enum MenuLabel : int { VELDRUNE_MENU_LABELS(VELDRUNE_LABEL_ENUM, ) MenuLabelCount };
#undef VELDRUNE_PAGE_ENUM
#undef VELDRUNE_LABEL_ENUM

constexpr int ScreenSizeCount = 3;                                // 800x600, 1024x768, 1280x720
constexpr int DividerCount = ScreenSizeCount;
constexpr int BackdropCount = BackdropPageCount * ScreenSizeCount;
constexpr int LabelImageCount = 2 * MenuLabelCount;              // German, then English

// [SECTION] Embedded images, in decoding order

constexpr int ImageDividerFirst = 0;
constexpr int ImagePointer = ImageDividerFirst + DividerCount;
constexpr int ImageBackdropFirst = ImagePointer + 1;
constexpr int ImageLabelFirst = ImageBackdropFirst + BackdropCount;
constexpr int EmbeddedImageCount = ImageLabelFirst + LabelImageCount;
static_assert(EmbeddedImageCount == 91, "91 embedded pictures");

// [SECTION] Sprites

constexpr int SpriteScratch = 0;                                  // the screenshot's capture
constexpr int SpriteDividerFirst = 97;                            // 97..99
constexpr int SpritePointer = SpriteDividerFirst + DividerCount;  // 100
constexpr int SpriteBackdropFirst = SpritePointer + 1;            // 101..133
constexpr int SpriteLabelFirst = 140;                             // 140..193 (134..139 unused)
constexpr int SpriteTextLabelFirst = 801;                         // 801..885
static_assert(SpriteBackdropFirst + BackdropCount <= SpriteLabelFirst, "backdrop and label sprites overlap");

// The sprite of each embedded image: dividers, pointer and backdrops run on
// from 97, the labels from 140. 0 for an index outside the list.
constexpr int EmbeddedImageSprite(int index) {
    if (index < 0 || index >= EmbeddedImageCount) return 0;
    return index < ImageLabelFirst ? SpriteDividerFirst + index : SpriteLabelFirst + (index - ImageLabelFirst);
}

// [SECTION] Blendable objects

constexpr int BlendPointer = 0;
constexpr int BlendDivider800 = 1, BlendDivider1024 = 2, BlendDivider1280 = 3;
constexpr int BlendBackdropFirst = SpriteBackdropFirst - 97;      // 4..36
constexpr int BlendLabelDeFirst = SpriteLabelFirst - 103;         // 37..63
constexpr int BlendLabelEnFirst = BlendLabelDeFirst + MenuLabelCount;  // 64..90
constexpr int BlendKeyLabelFirst = SpriteTextLabelFirst + 100;    // 901..985
static_assert(BlendBackdropFirst == BlendDivider1280 + 1 && BlendLabelDeFirst == BlendBackdropFirst + BackdropCount,
              "the image blendables run on without a gap");

// [SECTION] Text labels

// The 85 texts rendered into sprites 801..885, in this order: digits,
// capitals, small letters, F1..F12, then the specials with the German
// key-cap words before the German prompt and the English words before the
// English prompt.
inline constexpr const char* TextLabels[] = {
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9",
    "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
    "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z",
    "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m",
    "n", "o", "p", "q", "r", "s", "t", "u", "v", "w", "x", "y", "z",
    "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12",
    "Strg", "Alt", "Tab", "Umschalt", "Leertaste", "Enter", "Taste wählen",
    "Shift", "Space", "Return", "Choose a key",
};
constexpr int TextLabelCount = int(std::size(TextLabels));

// Places in TextLabels the glyphs are found by.
enum TextLabelPlace : int {
    TextDigitFirst = 0, TextCapitalFirst = 10, TextSmallFirst = 36, TextFunctionFirst = 62,
    TextStrg = 74, TextAlt, TextTab, TextUmschalt, TextLeertaste, TextEnter, TextPromptDe,
    TextShift, TextSpace, TextReturn, TextPromptEn,
};
static_assert(TextLabelCount == 85 && TextPromptEn == TextLabelCount - 1, "85 text labels, sprites 801..885");
static_assert(std::string_view(TextLabels[TextDigitFirst]) == "0" && std::string_view(TextLabels[TextDigitFirst + 9]) == "9" &&
              std::string_view(TextLabels[TextCapitalFirst]) == "A" && std::string_view(TextLabels[TextCapitalFirst + 25]) == "Z" &&
              std::string_view(TextLabels[TextSmallFirst]) == "a" && std::string_view(TextLabels[TextSmallFirst + 25]) == "z" &&
              std::string_view(TextLabels[TextFunctionFirst]) == "F1" &&
              std::string_view(TextLabels[TextFunctionFirst + 11]) == "F12",
              "the runs of TextLabels start where the glyph lookup counts from");
static_assert(std::string_view(TextLabels[TextStrg]) == "Strg" && std::string_view(TextLabels[TextAlt]) == "Alt" &&
              std::string_view(TextLabels[TextTab]) == "Tab" && std::string_view(TextLabels[TextUmschalt]) == "Umschalt" &&
              std::string_view(TextLabels[TextLeertaste]) == "Leertaste" && std::string_view(TextLabels[TextEnter]) == "Enter" &&
              std::string_view(TextLabels[TextPromptDe]) == "Taste wählen" && std::string_view(TextLabels[TextShift]) == "Shift" &&
              std::string_view(TextLabels[TextSpace]) == "Space" && std::string_view(TextLabels[TextReturn]) == "Return" &&
              std::string_view(TextLabels[TextPromptEn]) == "Choose a key",
              "each special text label stands at its place");

// The blendable that shows a text label: the key glyphs and the two prompts.
constexpr int TextLabelBlend(int place) { return BlendKeyLabelFirst + place; }
constexpr int BlendPromptChooseKeyDe = TextLabelBlend(TextPromptDe);   // 981
constexpr int BlendPromptChooseKeyEn = TextLabelBlend(TextPromptEn);   // 985
