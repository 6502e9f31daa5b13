// sdl_controller.cpp — game controllers over SDL's game-controller API: the
// subsystem brought up after the first frame, controllers opened and closed
// as they are plugged in and pulled out, and the once-per-frame snapshot
// with its released-edges, built like the keyboard's from SDL's events.
//
// SDL's mapping database (the mappings SDL ships, plus any the player gives
// through SDL_GAMECONTROLLERCONFIG) decides what is a controller and names
// its buttons; a device without a mapping never becomes a controller here.
#include "platform/shared/input_edges.h"
#include "platform/sdl/sdl_internal.h"

#include <algorithm>
#include <cstdlib>

// [SECTION] State

namespace {

// With no controller open, SDL is asked about new devices this often instead
// of every frame, so a machine without a controller pays next to nothing.
constexpr uint32_t DetectIntervalMs = 250;

SdlControllers& Pads = Sdl.Controllers;

// SDL's positional names are ours: SDL is told (below) to report the face
// buttons by position, also on pads that print A on the east button.
int PadButtonOf(uint8_t sdlButton) {
    switch (sdlButton) {
        case SDL_CONTROLLER_BUTTON_A: return PadSouth;
        case SDL_CONTROLLER_BUTTON_B: return PadEast;
        case SDL_CONTROLLER_BUTTON_DPAD_UP: return PadUp;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return PadDown;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return PadLeft;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return PadRight;
        default: return -1;
    }
}

PadSlot* SlotOf(SDL_JoystickID id) {
    for (PadSlot& slot : Pads.Slots)
        if (slot.Pad && slot.Id == id) return &slot;
    return nullptr;
}

bool AnyOpen() {
    for (const PadSlot& slot : Pads.Slots)
        if (slot.Pad) return true;
    return false;
}

bool HeldOnAny(int button) {
    for (const PadSlot& slot : Pads.Slots)
        if (slot.Pad && slot.Physical[button]) return true;
    return false;
}

void OpenController(int deviceIndex) {
    SDL_GameController* pad = SDL_GameControllerOpen(deviceIndex);
    if (!pad) return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
    if (SlotOf(id)) {   // already ours: SDL counted a second open
        SDL_GameControllerClose(pad);
        return;
    }
    for (PadSlot& slot : Pads.Slots) {
        if (slot.Pad) continue;
        slot = PadSlot{};
        slot.Pad = pad;
        slot.Id = id;
        return;
    }
    SDL_GameControllerClose(pad);   // more controllers than slots: the extra one is ignored
}

// A controller pulled out leaves the menu as it was: what it held is
// forgotten without counting as let go.
void CloseController(SDL_JoystickID id) {
    PadSlot* slot = SlotOf(id);
    if (!slot) return;
    SDL_GameControllerClose(slot->Pad);
    *slot = PadSlot{};
    for (int b = 0; b < PadButtonCount; ++b)
        if (!HeldOnAny(b)) Pads.SeenDown[b] = false;
}

// Started on the second poll, that is after the first frame is on the screen:
// bringing up SDL's joystick drivers scans the input devices and parses the
// mapping database, which the first picture need not wait for.
void StartControllers() {
    // While the music's thread starts SDL's audio, the controllers wait for
    // a later poll rather than the game thread for the audio.
    std::unique_lock<std::mutex> lock(SdlInitLock, std::try_to_lock);
    if (!lock.owns_lock()) return;
    // Joysticks are updated by PollController alone, not at every event pump.
    SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");
    // South selects and east goes back on every pad, whatever is printed on them.
    SDL_SetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        Pads.StartFailed = true;
        return;
    }
    Pads.Started = true;
    Pads.NextDetectMs = SDL_GetTicks();
}

// Takes the joystick and controller events an update queued, so that this
// poll already sees them; the ones an event pump takes first come through
// HandleControllerEvent all the same.
void TakeControllerEvents() {
    SDL_Event events[32];
    int count;
    while ((count = SDL_PeepEvents(events, 32, SDL_GETEVENT, SDL_JOYAXISMOTION, SDL_FINGERDOWN - 1)) > 0)
        for (int i = 0; i < count; ++i) HandleControllerEvent(events[i]);
}

}  // namespace

// [SECTION] Hooks of the SDL platform

void HandleControllerEvent(const SDL_Event& e) {
    if (!Pads.Started) return;
    switch (e.type) {
        case SDL_CONTROLLERDEVICEADDED:
            OpenController(e.cdevice.which);
            break;
        case SDL_CONTROLLERDEVICEREMOVED:
            CloseController(e.cdevice.which);
            break;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP: {
            PadSlot* slot = SlotOf(e.cbutton.which);
            const int b = PadButtonOf(e.cbutton.button);
            if (!slot || b < 0) break;
            const bool down = e.type == SDL_CONTROLLERBUTTONDOWN;
            slot->Physical[b] = down;
            if (down) slot->PressedSincePoll[b] = true;
            break;
        }
        default:
            break;
    }
}

void StopControllers() {
    for (PadSlot& slot : Pads.Slots)
        if (slot.Pad) SDL_GameControllerClose(slot.Pad);
    if (Pads.Started) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    Pads = SdlControllers{};
}

// [SECTION] The snapshot

bool PollController() {
    if (!Sdl.Started) return false;
    if (!Pads.Started) {
        if (Pads.StartFailed) return false;
        if (Pads.PollsBeforeStart > 0) {
            --Pads.PollsBeforeStart;
            return false;
        }
        StartControllers();
        if (!Pads.Started) return false;
    }
    const uint32_t now = SDL_GetTicks();
    if (AnyOpen() || int32_t(now - Pads.NextDetectMs) >= 0) {
        SDL_GameControllerUpdate();
        Pads.NextDetectMs = now + DetectIntervalMs;
        TakeControllerEvents();
    }
    // Held on any pad.
    for (int b = 0; b < PadButtonCount; ++b) {
        bool held = false;
        for (PadSlot& slot : Pads.Slots)
            if (slot.Pad) held = TakeHeld(slot.Physical[b], slot.PressedSincePoll[b]) || held;
        Pads.Snapshot[b] = held;
    }
    Pads.StickX = Pads.StickY = 0;
    Pads.Plugged = false;
    int furthest = -1;
    for (const PadSlot& slot : Pads.Slots) {
        if (!slot.Pad) continue;
        Pads.Plugged = true;
        const int x = SDL_GameControllerGetAxis(slot.Pad, SDL_CONTROLLER_AXIS_LEFTX);
        const int y = SDL_GameControllerGetAxis(slot.Pad, SDL_CONTROLLER_AXIS_LEFTY);
        const int reach = std::max(std::abs(x), std::abs(y));
        if (reach <= furthest) continue;
        furthest = reach;
        Pads.StickX = x;
        Pads.StickY = y;
    }
    return Pads.Plugged;
}

bool ControllerButtonDown(int button) {
    return button >= 0 && button < PadButtonCount && Pads.Snapshot[button];
}

// As KeyReleased: a release counts once, and only after a call saw the button held.
bool ControllerButtonReleased(int button) {
    if (button < 0 || button >= PadButtonCount) return false;
    return TakeRelease(Pads.Snapshot[button], Pads.SeenDown[button]);
}

int ControllerStickX() { return Pads.StickX; }
int ControllerStickY() { return Pads.StickY; }
