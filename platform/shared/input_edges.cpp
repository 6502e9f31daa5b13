// input_edges.cpp — the released-since-seen-held rule of input_edges.h.
#include "platform/shared/input_edges.h"

#include <cassert>

// [SECTION] Releases

bool TakeRelease(bool down, bool& seenDown) {
    if (down) {
        seenDown = true;
        return false;
    }
    if (!seenDown) return false;
    seenDown = false;
    return true;
}

// Every slot is taken, also after the first release found: stopping early
// would leave the other releases to be reported by a later call.
bool TakeAnyRelease(const bool* down, bool* seenDown, int count) {
    assert(count >= 0 && (count == 0 || (down && seenDown)) && "release flags missing");
    bool released = false;
    for (int slot = 0; slot < count; ++slot)
        if (TakeRelease(down[slot], seenDown[slot])) released = true;
    return released;
}
