// bare_sdl.cpp — the floor the menu is measured against (bench/budget.sh):
// a bare SDL program with the menu's window and renderer, the bare decode of
// the embedded images, and a watcher that times a program from exec to its
// first frame on the screen.
//
//   bare_sdl present W H SECONDS [white|black] [window|full|desktop] [every|once] [software]
//       a W x H window (or full screen in that mode, or a window covering the
//       desktop with the W x H back buffer scaled to it) with SDL's default
//       renderer (accelerated, vertical sync, target textures) and an ARGB
//       back buffer, presenting one colour every frame ("every"), or once and
//       then only polling its events at the display's refresh rate ("once",
//       the floor of a page that does not change); SECONDS 0 runs until
//       killed. "software": SDL's software renderer, shown through X shared
//       memory on X11 (on Wayland SDL has no such window surface and shows
//       it through a GL texture, as it does the menu's); it never waits for
//       the vertical blank, so the program sleeps to the display's rate
//       itself. Prints the frames presented.
//   bare_sdl decode [ROUNDS]
//       decodes the 91 embedded PNG images with libpng; prints the fastest
//       round in ms.
//   bare_sdl watch PROGRAM [ARGS...]
//       starts PROGRAM in the current folder and prints the ms from its exec
//       to the first frame that lights the middle band of the screen (read
//       back from the X server), then ends it. Prints -1 after 30 s.
#include <SDL.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "assets/assets.h"
#include "formats/png_codec.h"

// Xlib names a type KeyCode, as the platform's key enum is named.
#define KeyCode XlibKeyCode
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#undef KeyCode

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// [SECTION] present

int Present(int w, int h, double seconds, bool white, bool full, bool desktop, bool once, bool software) {
    if (software) SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, "software", SDL_HINT_OVERRIDE);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
    if (software && std::strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0)
        SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_OVERRIDE);
    uint32_t flags = SDL_WINDOW_SHOWN;
    SDL_DisplayMode mode{};
    if (desktop) {
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    } else if (full) {
        SDL_DisplayMode want{};
        want.format = SDL_PIXELFORMAT_RGB888;
        want.w = w;
        want.h = h;
        want.refresh_rate = 85;
        if (SDL_GetClosestDisplayMode(0, &want, &mode)) flags |= SDL_WINDOW_FULLSCREEN;
        else flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    }
    SDL_Window* window = SDL_CreateWindow("bare", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h, flags);
    if (!window) return 1;
    if (flags & SDL_WINDOW_FULLSCREEN) SDL_SetWindowDisplayMode(window, &mode);
    SDL_Renderer* renderer = SDL_CreateRenderer(
        window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC | SDL_RENDERER_TARGETTEXTURE);
    if (!renderer) return 1;
    SDL_Texture* back = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, w, h);
    SDL_DisplayMode current{};
    const int hz = SDL_GetWindowDisplayMode(window, &current) == 0 && current.refresh_rate > 0 ? current.refresh_rate : 60;
    const uint8_t c = white ? 255 : 0;
    const auto start = Clock::now();
    const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / hz));
    auto due = start + period;
    long frames = 0;
    while (seconds <= 0 || MsSince(start) < seconds * 1000) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
        }
        if (software && frames > 0 && !once) {
            // Presenting returns at once: one frame a refresh period.
            std::this_thread::sleep_until(due);
            due += period;
        }
        if (once && frames > 0) {
            // Nothing changes: only the events are looked at, once a refresh.
            SDL_Delay(uint32_t(1000 / hz));
            continue;
        }
        // The same two steps as the menu's frame: draw into the back buffer,
        // copy it to the window and present.
        SDL_SetRenderTarget(renderer, back);
        SDL_SetRenderDrawColor(renderer, c, c, c, 255);
        SDL_RenderClear(renderer);
        SDL_SetRenderTarget(renderer, nullptr);
        SDL_RenderCopy(renderer, back, nullptr, nullptr);
        SDL_RenderPresent(renderer);
        ++frames;
    }
    std::printf("%ld\n", frames);
    SDL_Quit();
    return 0;
}

// [SECTION] decode

int Decode(int rounds) {
    double best = 1e9;
    for (int r = 0; r < rounds; ++r) {
        const auto start = Clock::now();
        for (int i = 0; i < EmbeddedImageCount; ++i) {
            RgbaImage image;
            if (!DecodePng(EmbeddedImages[i].Data, EmbeddedImages[i].Size, image)) return 1;
        }
        best = std::min(best, MsSince(start));
    }
    std::printf("%.1f\n", best);
    return 0;
}

// [SECTION] watch

// Bright pixels (every 4th column) in the band of the screen where a
// centred 800 x 600 window shows the menu's title: its backdrop lights it,
// and so does the bare program's white frame.
long BrightPixels(Display* display, int x, int y, int w, int h) {
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, w, h, AllPlanes, ZPixmap);
    if (!image) return 0;
    long bright = 0;
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; col += 4) {
            unsigned long p = XGetPixel(image, col, row);
            int sum = int((p >> 16) & 0xFF) + int((p >> 8) & 0xFF) + int(p & 0xFF);
            if (sum > 384) ++bright;
        }
    XDestroyImage(image);
    return bright;
}

int Watch(char** argv) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    const int sw = DisplayWidth(display, DefaultScreen(display));
    const int sh = DisplayHeight(display, DefaultScreen(display));
    const int bx = std::max(0, sw / 2 - 300), by = std::max(0, sh / 2 - 230);
    const int bw = std::min(600, sw - bx), bh = std::min(200, sh - by);
    const long baseline = BrightPixels(display, bx, by, bw, bh);

    const auto start = Clock::now();
    pid_t child = fork();
    if (child == 0) {
        execv(argv[0], argv);
        _exit(127);
    }
    double ms = -1;
    while (MsSince(start) < 30000) {
        if (BrightPixels(display, bx, by, bw, bh) > baseline + 500) {
            ms = MsSince(start);
            break;
        }
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            child = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::printf("%.0f\n", ms);
    std::fflush(stdout);
    if (child > 0) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    XCloseDisplay(display);
    return ms < 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "present" && argc >= 5) {
        bool white = true, full = false, desktop = false, once = false, software = false;
        for (int i = 5; i < argc; ++i) {
            if (std::strcmp(argv[i], "black") == 0) white = false;
            if (std::strcmp(argv[i], "full") == 0) full = true;
            if (std::strcmp(argv[i], "desktop") == 0) desktop = true;
            if (std::strcmp(argv[i], "once") == 0) once = true;
            if (std::strcmp(argv[i], "software") == 0) software = true;
        }
        return Present(std::atoi(argv[2]), std::atoi(argv[3]), std::atof(argv[4]), white, full, desktop, once,
                       software);
    }
    if (what == "decode") return Decode(argc > 2 ? std::atoi(argv[2]) : 5);
    if (what == "watch" && argc >= 3) return Watch(argv + 2);
    std::fprintf(stderr,
                 "usage: bare_sdl present W H SECONDS [white|black] [window|full|desktop] [every|once] [software] | decode [ROUNDS] | watch PROGRAM...\n");
    return 2;
}
