// screen_test.cpp — window styles, full screen, pacing without vertical
// sync, the screen-mode list, and the process services (own path, launch,
// threads).
#include "platform_fixture.h"
#include "core/core.h"
#include "menu/menu.h"
#include "../settings_lines.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <future>
#include <thread>

namespace {

// Frames presented in one second of the clock.
int FramesInOneSecond() {
    const uint32_t start = MillisecondsSinceStart();
    int frames = 0;
    while (MillisecondsSinceStart() - start < 1000) {
        ClearFrame(Color{0, 0, 0});
        PresentFrame();
        ++frames;
    }
    return frames;
}

// Pushes a quit after `seconds`, so that a wait for an event that never
// comes fails the test instead of hanging it.
struct Watchdog {
    std::promise<void> Done;   // kept when the wait ended in time
    std::thread Thread;
    explicit Watchdog(int seconds)
        : Thread([done = Done.get_future(), seconds] {
              if (done.wait_for(std::chrono::seconds(seconds)) == std::future_status::timeout) PushEvent(SDL_QUIT);
          }) {}
    ~Watchdog() {
        Done.set_value();
        Thread.join();
    }
};

// The display modes SDL lists for the first display, in its order.
std::vector<SDL_DisplayMode> DisplayModes() {
    std::vector<SDL_DisplayMode> modes(std::max(0, SDL_GetNumDisplayModes(0)));
    for (int i = 0; i < int(modes.size()); ++i) SDL_GetDisplayMode(0, i, &modes[i]);
    return modes;
}

using PlatformWindows = StartedPlatform;
using PlatformModes = StartedPlatform;

}  // namespace

// [SECTION] Pacing

TEST(PlatformPacing, PresentingWithoutVerticalSyncDoesNotSpin) {
    // The dummy driver ignores vertical sync; it needs no X server.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    const bool started = StartPlatform();
    unsetenv("SDL_VIDEODRIVER");
    ASSERT_TRUE(started);
    ASSERT_NO_FATAL_FAILURE(OpenFramedScreen(320, 240));
    const int frames = FramesInOneSecond();
    EXPECT_GT(frames, 20) << "frames are presented";
    EXPECT_LT(frames, 200) << "presenting spins instead of pacing to about 60 Hz";
    EXPECT_EQ(ScreenDriverName(), "software");
    StopPlatform();
}

// The game's own loop on the real platform with the pointer moving on every
// other pass, so that passes that present alternate with passes that
// present nothing: each must still last a refresh period, and the frame-rate
// counter reads the display's rate, not more.
TEST(PlatformPacing, TheFrameRateCounterReadsTheDisplaysRateWhileThePointerMoves) {
    NEED_DISPLAY();
    TempDir dir;
    const InFolder here(dir.Path);
    std::filesystem::create_directories("Media/Fonts");
    std::filesystem::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "Media/Fonts/DejaVu Sans.ttf");
    std::ofstream("Veldrune.cfg", std::ios::binary) << SettingsText({"[Screen]", "ScreenW = 800", "ScreenH = 600",
        "[Settings]", "settings.screenmode = 1", "settings.font = DejaVu Sans"});
    ResetGameState();
    ASSERT_TRUE(StartPlatform());
    StartUp();
    SDL_DisplayMode mode{};
    ASSERT_EQ(SDL_GetCurrentDisplayMode(0, &mode), 0);
    const int hz = mode.refresh_rate > 0 ? mode.refresh_rate : 60;
    std::vector<int> rates;
    uint32_t windowStart = FrameRate.FrameWindowStart;
    const uint32_t deadline = SDL_GetTicks() + 20000;
    for (int pass = 0; rates.size() < 3 && SDL_GetTicks() < deadline; ++pass) {
        if (pass % 2)
            PushEvent(SDL_MOUSEMOTION, [&](SDL_Event& e) {
                e.motion.windowID = SDL_GetWindowID(ScreenWindowForTests());
                e.motion.xrel = pass % 4 == 1 ? 1 : -1;
            });
        RunFrame();
        if (FrameRate.FrameWindowStart != windowStart) {
            windowStart = FrameRate.FrameWindowStart;
            rates.push_back(FrameRate.LastRate);
        }
    }
    ShutDown();
    StopPlatform();
    ASSERT_EQ(rates.size(), 3u) << "the counter's windows did not close";
    // The first window began before the first frame; the others are whole.
    for (size_t i = 1; i < rates.size(); ++i) {
        EXPECT_LE(rates[i], hz + 3) << "the loop runs faster than the " << hz << " Hz display";
        EXPECT_GE(rates[i], hz / 3) << "the loop stalls";
    }
}

TEST_F(PlatformTest, PresentingUnderXKeepsToTheDisplayRate) {
    const int frames = FramesInOneSecond();
    EXPECT_GT(frames, 20);
    EXPECT_LT(frames, 200);
    EXPECT_FALSE(ScreenDriverName().empty());
}

// [SECTION] Windows and screens

TEST_F(PlatformWindows, BorderlessWindowFillsTheDesktop) {
    ASSERT_TRUE(OpenGameWindow(0, 0, 0, 320, 240, "Veldrune", WindowBorderlessMaximised));
    SDL_Window* w = GameWindowForTests(0);
    SDL_DisplayMode desktop{};
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
    int width = 0, height = 0;
    need_display::PollFor(20, [&] {
        PresentFrame();   // pumps the events
        SDL_GetWindowSize(w, &width, &height);
        return width == desktop.w;
    });
    EXPECT_EQ(width, desktop.w) << "maximised by the window manager";
    EXPECT_TRUE(SDL_GetWindowFlags(w) & SDL_WINDOW_BORDERLESS);
    ASSERT_TRUE(OpenScreenInWindow(0, 0, 0, 320, 240, true, 0, 0, true));
    EXPECT_TRUE(CaptureFrame(0, 0, 0, 320, 240));
}

TEST_F(PlatformWindows, StandByWindowIsMinimisedAndWaitsForActivation) {
    ASSERT_TRUE(OpenGameWindow(0, 0, 0, 0, 0, "Veldrune", WindowMinimised));
    SDL_Window* w = GameWindowForTests(0);
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(ScreenIsActive()) << "no screen is open";
    need_display::PollFor(20, [&] {
        PresentFrame();
        return (SDL_GetWindowFlags(w) & SDL_WINDOW_MINIMIZED) != 0;
    });
    EXPECT_TRUE(SDL_GetWindowFlags(w) & SDL_WINDOW_MINIMIZED);
    const std::string id = std::to_string(XWindowOf(w));
    ASSERT_TRUE(need_display::ActivateWindow(id));
    {
        Watchdog watchdog(20);
        WindowEventKind kind;
        while ((kind = AwaitWindowEvent()) == WindowEventOther) {
        }
        EXPECT_EQ(kind, WindowEventActivated);
    }
    CloseGameWindow(0);
    EXPECT_EQ(GameWindowForTests(0), nullptr);
}

TEST_F(PlatformWindows, FullScreenAlwaysShowsAScreenOfTheAskedSize) {
    // The smallest offered mode exists on the Xorg dummy; Xvfb cannot switch and scales instead.
    const OfferedSize size = OfferedSizes[0];
    ASSERT_TRUE(OpenGameScreen(size.Width, size.Height, OfferedDepth, "Veldrune", true, OfferedRefresh));
    SDL_Window* w = ScreenWindowForTests();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(SDL_GetWindowFlags(w) & SDL_WINDOW_FULLSCREEN);
    EXPECT_TRUE(SDL_GetWindowFlags(w) & SDL_WINDOW_SHOWN);
    EXPECT_STREQ(SDL_GetWindowTitle(w), "Veldrune");
    EXPECT_TRUE(ScreenIsActive());
    ClearFrame(Color{0, 80, 0});
    PresentFrame();
    EXPECT_TRUE(CaptureFrame(0, 0, 0, size.Width, size.Height));
    EXPECT_FALSE(CaptureFrame(0, 0, 0, size.Width + 1, size.Height));
    const std::vector<SDL_DisplayMode> modes = DisplayModes();
    if (std::any_of(modes.begin(), modes.end(), [&](const SDL_DisplayMode& m) {
            return m.w == size.Width && m.h == size.Height && m.refresh_rate == OfferedRefresh;
        })) {
        SDL_DisplayMode current{};
        ASSERT_EQ(SDL_GetCurrentDisplayMode(0, &current), 0);
        EXPECT_EQ((std::array{current.w, current.h, current.refresh_rate}),
                  (std::array{size.Width, size.Height, OfferedRefresh}));
    } else {
        EXPECT_EQ(SDL_GetWindowFlags(w) & SDL_WINDOW_FULLSCREEN_DESKTOP, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
    CloseGameScreen();
    EXPECT_EQ(ScreenWindowForTests(), nullptr);
    EXPECT_FALSE(ScreenIsActive());
}

// [SECTION] Screen modes

TEST_F(PlatformModes, SixteenBitModesFirstThenFourBytesAPixelAsThirtyTwo) {
    ASSERT_TRUE(ListScreenModes());
    struct Entry {
        int w, h, d, hz;
        bool operator==(const Entry&) const = default;
    };
    std::vector<Entry> list;
    while (AdvanceScreenMode()) list.push_back({ModeWidth(), ModeHeight(), ModeDepth(), ModeRefreshRate()});
    EXPECT_FALSE(AdvanceScreenMode());
    EXPECT_EQ(ModeWidth(), 0) << "past the last entry";

    std::vector<Entry> sdl32;
    for (const SDL_DisplayMode& m : DisplayModes())
        if (SDL_BYTESPERPIXEL(m.format) == 4) sdl32.push_back({m.w, m.h, 32, m.refresh_rate});
    ASSERT_FALSE(sdl32.empty()) << "an X server of 24-bit depth offers RGB888 modes";
    bool seen32 = false;
    std::vector<Entry> got32;
    for (const Entry& e : list) {
        ASSERT_TRUE(e.d == 16 || e.d == 32) << e.d;
        if (e.d == 32) {
            seen32 = true;
            got32.push_back(e);
        } else {
            EXPECT_FALSE(seen32) << "a 16-bit mode after a 32-bit one";
        }
    }
    EXPECT_TRUE(got32 == sdl32) << "the 32-bit modes in SDL's order";
    if (sdl32.size() > 1) {
        // The Xorg dummy server: it lists every size of the resolution page
        // at the page's depth and rate.
        for (const OfferedSize& size : OfferedSizes)
            EXPECT_NE(std::find(got32.begin(), got32.end(), Entry{size.Width, size.Height, OfferedDepth, OfferedRefresh}),
                      got32.end()) << size.Width << "x" << size.Height;
    } else {
        EXPECT_EQ(list.size(), 1u) << "Xvfb has one mode";
    }
    // Listing again starts over.
    ASSERT_TRUE(ListScreenModes());
    EXPECT_EQ(ModeWidth(), 0) << "the cursor stands before the first entry";
    ASSERT_TRUE(AdvanceScreenMode());
    EXPECT_EQ(ModeWidth(), list.front().w);
}

// [SECTION] Processes and threads

TEST(PlatformProcess, ProgramPathIsThisTestProgram) {
    const std::string path = ProgramPath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_EQ(std::filesystem::path(path).filename(), "x11_tests");
    EXPECT_TRUE(std::filesystem::exists(path));
}

TEST(PlatformProcess, LaunchStartsWithoutArgumentsHereAndLeavesNoZombie) {
    TempDir dir;
    const auto script = dir.Path / "child.sh";
    std::ofstream(script) << "#!/bin/sh\necho \"$#\" > launched.tmp\npwd >> launched.tmp\nmv launched.tmp launched.txt\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    bool launched = false;
    {
        const InFolder here(dir.Path);
        launched = LaunchProgram(script.string());
        need_display::PollFor(20, [&] { return std::filesystem::exists(dir.Path / "launched.txt"); });
    }
    ASSERT_TRUE(launched);
    std::ifstream f(dir.Path / "launched.txt");
    std::string args, cwd;
    std::getline(f, args);
    std::getline(f, cwd);
    EXPECT_EQ(args, "0");
    EXPECT_EQ(std::filesystem::canonical(cwd), std::filesystem::canonical(dir.Path));
    // The reaper collects the child soon; until then it is ours to see.
    int status = 0;
    pid_t left = 0;
    need_display::PollFor(20, [&] { return (left = waitpid(-1, &status, WNOHANG)) < 0; });
    EXPECT_EQ(left, -1);
    EXPECT_EQ(errno, ECHILD) << "the launched program was left as a zombie";
    EXPECT_FALSE(LaunchProgram((dir.Path / "missing").string()));
    EXPECT_FALSE(LaunchProgram(""));
}

// Files that exist but cannot be started: each launch must report failure
// so that the game keeps running instead of ending without a successor.
TEST(PlatformProcess, ALaunchThatCannotExecuteReportsFailure) {
    TempDir dir;
    auto make = [&](const char* name, const std::string& content, std::filesystem::perms perms) {
        const auto path = dir.Path / name;
        std::ofstream(path) << content;
        std::filesystem::permissions(path, perms);
        return path.string();
    };
    using std::filesystem::perms;
    const std::vector<std::string> unstartable = {
        make("not-executable", "#!/bin/sh\ntrue\n", perms::owner_read | perms::owner_write),
        make("garbage", "\x7f""ELF but not really\n", perms::owner_all),
        make("missing-interpreter", "#!/nonexistent/interpreter\n", perms::owner_all),
        dir.Path.string(),   // a folder
    };
    for (const std::string& path : unstartable) EXPECT_FALSE(LaunchProgram(path)) << path;
}

namespace {
std::atomic<int> ThreadSaw{0};
void RecordParam(int param) {
    Pause(1);
    ThreadSaw = param;
}
}  // namespace

TEST(PlatformProcess, StartThreadRunsTheProcedureWithItsParameter) {
    const int first = StartThread(RecordParam, 42);
    ASSERT_NE(first, 0);
    need_display::PollFor(20, [] { return ThreadSaw == 42; });
    EXPECT_EQ(ThreadSaw, 42);
    const int second = StartThread(RecordParam, 7);
    ASSERT_NE(second, 0);
    EXPECT_NE(second, first);
    need_display::PollFor(20, [] { return ThreadSaw == 7; });
    EXPECT_EQ(ThreadSaw, 7);
    EXPECT_EQ(StartThread(nullptr, 1), 0);
}
