// The real program driven by the arrow keys and Return alone: from a fresh
// start, rebind Forward and switch to English, then leave with Escape.
#include <gtest/gtest.h>

#include "e2e_support.h"

using namespace e2e;

TEST(ProgramWithoutMouse, ArrowsAndReturnRebindForwardAndChooseEnglish) {
    NEED_DISPLAY();
    std::string dir = MakeWorkDir("arrows");   // no settings file: the first start
    Program p = Start(dir);
    ASSERT_FALSE(WaitForWindow(20, p.Pid).empty()) << "no window titled Veldrune appeared";

    // Each press waits for its answer on the screen (the pointer moves, a page
    // opens and its sub column comes to rest), so no two share a frame.
    ASSERT_TRUE(Press("Up"));                   // the pointer rests on nothing: New Game
    ASSERT_TRUE(Press("Right"));
    ASSERT_TRUE(Press("Right"));                // Options
    ASSERT_TRUE(Press("Return"));               // the Options page
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(Press("Up"));   // Sound, Graphic, Gameplay, Control
    ASSERT_TRUE(Press("Return"));               // the Control page, its sub column slid away; on Forward
    // Forward's capture page (this Return is not taken); it blinks, so it
    // never comes to rest: the picture only has to change.
    ASSERT_TRUE(ActAndChange(InputWindow(), [] { Key("Return"); }));
    Key("k");
    EXPECT_TRUE(WaitForFileLine(dir + "/Veldrune.cfg", "Forward = K"));
    ASSERT_TRUE(WaitUntilSettled(InputWindow()));   // back on the Control page
    ASSERT_TRUE(Press("Left"));                 // Control, in the shifted column
    ASSERT_TRUE(Press("Down"));                 // Gameplay
    ASSERT_TRUE(Press("Return"));
    ASSERT_TRUE(Press("Right"));                // Language
    ASSERT_TRUE(Press("Return"));
    ASSERT_TRUE(Press("Right"));                // German
    ASSERT_TRUE(Press("Down"));                 // English
    Key("Return");
    EXPECT_TRUE(WaitForFileLine(dir + "/Veldrune.cfg", "settings.language = English"));

    const std::string cfg = ReadFile(dir + "/Veldrune.cfg");
    const auto controls = cfg.find("[Controls]\r\n");
    ASSERT_NE(controls, std::string::npos) << cfg;
    EXPECT_NE(cfg.find("\r\nForward = K\r\n", controls), std::string::npos) << cfg;
    EXPECT_NE(cfg.find("\r\nsettings.language = English\r\n"), std::string::npos) << cfg;
    ASSERT_TRUE(WaitUntilSettled(InputWindow()));
    EXPECT_EQ(EscapeToTheEnd(p, 3), 0);   // Language -> Gameplay -> Options -> main -> the end
}
