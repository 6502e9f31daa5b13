// x11_load_assets.cpp — how fast the menu starts: LoadAssets as a whole on the
// real platform under X, against the bare libpng decode of the same 91
// embedded images (the floor), and the peak resident memory after start-up
// at 1280x720. Run under tools/with_x.sh.
#include <sys/resource.h>

#include <benchmark/benchmark.h>

#include <cstdio>

#include "assets/assets.h"
#include "core/core.h"
#include "formats/png_codec.h"

namespace {

long PeakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;   // KiB on Linux
}

long StartUpPeakKiB = 0;

// [SECTION] Start-up as the program does it, at 1280x720 in a window

bool OpenBenchScreen() {
    Cfg.ScreenW = 1280;
    Cfg.ScreenH = 720;
    if (!StartPlatform()) return false;
    StartSpriteSystem();
    StartBlendingSystem();
    OpenGameWindow(0, 0, 0, Cfg.ScreenW, Cfg.ScreenH, GameTitle, WindowFramed);
    return OpenScreenInWindow(0, 0, 0, Cfg.ScreenW, Cfg.ScreenH, true, 0, 0, true);
}

// [SECTION] Benchmarks

void BareDecodeOfEmbeddedImages(benchmark::State& state) {
    int64_t pixels = 0;
    for (auto _ : state) {
        pixels = 0;
        for (int i = 0; i < EmbeddedImageCount; ++i) {
            RgbaImage image;
            DecodePng(EmbeddedImages[i].Data, EmbeddedImages[i].Size, image);
            pixels += int64_t{image.width} * image.height;
            benchmark::DoNotOptimize(image.pixels.data());
        }
    }
    state.counters["Mpx"] = static_cast<double>(pixels) / 1e6;
}
BENCHMARK(BareDecodeOfEmbeddedImages)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void WholeLoadAssets(benchmark::State& state) {
    for (auto _ : state) LoadAssets();
    state.counters["StartUpPeakRssMiB"] = static_cast<double>(StartUpPeakKiB) / 1024.0;
    state.counters["PeakRssMiB"] = static_cast<double>(PeakResidentKiB()) / 1024.0;
}
BENCHMARK(WholeLoadAssets)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    if (!OpenBenchScreen()) {
        std::fprintf(stderr, "x11_load_assets: no screen (run under tools/with_x.sh)\n");
        return 1;
    }
    // The first run is the program's start-up; its peak is the figure that
    // counts before any benchmark repeats the work.
    LoadAssets();
    StartUpPeakKiB = PeakResidentKiB();
    std::printf("peak resident memory after start-up at 1280x720: %.1f MiB\n",
                static_cast<double>(StartUpPeakKiB) / 1024.0);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    StopPlatform();
    return 0;
}
