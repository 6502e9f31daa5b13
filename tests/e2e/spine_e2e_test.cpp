// The real program under X: first start, its window, its ways out.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e_support.h"
#include "platform/png_codec.h"

using namespace e2e;

#define NEED_DISPLAY() \
    if (!HaveDisplay()) GTEST_SKIP() << "no X display or xdotool"

TEST(ProgramStart, FirstStartWritesOnlyTheApplicationGroupAndEscapeEndsWithZero) {
    NEED_DISPLAY();
    std::string dir = MakeWorkDir("first-start");
    Program p = Start(dir);
    ASSERT_FALSE(WaitForWindow(20, p.Pid).empty()) << "no window titled Veldrune appeared";
    std::string exe = std::filesystem::canonical(VELDRUNE_PROGRAM).string();
    std::string folder = exe.substr(0, exe.rfind('/') + 1);
    std::string file = exe.substr(exe.rfind('/') + 1);
    EXPECT_EQ(ReadFile(dir + "/Veldrune.cfg"),
              "\xEF\xBB\xBF\r\n[Application]\r\nPath = " + folder + "\r\nFile = " + file + "\r\n");
    Key("Escape");
    EXPECT_EQ(WaitExit(p), 0);
}

TEST(ProgramStart, PresentsFramesOfTheScreenSizeInAWindow) {
    NEED_DISPLAY();
    std::string dir = MakeWorkDir("window-frames");
    WriteFile(dir + "/Veldrune.cfg",
              SettingsText({"[Screen]", "ScreenW = 1024", "ScreenH = 768", "[Settings]",
                            "settings.screenmode = 1"}));
    Program p = Start(dir);
    ASSERT_FALSE(WaitForWindow(20, p.Pid).empty());
    Key("F12");
    EXPECT_TRUE(WaitForFile(dir + "/Screenshot_1.png"));
    RgbaImage shot;
    ASSERT_TRUE(DecodePngFile(dir + "/Screenshot_1.png", shot)) << "F12 saved no screenshot";
    EXPECT_EQ(shot.width, 1024);
    EXPECT_EQ(shot.height, 768);
    // A drawn frame: the main page's backdrop puts light pixels in the logo band.
    int lit = 0;
    for (int y = 79; y < 196; ++y)
        for (int x = 0; x < 1024; ++x)
            if (shot.pixels[(y * 1024 + x) * 4] > 128) ++lit;
    EXPECT_GT(lit, 500) << "the screenshot shows no title";
    Key("Escape");
    EXPECT_EQ(WaitExit(p), 0);
}

TEST(ProgramStart, TheCloseBoxEndsTheProgramLikeEscape) {
    NEED_DISPLAY();
    std::string dir = MakeWorkDir("close-box");
    WriteFile(dir + "/Veldrune.cfg", SettingsText({"[Settings]", "settings.screenmode = 1"}));
    Program p = Start(dir);
    std::string wid = WaitForWindow(20, p.Pid);
    ASSERT_FALSE(wid.empty());
    std::string before = ReadFile(dir + "/Veldrune.cfg");
    Key("alt+F4");
    EXPECT_EQ(WaitExit(p), 0);
    EXPECT_EQ(ReadFile(dir + "/Veldrune.cfg"), before) << "nothing is written at shutdown";
}
