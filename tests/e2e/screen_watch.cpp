// screen_watch.cpp — counting a window's draws with X Damage and a file's
// openings with inotify, the display's mode from RandR, and the menu's
// picture in a box of the screen, for the end-to-end tests.
#include "screen_watch.h"

#include "e2e_support.h"
#include "menu_layout.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <vector>

// Xlib names a type KeyCode, as the platform's key enum is named.
#define KeyCode XlibKeyCode
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <X11/extensions/Xrandr.h>
#undef KeyCode

namespace e2e {

namespace {

int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// Runs `during` (when given) again and again for `seconds`, and `read`
// whenever `fd` may have something to read, and at least every 5 ms.
void WatchFor(int fd, double seconds, const std::function<void()>& during, const std::function<void()>& read) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    while (Clock::now() < end) {
        if (during) during();
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, during ? 0 : 5);
        read();
    }
}

}  // namespace

DisplayMode CurrentDisplayMode() {
    DisplayMode mode;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return mode;
    Window root = DefaultRootWindow(display);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
    if (resources) {
        for (int c = 0; c < resources->ncrtc && mode.Width == 0; ++c) {
            XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, resources->crtcs[c]);
            if (crtc && crtc->mode != None) {
                for (int m = 0; m < resources->nmode; ++m) {
                    const XRRModeInfo& info = resources->modes[m];
                    if (info.id != crtc->mode) continue;
                    mode.Width = int(crtc->width);
                    mode.Height = int(crtc->height);
                    if (info.hTotal && info.vTotal)
                        mode.Hz = int(std::lround(double(info.dotClock) / (double(info.hTotal) * info.vTotal)));
                }
            }
            if (crtc) XRRFreeCrtcInfo(crtc);
        }
        XRRFreeScreenResources(resources);
    }
    XCloseDisplay(display);
    return mode;
}

int CountWindowDraws(const std::string& windowId, double seconds, const std::function<void()>& during) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return -1;
    int eventBase = 0, errorBase = 0;
    if (!XDamageQueryExtension(display, &eventBase, &errorBase)) {
        XCloseDisplay(display);
        return -1;
    }
    XErrorHandler previous = XSetErrorHandler(IgnoreXError);
    // Level "non-empty": one event each time the damage goes from nothing to
    // something; subtracting it all re-arms it, so every drawing that comes
    // after the last event was handled is counted once.
    Damage damage = XDamageCreate(display, Window(std::stoul(windowId)), XDamageReportNonEmpty);
    XSync(display, False);
    int draws = 0;
    WatchFor(ConnectionNumber(display), seconds, during, [&] {
        while (XPending(display)) {
            XEvent e;
            XNextEvent(display, &e);
            if (e.type == eventBase + XDamageNotify) {
                ++draws;
                XDamageSubtract(display, damage, None, None);
                XFlush(display);
            }
        }
    });
    XDamageDestroy(display, damage);
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return draws;
}

int CountFileOpens(const std::string& path, double seconds, const std::function<void()>& during) {
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) return -1;
    // Watching the closes as well keeps inotify from merging back-to-back
    // openings into one event.
    if (inotify_add_watch(fd, path.c_str(), IN_OPEN | IN_CLOSE) < 0) {
        close(fd);
        return -1;
    }
    int opens = 0;
    alignas(inotify_event) char buffer[8192];
    WatchFor(fd, seconds, during, [&] {
        for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
                if (e->mask & IN_OPEN) ++opens;
                at += ssize_t(sizeof(inotify_event) + e->len);
            }
    });
    close(fd);
    return opens;
}

RgbaImage PictureInBox(const RgbaImage& screen, int x, int y, int boxW, int boxH, int w, int h) {
    RgbaImage out;
    out.width = w;
    out.height = h;
    out.pixels.assign(size_t(w) * h * 4, 0);
    for (int py = 0; py < h; ++py)
        for (int px = 0; px < w; ++px) {
            const int sx = x + int((px + 0.5) * boxW / w), sy = y + int((py + 0.5) * boxH / h);
            if (sx < 0 || sy < 0 || sx >= screen.width || sy >= screen.height) continue;
            const uint8_t* s = &screen.pixels[(size_t(sy) * screen.width + sx) * 4];
            uint8_t* o = &out.pixels[(size_t(py) * w + px) * 4];
            o[0] = s[0], o[1] = s[1], o[2] = s[2], o[3] = 255;
        }
    return out;
}

bool BlackOutside(const RgbaImage& screen, int x, int y, int boxW, int boxH) {
    for (int sy = 0; sy < screen.height; ++sy)
        for (int sx = 0; sx < screen.width; ++sx) {
            if (sx >= x && sx < x + boxW && sy >= y && sy < y + boxH) continue;
            const uint8_t* p = &screen.pixels[(size_t(sy) * screen.width + sx) * 4];
            if (p[0] || p[1] || p[2]) return false;
        }
    return true;
}

Box Letterbox(const Box& outer, int w, int h) {
    const double fit = std::min(double(outer.W) / w, double(outer.H) / h);
    const int bw = int(w * fit), bh = int(h * fit);
    return {outer.X + (outer.W - bw) / 2, outer.Y + (outer.H - bh) / 2, bw, bh};
}

namespace {

// How the picture in the box compares with `want`, pixel by pixel. PictureInBox
// leaves the pixels it finds off the screen wholly transparent; they count
// neither way.
struct Comparison {
    double Share = 0;       // of the box's pixels on the screen; 0 when fewer than half are
    double WorstTile = 0;   // the lowest share of a 32 x 32 tile, the pointer's tiles left out
};

Comparison Compare(const RgbaImage& screen, const Box& box, const RgbaImage& want, int tolerance) {
    if (want.width == 0 || box.W <= 0 || box.H <= 0) return {};
    const RgbaImage shown = PictureInBox(screen, box.X, box.Y, box.W, box.H, want.width, want.height);
    constexpr int Tile = 32;
    const int tilesX = (want.width + Tile - 1) / Tile;
    std::vector<int> on(size_t(tilesX) * ((want.height + Tile - 1) / Tile)), same(on.size());
    for (int y = 0; y < want.height; ++y)
        for (int x = 0; x < want.width; ++x) {
            const size_t i = (size_t(y) * want.width + x) * 4, t = size_t(y / Tile) * tilesX + x / Tile;
            if (shown.pixels[i + 3] == 0) continue;
            ++on[t];
            same[t] += std::abs(shown.pixels[i] - want.pixels[i]) <= tolerance &&
                       std::abs(shown.pixels[i + 1] - want.pixels[i + 1]) <= tolerance &&
                       std::abs(shown.pixels[i + 2] - want.pixels[i + 2]) <= tolerance;
        }
    // The pointer is the one thing that may rightly stand elsewhere than in
    // the reference: where the harness left it, and at rest, where most
    // references have it. Its picture (32 x 32) may reach into the tiles
    // around either place.
    const ScreenPoint rest = RestPoint(want.width);
    int px = 0, py = 0;
    const bool known = PointerPlace(px, py);
    const auto near = [](int tile, int at) { return std::abs(tile * Tile + Tile / 2 - at) < Tile * 3 / 2; };
    Comparison c{0, 1};
    size_t allOn = 0, allSame = 0;
    for (size_t t = 0; t < on.size(); ++t) {
        const int tx = int(t % tilesX), ty = int(t / tilesX);
        allOn += on[t];
        allSame += same[t];
        const bool underPointer = (near(tx, rest.X) && near(ty, rest.Y)) || (known && near(tx, px) && near(ty, py));
        if (on[t] >= Tile * Tile / 4 && !underPointer) c.WorstTile = std::min(c.WorstTile, double(same[t]) / on[t]);
    }
    if (allOn * 2 < size_t(want.width) * want.height) return {};
    c.Share = double(allSame) / double(allOn);
    return c;
}

}  // namespace

double AgreementInBox(const RgbaImage& screen, const Box& box, const RgbaImage& want, int tolerance) {
    return Compare(screen, box, want, tolerance).Share;
}

// The share of the whole picture alone lets a few hundred wrong pixels pass:
// another page's subtitle, one wrong letter, Off lit instead of On are 0.1 %
// of an 800 x 600 picture. In a tile of 1,024 pixels they are a tenth or
// more. A picture at its own size agrees exactly but for the pointer; a
// scaled one is filtered, and a tile of thin scaled text (the credits at 1.2
// times) agrees to about 0.92 where a wrong page's subtitle agrees to 0.84 or
// less.
bool ShowsPicture(const RgbaImage& screen, const Box& box, const RgbaImage& want) {
    const bool scaled = box.W != want.width || box.H != want.height;
    const Comparison c = Compare(screen, box, want, scaled ? 48 : 24);
    return c.Share >= (scaled ? 0.995 : 0.998) && c.WorstTile >= (scaled ? 0.87 : 0.99);
}

bool ShowsPicture(const RgbaImage& picture, const RgbaImage& want) {
    return picture.width == want.width && picture.height == want.height &&
           ShowsPicture(picture, Box{0, 0, want.width, want.height}, want);
}

}  // namespace e2e
