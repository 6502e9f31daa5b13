// sdl_input.cpp — keyboard and mouse snapshots from SDL's events (the
// events themselves are folded in by sdl_platform.cpp).
#include "platform/sdl/sdl_internal.h"
#include "platform/shared/input_edges.h"

#include <algorithm>

// [SECTION] Input

bool PollKeyboard() {
    PumpEvents();
    SdlInput& in = Sdl.Input;
    in.LastPollOk = Sdl.Started && in.KeyboardStarted;
    if (!in.LastPollOk) return false;
    for (int k = 0; k < KeySlotCount; ++k) in.KeySnapshot[k] = TakeHeld(in.KeyPhysical[k], in.KeyPressedSincePoll[k]);
    in.KeyboardPolled = true;
    return true;
}

bool KeyReleased(int key) {
    SdlInput& in = Sdl.Input;
    if (!in.KeyboardPolled || !in.LastPollOk) return false;
    if (key == KeyAny) return TakeAnyRelease(in.KeySnapshot, in.KeySeenDown, KeySlotCount);
    if (key < 0 || key >= KeySlotCount) return false;
    return TakeRelease(in.KeySnapshot[key], in.KeySeenDown[key]);
}

bool KeyHeld(int key) {
    const SdlInput& in = Sdl.Input;
    return in.KeyboardPolled && in.LastPollOk && key >= 0 && key < KeySlotCount && in.KeySnapshot[key];
}

bool PollMouse() {
    PumpEvents();
    SdlInput& in = Sdl.Input;
    if (!Sdl.Started || !in.MouseStarted) return false;
    // Relative motion in screen pixels, whatever size the window shows them at.
    in.PointerX += in.PendingDx;
    in.PointerY += in.PendingDy;
    in.PendingDx = in.PendingDy = 0;
    if (Sdl.Screen.Width > 0) {
        in.PointerX = std::clamp(in.PointerX, 0, Sdl.Screen.Width - 1);
        in.PointerY = std::clamp(in.PointerY, 0, Sdl.Screen.Height - 1);
    }
    for (int b = 1; b <= 3; ++b) in.ButtonSnapshot[b] = TakeHeld(in.ButtonPhysical[b], in.ButtonPressedSincePoll[b]);
    return true;
}

int PointerX() { return Sdl.Input.PointerX; }
int PointerY() { return Sdl.Input.PointerY; }

bool MouseButtonDown(int button) { return button >= 1 && button <= 3 && Sdl.Input.ButtonSnapshot[button]; }

void PlaceMouse(int x, int y) {
    PumpEvents();
    // Motion from before the placing belongs to the old position.
    Sdl.Input.PendingDx = Sdl.Input.PendingDy = 0;
    Sdl.Input.PointerX = x;
    Sdl.Input.PointerY = y;
}

