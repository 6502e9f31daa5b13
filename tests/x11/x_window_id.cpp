// x_window_id.cpp — the X window behind an SDL window, for driving it with
// xdotool. Kept apart because the X headers clash with the game's KeyCode.
#include <SDL.h>
#include <SDL_syswm.h>

unsigned long XWindowOf(SDL_Window* w) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!w || !SDL_GetWindowWMInfo(w, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    return info.info.x11.window;
}
