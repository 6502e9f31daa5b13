// x11_platform.cpp — benchmarks of the SDL platform under X: drawing a menu
// label, presenting (paced by vertical sync or by ourselves), and capturing
// and saving a 1280 x 720 screenshot. Run under tools/with_x.sh.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/platform.h"
#include "platform/sdl/sdl_internal.h"

namespace {

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

bool OpenScreen(benchmark::State& state, int w, int h, bool needX = true) {
    if (needX && !std::getenv("DISPLAY")) {
        state.SkipWithError("no X display (run under tools/with_x.sh)");
        return false;
    }
    if (!StartPlatform() || !OpenGameWindow(0, 0, 0, w, h, "Veldrune", WindowFramed) ||
        !OpenScreenInWindow(0, 0, 0, w, h, false, 0, 0, true)) {
        state.SkipWithError("could not open the screen");
        StopPlatform();
        return false;
    }
    return true;
}

// A menu label as LoadAssets makes one: white text in a 150 x 25 sprite.
void MakeLabel(int sprite, int blendable, const char* text) {
    LoadFontFace(0, "Papyrus", 11, 0);
    CreateBlankSprite(sprite, 150, 25, SpriteBlendable);
    BeginTextOn(sprite);
    SetTextTransparent();
    UseFont(0);
    const int w = MeasureTextWidth(text), h = MeasureTextHeight(text);
    DrawTextAt(75 - w / 2, 12 - h / 2, text, Color{255, 255, 255});
    EndText();
    MakeBlendable(blendable, sprite);
}

}  // namespace

// One label at the idle opacity, drawn and flushed to the back buffer.
static void BM_DrawBlendedLabel(benchmark::State& state) {
    if (!OpenScreen(state, 800, 600)) return;
    MakeLabel(801, 901, "Neues Spiel");
    SDL_Renderer* renderer = SDL_GetRenderer(ScreenWindowForTests());
    ClearFrame(Color{0, 0, 0});
    BeginBlending();
    int i = 0;
    for (auto _ : state) {
        DrawBlended(901, (i++ % 600), 300, 140);
        SDL_RenderFlush(renderer);
    }
    EndBlending();
    state.SetLabel(ScreenDriverName());
    StopPlatform();
}
BENCHMARK(BM_DrawBlendedLabel);

// ClearFrame + PresentFrame, the idle frame loop: frames per second and the
// share of one core it takes. Arg 0: under X (vertical sync), 1: the dummy
// driver, which ignores vertical sync so the platform paces itself.
static void BM_PresentFrame(benchmark::State& state) {
    const bool dummy = state.range(0) == 1;
    if (dummy) setenv("SDL_VIDEODRIVER", "dummy", 1);
    const bool open = OpenScreen(state, 800, 600, !dummy);
    if (dummy) unsetenv("SDL_VIDEODRIVER");
    if (!open) return;
    const uint32_t wallStart = MillisecondsSinceStart();
    const double cpuStart = CpuSeconds();
    for (auto _ : state) {
        ClearFrame(Color{0, 0, 0});
        PresentFrame();
    }
    const double wall = (MillisecondsSinceStart() - wallStart) / 1000.0;
    state.counters["fps"] = double(state.iterations()) / wall;
    state.counters["cpu_share"] = (CpuSeconds() - cpuStart) / wall;
    state.SetLabel(ScreenDriverName());
    StopPlatform();
}
BENCHMARK(BM_PresentFrame)->Arg(0)->Arg(1)->MinTime(3.0)->UseRealTime()->Unit(benchmark::kMillisecond);

// A screenshot of a 1280 x 720 menu frame: capture, then save as PNG.
static void BM_CaptureAndSave1280x720(benchmark::State& state) {
    if (!OpenScreen(state, 1280, 720)) return;
    MakeLabel(801, 901, "Optionen");
    const std::string path =
        (std::filesystem::temp_directory_path() / ("veldrune-bench-shot-" + std::to_string(getpid()) + ".png"))
            .string();
    ClearFrame(Color{0, 0, 0});
    for (int i = 0; i < 5; ++i) DrawBlended(901, 100 + i * 220, 600, 140);
    for (auto _ : state) {
        CaptureFrame(0, 0, 0, 1280, 720);
        if (SaveSpriteAsPng(0, path, false) != SaveOk) state.SkipWithError("saving failed");
    }
    std::filesystem::remove(path);
    state.SetLabel(ScreenDriverName());
    StopPlatform();
}
BENCHMARK(BM_CaptureAndSave1280x720)->Unit(benchmark::kMillisecond);

// The capture alone, for comparison with the save.
static void BM_Capture1280x720(benchmark::State& state) {
    if (!OpenScreen(state, 1280, 720)) return;
    ClearFrame(Color{0, 0, 0});
    for (auto _ : state) CaptureFrame(0, 0, 0, 1280, 720);
    state.SetLabel(ScreenDriverName());
    StopPlatform();
}
BENCHMARK(BM_Capture1280x720)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
