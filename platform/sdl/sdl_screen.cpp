// sdl_screen.cpp — the game screen over SDL2: the renderer's choice, the
// back buffer, windows and full screen, the display's modes, clearing and
// presenting a frame (by the frame record's plan), and the pacing of the
// loop at the display's refresh rate.
#include "platform/sdl/sdl_internal.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

// [SECTION] The screen's renderer and back buffer

namespace {

bool ValidScreenSize(int width, int height) {
    return width > 0 && height > 0 && width <= MaxSurfaceSide && height <= MaxSurfaceSide;
}

// The refresh period of the display the window is on: the mode full screen
// switched to (the desktop's when it kept its own), else the display's
// current one. 60 Hz when the display does not say.
double RefreshPeriodMs(SDL_Window* window, bool fullScreen) {
    SDL_DisplayMode mode{};
    int ok = fullScreen ? SDL_GetWindowDisplayMode(window, &mode)
                        : SDL_GetCurrentDisplayMode(std::max(0, SDL_GetWindowDisplayIndex(window)), &mode);
    const int hz = (ok == 0 && mode.refresh_rate > 0) ? mode.refresh_rate : 60;
    return 1000.0 / hz;
}

// Whether the only OpenGL this machine can give is a software rasteriser
// (Mesa's llvmpipe or softpipe): no GPU device node to render with, or Mesa
// told to render in software.
bool OnlySoftwareGl() {
    const char* always = std::getenv("LIBGL_ALWAYS_SOFTWARE");
    if (always && *always && std::strcmp(always, "0") != 0) return true;
    const char* gallium = std::getenv("GALLIUM_DRIVER");
    if (gallium && (std::strcmp(gallium, "llvmpipe") == 0 || std::strcmp(gallium, "softpipe") == 0)) return true;
    for (const char* device : {"/dev/dri/renderD128", "/dev/dri/card0", "/dev/dri/card1", "/dev/nvidia0"})
        if (access(device, R_OK | W_OK) == 0) return false;
    return true;
}

// The index of SDL's own software renderer, -1 when it is not built in.
int SoftwareRendererIndex() {
    for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
        SDL_RendererInfo info{};
        if (SDL_GetRenderDriverInfo(i, &info) == 0 && info.name && std::strcmp(info.name, "software") == 0) return i;
    }
    return -1;
}

SDL_Renderer* CreateRenderer(SDL_Window* window) {
    // Where GL would rasterise on the CPU anyway, SDL's software renderer
    // draws this menu's keyed pictures for a fraction of the CPU (measured:
    // bench/budget.sh). SDL_RENDER_DRIVER, when set, chooses instead.
    const char* chosen = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
    if ((!chosen || !*chosen) && OnlySoftwareGl()) {
        const int software = SoftwareRendererIndex();
        if (software >= 0)
            if (SDL_Renderer* r = SDL_CreateRenderer(window, software, SDL_RENDERER_PRESENTVSYNC | SDL_RENDERER_TARGETTEXTURE))
                return r;
    }
    // Vertical sync is always asked for; drivers that cannot accelerate
    // (the dummy and offscreen ones) only give the software renderer.
    const uint32_t attempts[] = {
        SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC | SDL_RENDERER_TARGETTEXTURE,
        SDL_RENDERER_PRESENTVSYNC | SDL_RENDERER_TARGETTEXTURE,
        SDL_RENDERER_TARGETTEXTURE,
        0,
    };
    for (uint32_t flags : attempts)
        if (SDL_Renderer* r = SDL_CreateRenderer(window, -1, flags)) return r;
    return nullptr;
}

SDL_Texture* CreateBackBuffer(SDL_Renderer* renderer, int width, int height) {
    SDL_Texture* t = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, width, height);
    if (!t) return nullptr;
    SDL_SetTextureBlendMode(t, SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(t, SDL_ScaleModeLinear);
    SDL_SetRenderTarget(renderer, t);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    return t;
}

// Clears the window itself to black and shows it.
void ShowBlack(SDL_Renderer* renderer) {
    SDL_SetRenderTarget(renderer, nullptr);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
}

// Whether SDL talks to a Wayland compositor itself (not through XWayland).
bool OnWaylandDriver() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "wayland") == 0;
}

// Whether full screen can really switch the display to another mode. A
// Wayland compositor never switches: what SDL offers there as modes only
// stretches the picture over the output, so full screen keeps the output's
// size and shows the picture letterboxed, as on a panel that cannot switch.
// XWayland is the same compositor: the modes it lists (its outputs are named
// XWAYLAND0, ...) are emulated, for some windows and not others depending on
// timing and focus, by stretching a 4:3 picture over a 16:9 output.
bool DisplaySwitchesModes() {
    if (OnWaylandDriver()) return false;
    const char* name = SDL_GetDisplayName(0);
    return !(name && std::strncmp(name, "XWAYLAND", 8) == 0);
}

// Makes the renderer and back buffer on the window. On failure nothing is
// left behind and the screen stays closed.
bool CreateScreenOn(SDL_Window* window, int width, int height, bool fullScreen) {
    if (!ValidScreenSize(width, height)) return false;
    SDL_Renderer* renderer = CreateRenderer(window);
    if (!renderer) return false;
    SDL_RendererInfo info{};
    SDL_GetRendererInfo(renderer, &info);
    if ((info.max_texture_width > 0 && width > info.max_texture_width) ||
        (info.max_texture_height > 0 && height > info.max_texture_height)) {
        SDL_DestroyRenderer(renderer);
        return false;
    }
    SDL_Texture* backBuffer = CreateBackBuffer(renderer, width, height);
    if (!backBuffer) {
        SDL_DestroyRenderer(renderer);
        return false;
    }
    SdlScreen& s = Sdl.Screen;
    s.Window = window;
    s.Renderer = renderer;
    s.BackBuffer = backBuffer;
    s.Generation += 1;
    s.Width = width;
    s.Height = height;
    s.FullScreen = fullScreen;
    s.Lost = false;
    s.TakenAway = false;
    s.FocusLostPending = false;
    s.FramePeriodMs = RefreshPeriodMs(window, fullScreen);
    s.SoftwareSurface = info.name && std::strcmp(info.name, "software") == 0;
    s.NextDueTicks = 0;
    s.DrawDirect = false;
    ResetFrameRecord();
    // The system pointer never shows; ours is drawn by the game. Relative
    // mode also keeps it inside the window so motion goes on at the edges.
    SDL_ShowCursor(SDL_DISABLE);
    SDL_SetRelativeMouseMode(SDL_TRUE);
    // A Wayland compositor maps a window, and so gives it the focus, only
    // once it has drawn: the window shows black before anything waits for
    // the focus.
    ShowBlack(renderer);
    SDL_SetRenderTarget(renderer, backBuffer);
    return true;
}


// The window's size in pixels, whatever the renderer draws into now (its
// output size is that of the current target while one is set).
void WindowPixelSize(int& w, int& h) {
    w = h = 0;
    if (Sdl.Screen.Window) SDL_GetWindowSizeInPixels(Sdl.Screen.Window, &w, &h);
}

SDL_Rect PresentArea() {
    const SdlScreen& s = Sdl.Screen;
    int ow = 0, oh = 0;
    WindowPixelSize(ow, oh);
    if (s.FullScreen) {
        if (ow == s.Width && oh == s.Height) return {0, 0, s.Width, s.Height};
        // The display kept another size: the largest picture of the same
        // shape, centred on black.
        const double scale = std::min(double(ow) / s.Width, double(oh) / s.Height);
        const int w = std::max(1, int(s.Width * scale)), h = std::max(1, int(s.Height * scale));
        return {(ow - w) / 2, (oh - h) / 2, w, h};
    }
    if (s.Stretch)
        return {s.AreaX, s.AreaY, std::max(1, ow - s.AreaX - s.RightOffset),
                std::max(1, oh - s.AreaY - s.BottomOffset)};
    return {s.AreaX, s.AreaY, s.Width, s.Height};
}


// [SECTION] Pacing
//
// Every pass ends no earlier than its due instant, and the due instants are
// one refresh period of the display apart, so the loop never runs faster than
// the display shows frames, whatever the renderer does: SDL's software
// renderer never waits for the vertical blank, and GL's swap may return at
// once when no swap is pending. Where presenting does wait, the pass ends at
// the vertical blank after its due instant, still one a period.

uint64_t PeriodTicks() {
    return uint64_t(double(SDL_GetPerformanceFrequency()) * Sdl.Screen.FramePeriodMs / 1000.0);
}

// Sleeps to the due instant, then sets the next one a period later. A pass
// late by less than a period is caught up by the next one; later than that,
// the cadence starts again from now (no burst of catching up).
void EndPass() {
    SdlScreen& s = Sdl.Screen;
    const uint64_t freq = SDL_GetPerformanceFrequency();
    const uint64_t period = PeriodTicks();
    uint64_t now = SDL_GetPerformanceCounter();
    if (s.NextDueTicks == 0) s.NextDueTicks = now + period;
    if (s.NextDueTicks > now) {
        std::this_thread::sleep_for(std::chrono::nanoseconds((s.NextDueTicks - now) * 1000000000ull / freq));
        now = SDL_GetPerformanceCounter();
    }
    s.NextDueTicks = now - s.NextDueTicks > period ? now + period : s.NextDueTicks + period;
}

}  // namespace

void RecreateBackBufferAfterReset() {
    SdlScreen& s = Sdl.Screen;
    if (!s.Renderer) return;
    // Every texture of the renderer is gone; sprites upload again on use.
    DropSpriteTextures();
    s.Generation += 1;
    s.BackBuffer = CreateBackBuffer(s.Renderer, s.Width, s.Height);
    ForgetBackBuffer();
}

namespace {

// Whether the full screen's window still covers its display as full
// screen. SDL on Wayland learns the compositor's state and says it by the
// window's flags (its size stays the output's). SDL on X11 never learns a
// window manager's toggle and keeps its flags: the window's state says it.
bool WindowCoversDisplay(SDL_Window* window) {
    if (OnWaylandDriver()) return (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
    return X11WindowHeldFullScreen(window);
}

}  // namespace

// The desktop has the last word on the window: its full-screen toggle
// (mod+f, a window manager's _NET_WM_STATE_FULLSCREEN) may take full screen
// away or give it back. Taken away, the screen becomes a window of the
// menu's own size, centred, showing the page as it is drawn; SDL is told, so
// that a switched display mode is given back and SDL's idea of the window
// (and the size it draws at) is the desktop's. From then on the picture
// follows whatever window the desktop gives, letterboxed (PresentArea); the
// same toggle gives full screen back, at the desktop's size.
void FollowDesktopFullScreen() {
    SdlScreen& s = Sdl.Screen;
    if (!s.FullScreen || s.Lost || !s.Window || !s.Renderer || s.WindowNumber >= 0) return;
    const bool covers = WindowCoversDisplay(s.Window);
    if (covers == !s.TakenAway) return;
    s.TakenAway = !covers;
    SpoilScreen();
    ForgetBackBuffer();
    if (s.TakenAway) {
        if (SDL_GetWindowFlags(s.Window) & SDL_WINDOW_FULLSCREEN) SDL_SetWindowFullscreen(s.Window, 0);
        // Resizable, so that SDL drops the fixed size it would otherwise ask
        // of an X window manager, which would then keep that size when it
        // gives full screen back (and a tiling desktop may size it as it will).
        SDL_SetWindowResizable(s.Window, SDL_TRUE);
        SDL_SetWindowSize(s.Window, s.Width, s.Height);
        SDL_SetWindowPosition(s.Window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
    s.FramePeriodMs = RefreshPeriodMs(s.Window, !s.TakenAway);
}

void ReadRefreshRate() {
    SdlScreen& s = Sdl.Screen;
    if (s.Window && s.Renderer) s.FramePeriodMs = RefreshPeriodMs(s.Window, s.FullScreen && !s.TakenAway);
}

// [SECTION] Screen and windows

bool OpenGameWindow(int window, int x, int y, int innerW, int innerH, const std::string& title,
                    WindowStyle style) {
    if (!Sdl.Started) return false;
    CloseGameWindow(window);
    if (style == WindowMinimised && Sdl.ParkedWindow) {
        // The lost full screen's own window stands by (see SdlPlatform).
        Sdl.Windows[window] = Sdl.ParkedWindow;
        Sdl.WindowRenderers[window] = Sdl.ParkedRenderer;
        SDL_MinimizeWindow(Sdl.ParkedWindow);
        Sdl.ParkedWindow = nullptr;
        Sdl.ParkedRenderer = nullptr;
        Sdl.ParkedStandBy = window;
        PumpEvents();
        return true;
    }
    DropParkedWindow();
    SDL_Window* w = nullptr;
    switch (style) {
        case WindowFramed:
            if (!ValidScreenSize(innerW, innerH)) return false;
            w = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, innerW, innerH,
                                 SDL_WINDOW_SHOWN);
            break;
        case WindowBorderlessMaximised:
            // Maximising needs a resizable window, or the window manager leaves it be.
            if (!ValidScreenSize(innerW, innerH)) return false;
            w = SDL_CreateWindow(title.c_str(), x, y, innerW, innerH,
                                 SDL_WINDOW_SHOWN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_RESIZABLE |
                                     SDL_WINDOW_MAXIMIZED);
            break;
        case WindowMinimised:
            // A window cannot be 0 x 0; one pixel stands in the task bar just the same.
            w = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1, 1,
                                 SDL_WINDOW_SHOWN);
            break;
    }
    if (!w) return false;
    Sdl.Windows[window] = w;
    if (style != WindowMinimised) {
        // The focus is waited for once the screen in it has drawn
        // (OpenScreenInWindow).
        SDL_RaiseWindow(w);
    } else {
        // It draws once, so that a desktop that shows only windows that have
        // drawn (Wayland) shows it: where the desktop does not minimise, it
        // is the window the player comes back to.
        const int software = SoftwareRendererIndex();
        SDL_Renderer* r = software >= 0 ? SDL_CreateRenderer(w, software, 0) : nullptr;
        if (!r) r = SDL_CreateRenderer(w, -1, 0);
        if (r) {
            Sdl.WindowRenderers[window] = r;
            ShowBlack(r);
        }
        // X iconifies only a mapped window: let the window manager map it
        // first, then minimise it.
        const uint32_t end = SDL_GetTicks() + 500;
        while (!(SDL_GetWindowFlags(w) & SDL_WINDOW_SHOWN) && SDL_GetTicks() < end) {
            PumpEvents();
            SDL_Delay(5);
        }
        SDL_MinimizeWindow(w);
        PumpEvents();
    }
    return true;
}

bool OpenScreenInWindow(int window, int x, int y, int width, int height, bool stretch, int rightOffset,
                        int bottomOffset, bool /*vsync: always on*/) {
    auto it = Sdl.Windows.find(window);
    CloseGameScreen();
    if (it == Sdl.Windows.end()) return false;
    if (!CreateScreenOn(it->second, width, height, false)) return false;
    SdlScreen& s = Sdl.Screen;
    s.WindowNumber = window;
    s.Stretch = stretch;
    s.AreaX = std::max(0, x);
    s.AreaY = std::max(0, y);
    s.RightOffset = std::max(0, rightOffset);
    s.BottomOffset = std::max(0, bottomOffset);
    WaitForFocus(it->second, 1000);
    s.HasFocus = (SDL_GetWindowFlags(it->second) & SDL_WINDOW_INPUT_FOCUS) != 0;
    return true;
}

bool OpenGameScreen(int width, int height, int depthBits, const std::string& title, bool /*vsync: always on*/,
                    int refreshHz) {
    if (Sdl.Screen.Renderer || Sdl.Screen.Window) CloseGameScreen();   // a parked window stays for below
    if (!Sdl.Started || !ValidScreenSize(width, height)) {
        DropParkedWindow();
        return false;
    }
    SDL_DisplayMode want{};
    want.format = depthBits == 16 ? SDL_PIXELFORMAT_RGB565 : depthBits == 15 ? SDL_PIXELFORMAT_RGB555
                                                                             : SDL_PIXELFORMAT_RGB888;
    want.w = width;
    want.h = height;
    want.refresh_rate = std::max(0, refreshHz);
    SDL_DisplayMode closest{};
    const bool exact = DisplaySwitchesModes() && SDL_GetClosestDisplayMode(0, &want, &closest) &&
                       closest.w == width && closest.h == height;
    // When the display cannot take the size, cover the desktop and scale the
    // picture: never a black or missing screen.
    // On a high-density output the picture is scaled once, by us, to the
    // output's own pixels, not drawn small and blown up by the compositor.
    const uint32_t flags = (exact ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_FULLSCREEN_DESKTOP) | SDL_WINDOW_HIDDEN |
                           SDL_WINDOW_ALLOW_HIGHDPI;
    // The window of a full screen lost earlier, if it still covers the
    // output, is this one's: it is where the player came back to.
    SDL_Window* w = nullptr;
    if (Sdl.ParkedWindow && !exact &&
        (SDL_GetWindowFlags(Sdl.ParkedWindow) & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP) {
        w = Sdl.ParkedWindow;
        SDL_DestroyRenderer(Sdl.ParkedRenderer);   // one renderer to a window
        Sdl.ParkedWindow = nullptr;
        Sdl.ParkedRenderer = nullptr;
        SDL_SetWindowTitle(w, title.c_str());
    }
    DropParkedWindow();
    if (!w) {
        // A window that keeps the desktop's size is made at that size and
        // place: without a window manager nothing else would ever make it
        // cover the screen, while SDL would take it for the desktop's size
        // and draw a picture of that size into the smaller window, cut off.
        SDL_Rect at{SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height};
        if (!exact && !OnWaylandDriver()) SDL_GetDisplayBounds(0, &at);
        w = SDL_CreateWindow(title.c_str(), at.x, at.y, at.w, at.h, flags);
    }
    if (!w) return false;
    if (exact) SDL_SetWindowDisplayMode(w, &closest);
    SDL_ShowWindow(w);
    if (!CreateScreenOn(w, width, height, true)) {
        SDL_DestroyWindow(w);
        PumpEvents();
        return false;
    }
    Sdl.Screen.WindowNumber = -1;
    SDL_RaiseWindow(w);
    WaitForFocus(w, 1000);
    const bool focused = (SDL_GetWindowFlags(w) & SDL_WINDOW_INPUT_FOCUS) != 0;
    // An X window manager may hand the focus to a window that appeared while
    // ours was opening (a message, a launcher), and ours then never gets it,
    // nor a focus-loss event: without the focus full screen is lost as after
    // a loss, or it would cover the screen deaf to the keys for good. (A
    // Wayland compositor focuses a window once it has drawn, when it will.)
    Sdl.Screen.FocusLostPending = focused ? false : (Sdl.Screen.FocusLostPending || DisplaySwitchesModes());
    Sdl.Screen.HasFocus = focused;
    ReadRefreshRate();
    return true;
}

void DropParkedWindow() {
    if (Sdl.ParkedRenderer) SDL_DestroyRenderer(Sdl.ParkedRenderer);
    if (Sdl.ParkedWindow) SDL_DestroyWindow(Sdl.ParkedWindow);
    Sdl.ParkedRenderer = nullptr;
    Sdl.ParkedWindow = nullptr;
}

void CloseGameScreen() {
    SdlScreen& s = Sdl.Screen;
    DropParkedWindow();
    if (!s.Renderer && !s.Window) return;
    // A full screen lost to another window keeps its window for the
    // stand-by window to take over (see SdlPlatform::ParkedWindow).
    const bool park = s.FullScreen && s.Lost && s.Window && s.Renderer && s.WindowNumber < 0;
    // The renderer takes its textures with it.
    DropSpriteTextures();
    if (Sdl.Graphics.TextTarget == TextOnScreen) Sdl.Graphics.TextTarget = NoTextTarget;
    ResetFrameRecord();
    SDL_SetRelativeMouseMode(SDL_FALSE);
    if (park) {
        SDL_DestroyTexture(s.BackBuffer);
        // A window that switched the display's mode gives it back: restored
        // from the task bar it would otherwise switch again, only to be
        // closed and opened anew.
        if ((SDL_GetWindowFlags(s.Window) & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN)
            SDL_SetWindowFullscreen(s.Window, 0);
        ShowBlack(s.Renderer);
        Sdl.ParkedWindow = s.Window;
        Sdl.ParkedRenderer = s.Renderer;
    } else {
        if (s.Renderer) SDL_DestroyRenderer(s.Renderer);
        if (s.WindowNumber < 0 && s.Window) SDL_DestroyWindow(s.Window);
    }
    const uint32_t generation = s.Generation + 1;
    s = SdlScreen{};
    s.Generation = generation;
    PumpEvents();
}

void CloseGameWindow(int window) {
    auto it = Sdl.Windows.find(window);
    if (it == Sdl.Windows.end()) return;
    if (Sdl.Screen.WindowNumber == window) CloseGameScreen();
    if (Sdl.ParkedStandBy == window) {
        // The lost full screen's own window: parked again for the full
        // screen that follows (OpenGameScreen), or dropped by whatever else comes.
        Sdl.ParkedStandBy = -1;
        DropParkedWindow();
        Sdl.ParkedWindow = it->second;
        Sdl.ParkedRenderer = Sdl.WindowRenderers.count(window) ? Sdl.WindowRenderers[window] : nullptr;
        Sdl.WindowRenderers.erase(window);
        Sdl.Windows.erase(it);
        return;
    }
    if (auto r = Sdl.WindowRenderers.find(window); r != Sdl.WindowRenderers.end()) {
        SDL_DestroyRenderer(r->second);
        Sdl.WindowRenderers.erase(r);
    }
    SDL_DestroyWindow(it->second);
    Sdl.Windows.erase(it);
    PumpEvents();
}

void MinimiseGameWindow(int window) {
    auto it = Sdl.Windows.find(window);
    if (it == Sdl.Windows.end()) return;
    SDL_MinimizeWindow(it->second);
    PumpEvents();
}

bool ScreenIsActive() {
    PumpEvents();
    const SdlScreen& s = Sdl.Screen;
    if (!s.Renderer || !s.BackBuffer) return false;
    return s.FullScreen ? !s.Lost : s.HasFocus;
}

// Where the window shows the screen at its own size and place, the frame is
// drawn straight into the window: presenting then needs no clear and no
// copy of a back buffer. Decided afresh each frame, as the window may
// change. The clear is recorded like every draw on the screen
// (frame_record.h).
void ClearFrame(Color c) {
    SdlScreen& s = Sdl.Screen;
    if (!s.BackBuffer) return;
    const SDL_Rect area = PresentArea();
    int ow = 0, oh = 0;
    WindowPixelSize(ow, oh);
    const bool direct = area.x == 0 && area.y == 0 && area.w == s.Width && area.h == s.Height && ow == s.Width &&
                        oh == s.Height;
    if (direct != s.DrawDirect) {
        // The frame moves between the window and the back buffer: what
        // either holds is no longer the frame on show.
        s.DrawDirect = direct;
        ForgetBackBuffer();
    }
    if (RecordClear(c, FrameBox{0, 0, s.Width, s.Height}) && SelectFrameTarget()) RenderClearNow(c);
}

void PresentFrame() {
    PumpEvents();
    // A Wayland compositor's toggle need not come with a change of size;
    // SDL's flags say it at no cost. (Under X11 a toggle always moves or
    // resizes the window, and its state is read then.)
    if (OnWaylandDriver()) FollowDesktopFullScreen();
    SdlScreen& s = Sdl.Screen;
    if (!s.Renderer || !s.BackBuffer || s.Lost) {
        // Nothing to show; still never let a loop around us spin.
        SDL_Delay(16);
        return;
    }
    if (s.FullScreen && s.FocusLostPending) {
        // Give a brief loss (a mode switch settling) about two frames to heal.
        const uint32_t end = SDL_GetTicks() + 32;
        while (s.FocusLostPending && SDL_GetTicks() < end) {
            SDL_Delay(2);
            PumpEvents();
        }
        if (s.FocusLostPending) {
            s.Lost = true;
            ResetFrameRecord();
            return;
        }
    }
    // Only a software window surface can be sent part by part; a GL
    // window's buffer is swapped away by every present.
    const bool surface = s.DrawDirect && s.SoftwareSurface;
    const FramePlan plan = PlanFramePresent(s.Width, s.Height, surface);
    if (!plan.Present) {
        // The frame equals the one on show: nothing to render or present.
        FinishFramePresent(false, false, true);
        EndPass();
        return;
    }
    const bool partial = !plan.RenderAll && !plan.Rects.empty();
    if (SelectFrameTarget()) {
        if (plan.RenderAll) RenderFrameOps(Frames.Open);
        else if (partial) RenderFrameOpsInside(Frames.Open, plan.Rects);
    }
    if (s.DrawDirect) {
        SDL_SetRenderTarget(s.Renderer, nullptr);
        if (partial && !plan.PresentWhole) {
            // Only the changed rectangles go to the X server.
            std::vector<SDL_Rect> rects;
            for (const FrameBox& b : plan.Rects) rects.push_back({b.X, b.Y, b.W, b.H});
            SDL_RenderFlush(s.Renderer);
            SDL_UpdateWindowSurfaceRects(s.Window, rects.data(), int(rects.size()));
        } else {
            SDL_RenderPresent(s.Renderer);
        }
        FinishFramePresent(true, partial, s.SoftwareSurface);
        EndPass();
        return;
    }
    SDL_SetRenderTarget(s.Renderer, nullptr);
    const SDL_Rect area = PresentArea();
    int ow = 0, oh = 0;
    WindowPixelSize(ow, oh);
    // Only a border around the picture needs clearing.
    if (area.x > 0 || area.y > 0 || area.w < ow || area.h < oh) {
        SDL_SetRenderDrawColor(s.Renderer, 0, 0, 0, 255);
        SDL_RenderClear(s.Renderer);
    }
    SDL_RenderCopy(s.Renderer, s.BackBuffer, nullptr, &area);
    SDL_RenderPresent(s.Renderer);
    SDL_SetRenderTarget(s.Renderer, s.BackBuffer);
    FinishFramePresent(true, partial, true);
    EndPass();
}

std::string ScreenDriverName() {
    SDL_RendererInfo info{};
    if (!Sdl.Screen.Renderer || SDL_GetRendererInfo(Sdl.Screen.Renderer, &info) != 0 || !info.name) return "";
    return info.name;
}

// [SECTION] Screen modes

bool ListScreenModes() {
    Sdl.Modes = SdlModes{};
    if (!Sdl.Started) return false;
    const int count = SDL_GetNumDisplayModes(0);
    if (count < 0) return false;
    std::vector<SDL_DisplayMode> modes;
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode m{};
        if (SDL_GetDisplayMode(0, i, &m) == 0) modes.push_back(m);
    }
    const bool has15 = std::any_of(modes.begin(), modes.end(),
                                   [](const SDL_DisplayMode& m) { return SDL_BITSPERPIXEL(m.format) == 15; });
    for (const SDL_DisplayMode& m : modes)
        if (SDL_BITSPERPIXEL(m.format) == (has15 ? 15 : 16))
            Sdl.Modes.List.push_back({m.w, m.h, 16, m.refresh_rate});
    // Four bytes a pixel is what the game calls 32 bits, though SDL counts
    // its RGB888 as 24.
    for (const SDL_DisplayMode& m : modes)
        if (SDL_BYTESPERPIXEL(m.format) == 4) Sdl.Modes.List.push_back({m.w, m.h, 32, m.refresh_rate});
    return true;
}

bool AdvanceScreenMode() {
    SdlModes& m = Sdl.Modes;
    if (m.Cursor + 1 < int(m.List.size())) {
        ++m.Cursor;
        return true;
    }
    m.Cursor = int(m.List.size());
    return false;
}

namespace {
const SdlModes::Entry* CurrentMode() {
    const SdlModes& m = Sdl.Modes;
    return (m.Cursor >= 0 && m.Cursor < int(m.List.size())) ? &m.List[size_t(m.Cursor)] : nullptr;
}
}  // namespace

int ModeWidth() { return CurrentMode() ? CurrentMode()->Width : 0; }
int ModeHeight() { return CurrentMode() ? CurrentMode()->Height : 0; }
int ModeDepth() { return CurrentMode() ? CurrentMode()->Depth : 0; }
int ModeRefreshRate() { return CurrentMode() ? CurrentMode()->Refresh : 0; }

