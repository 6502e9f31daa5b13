// menu_layout.h — where the menu's items stand at a screen size, read from
// the program's own layout table, and the red letters of the menu's words,
// so that the end-to-end tests point, click and press where the program
// answers.
#pragma once

#include <string>

#include "assets/assets.h"
#include "assets/menu_words.h"

namespace e2e {

// The layout table as the program fills it at width x height, the sub column
// in its home column; at a size without a layout every box is empty.
LayoutTable LayoutAt(int width, int height);
// The layout at the size the program starts at when its settings name none.
LayoutTable StartLayout();

// The middle of an item box: where a click on the item aims.
struct ScreenPoint {
    int X, Y;
};
inline ScreenPoint Middle(const ItemBox& box) { return {box.x + box.w / 2, box.y + box.h / 2}; }

// The key (as xdotool names it) of an item's red letter in a language's words.
std::string RedLetterKey(const MenuWords& words, MenuLabel label);

bool ClickAt(const ItemBox& box);           // the pointer to the box's middle, then a left click
void PointerTo(const ItemBox& box);
// Where the reference pictures have the pointer: near the top-right corner
// of a screen `width` wide, on no item.
inline ScreenPoint RestPoint(int width) { return {width - 30, 30}; }
void PointerToRest(int width);

}  // namespace e2e
