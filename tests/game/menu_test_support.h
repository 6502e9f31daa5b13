// menu_test_support.h — the menu tests' start at a screen size, their
// frames (the program's own, RunFrame) and a look at one drawn page, on the
// recording platform.
#pragma once

#include <cctype>
#include <initializer_list>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "assets/menu_words.h"
#include "core/core.h"
#include "menu/menu.h"
#include "recording/harness.h"

// The program started at this screen size, on its main page, as a player
// starts it with that size in the settings file.
inline void UseScreen(int width, int height) {
    WriteSettingsFile(SettingsText({"[Screen]", "ScreenW = " + std::to_string(width),
                                    "ScreenH = " + std::to_string(height)}));
    Boot();
    ASSERT_EQ(Cfg.ScreenW, width) << "the program did not start at " << width << " x " << height;
}

// A display's mode list entry for a size, at the depth and rate the
// Resolution page offers unless told otherwise.
inline ScreenModeEntry ModeOf(const OfferedSize& size, int depth = OfferedDepth, int refresh = OfferedRefresh) {
    return {size.Width, size.Height, depth, refresh};
}
// A display that offers every size of the Resolution page.
inline std::vector<ScreenModeEntry> EveryOfferedMode() {
    std::vector<ScreenModeEntry> modes;
    for (const OfferedSize& size : OfferedSizes) modes.push_back(ModeOf(size));
    return modes;
}

// A page open, its sub column where the page keeps it: home on the main row's
// pages and Options, slid over below Options.
inline void ShowPage(int state) {
    Menu.MenuSelect = state;
    PlaceSubColumn(IsMainRowPage(state) || state == MenuOptions ? HomeColumnX() : ShiftedColumnX());
}
// The key of the red letter of the item that leads to a state, in a
// language's words; KeyNone for an item without one.
inline int Hotkey(int state, const MenuWords& words = GermanWords) {
    const char letter = words.Labels[ItemLabel(state)].Hotkey;
    return letter == 0 ? KeyNone : KeyA + (std::toupper(letter) - 'A');
}

// The pointer to the middle of an item's box, where a player aims; and a
// click there.
inline void PointAtItem(const ItemBox& box) { PointAt(box.x + box.w / 2, box.y + box.h / 2); }
inline void ClickItem(const ItemBox& box) { ClickAt(box.x + box.w / 2, box.y + box.h / 2); }

// The layout table's box of the item that leads to a state (none for the
// main page), and the key glyph of the binding row 0..7 of the Control page.
using Box = ItemBox LayoutTable::*;
inline Box BoxOf(int state) {
    using L = LayoutTable;
    static constexpr Box Boxes[MenuStateCount] = {
        nullptr,        &L::NewGameBox,   &L::LoadGameBox,   &L::OptionsBox, &L::ControlBox,  &L::ForwardBox,
        &L::BackwardBox, &L::LeftBox,     &L::RightBox,      &L::DuckBox,    &L::JumpBox,     &L::JournalBox,
        &L::ScreenshotBox, &L::GameplayBox, &L::LanguageBox, &L::GermanBox,  &L::EnglishBox,  &L::GraphicBox,
        &L::ResolutionBox, &L::Res800Box, &L::Res1024Box,    &L::Res1280Box, &L::SoundBox,    &L::MusicBox,
        &L::OnBox,      &L::OffBox,       &L::CreditsBox,    &L::QuitBox};
    return Boxes[state];
}
inline Box GlyphBoxOf(int row) {
    using L = LayoutTable;
    static constexpr Box Glyphs[8] = {&L::ForwardGlyphBox, &L::BackwardGlyphBox, &L::LeftGlyphBox,
                                      &L::RightGlyphBox,   &L::DuckGlyphBox,     &L::JumpGlyphBox,
                                      &L::JournalGlyphBox, &L::ScreenshotGlyphBox};
    return Glyphs[row];
}

inline void HoldOnly(std::initializer_list<int> keys) {
    for (bool& down : Rec.KeyDown) down = false;
    for (int key : keys) Rec.KeyDown[key] = true;
}
// One keyboard snapshot with exactly these keys down.
inline void Snapshot(std::initializer_list<int> keys) {
    HoldOnly(keys);
    PollKeyboard();
}
// One pass of keyboard navigation with exactly these keys down.
inline void NavigatePass(std::initializer_list<int> keys) {
    Snapshot(keys);
    NavigateByKeyboard();
}
// The keys held for one pass, then let go for a second pass.
inline void NavigateRelease(std::initializer_list<int> keys) {
    NavigatePass(keys);
    NavigatePass({});
}

// An image drawn at (x, y), or at a box's place, as Described gives it.
inline std::string Blended(int blendable, int x, int y, int alpha) {
    return "DrawBlended " + std::to_string(blendable) + " " + std::to_string(x) + " " + std::to_string(y) + " " +
           std::to_string(alpha);
}
inline std::string Blended(int blendable, const ItemBox& box, int alpha) {
    return Blended(blendable, box.x, box.y, alpha);
}

// Draws the current page once and returns what it drew (blending and text
// operations only), one described call per line.
inline std::vector<std::string> DrawnPage() {
    PollMouse();
    Rec.Calls.clear();
    RenderPage();
    return Described(-1, {"BeginBlending", "DrawBlended", "EndBlending", "BeginTextOn",
                          "SetTextTransparent", "UseFont", "DrawTextAt", "EndText"});
}
