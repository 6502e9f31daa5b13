// The real program under X: first start, its window, its ways out.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdint>
#include <filesystem>

#include "e2e_support.h"
#include "menu_layout.h"

using namespace e2e;

namespace {

uint32_t BigEndian32(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) << 24 | uint32_t(uint8_t(b[at + 1])) << 16 |
           uint32_t(uint8_t(b[at + 2])) << 8 | uint32_t(uint8_t(b[at + 3]));
}

// Checks a screenshot file byte by byte: an RGB image of 8 bits, not
// interlaced, whose zlib stream says "maximum compression" and whose every
// row starts with filter byte 0 (None).
void ExpectScreenshotEncoding(const std::string& bytes, int width, int height) {
    ASSERT_GT(bytes.size(), 33u);
    ASSERT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    ASSERT_EQ(bytes.substr(12, 4), "IHDR");
    EXPECT_EQ(BigEndian32(bytes, 16), uint32_t(width));
    EXPECT_EQ(BigEndian32(bytes, 20), uint32_t(height));
    EXPECT_EQ(uint8_t(bytes[24]), 8) << "bit depth";
    EXPECT_EQ(uint8_t(bytes[25]), 2) << "colour type RGB";
    EXPECT_EQ(uint8_t(bytes[28]), 0) << "not interlaced";
    std::string idat;
    for (size_t at = 8; at + 8 <= bytes.size();) {
        uint32_t length = BigEndian32(bytes, at);
        std::string type = bytes.substr(at + 4, 4);
        if (type == "IDAT") idat += bytes.substr(at + 8, length);
        at += 12 + length;
    }
    ASSERT_GE(idat.size(), 2u);
    EXPECT_EQ(uint8_t(idat[1]) >> 6, 3) << "the zlib header does not say level 9";
    std::string raw(size_t(height) * (1 + size_t(width) * 3), '\0');
    uLongf rawSize = raw.size();
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(raw.data()), &rawSize,
                         reinterpret_cast<const Bytef*>(idat.data()), idat.size()), Z_OK);
    ASSERT_EQ(rawSize, raw.size());
    int filtered = 0;
    for (int y = 0; y < height; ++y) filtered += raw[size_t(y) * (1 + size_t(width) * 3)] != 0;
    EXPECT_EQ(filtered, 0) << "rows with a filter other than None";
}

}  // namespace

TEST(ProgramStart, FirstStartWritesOnlyTheApplicationGroupAndEscapeEndsWithZero) {
    NEED_DISPLAY();
    const std::string dir = MakeWorkDir("first-start");
    Program p = Start(dir);
    ASSERT_FALSE(WaitForWindow(20, p.Pid).empty()) << "no window titled Veldrune appeared";
    const std::filesystem::path exe = std::filesystem::canonical(VELDRUNE_PROGRAM);
    EXPECT_EQ(ReadFile(dir + "/Veldrune.cfg"), "\xEF\xBB\xBF\r\n[Application]\r\nPath = " + exe.parent_path().string() +
                                                   "/\r\nFile = " + exe.filename().string() + "\r\n");
    EXPECT_EQ(EscapeToTheEnd(p), 0);
}

TEST(ProgramStart, PresentsFramesOfTheScreenSizeInAWindow) {
    NEED_DISPLAY();
    const std::string dir = MenuFolder("window-frames", {"[Screen]", "ScreenW = 1024", "ScreenH = 768", "[Settings]",
                                                         "settings.screenmode = 1", "settings.language = English"});
    Program p = Start(dir);
    ASSERT_FALSE(WaitForWindow(20, p.Pid).empty());
    PointerToRest(1024);
    RgbaImage shot;
    ASSERT_TRUE(TakeScreenshot(dir, 1, shot)) << "F12 saved no screenshot";
    ExpectScreenshotEncoding(ReadFile(dir + "/Screenshot_1.png"), 1024, 768);
    EXPECT_EQ(shot.width, 1024);
    EXPECT_EQ(shot.height, 768);
    EXPECT_TRUE(ShowsPicture(shot, ReferencePicture(1024, 768, "main"))) << "the screenshot is not the main page";
    EXPECT_EQ(EscapeToTheEnd(p), 0);
}

TEST(ProgramStart, TheCloseBoxEndsTheProgramLikeEscape) {
    NEED_DISPLAY();
    const std::string dir = SettingsFolder("close-box", {"[Settings]", "settings.screenmode = 1"});
    Program p = Start(dir);
    ASSERT_FALSE(WaitForWindow(20, p.Pid).empty());
    const std::string before = ReadFile(dir + "/Veldrune.cfg");
    Key("alt+F4");
    EXPECT_EQ(WaitExit(p), 0);
    EXPECT_EQ(ReadFile(dir + "/Veldrune.cfg"), before) << "nothing is written at shutdown";
}
