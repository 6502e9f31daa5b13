// sdl_x11_state.cpp — what the X server knows of the screen's window that
// SDL2 does not pass on. Apart from the rest of the platform because Xlib's
// names (KeyCode, None, Window) clash with the game's.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

// Whether an X window is held full screen: its _NET_WM_STATE, which the
// window manager keeps (and SDL sets before the window is mapped, so that
// without a window manager it says full screen all along), names
// _NET_WM_STATE_FULLSCREEN. True where nothing can be read.
bool X11WindowHeldFullScreen(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return true;
    Display* display = info.info.x11.display;
    const Atom state = XInternAtom(display, "_NET_WM_STATE", True);
    const Atom fullScreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", True);
    if (state == None || fullScreen == None) return true;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, info.info.x11.window, state, 0, 64, False, XA_ATOM, &type, &format, &count,
                           &after, &data) != Success)
        return true;
    bool held = type == None;   // no state at all: nobody took anything away
    if (data && type == XA_ATOM && format == 32)
        for (unsigned long i = 0; i < count; ++i)
            if (reinterpret_cast<const Atom*>(data)[i] == fullScreen) held = true;
    if (data) XFree(data);
    return held;
}
