// The real program under X answering clicks and keys: key capture, language,
// resolution change with restart, Escape.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e_support.h"
#include "menu_layout.h"

using namespace e2e;

namespace {

// A fresh folder for a windowed 800 x 600 program.
std::string WindowedFolder(const std::string& name) {
    return SettingsFolder(name, {"[Screen]", "ScreenW = 800", "ScreenH = 600", "[Settings]", "settings.screenmode = 1"});
}

// A windowed 800 x 600 program in a fresh folder, waiting on its main page.
Program StartWindowed(const std::string& name) {
    Program p = Start(WindowedFolder(name));
    EXPECT_FALSE(WaitForWindow(20, p.Pid).empty()) << "no window titled Veldrune appeared";
    return p;
}

// The items of an 800 x 600 window, where the program draws them.
const LayoutTable& Items() {
    static const LayoutTable items = LayoutAt(800, 600);
    return items;
}

}  // namespace

TEST(ProgramMenu, RebindingForwardByClicksAndAKeyWritesTheControlsGroup) {
    NEED_DISPLAY();
    Program p = StartWindowed("rebind");
    ASSERT_TRUE(ClickAt(Items().OptionsBox));   // in the main row
    ASSERT_TRUE(ClickAt(Items().ControlBox));   // home column; the sub column slides away, Forward appears
    // The capture page blinks and never comes to rest: the click only has to change the picture.
    PointerTo(Items().ForwardBox);
    ASSERT_TRUE(ActAndChange(InputWindow(), ClickLeft)) << "no capture page";
    Key("k");
    EXPECT_TRUE(WaitForFileLine(p.Dir + "/Veldrune.cfg", "Forward = K"));
    const std::string cfg = ReadFile(p.Dir + "/Veldrune.cfg");
    const auto controls = cfg.find("[Controls]\r\n");
    ASSERT_NE(controls, std::string::npos) << cfg;
    EXPECT_NE(cfg.find("Forward = K\r\n", controls), std::string::npos) << cfg;
    ASSERT_TRUE(WaitUntilSettled(InputWindow()));   // back on the Control page
    EXPECT_EQ(EscapeToTheEnd(p, 2), 0);   // Control -> Options -> main -> the end
}

TEST(ProgramMenu, ChoosingEnglishWritesTheLanguage) {
    NEED_DISPLAY();
    Program p = StartWindowed("language");
    ASSERT_TRUE(ClickAt(Items().OptionsBox));
    ASSERT_TRUE(ClickAt(Items().GameplayBox));   // home column; the sub column slides away
    ASSERT_TRUE(ClickAt(Items().LanguageBox));
    ASSERT_TRUE(ClickAt(Items().EnglishBox));    // the page is drawn in English
    EXPECT_TRUE(WaitForFileLine(p.Dir + "/Veldrune.cfg", "settings.language = English"))
        << ReadFile(p.Dir + "/Veldrune.cfg");
    EXPECT_EQ(EscapeToTheEnd(p, 3), 0);   // Language -> Gameplay -> Options -> main -> the end
}

// From the main page of an 800 x 600 window, by clicks: Options, Graphic
// (the sub column slides to its place), Resolution, then 1024x768.
static void ChooseResolution1024x768() {
    ASSERT_TRUE(ClickAt(Items().OptionsBox));
    ASSERT_TRUE(ClickAt(Items().GraphicBox));   // home column; the sub column slides away
    ASSERT_TRUE(ClickAt(Items().ResolutionBox));
    PointerTo(Items().Res1024Box);
    ClickLeft();
}

// On the Resolution page: three Escapes lead to the main page (Graphic,
// Options, main), each a new picture, and only the fourth ends the program.
static void ThreeEscapesToTheMainPage() {
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(Press("Escape")) << "Escape " << i + 1 << " showed no new page";
}

TEST(ProgramMenu, ChoosingAnotherResolutionRestartsOnTheResolutionPage) {
    NEED_DISPLAY();
    Program p = StartWindowed("resolution");
    const std::string exe = std::filesystem::canonical(VELDRUNE_PROGRAM).string();
    ASSERT_NO_FATAL_FAILURE(ChooseResolution1024x768());
    EXPECT_EQ(WaitExit(p), 0) << "the old instance must end with code 0";
    // The new instance writes "Main" back once it has started.
    const std::string path = p.Dir + "/Veldrune.cfg";
    EXPECT_TRUE(WaitForFileLine(path, "settings.page = Main")) << ReadFile(path);
    EXPECT_TRUE(FileHasLine(path, "ScreenW = 1024")) << ReadFile(path);
    EXPECT_TRUE(FileHasLine(path, "ScreenH = 768")) << ReadFile(path);
    const std::vector<pid_t> running = ProcessesOf(exe);
    ASSERT_EQ(running.size(), 1u) << "exactly the new instance runs";
    ASSERT_FALSE(WaitForWindow(20, running[0]).empty());
    ASSERT_NO_FATAL_FAILURE(ThreeEscapesToTheMainPage());
    EXPECT_EQ(ProcessesOf(exe).size(), 1u) << "the new instance did not open on the Resolution page";
    Key("Escape");
    EXPECT_TRUE(WaitUntil([&] { return ProcessesOf(exe).empty(); }))
        << "the new instance did not end on the fourth Escape";
}

TEST(ProgramMenu, EscapeOnTheMainPageEndsWithZero) {
    NEED_DISPLAY();
    Program p = StartWindowed("escape");
    EXPECT_EQ(EscapeToTheEnd(p), 0);
}

// The program's file was removed while it ran (an update replaced it): the
// new instance cannot be started, so this one goes on, on the Resolution
// page at its size, and the new size waits in the file for the next start.
TEST(ProgramMenu, ARestartThatCannotStartKeepsTheGameRunning) {
    NEED_DISPLAY();
    const std::string dir = WindowedFolder("restart-fails"), copy = dir + "/veldrune-copy";
    std::filesystem::copy_file(VELDRUNE_PROGRAM, copy);
    Program p = Start(dir, copy);
    ASSERT_FALSE(WaitForWindow(20, p.Pid).empty());
    std::filesystem::remove(copy);
    ASSERT_NO_FATAL_FAILURE(ChooseResolution1024x768());
    // The failed launch is over once "Main" is written back.
    const std::string path = dir + "/Veldrune.cfg";
    EXPECT_TRUE(WaitUntil([&] { return FileHasLine(path, "ScreenW = 1024") && FileHasLine(path, "settings.page = Main"); }))
        << ReadFile(path);
    ASSERT_TRUE(WaitUntilSettled(InputWindow()));
    ASSERT_TRUE(IsRunning(p)) << "the game ended although no new instance could start";
    ASSERT_NO_FATAL_FAILURE(ThreeEscapesToTheMainPage());
    EXPECT_TRUE(IsRunning(p)) << "it was not on the Resolution page";
    EXPECT_EQ(EscapeToTheEnd(p), 0);
}
