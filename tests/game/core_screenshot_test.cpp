// core_screenshot_test.cpp — numbered screenshots: the count in the settings
// file, the whole screen captured, and no earlier screenshot ever replaced.
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "menu_test_support.h"

namespace {

const std::vector<std::string> ShotOps = {"CaptureFrame", "SaveSpriteAsPng", "DeleteSprite"};

// An earlier screenshot, marked so that a replacement shows.
void TouchFile(const std::string& path) { std::ofstream(path, std::ios::binary) << "old picture"; }
bool Untouched(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end()) == "old picture";
}

}  // namespace

TEST_F(GameTest, FirstScreenshotIsNumberOneAndTheCountFollowsTheApplicationGroup) {
    Rec.ProgramFile = "/g/v";
    Boot();
    Release({KeyF12});
    EXPECT_TRUE(FileExists("Screenshot_1.png"));
    EXPECT_EQ(Described(1, ShotOps), (Lines{"CaptureFrame 0 0 0 800 600",
                                            "SaveSpriteAsPng 0 1 Screenshot_1.png", "DeleteSprite 0"}));
    EXPECT_EQ(ReadSettingsFile(), SettingsText({"[Application]", "Path = /g/", "File = v",
                                                "[Settings]", "settings.screenshots = 1"}));
    EXPECT_EQ(Cfg.settings.screenshots, 1);
}

TEST_F(GameTest, ScreenshotNumberContinuesFromTheFileAndCapturesTheScreenSize) {
    BootWith({"[Screen]", "ScreenW = 1280", "ScreenH = 720", "[Settings]",
              "settings.screenshots = 41", "settings.screenmode = 1"});
    Release({KeyF12});
    EXPECT_TRUE(FileExists("Screenshot_42.png"));
    EXPECT_EQ(StoredNumber(SettingScreenshots), 42);
    EXPECT_EQ(Described(1, {"CaptureFrame"}), Lines{"CaptureFrame 0 0 0 1280 720"});
}

TEST_F(GameTest, AnUnreadableCountCountsAsZero) {
    BootWith({"[Settings]", "settings.screenshots ="});
    Release({KeyF12});
    EXPECT_TRUE(FileExists("Screenshot_1.png"));
    EXPECT_EQ(StoredNumber(SettingScreenshots), 1);
}

TEST_F(GameTest, HoldingTheKeyTakesNothingLettingGoTakesExactlyOne) {
    Boot();
    Frame({KeyF12});
    Frame({KeyF12});
    EXPECT_EQ(CallsOf("CaptureFrame").size(), 0u);
    Frames(3);
    EXPECT_EQ(CallsOf("CaptureFrame").size(), 1u);
    EXPECT_EQ(StoredNumber(SettingScreenshots), 1);
}

TEST_F(GameTest, TheBoundKeyIsTheScreenshotKeyAndNoneMeansNone) {
    BootWith({"[Controls]", "Scrshot = F9"});
    ASSERT_EQ(Assets.ScreenshotKey, KeyF9);
    Release({KeyF12});
    EXPECT_EQ(CallsOf("CaptureFrame").size(), 0u);
    Release({KeyF9});
    EXPECT_EQ(CallsOf("CaptureFrame").size(), 1u);

    Assets.ScreenshotKey = KeyNone;
    Release({KeyF9});
    EXPECT_EQ(CallsOf("CaptureFrame").size(), 1u);
}

TEST_F(GameTest, AScreenshotNeverReplacesAnEarlierOne) {
    WriteSettingsFile(SettingsText({"[Settings]", "settings.screenshots = 2"}));
    TouchFile("Screenshot_3.png");
    TouchFile("Screenshot_4.png");
    Boot();
    Release({KeyF12});
    EXPECT_TRUE(Untouched("Screenshot_3.png"));
    EXPECT_TRUE(Untouched("Screenshot_4.png"));
    EXPECT_TRUE(FileExists("Screenshot_5.png"));
    EXPECT_EQ(StoredNumber(SettingScreenshots), 5) << "the number used is written back";
    EXPECT_EQ(Described(1, {"PathTaken", "SaveSpriteAsPng"}),
              (Lines{"PathTaken Screenshot_3.png", "PathTaken Screenshot_4.png", "PathTaken Screenshot_5.png",
                     "SaveSpriteAsPng 0 1 Screenshot_5.png"}))
        << "taken numbers are passed over by name; the frame is saved once";
}

// A settings file that cannot be written keeps the count where it was, so
// every screenshot starts from the same number. (A folder in the file's place
// stands in for a read-only file: permissions do not stop a root user.)
TEST_F(GameTest, ACountThatCannotBeStoredNeverOverwritesScreenshots) {
    ASSERT_EQ(mkdir(SettingsFileName, 0755), 0);
    Boot();
    Release({KeyF12});
    TouchFile("Screenshot_1.png");   // what the first screenshot wrote, marked
    Release({KeyF12});
    Release({KeyF12});
    EXPECT_TRUE(Untouched("Screenshot_1.png"));
    EXPECT_TRUE(FileExists("Screenshot_2.png"));
    EXPECT_TRUE(FileExists("Screenshot_3.png")) << "each took the next free number";
    EXPECT_EQ(Cfg.settings.screenshots, 3);
    EXPECT_EQ(Described(5, {"PathTaken", "SaveSpriteAsPng"}),
              (Lines{"PathTaken Screenshot_1.png", "PathTaken Screenshot_2.png", "PathTaken Screenshot_3.png",
                     "SaveSpriteAsPng 0 1 Screenshot_3.png"}));
}

TEST_F(GameTest, AFailedSaveStillAdvancesTheCount) {
    Boot();
    Rec.NextSaveResult = SaveFailed;
    Release({KeyF12});
    EXPECT_FALSE(FileExists("Screenshot_1.png"));
    EXPECT_EQ(StoredNumber(SettingScreenshots), 1);
    EXPECT_EQ(CallsOf("SaveSpriteAsPng").size(), 1u) << "a failure is not retried";
    Rec.NextSaveResult = SaveOk;
    Release({KeyF12});
    EXPECT_TRUE(FileExists("Screenshot_2.png"));
}

// Two thousand old screenshots ahead of the counter: the frame is still
// converted and encoded once, for the free number, not once per taken one.
TEST_F(GameTest, ManyTakenNumbersCostOneSave) {
    WriteSettingsFile(SettingsText({"[Settings]", "settings.screenshots = 7"}));
    for (int n = 8; n < 2008; ++n) TouchFile("Screenshot_" + std::to_string(n) + ".png");
    Boot();
    Release({KeyF12});
    EXPECT_EQ(Described(1, {"SaveSpriteAsPng"}), Lines{"SaveSpriteAsPng 0 1 Screenshot_2008.png"});
    EXPECT_TRUE(Untouched("Screenshot_2007.png"));
    EXPECT_EQ(StoredNumber(SettingScreenshots), 2008);
}

TEST_F(GameTest, ScreenshotSearchForAFreeNumberIsBounded) {
    Boot();
    Rec.NextSaveResult = SaveExists;   // every name taken
    Release({KeyF12});
    size_t tries = CallsOf("SaveSpriteAsPng").size();
    EXPECT_GT(tries, 100u);
    EXPECT_LT(tries, 100000u);
    EXPECT_EQ(StoredNumber(SettingScreenshots), int32_t(tries)) << "the count moves past every number tried";
}
