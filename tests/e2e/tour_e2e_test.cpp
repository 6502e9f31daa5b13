// A tour through every page of the menu, in both languages at all three
// sizes, on the real program under X. Each page is saved with the screenshot
// key and compared with the reference picture in tests/e2e/reference/.
//
// After an intended change of the look, remake the references with
//   tools/remake_references.sh
// (it runs this test with VELDRUNE_REMAKE_REFERENCES=1, which stores the
// pictures instead of comparing them). The menu fonts are pinned to a DejaVu
// face copied into the working folder, so the pictures do not depend on which
// fonts a machine has.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "platform/shared/png_file.h"

using namespace e2e;
namespace fs = std::filesystem;

namespace {

struct Size { int w, h; };

// Row and column positions of the layout (the top-left of each item box).
struct Geometry {
    int home, shifted, value, row1, mainY, options;
};
Geometry GeometryOf(Size s) {
    if (s.w == 800) return {325, 165, 485, 180, 500, 325};
    if (s.w == 1024) return {437, 277, 597, 220, 668, 437};
    return {565, 405, 725, 220, 620, 565};
}

std::string ReferenceDir() { return std::string(VELDRUNE_SOURCE_DIR) + "/tests/e2e/reference"; }

class Tour : public ::testing::TestWithParam<std::tuple<std::string, int>> {};

TEST_P(Tour, EveryPageLooksAsTheReferenceShowsIt) {
    NEED_DISPLAY();
    const std::string language = std::get<0>(GetParam());
    const Size size = std::vector<Size>{{800, 600}, {1024, 768}, {1280, 720}}[std::get<1>(GetParam())];
    const bool german = language == "German";
    const Geometry g = GeometryOf(size);
    const std::string tag = language + "_" + std::to_string(size.w) + "x" + std::to_string(size.h);

    const std::string dir = MenuFolder("tour-" + tag, {"[Screen]", "ScreenW = " + std::to_string(size.w),
                                                       "ScreenH = " + std::to_string(size.h), "[Settings]",
                                                       "settings.screenmode = 1", "settings.language = " + language});
    Program p = Start(dir);
    const std::string id = WaitForWindow(20, p.Pid);
    ASSERT_FALSE(id.empty());
    const bool remake = std::getenv("VELDRUNE_REMAKE_REFERENCES") != nullptr;

    std::vector<std::string> pages;
    auto rest = [&] { PointerTo(size.w - 30, 30); };   // away from every item
    // The page is taken once the window shows it at rest: read back as its
    // reference where the window is wholly on the screen (X reads back only
    // that), and no longer changing (a fade may come close to its end
    // picture before it is over).
    auto shot = [&](const std::string& page) {
        RgbaImage shown, want;
        if (!remake && WindowPicture(id, shown) && shown.width == size.w && shown.height == size.h &&
            DecodePngFile(ReferenceDir() + "/" + tag + "_" + page + ".png", want))
            WaitForPicture(id, want);
        WaitUntilSettled(id);
        Key("F12");
        pages.push_back(page);
        EXPECT_TRUE(WaitForFile(dir + "/Screenshot_" + std::to_string(pages.size()) + ".png"))
            << "no screenshot of page " << page;
    };
    auto click = [&](int x, int y) { EXPECT_TRUE(ClickAt(x + 75, y + 10)) << "the click showed no new page"; };
    auto row = [&](int k) { return g.row1 + 30 * (k - 1); };

    rest();
    shot("main");
    Key("n"); rest(); shot("newgame");
    Key(german ? "s" : "l"); shot("loadgame");
    Key("o"); shot("options");   // its sub column's hotkeys wake up once it has faded in
    EXPECT_TRUE(PressUntilAnswered("t")) << "no Control page"; shot("control");
    Key("a"); shot("gameplay");
    click(g.home, row(2)); rest(); shot("language");
    Key("r"); shot("graphic");
    click(g.home, row(3)); rest(); shot("resolution");
    Key("u"); shot("sound");
    click(g.home, row(4)); rest(); shot("music");
    PointerTo(g.value + 75, row(5) + 10); shot("music_hover_off");   // Off lights up under the pointer
    Key(german ? "m" : "c"); rest(); shot("credits");
    Key(german ? "b" : "q"); shot("quit");
    Key("Escape");               // the quit page -> main
    ASSERT_TRUE(WaitUntilSettled(id));
    Key("Escape");
    EXPECT_EQ(WaitExit(p), 0);

    fs::create_directories(ReferenceDir());
    for (size_t i = 0; i < pages.size(); ++i) {
        std::string shotPath = dir + "/Screenshot_" + std::to_string(i + 1) + ".png";
        std::string refPath = ReferenceDir() + "/" + tag + "_" + pages[i] + ".png";
        RgbaImage got, want;
        ASSERT_TRUE(DecodePngFile(shotPath, got)) << "no screenshot for page " << pages[i];
        EXPECT_EQ(got.width, size.w);
        EXPECT_EQ(got.height, size.h);
        if (remake) {
            fs::copy_file(shotPath, refPath, fs::copy_options::overwrite_existing);
            continue;
        }
        ASSERT_TRUE(DecodePngFile(refPath, want)) << "missing reference " << refPath;
        EXPECT_GE(Agreement(got, want, 24), 0.998)
            << "page " << pages[i] << " differs from " << refPath << "; the screenshot is " << shotPath;
    }
}

std::string TourName(const ::testing::TestParamInfo<std::tuple<std::string, int>>& info) {
    static const char* const sizes[] = {"800x600", "1024x768", "1280x720"};
    return std::get<0>(info.param) + "_" + sizes[std::get<1>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(BothLanguagesAllSizes, Tour,
                         ::testing::Combine(::testing::Values("German", "English"),
                                            ::testing::Values(0, 1, 2)),
                         TourName);

}  // namespace
