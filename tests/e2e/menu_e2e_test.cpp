// The real program under X answering clicks and keys: key capture, language,
// resolution change with restart, Escape.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e_support.h"

using namespace e2e;

#define NEED_DISPLAY() \
    if (!HaveDisplay()) GTEST_SKIP() << "no X display or xdotool"

namespace {

// A windowed 800 x 600 program in a fresh folder, waiting on its main page.
Program StartWindowed(const std::string& name, std::vector<std::string> extra = {}) {
    std::string dir = MakeWorkDir(name);
    std::vector<std::string> lines = {"[Screen]", "ScreenW = 800", "ScreenH = 600", "[Settings]",
                                      "settings.screenmode = 1"};
    lines.insert(lines.end(), extra.begin(), extra.end());
    WriteFile(dir + "/Veldrune.cfg", SettingsText(lines));
    Program p = Start(dir);
    EXPECT_FALSE(WaitForWindow(20, p.Pid).empty()) << "no window titled Veldrune appeared";
    return p;
}

void ClickAt(int x, int y) {
    PointerTo(x, y);
    ClickLeft();
}

bool FileHasLine(const std::string& path, const std::string& line) {
    return ReadFile(path).find("\r\n" + line + "\r\n") != std::string::npos;
}

}  // namespace

TEST(ProgramMenu, RebindingForwardByClicksAndAKeyWritesTheControlsGroup) {
    NEED_DISPLAY();
    Program p = StartWindowed("rebind");
    ClickAt(400, 510);          // Options in the main row
    ClickAt(400, 190);          // Control, home column
    Sleep(1.0);                 // the sub column slides away; Forward appears
    ClickAt(400, 190);          // Forward: its capture page
    Sleep(0.3);
    Key("k");
    Sleep(0.4);
    std::string cfg = ReadFile(p.Dir + "/Veldrune.cfg");
    auto controls = cfg.find("[Controls]\r\n");
    ASSERT_NE(controls, std::string::npos) << cfg;
    EXPECT_NE(cfg.find("Forward = K\r\n", controls), std::string::npos) << cfg;
    for (int i = 0; i < 3; ++i) Key("Escape");   // Control -> Options -> main -> quit
    EXPECT_EQ(WaitExit(p), 0);
}

TEST(ProgramMenu, ChoosingEnglishWritesTheLanguage) {
    NEED_DISPLAY();
    Program p = StartWindowed("language");
    ClickAt(400, 510);          // Options
    ClickAt(400, 220);          // Gameplay, home column
    Sleep(1.0);
    ClickAt(400, 220);          // Language
    Sleep(0.3);
    ClickAt(560, 250);          // English
    Sleep(0.4);
    EXPECT_TRUE(FileHasLine(p.Dir + "/Veldrune.cfg", "settings.language = English"))
        << ReadFile(p.Dir + "/Veldrune.cfg");
    for (int i = 0; i < 4; ++i) Key("Escape");   // Language -> Gameplay -> Options -> main -> quit
    EXPECT_EQ(WaitExit(p), 0);
}

// From the main page of an 800 x 600 window, by clicks: Options, Graphic
// (the sub column slides to its place), Resolution, then 1024x768.
static void ChooseResolution1024x768() {
    ClickAt(400, 510);          // Options
    ClickAt(400, 250);          // Graphic, home column
    Sleep(1.0);
    ClickAt(400, 250);          // Resolution
    Sleep(0.3);
    ClickAt(560, 280);          // 1024x768
}

TEST(ProgramMenu, ChoosingAnotherResolutionRestartsOnTheResolutionPage) {
    NEED_DISPLAY();
    Program p = StartWindowed("resolution");
    std::string exe = std::filesystem::canonical(VELDRUNE_PROGRAM).string();
    ChooseResolution1024x768();
    EXPECT_EQ(WaitExit(p), 0) << "the old instance must end with code 0";
    // The new instance writes "Main" back once it has started.
    std::string path = p.Dir + "/Veldrune.cfg";
    for (int i = 0; i < 100 && !FileHasLine(path, "settings.page = Main"); ++i) Sleep(0.1);
    EXPECT_TRUE(FileHasLine(path, "ScreenW = 1024")) << ReadFile(path);
    EXPECT_TRUE(FileHasLine(path, "ScreenH = 768")) << ReadFile(path);
    EXPECT_TRUE(FileHasLine(path, "settings.page = Main")) << ReadFile(path);
    std::vector<pid_t> running = ProcessesOf(exe);
    ASSERT_EQ(running.size(), 1u) << "exactly the new instance runs";
    ASSERT_FALSE(WaitForWindow().empty());
    Sleep(0.8);
    // It opened on the Resolution page: three Escapes lead to the main page
    // (Graphic, Options, main) and only the fourth ends it.
    for (int i = 0; i < 3; ++i) Key("Escape");
    Sleep(0.4);
    EXPECT_EQ(ProcessesOf(exe).size(), 1u) << "the new instance did not open on the Resolution page";
    Key("Escape");
    for (int i = 0; i < 100 && !ProcessesOf(exe).empty(); ++i) Sleep(0.1);
    EXPECT_TRUE(ProcessesOf(exe).empty()) << "the new instance did not end on the fourth Escape";
}

TEST(ProgramMenu, EscapeOnTheMainPageEndsWithZero) {
    NEED_DISPLAY();
    Program p = StartWindowed("escape");
    Key("Escape");
    EXPECT_EQ(WaitExit(p), 0);
}

// The program's file was removed while it ran (an update replaced it): the
// new instance cannot be started, so this one goes on, on the Resolution
// page at its size, and the new size waits in the file for the next start.
TEST(ProgramMenu, ARestartThatCannotStartKeepsTheGameRunning) {
    NEED_DISPLAY();
    std::string dir = MakeWorkDir("restart-fails");
    std::string copy = dir + "/veldrune-copy";
    std::filesystem::copy_file(VELDRUNE_PROGRAM, copy);
    WriteFile(dir + "/Veldrune.cfg", SettingsText({"[Screen]", "ScreenW = 800", "ScreenH = 600", "[Settings]",
                                                   "settings.screenmode = 1"}));
    Program p = Start(dir, copy);
    ASSERT_FALSE(WaitForWindow(20, p.Pid).empty());
    std::filesystem::remove(copy);
    ChooseResolution1024x768();
    Sleep(1.0);
    ASSERT_TRUE(IsRunning(p)) << "the game ended although no new instance could start";
    std::string path = dir + "/Veldrune.cfg";
    EXPECT_TRUE(FileHasLine(path, "ScreenW = 1024")) << ReadFile(path);
    EXPECT_TRUE(FileHasLine(path, "settings.page = Main")) << ReadFile(path);
    // On the Resolution page: three Escapes lead to the main page, the fourth ends.
    for (int i = 0; i < 3; ++i) Key("Escape");
    Sleep(0.4);
    EXPECT_TRUE(IsRunning(p)) << "it was not on the Resolution page";
    Key("Escape");
    EXPECT_EQ(WaitExit(p), 0);
}
