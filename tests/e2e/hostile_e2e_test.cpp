// hostile_e2e_test.cpp — the real program under abuse: hand-edited settings
// with hostile values, a full disk, a read-only folder, and twenty
// resolution changes in a row.
#include <gtest/gtest.h>

#include <csignal>
#include <sys/mount.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "menu/menu.h"
#include "menu_layout.h"

using namespace e2e;
namespace fs = std::filesystem;

namespace {

// [SECTION] Helpers

// Processes named veldrune that have ended and that a living parent never
// waited for. An orphan is left to the system's first process, which reaps
// it or not as that system does, so it is not counted.
int VeldruneZombies() {
    return std::atoi(Run("ps -e -o stat=,ppid=,comm= | awk '$1 ~ /^Z/ && $2 != 1 && $3 == \"veldrune\"' | wc -l")
                         .c_str());
}

// Whether the X server of DISPLAY is Xorg (which, with the dummy driver,
// switches real modes at 85 Hz) rather than Xvfb, which offers one mode.
bool DisplayIsXorg() {
    const char* display = std::getenv("DISPLAY");
    return display && Run("pgrep -a -x Xorg | grep -c -- ' " + std::string(display) + "\\( \\|$\\)'") != "0";
}

int LitPixels(const RgbaImage& shot) {
    int lit = 0;
    for (size_t i = 0; i + 3 < shot.pixels.size(); i += 4)
        if (shot.pixels[i] + shot.pixels[i + 1] + shot.pixels[i + 2] > 96) ++lit;
    return lit;
}

// Waits until the program shows its minimised stand-by window (not `old`),
// or has ended; returns the window's id ("" when there is none).
std::string WaitForStandBy(const Program& p, const std::string& old = "") {
    std::string id;
    WaitUntil([&] {
        id = FindWindow(p.Pid, false);
        if (id == old) id.clear();
        return (!id.empty() && WindowIs(id, WindowState::Minimised)) || !IsRunning(p);
    });
    return id;
}

// A folder on its own small tmpfs; "" when mounting is not allowed here.
std::string MountTmpfs(const std::string& name, const std::string& size) {
    const std::string dir = MakeWorkDir(name), options = "size=" + size + ",mode=0755";
    return mount("tmpfs", dir.c_str(), "tmpfs", 0, options.c_str()) == 0 ? dir : "";
}

void Unmount(const std::string& dir) {
    if (!dir.empty()) umount2(dir.c_str(), MNT_DETACH);
}

// [SECTION] The hand-edited cases run on the real program

struct E2eCase {
    const char* Name;
    std::vector<std::string> Lines;
    int ShotW, ShotH;   // the screenshot's size
};

const std::string MegabyteValue(1 << 20, 'q');

const std::vector<E2eCase> E2eCases = {
    {"texts",
     {"[Settings]", "settings.screenmode = 1", "settings.font = ../../etc/passwd",
      "settings.fontstyle = " + MegabyteValue, "settings.language = \xC3\x28\xFF", "[Controls]",
      "Forward = " + MegabyteValue, std::string("Backward = A\0B", 14), "Left = ",
      "Journal = \xFF\xFE"},
     800, 600},
    {"numbers",
     {"[Screen]", "ScreenD = -1", "ScreenF = 99999999999999999999", "ScreenS = abc",
      "[Settings]", "settings.screenmode = 1", "settings.fps = 99999", "settings.info = -1",
      "settings.fontsize = -40", "settings.debugger = 1",
      "settings.debbuger.titlered = 99999999999", "settings.debbuger.textgreen = -9",
      "settings.music = x", "settings.effects = -2147483648"},
     800, 600},
    {"one-pixel", {"[Screen]", "ScreenW = 1", "ScreenH = 1", "[Settings]", "settings.screenmode = 1"},
     1, 1},
    {"font-path", {"[Settings]", "settings.screenmode = 2", "settings.font = /tmp/x",
                   "settings.fontsize = 2147483647"},
     800, 600},
};

}  // namespace

// [SECTION] Tests

TEST(HostileProgram, HandEditedValuesStartDrawTakeAScreenshotAndEndOnEscape) {
    NEED_DISPLAY();
    for (const E2eCase& c : E2eCases) {
        SCOPED_TRACE(c.Name);
        const std::string dir = SettingsFolder(std::string("hostile-") + c.Name, c.Lines);
        Program p = Start(dir);
        ASSERT_FALSE(WaitForWindow(20, p.Pid).empty()) << "no window";
        RgbaImage shot;
        ASSERT_TRUE(TakeScreenshot(dir, 1, shot)) << "no screenshot";
        EXPECT_EQ(shot.width, c.ShotW);
        EXPECT_EQ(shot.height, c.ShotH);
        if (c.ShotW >= 800) {
            EXPECT_GT(LitPixels(shot), 1000) << "the menu was not drawn";
        }
        EXPECT_EQ(VisibleGameWindows(), 1) << "a message box or a second window showed";
        EXPECT_EQ(EscapeToTheEnd(p), 0);
        // The hand-written values survive the rewrites of the run.
        for (const std::string& line : c.Lines) {
            if (line.front() == '[') continue;
            EXPECT_TRUE(FileHasLine(dir + "/Veldrune.cfg", line)) << "lost: " << line.substr(0, 40);
        }
    }
}

TEST(HostileProgram, ScreenModeZeroWaitsInTheStandByWindowThenComesUpFullScreen) {
    NEED_DISPLAY();
    const std::string dir = SettingsFolder("hostile-mode0", {"[Settings]", "settings.screenmode = 0"});
    Program p = Start(dir);
    const std::string standBy = WaitForStandBy(p);
    ASSERT_FALSE(standBy.empty()) << "no stand-by window";
    EXPECT_TRUE(IsRunning(p));
    e2e::ActivateWindow(standBy);
    ASSERT_FALSE(WaitForWindow(20, p.Pid).empty()) << "no full screen after the activation";
    RgbaImage shot;
    ASSERT_TRUE(TakeScreenshot(dir, 1, shot));
    EXPECT_EQ(shot.width, 800);
    EXPECT_EQ(shot.height, 600);
    EXPECT_GT(LitPixels(shot), 1000);
    EXPECT_EQ(EscapeToTheEnd(p), 0);
}

// A size no screen can have, in a window: the player must see something he
// can close, or the program must end; it must not wait for ever without a
// window.
TEST(HostileProgram, ImpossibleWindowSizeNeverWaitsWithoutAWindow) {
    NEED_DISPLAY();
    for (const char* size : {"0", "100000"}) {
        SCOPED_TRACE(size);
        Program p = Start(SettingsFolder(std::string("hostile-window-") + size,
                                         {"[Screen]", std::string("ScreenW = ") + size,
                                          std::string("ScreenH = ") + size, "[Settings]", "settings.screenmode = 1"}));
        std::string id;
        EXPECT_TRUE(WaitUntil([&] { return !(id = FindWindow(p.Pid, false)).empty() || !IsRunning(p); }))
            << "running with no window at all";
        if (!id.empty()) {
            EXPECT_TRUE(WaitUntil([&] {
                e2e::ActivateWindow(id, true);
                return WindowIs(id, WindowState::Focused) || !IsRunning(p);
            })) << "the window never took the focus";
            Key("alt+F4");
        }
        EXPECT_EQ(WaitExit(p, 10), 0);
    }
}

// With no display to show it on, SDL would run the menu on a driver that
// shows nothing, unseen and waiting for ever: the program ends instead, and
// says why. A display that is named but does not answer is asked again for a
// few seconds first (a loaded display server may refuse one connection).
TEST(HostileProgram, NoDisplayEndsTheProgramWithAMessage) {
    for (const char* display : {"", ":479"}) {
        SCOPED_TRACE(std::string("DISPLAY=") + display);
        const std::string dir = MakeWorkDir("hostile-no-display");
        Program p = Start(dir, "", {{"DISPLAY", display}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", ""}});
        EXPECT_EQ(WaitExit(p, 20), 1) << "still running, or ended otherwise";
        EXPECT_NE(ReadFile(dir + "/stderr.txt").find("no display"), std::string::npos) << "nothing said why";
    }
}

// Full screen at 0 x 0: the stand-by window comes back after every
// activation (no screen of that size exists), no activation ends the program
// with an X error, and a request to quit while it waits there (the system's
// shutdown signal, as a session logout sends it) ends it cleanly.
TEST(HostileProgram, ImpossibleFullScreenSizeSurvivesActivationsAndQuitsFromTheStandBy) {
    NEED_DISPLAY();
    Program p = Start(SettingsFolder("hostile-fullscreen-0", {"[Screen]", "ScreenW = 0", "ScreenH = 0", "[Settings]",
                                                              "settings.screenmode = 3"}));
    std::string id = WaitForStandBy(p);
    for (int round = 0; round < 3; ++round) {
        ASSERT_FALSE(id.empty()) << "no stand-by window in round " << round;
        e2e::ActivateWindow(id);
        // The activated window goes, the screen cannot open, and a new
        // stand-by window comes.
        id = WaitForStandBy(p, id);
        ASSERT_TRUE(IsRunning(p)) << "the program ended after activation " << round;
    }
    kill(p.Pid, SIGTERM);
    EXPECT_EQ(WaitExit(p, 10), 0);
}

// [SECTION] Full disk and read-only folder

// The program in `dir`, where it cannot write: each screenshot key is
// followed by the overlay key, whose answer on the screen shows that the
// screenshot's attempt is over (a message box would block the program there).
// The old settings file stays as it was, and nothing is left behind
// (stderr.txt is the harness's record of the program's error output).
static void ExpectWritesLostSilently(const std::string& dir, const std::string& old) {
    Program p = Start(dir);
    EXPECT_FALSE(WaitForWindow(20, p.Pid).empty()) << "no window";
    Key("F12");
    EXPECT_TRUE(Press("grave")) << "no overlay after the screenshot key";
    Key("F12");
    EXPECT_TRUE(Press("grave")) << "the overlay did not go after the second screenshot key";
    EXPECT_EQ(VisibleGameWindows(), 1) << "a message box showed";
    EXPECT_EQ(EscapeToTheEnd(p), 0);
    EXPECT_EQ(ReadFile(dir + "/Veldrune.cfg"), old) << "the old file was changed";
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "Veldrune.cfg" || name == "filler" || name == "stderr.txt") << "left behind: " << name;
    }
    Unmount(dir);
}

TEST(HostileProgram, FullDiskLosesWritesSilentlyAndKeepsTheOldFile) {
    NEED_DISPLAY();
    const std::string dir = MountTmpfs("hostile-full", "2m");
    if (dir.empty()) GTEST_SKIP() << "cannot mount a tmpfs here (not root?)";
    const std::string old = SettingsText({"[Settings]", "settings.screenmode = 1", "settings.screenshots = 7", "; kept"});
    WriteFile(dir + "/Veldrune.cfg", old);
    e2e::Run("dd if=/dev/zero of='" + dir + "/filler' bs=4k 2>/dev/null; sync");   // full to the last byte
    ExpectWritesLostSilently(dir, old);
}

TEST(HostileProgram, ReadOnlyFolderLosesWritesSilentlyAndKeepsTheOldFile) {
    NEED_DISPLAY();
    const std::string dir = MountTmpfs("hostile-ro", "4m");
    if (dir.empty()) GTEST_SKIP() << "cannot mount a tmpfs here (not root?)";
    const std::string old = SettingsText({"[Settings]", "settings.screenmode = 1", "; kept"});
    WriteFile(dir + "/Veldrune.cfg", old);
    ASSERT_EQ(mount("tmpfs", dir.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr), 0)
        << "cannot make the folder read-only";
    ExpectWritesLostSilently(dir, old);
}

// [SECTION] Resolution changes

// Twenty restarts for a new size in a row, each chosen on the Resolution
// page of the instance before: one instance at the end, at the last size,
// no instance left unreaped, and the desktop at its own size once the last
// has ended (each new instance takes the mode it finds at its start for the
// desktop's). Needs a display that offers the three sizes
// at 85 Hz (the Xorg dummy driver).
TEST(HostileProgram, TwentyResolutionChangesEndOnTheRightSizeWithOneInstance) {
    NEED_DISPLAY();
    if (!DisplayIsXorg())
        GTEST_SKIP() << "the display is not served by Xorg (the dummy driver offers the 85 Hz modes)";
    // The sizes in the order of their items on the Resolution page.
    const ItemBox LayoutTable::*const SizeItems[] = {&LayoutTable::Res800Box, &LayoutTable::Res1024Box,
                                                     &LayoutTable::Res1280Box};
    const std::string dir = MenuFolder("hostile-restarts", {"[Screen]", "ScreenW = 800", "ScreenH = 600", "[Settings]",
                                                            "settings.screenmode = 3", "settings.page = GraphicRes"});
    const std::pair<int, int> desktop = DesktopSize();
    Program first = Start(dir);
    int current = 0;
    for (int change = 1; change <= 20; ++change) {
        SCOPED_TRACE("change " + std::to_string(change));
        ASSERT_FALSE(WaitForWindow(30).empty());
        int next = (current + 1 + (change % 3 == 0)) % 3;
        const OfferedSize& at = OfferedSizes[current];
        std::vector<pid_t> before = ProcessesOf(VELDRUNE_PROGRAM);
        ASSERT_EQ(before.size(), 1u);
        PointerTo(LayoutAt(at.Width, at.Height).*SizeItems[next]);
        ClickLeft();
        // The old instance ends and a new one takes its place.
        const bool replaced = WaitUntil([&] {
            std::vector<pid_t> now = ProcessesOf(VELDRUNE_PROGRAM);
            return now.size() == 1 && now[0] != before[0];
        }, 30);
        ASSERT_TRUE(replaced) << "no restart from " << at.Width << "x" << at.Height << " to "
                              << OfferedSizes[next].Width << "x" << OfferedSizes[next].Height;
        if (first.Pid > 0) WaitExit(first, 5);
        current = next;
    }
    ASSERT_FALSE(WaitForWindow(30).empty());
    EXPECT_EQ(ProcessesOf(VELDRUNE_PROGRAM).size(), 1u);
    EXPECT_EQ(VeldruneZombies(), 0);
    const std::string cfg = dir + "/Veldrune.cfg";
    EXPECT_TRUE(FileHasLine(cfg, "ScreenW = " + std::to_string(OfferedSizes[current].Width)));
    EXPECT_TRUE(FileHasLine(cfg, "ScreenH = " + std::to_string(OfferedSizes[current].Height)));
    EXPECT_TRUE(FileHasLine(cfg, "settings.page = Main"));
    RgbaImage shot;
    ASSERT_TRUE(TakeScreenshot(dir, 1, shot));
    EXPECT_EQ(shot.width, OfferedSizes[current].Width);
    EXPECT_EQ(shot.height, OfferedSizes[current].Height);
    // Resolution -> Graphic -> Options -> main -> end.
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(Press("Escape"));
    Key("Escape");
    EXPECT_TRUE(WaitUntil([] { return ProcessesOf(VELDRUNE_PROGRAM).empty(); })) << "an instance is still running";
    EXPECT_EQ(VeldruneZombies(), 0);
    EXPECT_EQ(DesktopSize(), desktop) << "the desktop was left at one of the game's sizes";
}
