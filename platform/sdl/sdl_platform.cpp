// sdl_platform.cpp — the platform's life cycle over SDL2, the events every
// other part folds into its state, the start-up of the services, and the
// message box. The screen is sdl_screen.cpp's, keyboard and mouse
// sdl_input.cpp's, controllers sdl_controller.cpp's, sprites, blending and
// text sdl_graphics.cpp's, fonts sdl_fonts.cpp's; time, threads and
// processes are plain POSIX (posix_services.cpp).
#include "platform/sdl/sdl_internal.h"
#include "platform/desktop/desktop.h"
#include "platform/posix/instance_handover.h"
#include "platform/posix/session_bus.h"
#include "platform/shared/picture_decode.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

SdlPlatform Sdl;

// [SECTION] Events

namespace {

constexpr int NotAWindowEvent = -1;

// SDL numbers the buttons left 1, middle 2, right 3; the game left 1, right 2, middle 3.
int GameButton(uint8_t sdlButton) {
    switch (sdlButton) {
        case SDL_BUTTON_LEFT: return 1;
        case SDL_BUTTON_RIGHT: return 2;
        case SDL_BUTTON_MIDDLE: return 3;
        default: return 0;
    }
}

bool IsScreenWindow(uint32_t windowId) {
    return Sdl.Screen.Window && SDL_GetWindowID(Sdl.Screen.Window) == windowId;
}


// Window events after which the window may no longer show the last
// presented frame, so that an unchanged frame must still be presented.
bool WindowEventSpoilsScreen(uint8_t event) {
    switch (event) {
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_MOVED:
        case SDL_WINDOWEVENT_RESIZED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_DISPLAY_CHANGED:
            return true;
        default:
            return false;
    }
}

// Folds one SDL event into our state. Returns the kind for window events
// (and quitting), NotAWindowEvent for everything else.
int HandleEvent(const SDL_Event& e) {
    SdlInput& in = Sdl.Input;
    switch (e.type) {
        case SDL_QUIT:
            in.CloseRequested = true;
            return WindowEventClosed;
        case SDL_KEYDOWN:
            if (!e.key.repeat && e.key.keysym.scancode > 0 && e.key.keysym.scancode < KeySlotCount) {
                in.KeyPhysical[e.key.keysym.scancode] = true;
                in.KeyPressedSincePoll[e.key.keysym.scancode] = true;
            }
            return NotAWindowEvent;
        case SDL_KEYUP:
            if (e.key.keysym.scancode > 0 && e.key.keysym.scancode < KeySlotCount)
                in.KeyPhysical[e.key.keysym.scancode] = false;
            return NotAWindowEvent;
        case SDL_MOUSEMOTION:
            in.PendingDx += e.motion.xrel;
            in.PendingDy += e.motion.yrel;
            return NotAWindowEvent;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            const int b = GameButton(e.button.button);
            if (b) {
                const bool down = e.type == SDL_MOUSEBUTTONDOWN;
                in.ButtonPhysical[b] = down;
                if (down) in.ButtonPressedSincePoll[b] = true;
            }
            return NotAWindowEvent;
        }
        case SDL_RENDER_DEVICE_RESET:
            RecreateBackBufferAfterReset();
            return NotAWindowEvent;
        case SDL_RENDER_TARGETS_RESET:
            ForgetBackBuffer();
            return NotAWindowEvent;
        case SDL_DISPLAYEVENT:
            // A display came, went or changed its mode: the window may show
            // anything now, and the refresh rate may be another.
            SpoilScreen();
            ReadRefreshRate();
            return NotAWindowEvent;
        case SDL_WINDOWEVENT:
            break;
        default:
            HandleControllerEvent(e);
            return NotAWindowEvent;
    }
    const bool screen = IsScreenWindow(e.window.windowID);
    if (screen && WindowEventSpoilsScreen(e.window.event)) SpoilScreen();
    if (screen && (e.window.event == SDL_WINDOWEVENT_RESIZED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED))
        // A window of another size has a new buffer: nothing of the old
        // frame is in it.
        ForgetBackBuffer();
    if (screen && (e.window.event == SDL_WINDOWEVENT_MOVED || e.window.event == SDL_WINDOWEVENT_DISPLAY_CHANGED))
        // Moved, the window may now be on an output with another rate.
        ReadRefreshRate();
    if (screen && (e.window.event == SDL_WINDOWEVENT_RESIZED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED ||
                   e.window.event == SDL_WINDOWEVENT_MOVED || e.window.event == SDL_WINDOWEVENT_MAXIMIZED ||
                   e.window.event == SDL_WINDOWEVENT_RESTORED))
        // The desktop may have taken full screen away or given it back.
        FollowDesktopFullScreen();
    switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            in.CloseRequested = true;
            return WindowEventClosed;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            if (screen) {
                Sdl.Screen.HasFocus = true;
                Sdl.Screen.FocusLostPending = false;
            }
            return WindowEventActivated;
        case SDL_WINDOWEVENT_RESTORED:
            // A window manager restores a window first and hands it the focus
            // a little later (on a busy machine, frames later). A windowed
            // screen is active only with the focus: restored without it, the
            // next frame would find it inactive and minimise it again, so its
            // wait ends with FOCUS_GAINED. The stand-by window has no focus to
            // wait for.
            if (screen && !Sdl.Screen.FullScreen && !Sdl.Screen.HasFocus) return WindowEventOther;
            return WindowEventActivated;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            if (screen) {
                Sdl.Screen.HasFocus = false;
                if (Sdl.Screen.FullScreen) Sdl.Screen.FocusLostPending = true;
            }
            return WindowEventOther;
        case SDL_WINDOWEVENT_MINIMIZED:
            if (screen && Sdl.Screen.FullScreen) Sdl.Screen.FocusLostPending = true;
            return WindowEventOther;
        default:
            return WindowEventOther;
    }
}

}  // namespace

// Handles everything queued, without waiting. Called at every poll and
// present so that the windows stay responsive whatever the game does.
void PumpEvents() {
    if (!Sdl.Started) return;
    SDL_Event e;
    while (SDL_PollEvent(&e)) HandleEvent(e);
}

// Lets the window manager hand a new window the focus before the game's first
// ScreenIsActive, which would otherwise take the focus-loss path at once.
void WaitForFocus(SDL_Window* window, int milliseconds) {
    const uint32_t end = SDL_GetTicks() + uint32_t(milliseconds);
    while (!(SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS) && SDL_GetTicks() < end) {
        PumpEvents();
        SDL_Delay(5);
    }
    PumpEvents();
}

WindowEventKind AwaitWindowEvent() {
    for (;;) {
        if (!Sdl.Started) {
            SDL_Delay(100);
            return WindowEventOther;
        }
        // With no window of ours on the screen nothing could ever activate
        // us (a size no window can have, say): waiting would be for ever,
        // so answer as if the player had closed the program.
        if (Sdl.Windows.empty() && !Sdl.Screen.Window) return WindowEventClosed;
        // Polled rather than waited for: SDL's blocking wait wakes itself by
        // sending an X event to the window it waited on, and when that window
        // has been destroyed in between (the stand-by window comes and goes)
        // X answers with a BadWindow error that ends the process.
        SDL_Event e;
        if (!SDL_PollEvent(&e)) {
            SDL_Delay(10);
            continue;
        }
        const int kind = HandleEvent(e);
        if (kind != NotAWindowEvent) return WindowEventKind(kind);
    }
}

bool WindowCloseRequested() {
    PumpEvents();
    return Sdl.Input.CloseRequested;
}

// [SECTION] Life cycle

// Which program the windows belong to, for docks and task bars: the X11
// window class and the Wayland app id, the desktop entry's name, which is
// also its StartupWMClass (packaging/org.veldrune.veldrune.desktop): Wayland
// desktops match an app id to the entry's file name, X11 ones the class to
// StartupWMClass. Whatever the program's file is called; the environment may
// still choose another.
constexpr const char* DesktopAppId = "org.veldrune.veldrune";

namespace {

// Where no display answers, SDL falls back to a driver that shows nothing
// ("offscreen", "dummy"): the menu would run unseen, full screen lost at
// once to a stand-by window nobody can bring back. Unless the environment
// names the driver, that is no screen at all. A display server on a loaded
// machine may fail a connection and take the next one (seen with X: about 1
// start in 30 beside two busy processes), so a named display is asked again
// for a few seconds before the start is given up.
bool StartVideoOnADisplay() {
    const bool driverChosen = std::getenv("SDL_VIDEODRIVER") != nullptr;
    const bool displayNamed = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
    const uint32_t end = SDL_GetTicks() + 5000;
    for (;;) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
            const char* driver = SDL_GetCurrentVideoDriver();
            const bool showsNothing =
                driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
            if (driverChosen || !showsNothing) return true;
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        }
        if (!displayNamed || SDL_TICKS_PASSED(SDL_GetTicks(), end)) return false;
        SDL_Delay(100);
    }
}

}  // namespace

bool StartPlatform() {
    if (Sdl.Started) return true;
    setenv("SDL_VIDEO_X11_WMCLASS", DesktopAppId, 0);
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", DesktopAppId, 0);
    // Where SDL2 runs on a newer SDL underneath, the app id is this hint.
    SDL_SetHintWithPriority("SDL_APP_ID", DesktopAppId, SDL_HINT_DEFAULT);
    // The software renderer's window surface would otherwise be shown
    // through a GL texture: a GL start-up and a GL draw every frame for
    // nothing. X's shared-memory images show it directly. (Only the default:
    // SDL_FRAMEBUFFER_ACCELERATION in the environment still decides.) Set
    // here, before any other thread runs: SDL's hints have no lock.
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
    // SDL asks D-Bus for the session bus (screensaver, input methods); where
    // there is none, that must not start one that outlives us.
    KeepSessionBusFromStarting();
    AwaitTheInstanceBefore();
    // SDL turns SIGTERM and SIGINT (a session logout, Ctrl-C, a plain kill)
    // into a quit request, so they end the program by the same clean
    // shutdown as the close box, also while it waits in the stand-by window.
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_EVENTS) != 0) return false;
    if (!StartVideoOnADisplay()) {
        std::fprintf(stderr, "Veldrune: no display to show the menu on\n");
        SDL_Quit();
        return false;
    }
    if (TTF_Init() != 0) {
        SDL_Quit();
        return false;
    }
    // Without fontconfig only registered font files can be loaded; the game
    // still runs.
    StartFontLookup();
    Sdl.Started = true;
    return true;
}

void StopPlatform() {
    if (!Sdl.Started) return;
    // Words being said are cut off at once; a speech server that does not
    // answer is not waited for.
    StopSpeechService();
    StopScreenReaderWatch();
    // The music's last fade-out (the quit's: 0.15 s) is heard to its end first.
    StopSound();
    CloseGameScreen();
    DropParkedWindow();
    for (auto& [number, renderer] : Sdl.WindowRenderers) {
        (void)number;
        SDL_DestroyRenderer(renderer);
    }
    Sdl.WindowRenderers.clear();
    for (auto& [number, window] : Sdl.Windows) {
        (void)number;
        SDL_DestroyWindow(window);
    }
    Sdl.Windows.clear();
    Sdl.ParkedStandBy = -1;
    StopDecodingAhead();
    FreeAllGraphics();
    StopControllers();
    StopFontLookup();
    TTF_Quit();
    SDL_Quit();
    Sdl.Screen = SdlScreen{};
    Sdl.Input = SdlInput{};
    Sdl.Modes = SdlModes{};
    Sdl.Started = false;
}

// [SECTION] Start-up of services

bool StartKeyboardInput() {
    Sdl.Input.KeyboardStarted = Sdl.Started;
    return Sdl.Input.KeyboardStarted;
}

bool StartMouseInput() {
    Sdl.Input.MouseStarted = Sdl.Started;
    return Sdl.Input.MouseStarted;
}

bool StartSpriteSystem() { return Sdl.Started && SDL_GetNumRenderDrivers() > 0; }

bool StartBlendingSystem() { return true; }

// The game never plays a video; there is nothing to prepare.
bool StartMovieSystem() { return true; }

// [SECTION] Message box

void ShowMessage(const std::string& title, const std::string& text) {
    SDL_ShowSimpleMessageBox(0, title.c_str(), text.c_str(), nullptr);
}

// [SECTION] Views for the platform tests

SDL_Window* ScreenWindowForTests() { return Sdl.Screen.Window; }

SDL_Window* GameWindowForTests(int window) {
    auto it = Sdl.Windows.find(window);
    return it == Sdl.Windows.end() ? nullptr : it->second;
}


uint64_t PresentCountForTests() { return Frames.Presents; }
