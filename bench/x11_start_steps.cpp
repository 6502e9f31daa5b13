// x11_start_steps.cpp — where the menu's start goes: the steps of a start in
// the program's order, each timed on its own, full screen (or in a window
// with "window"), and the peak resident memory at the end.
//
//   x11_start_steps [W H] [window] [in-order]    under tools/with_x.sh --xorg
//
// "in-order" leaves out the decoding ahead, as the program started before.
//
// The steps follow StartUp and LoadAssets through the platform operations;
// the first frame draws the main page's pictures and presents.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "assets/assets.h"
#include "core/core.h"
#include "menu/menu.h"

namespace {

using Clock = std::chrono::steady_clock;

struct StepClock {
    Clock::time_point Start = Clock::now();
    Clock::time_point Last = Start;
    void Step(const char* what) {
        const auto now = Clock::now();
        std::printf("| %-46s | %8.1f ms | %8.1f ms |\n", what,
                    std::chrono::duration<double, std::milli>(now - Last).count(),
                    std::chrono::duration<double, std::milli>(now - Start).count());
        Last = now;
    }
};

double PeakResidentMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    bool window = false, inOrder = false;
    int w = 800, h = 600;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "window") == 0) window = true;
        else if (std::strcmp(argv[i], "in-order") == 0) inOrder = true;
        else if (i + 1 < argc && std::atoi(argv[i]) > 0) {
            w = std::atoi(argv[i]);
            h = std::atoi(argv[++i]);
        }
    }
    Cfg.ScreenW = w;
    Cfg.ScreenH = h;
    Cfg.settings.font = "DejaVu Sans";
    std::printf("| %-46s | %11s | %11s |\n", "step", "took", "since start");
    StepClock clock;
    if (!StartPlatform()) return 1;
    clock.Step("platform (SDL, fonts lookup)");
    // As StartUp does, unless told "in-order": the pictures decode on
    // another core while the screen opens.
    if (!inOrder) DecodeEmbeddedImagesAhead();
    StartSpriteSystem();
    if (window) {
        OpenGameWindow(0, 0, 0, w, h, GameTitle, WindowFramed);
        clock.Step("window");
        OpenScreenInWindow(0, 0, 0, w, h, false, 0, 0, true);
    } else {
        OpenGameScreen(w, h, 32, GameTitle, true, 85);
    }
    clock.Step("screen: window, renderer, back buffer");
    LoadAssets();
    clock.Step("LoadAssets (fonts, images, labels)");
    ClearFrame(Color{0, 0, 0});
    BeginBlending();
    RenderPage();
    EndBlending();
    clock.Step("first frame drawn");
    PresentFrame();
    clock.Step("first frame presented");
    std::printf("peak resident memory: %.1f MiB\n", PeakResidentMiB());
    StopPlatform();
    return 0;
}
