// bench_frame.cpp — one pass of the frame loop on the recording platform, on
// the main page and on the Control page (which re-reads the key bindings from
// the settings file every frame).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/core.h"
#include "menu/menu.h"
#include "recording/recording_platform.h"

namespace {

// A working directory of its own with a settings file of about 40 lines, as a
// player's file looks after some use.
struct BenchDirectory {
    std::string Dir;
    BenchDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "veldrune-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr || chdir(pattern.c_str()) != 0) std::abort();
        Dir = pattern;
        FILE* f = std::fopen(SettingsFileName, "wb");
        if (f == nullptr) std::abort();
        std::fputs("\xEF\xBB\xBF\r\n[Application]\r\nPath = /opt/veldrune/bin/\r\nFile = veldrune\r\n"
                   "[Screen]\r\nScreenW = 800\r\nScreenH = 600\r\nScreenD = 32\r\nScreenF = 85\r\n"
                   "ScreenS = 1\r\n[Settings]\r\nsettings.fps = 2\r\nsettings.info = 1\r\n"
                   "settings.page = Main\r\nsettings.screenshots = 3\r\nsettings.font = Papyrus\r\n"
                   "settings.fontsize = 11\r\nsettings.fontstyle = Normal\r\n"
                   "settings.language = German\r\nsettings.screenmode = 1\r\nsettings.music = 1\r\n"
                   "settings.effects = 1\r\nsettings.debugger = 1\r\n"
                   "settings.debbuger.titlered = 200\r\nsettings.debbuger.titlegreen = 30\r\n"
                   "settings.debbuger.titleblue = 30\r\nsettings.debbuger.textred = 160\r\n"
                   "settings.debbuger.textgreen = 160\r\nsettings.debbuger.textblue = 160\r\n"
                   "[Controls]\r\nForward = W\r\nBackward = S\r\nLeft = A\r\nRight = D\r\n"
                   "Duck = Strg\r\nJump = Alt\r\nJournal = J\r\nScrshot = F12\r\n", f);
        std::fclose(f);
    }
    ~BenchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(Dir, ignored);
    }
};

void RunFrames(benchmark::State& state, int page) {
    BenchDirectory directory;
    ResetGameState();
    ResetRecording();
    StartUp();
    Menu.MenuSelect = page;
    for (int& level : Menu.FadeInLevels) level = IdleAlpha;
    Rec.MouseX = 420;
    Rec.MouseY = 310;
    for (auto _ : state) {
        RunFrame();
        // The record would grow without bound; keep only this frame's calls
        // (clearing keeps the capacity, so it costs next to nothing).
        Rec.Calls.clear();
    }
    state.counters["page"] = page;
}

void BM_FrameMainPage(benchmark::State& state) { RunFrames(state, MenuMain); }
void BM_FrameControlPage(benchmark::State& state) { RunFrames(state, MenuControl); }

}  // namespace

BENCHMARK(BM_FrameMainPage);
BENCHMARK(BM_FrameControlPage);
BENCHMARK_MAIN();
