// directional.cpp — driving the menu without a mouse: the arrow keys, a game
// controller's D-pad and left stick move the menu's own pointer from item to
// item; Return, keypad Enter and the controller's south button click where it
// stands. There is no second idea of "the selected item": the item under the
// pointer is lit by page drawing as it is for the mouse, and a select goes
// through mouse pointing as the held left button. The controller's east
// button is Escape; keyboard navigation tests it in Escape's place.
#include <cstdlib>

#include "assets/assets.h"
#include "menu/menu.h"
#include "platform/platform.h"

DirectionalState Directional;

// [SECTION] Tuning

namespace {

enum Direction : int { NoDirection = 0, Up, Down, Left, Right };

// The stick counts as pushed past half its throw, so that a thumb resting on
// it, or pushing it diagonally, does not wander through the menu.
constexpr int StickDeadZone = PadStickRange / 2;

// A held direction moves once at once, again after the delay, then at the
// rate, like a held key.
constexpr uint32_t RepeatDelayMs = 400;
constexpr uint32_t RepeatIntervalMs = 120;

// How much a step across the direction costs against a step along it, and
// how far a left or right move may stray from its row (see NearestInDirection).
constexpr int AcrossWeight = 2;
constexpr int SidewaysReachInBoxHeights = 2;

// [SECTION] What is held

bool IsCapturePage(int32_t state) { return state >= MenuForward && state <= MenuScreenshot; }

// The main-row pages do not draw the sub column (it still takes clicks there,
// but a pointer sent to it would stand on nothing the player can see).
bool SubColumnDrawn(int32_t state) { return !IsMainRowPage(state); }

bool IsSubColumnItem(const ClickableItem& item) {
    return !item.OwnItem && (item.Target == MenuControl || item.Target == MenuGameplay ||
                             item.Target == MenuGraphic || item.Target == MenuSound);
}

// Of several directions held at once the first in the order up, down, left,
// right wins, the keyboard before the controller.
Direction HeldDirection() {
    if (KeyHeld(KeyUp)) return Up;
    if (KeyHeld(KeyDown)) return Down;
    if (KeyHeld(KeyLeft)) return Left;
    if (KeyHeld(KeyRight)) return Right;
    if (ControllerButtonDown(PadUp)) return Up;
    if (ControllerButtonDown(PadDown)) return Down;
    if (ControllerButtonDown(PadLeft)) return Left;
    if (ControllerButtonDown(PadRight)) return Right;
    // The stick's stronger axis decides.
    const int x = ControllerStickX(), y = ControllerStickY();
    if (std::abs(x) <= StickDeadZone && std::abs(y) <= StickDeadZone) return NoDirection;
    if (std::abs(y) >= std::abs(x)) return y < 0 ? Up : Down;
    return x < 0 ? Left : Right;
}

// Whether the held direction moves the pointer in this frame.
bool DirectionFires(Direction held) {
    const Direction before = static_cast<Direction>(Directional.HeldDirection);
    Directional.HeldDirection = held;
    if (held == NoDirection) return false;
    const uint32_t now = MillisecondsSinceStart();
    if (held != before) {
        Directional.NextRepeatMs = now + RepeatDelayMs;
        return true;
    }
    if (int32_t(now - Directional.NextRepeatMs) < 0) return false;
    Directional.NextRepeatMs = now + RepeatIntervalMs;
    return true;
}

// [SECTION] Where the pointer goes

struct Point {
    int x, y;
};

Point Centre(const ItemBox& box) { return {box.x + box.w / 2, box.y + box.h / 2}; }

// "Nearest in a direction", from the centre `from` of the item under the
// pointer. For every other item take its centre's distance along the
// direction (along, positive ahead) and across it (across, absolute), in
// screen pixels. The item lies in the direction when along > 0 and
//   up, down:    anywhere in that half of the screen;
//   left, right: across <= two box heights (40 pixels), that is on the
//                item's own row or the next row up or down.
// The items are wide flat boxes (150 x 20) in columns 160 apart and rows 30
// apart: up and down must be able to reach from the main row at the bottom
// into a column far to the side and back, while left and right must stay on
// or near their row and never drop from the upper block to the main row.
// Of the items in the direction, those in the current item's lane win over
// all others: for up and down the boxes that overlap the current one's x
// range (its column), for left and right those that overlap its y range (its
// row). Within the lane, and failing that among the rest, the lowest along +
// AcrossWeight * across wins, so an item straight ahead beats a nearer one
// off to the side, and the result does not depend on how far the main row
// lies below the upper block at the three sizes. Equal scores go to the
// earlier item of the pointing table. Returns the item's index, -1 when
// none lies that way.
int NearestInDirection(const ItemBox& current, Direction dir, const ClickableItem* items, int count) {
    const Point from = Centre(current);
    const int sidewaysReach = SidewaysReachInBoxHeights * current.h;
    int best = -1, bestScore = 0;
    bool bestInLane = false;
    for (int i = 0; i < count; ++i) {
        const ItemBox& box = *items[i].Box;
        const Point c = Centre(box);
        const int dx = c.x - from.x, dy = c.y - from.y;
        int along = 0, across = 0;
        switch (dir) {
            case Up: along = -dy, across = std::abs(dx); break;
            case Down: along = dy, across = std::abs(dx); break;
            case Left: along = -dx, across = std::abs(dy); break;
            case Right: along = dx, across = std::abs(dy); break;
            case NoDirection: return -1;
        }
        if (along <= 0) continue;
        if ((dir == Left || dir == Right) && across > sidewaysReach) continue;
        const bool inLane = (dir == Up || dir == Down)
                                ? box.x < current.x + current.w && current.x < box.x + box.w
                                : box.y < current.y + current.h && current.y < box.y + box.h;
        const int score = along + AcrossWeight * across;
        if (best >= 0 && bestInLane && !inLane) continue;
        if (best < 0 || (inLane && !bestInLane) || score < bestScore) {
            best = i;
            bestScore = score;
            bestInLane = inLane;
        }
    }
    return best;
}

// The page's first item: its own first item (Forward on Control, German on
// Language, ...); on a page without items of its own the sub column's first
// (Control) where the sub column is drawn, else the main row's (New Game).
int FirstItem(const ClickableItem* items, int count) {
    for (int i = 0; i < count; ++i)
        if (items[i].OwnItem) return i;
    for (int i = 0; i < count; ++i)
        if (IsSubColumnItem(items[i])) return i;
    return count > 0 ? 0 : -1;
}

void MovePointer(int32_t state, Direction dir) {
    ClickableItem items[MaxClickableItems];
    const int count = ReachableItems(state, items);
    const int current = ItemUnderPointer(items, count);
    const int target = current < 0 ? FirstItem(items, count)
                                   : NearestInDirection(*items[current].Box, dir, items, count);
    if (target < 0) return;   // nothing that way: the pointer stays
    const Point c = Centre(*items[target].Box);
    PlaceMouse(c.x, c.y);
}

}  // namespace

// [SECTION] The items the arrows reach

int ReachableItems(int32_t state, ClickableItem out[MaxClickableItems]) {
    ClickableItem all[MaxClickableItems];
    const int allCount = ClickableItems(state, all);
    int count = 0;
    const bool subColumn = SubColumnDrawn(state);
    for (int i = 0; i < allCount; ++i) {
        if (all[i].Box->w <= 0 || all[i].Box->h <= 0) continue;   // a size without a layout
        if (IsSubColumnItem(all[i]) && !subColumn) continue;
        out[count++] = all[i];
    }
    return count;
}

int ItemUnderPointer(const ClickableItem* items, int count) {
    for (int i = 0; i < count; ++i)
        if (IsHovered(*items[i].Box)) return i;
    return -1;
}

// [SECTION] Per frame

// Runs after keyboard navigation and before mouse pointing. On the capture
// pages every key but Escape belongs to key capture, so the arrows and Return
// are not asked about there (Return can be bound) and nothing moves; the
// controller's east button still leaves, through Escape's test.
void NavigateByDirection() {
    const int32_t state = Menu.MenuSelect;
    Directional.SelectHeld = false;
    if (state < 0 || state >= MenuStateCount || IsCapturePage(state)) {
        Directional.HeldDirection = NoDirection;
        return;
    }
    const Direction held = HeldDirection();
    if (DirectionFires(held)) MovePointer(state, held);
    // Return is one click, on its release: asked here, that release is spent,
    // so when the click opens a capture page key capture does not take it.
    const bool returnKey = KeyReleased(KeyReturn);
    const bool keypadEnter = KeyReleased(KeyKeypadEnter);
    Directional.SelectHeld = returnKey || keypadEnter || ControllerButtonDown(PadSouth);
}
