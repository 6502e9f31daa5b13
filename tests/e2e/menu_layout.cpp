// menu_layout.cpp — the program's layout table filled in the test's own
// process for the size asked (the program under test fills its own).
#include "menu_layout.h"

#include <cctype>

#include "core/core.h"
#include "e2e_support.h"

namespace e2e {

LayoutTable LayoutAt(int width, int height) {
    Cfg.ScreenW = width;
    Cfg.ScreenH = height;
    Layout = LayoutTable{};
    FillLayoutTable();
    return Layout;
}

LayoutTable StartLayout() {
    const GameSettings defaults;
    return LayoutAt(defaults.ScreenW, defaults.ScreenH);
}

std::string RedLetterKey(const MenuWords& words, MenuLabel label) {
    return std::string(1, char(std::tolower(static_cast<unsigned char>(words.Labels[label].Hotkey))));
}

bool ClickAt(const ItemBox& box) { return ClickAt(Middle(box).X, Middle(box).Y); }

void PointerTo(const ItemBox& box) { PointerTo(Middle(box).X, Middle(box).Y); }

void PointerToRest(int width) { PointerTo(RestPoint(width).X, RestPoint(width).Y); }

}  // namespace e2e
