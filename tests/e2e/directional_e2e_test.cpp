// The real program driven by the arrow keys and Return alone: from a fresh
// start, rebind Forward and switch to English, then leave with Escape.
#include <gtest/gtest.h>

#include "e2e_support.h"

using namespace e2e;

#define NEED_DISPLAY() \
    if (!HaveDisplay()) GTEST_SKIP() << "no X display or xdotool"

TEST(ProgramWithoutMouse, ArrowsAndReturnRebindForwardAndChooseEnglish) {
    NEED_DISPLAY();
    std::string dir = MakeWorkDir("arrows");   // no settings file: the first start
    Program p = Start(dir);
    ASSERT_FALSE(WaitForWindow(20, p.Pid).empty()) << "no window titled Veldrune appeared";

    Key("Up");                                  // the pointer rests on nothing: New Game
    Key("Right");
    Key("Right");                               // Options
    Key("Return");                              // the Options page
    Sleep(0.3);
    for (int i = 0; i < 4; ++i) Key("Up");      // Sound, Graphic, Gameplay, Control
    Key("Return");                              // the Control page
    Sleep(1.0);                                 // the sub column slides away; the pointer rests on Forward
    Key("Return");                              // Forward's capture page: this Return is not taken
    Sleep(0.3);
    Key("k");
    Sleep(0.4);
    Key("Left");                                // Control, in the shifted column
    Key("Down");                                // Gameplay
    Key("Return");
    Sleep(0.3);
    Key("Right");                               // Language
    Key("Return");
    Sleep(0.3);
    Key("Right");                               // German
    Key("Down");                                // English
    Key("Return");
    Sleep(0.4);

    const std::string cfg = ReadFile(dir + "/Veldrune.cfg");
    const auto controls = cfg.find("[Controls]\r\n");
    ASSERT_NE(controls, std::string::npos) << cfg;
    EXPECT_NE(cfg.find("\r\nForward = K\r\n", controls), std::string::npos) << cfg;
    EXPECT_NE(cfg.find("\r\nsettings.language = English\r\n"), std::string::npos) << cfg;
    for (int i = 0; i < 4; ++i) Key("Escape");  // Language -> Gameplay -> Options -> main -> end
    EXPECT_EQ(WaitExit(p), 0);
}
