// assets.h — everything the menu shows, prepared up front: the embedded
// images and music, the fonts, the text labels, the layout table for the current screen
// size, the key-name vocabulary and key capture.
//
// State here is cleared and rebuilt by every run of LoadAssets (start-up and
// every return from a full-screen focus loss):
//   Layout          every position of the menu for the current size
//   Assets          the screenshot key and the registered font file
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/numbered_objects.h"   // every font, sprite and blendable number

// [SECTION] Embedded images

struct EmbeddedImage {
    const char* Identifier;   // "BackdropMain800", "Pointer", ...
    const uint8_t* Data;      // the PNG file's bytes
    size_t Size;
};
// The 91 images in decoding order (numbered_objects.h): dividers, pointer,
// backdrops, German labels, English labels.
extern const EmbeddedImage EmbeddedImages[EmbeddedImageCount];

// [SECTION] Embedded music

struct EmbeddedFile {
    const uint8_t* Data;
    size_t Size;
};
// The menu's one music track (Ogg Vorbis, 64 s, looping), composed by the
// build (tools/make_music.cpp).
extern const EmbeddedFile MenuMusicTrack;

// [SECTION] Layout table

struct ItemBox {
    int32_t x = 0, y = 0, w = 0, h = 0;   // left, top, width, height
};

struct LayoutTable {
    int32_t OverlayY = 0;
    int32_t UpperDividerX = 0, UpperDividerY = 0;
    int32_t LowerDividerX = 0, LowerDividerY = 0;
    ItemBox NewGameBox, LoadGameBox, OptionsBox;
    ItemBox ControlBox;                           // moves: sub column
    ItemBox ForwardBox, BackwardBox, LeftBox, RightBox, DuckBox, JumpBox, JournalBox, ScreenshotBox;
    ItemBox ForwardGlyphBox, BackwardGlyphBox, LeftGlyphBox, RightGlyphBox, DuckGlyphBox,
        JumpGlyphBox, JournalGlyphBox, ScreenshotGlyphBox;
    ItemBox PromptBox;
    ItemBox GameplayBox;                          // moves: sub column
    ItemBox LanguageBox, GermanBox, EnglishBox;
    ItemBox GraphicBox;                           // moves: sub column
    ItemBox ResolutionBox, Res800Box, Res1024Box, Res1280Box;
    ItemBox SoundBox;                             // moves: sub column
    ItemBox MusicBox, OnBox, OffBox;
    ItemBox CreditsBox, QuitBox;
};
extern LayoutTable Layout;

// Index of the current screen size: 0 = 800x600, 1 = 1024x768, 2 = 1280x720,
// -1 = a size without a layout.
int ScreenSizeIndex();
// The home and shifted column x of the sub column at the current size (0 when unknown).
int HomeColumnX();
int ShiftedColumnX();
// The four boxes of the sub column, which move together (the slide).
inline constexpr ItemBox LayoutTable::*SubColumnBoxes[] = {&LayoutTable::ControlBox, &LayoutTable::GameplayBox,
                                                           &LayoutTable::GraphicBox, &LayoutTable::SoundBox};
// Puts the whole sub column at x (the home or the shifted column).
void PlaceSubColumn(int x);
void FillLayoutTable();

// [SECTION] Key names

struct KeyNameRow {
    const char* Name;    // stored name ("W", "F12", "Strg", ...)
    int Key;             // KeyCode
    const char* Alias;   // accepted when read back ("w", "f12", ...); nullptr for digits
};
constexpr int KeyNameRowCount = 54;
constexpr int KeyRowFunctionFirst = 36;   // the rows of F1..F12
extern const KeyNameRow KeyNameTable[KeyNameRowCount];

int KeyFromName(const std::string& name);   // KeyNone when no row matches
const char* NameFromKey(int key);           // nullptr for unnamed keys
void DrawKeyGlyph(const std::string& name, int x, int y, int alpha);
// The key a stored name denotes, as a player says it ("W", "F12", "Umschalt",
// "Control"); the menu's "no key" for a name that denotes none.
std::string SpokenKeyName(const std::string& name);
void CaptureKey(const char* settingKey);

// [SECTION] Loaded state

struct AssetState {
    int ScreenshotKey = 0;          // KeyNone until a Scrshot name matched
    std::string RegisteredFontPath; // what LoadAssets registered, withdrawn at shutdown
};
extern AssetState Assets;

std::string FontFilePath();         // "Media\\Fonts\\" + settings.font + ".ttf"; the game path
                                    // is made native where files are opened
void LoadAssets();
void DecodeEmbeddedImagesAhead();   // before the screen opens: a hint to the platform
void RenderTextLabel(int sprite, const std::string& text);
