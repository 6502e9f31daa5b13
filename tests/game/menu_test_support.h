// menu_test_support.h — driving the menu's own steps frame by frame on the
// recording platform, in the frame loop's order, for the menu tests.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "core/core.h"
#include "menu/menu.h"
#include "recording/harness.h"

// The screen size the assets were loaded for: the layout filled as
// LoadAssets fills it.
inline void UseScreen(int width, int height) {
    Cfg.ScreenW = width;
    Cfg.ScreenH = height;
    Layout = LayoutTable{};
    FillLayoutTable();
}

inline void HoldOnly(std::initializer_list<int> keys) {
    for (bool& down : Rec.KeyDown) down = false;
    for (int key : keys) Rec.KeyDown[key] = true;
}

// One frame of the menu with these keys held: polls, navigation, pointing,
// the page reset, the page, then the frame is presented.
inline void MenuFrame(std::initializer_list<int> held = {}) {
    HoldOnly(held);
    PollKeyboard();
    PollMouse();
    NavigateByKeyboard();
    PointWithMouse();
    ResetFadeInOnMainPages();
    RenderPage();
    PresentFrame();
}

// Keyboard navigation alone: the keys held for one pass, then let go for a
// second pass.
inline void NavigateRelease(std::initializer_list<int> keys) {
    HoldOnly(keys);
    PollKeyboard();
    NavigateByKeyboard();
    HoldOnly({});
    PollKeyboard();
    NavigateByKeyboard();
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
