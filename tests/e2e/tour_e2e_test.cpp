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
#include "menu/menu.h"
#include "menu_layout.h"

using namespace e2e;
namespace fs = std::filesystem;

namespace {

// "1024x768", as the reference pictures are named.
std::string SizeName(const OfferedSize& size) {
    return std::to_string(size.Width) + "x" + std::to_string(size.Height);
}

class Tour : public ::testing::TestWithParam<std::tuple<std::string, int>> {};

TEST_P(Tour, EveryPageLooksAsTheReferenceShowsIt) {
    NEED_DISPLAY();
    const std::string language = std::get<0>(GetParam());
    const OfferedSize size = OfferedSizes[std::get<1>(GetParam())];
    const LayoutTable items = LayoutAt(size.Width, size.Height);   // where the program draws at this size
    const std::string tag = language + "_" + SizeName(size);

    const std::string dir = MenuFolder("tour-" + tag, {"[Screen]", "ScreenW = " + std::to_string(size.Width),
                                                       "ScreenH = " + std::to_string(size.Height), "[Settings]",
                                                       "settings.screenmode = 1", "settings.language = " + language});
    Program p = Start(dir);
    const std::string id = WaitForWindow(20, p.Pid);
    ASSERT_FALSE(id.empty());
    const bool remake = std::getenv("VELDRUNE_REMAKE_REFERENCES") != nullptr;

    std::vector<std::string> pages;
    auto rest = [&] { PointerToRest(size.Width); };
    // The page is taken once the window shows it at rest: read back as its
    // reference where the window is wholly on the screen (X reads back only
    // that), and no longer changing (a fade may come close to its end
    // picture before it is over).
    auto shot = [&](const std::string& page) {
        RgbaImage shown;
        const RgbaImage want = remake ? RgbaImage{} : ReferencePicture(size.Width, size.Height, page, language);
        if (want.width > 0 && WindowPicture(id, shown) && shown.width == size.Width && shown.height == size.Height)
            WaitForPicture(id, want);
        WaitUntilSettled(id);
        Key("F12");
        pages.push_back(page);
        EXPECT_TRUE(WaitForFile(dir + "/Screenshot_" + std::to_string(pages.size()) + ".png"))
            << "no screenshot of page " << page;
    };
    auto click = [&](const ItemBox& box) { EXPECT_TRUE(ClickAt(box)) << "the click showed no new page"; };

    // The key of an item's red letter in the tour's language.
    const MenuWords& words = language == "German" ? GermanWords : EnglishWords;
    auto hotkey = [&](MenuLabel label) { return RedLetterKey(words, label); };

    rest();
    shot("main");
    Key(hotkey(LabelNewGame)); rest(); shot("newgame");
    Key(hotkey(LabelLoadGame)); shot("loadgame");
    Key(hotkey(LabelOptions)); shot("options");   // its sub column's hotkeys wake up once it has faded in
    EXPECT_TRUE(PressUntilAnswered(hotkey(LabelControl))) << "no Control page"; shot("control");
    Key(hotkey(LabelGameplay)); shot("gameplay");
    click(items.LanguageBox); rest(); shot("language");
    Key(hotkey(LabelGraphic)); shot("graphic");
    click(items.ResolutionBox); rest(); shot("resolution");
    Key(hotkey(LabelSound)); shot("sound");
    click(items.MusicBox); rest(); shot("music");
    PointerTo(items.OffBox); shot("music_hover_off");   // Off lights up under the pointer
    Key(hotkey(LabelCredits)); rest(); shot("credits");
    Key(hotkey(LabelQuit)); shot("quit");
    EXPECT_EQ(EscapeToTheEnd(p, 1), 0);   // the quit page -> main -> the end

    for (size_t i = 0; i < pages.size(); ++i) {
        const std::string shotPath = dir + "/Screenshot_" + std::to_string(i + 1) + ".png";
        const std::string refPath = std::string(VELDRUNE_SOURCE_DIR) + "/tests/e2e/reference/" + tag + "_" + pages[i] +
                                    ".png";
        RgbaImage got, want;
        ASSERT_TRUE(DecodePngFile(shotPath, got)) << "no screenshot for page " << pages[i];
        EXPECT_EQ(got.width, size.Width);
        EXPECT_EQ(got.height, size.Height);
        if (remake) {
            fs::copy_file(shotPath, refPath, fs::copy_options::overwrite_existing);
            continue;
        }
        ASSERT_TRUE(DecodePngFile(refPath, want)) << "missing reference " << refPath;
        EXPECT_TRUE(ShowsPicture(got, want))
            << "page " << pages[i] << " differs from " << refPath << "; the screenshot is " << shotPath;
    }
}

std::string TourName(const ::testing::TestParamInfo<std::tuple<std::string, int>>& info) {
    return std::get<0>(info.param) + "_" + SizeName(OfferedSizes[std::get<1>(info.param)]);
}

INSTANTIATE_TEST_SUITE_P(BothLanguagesAllSizes, Tour,
                         ::testing::Combine(::testing::Values("German", "English"),
                                            ::testing::Values(0, 1, 2)),
                         TourName);

}  // namespace
