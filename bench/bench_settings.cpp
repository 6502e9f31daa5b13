// bench_settings.cpp — the settings file as the control pages use it every frame (open, read the
// eight Controls keys, close) and one write round (open, write a binding, close: the locked, flushed rename).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/platform.h"

namespace {

const char* const ControlKeys[] = {"Forward", "Backward", "Left", "Right", "Duck", "Jump", "Journal", "Scrshot"};

// A 40-line file as the program leaves it after a while, with a comment.
std::string FortyLineFile() {
    std::string f = "\xEF\xBB\xBF\r\n; written by hand once\r\n[Application]\r\nPath = /home/player/Veldrune/\r\n"
                    "File = veldrune\r\n[Screen]\r\nScreenW = 1024\r\nScreenH = 768\r\nScreenD = 32\r\n"
                    "ScreenF = 85\r\nScreenS = 1\r\n[Settings]\r\n";
    const char* settings[] = {"settings.fps = 1", "settings.info = 1", "settings.page = Main",
                              "settings.screenshots = 17", "settings.font = Papyrus", "settings.fontsize = 11",
                              "settings.fontstyle = Normal", "settings.language = German",
                              "settings.screenmode = 3", "settings.music = 1", "settings.effects = 1",
                              "settings.debugger = 0", "settings.debbuger.titlered = 200",
                              "settings.debbuger.titlegreen = 30", "settings.debbuger.titleblue = 30",
                              "settings.debbuger.textred = 160", "settings.debbuger.textgreen = 160",
                              "settings.debbuger.textblue = 160"};
    for (const char* s : settings) f += std::string(s) + "\r\n";
    f += "[Controls]\r\nForward = W\r\nBackward = S\r\nLeft = A\r\nRight = D\r\nDuck = Strg\r\n"
         "Jump = Alt\r\nJournal = J\r\nScrshot = F12\r\n";
    return f;
}

struct BenchFolder {
    std::string Folder, Cfg;
    BenchFolder() {
        char pattern[] = "/tmp/veldrune-bench-XXXXXX";
        if (!mkdtemp(pattern)) abort();
        Folder = pattern;
        Cfg = Folder + "/Veldrune.cfg";
        std::ofstream(Cfg, std::ios::binary) << FortyLineFile();
    }
    ~BenchFolder() { std::filesystem::remove_all(Folder); }
};

void BM_ReadControlsPage(benchmark::State& state) {
    BenchFolder folder;
    for (auto _ : state) {
        OpenSettingsFile(folder.Cfg);
        SelectGroup("Controls");
        for (const char* key : ControlKeys) benchmark::DoNotOptimize(ReadSettingText(key, "W"));
        CloseSettingsFile();
    }
}
BENCHMARK(BM_ReadControlsPage);

void BM_WriteBindingRound(benchmark::State& state) {
    BenchFolder folder;
    bool toggle = false;
    for (auto _ : state) {
        OpenSettingsFile(folder.Cfg);
        SelectGroup("Controls");
        WriteSettingText("Jump", (toggle = !toggle) ? "Space" : "Alt");
        CloseSettingsFile();
    }
}
BENCHMARK(BM_WriteBindingRound)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
