// bench_menu.cpp — the menu's share of a frame on the recording platform:
// navigation and pointing on every state, and the drawing of the heaviest
// pages (Control, a capture page with its key queries and settings file,
// Resolution with its mode list, Credits with its text).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "assets/assets.h"
#include "core/core.h"
#include "menu/menu.h"
#include "recording/recording_platform.h"

namespace {

// [SECTION] Set-up

// The pages read and write the settings file of the working directory: run
// in a directory of our own.
void EnterScratchDirectory() {
    static bool entered = false;
    if (entered) return;
    std::string pattern = (std::filesystem::temp_directory_path() / "veldrune-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr || chdir(pattern.c_str()) != 0) std::abort();
    entered = true;
}

void PrepareMenu(int32_t page) {
    EnterScratchDirectory();
    ResetGameState();
    ResetRecording();
    Cfg.ScreenW = 800;
    Cfg.ScreenH = 600;
    FillLayoutTable();
    Rec.Modes = {{640, 480, 16, 60}, {800, 600, 32, 60}, {800, 600, 32, 85},
                 {1024, 768, 32, 85}, {1280, 720, 32, 85}, {1920, 1080, 32, 60}};
    Rec.MouseX = 400;    // over the sub column and the binding rows
    Rec.MouseY = 250;
    Rec.KeyDown[KeyW] = true;   // one key held: every test of a list sees a key state
    PollKeyboard();
    PollMouse();
    Menu.MenuSelect = page;
    const bool home = page <= MenuOptions || page == MenuCredits || page == MenuQuit;
    const int x = home ? HomeColumnX() : ShiftedColumnX();
    PlaceSubColumn(x);
}

// [SECTION] Input handling on every state

// Navigation and pointing of one frame, the button up (hover only), on every
// state in turn; the time reported is per state.
void BM_NavigateAndPointEveryState(benchmark::State& state) {
    PrepareMenu(MenuMain);
    for (auto _ : state) {
        for (int32_t page = 0; page < MenuStateCount; ++page) {
            Menu.MenuSelect = page;
            NavigateByKeyboard();
            PointWithMouse();
            benchmark::DoNotOptimize(Menu.MenuSelect);
        }
        Rec.Calls.clear();
    }
    state.SetItemsProcessed(state.iterations() * MenuStateCount);
}
BENCHMARK(BM_NavigateAndPointEveryState);

// The pointing table walked to its end with the button held over nothing.
void BM_PointWithButtonHeldOverNothing(benchmark::State& state) {
    PrepareMenu(MenuResolution);
    Rec.ButtonDown[1] = true;
    Rec.MouseX = 10;
    Rec.MouseY = 10;
    PollMouse();
    for (auto _ : state) {
        PointWithMouse();
        benchmark::DoNotOptimize(Menu.MenuSelect);
        Rec.Calls.clear();
    }
}
BENCHMARK(BM_PointWithButtonHeldOverNothing);

// [SECTION] Drawing the heaviest pages

void BM_RenderPage(benchmark::State& state) {
    const int32_t page = static_cast<int32_t>(state.range(0));
    PrepareMenu(page);
    size_t calls = 0;
    for (auto _ : state) {
        Menu.MenuSelect = page;   // a capture page could have taken a key
        RenderPage();
        calls = Rec.Calls.size();
        Rec.Calls.clear();
    }
    state.counters["platform_calls"] = static_cast<double>(calls);
}
BENCHMARK(BM_RenderPage)
    ->ArgName("page")
    ->Arg(MenuControl)
    ->Arg(MenuForward)
    ->Arg(MenuResolution)
    ->Arg(MenuCredits)
    ->Arg(MenuMain);

}  // namespace

BENCHMARK_MAIN();
