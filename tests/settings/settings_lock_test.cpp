// settings_lock_test.cpp — two instances using the settings file at once (the restart overlap):
// no write may be lost, and a file held too long is read but never overwritten.
#include "settings_test_util.h"

namespace {

constexpr int Rounds = 300;

// One instance's work: read-modify-write of its own key and of a key both
// share, each round in its own open-close session as the game does.
int Hammer(const std::string& cfg, const std::string& ownKey) {
    for (int i = 0; i < Rounds; ++i) {
        OpenSettingsFile(cfg);
        SelectGroup("Settings");
        int32_t own = ReadSettingNumber(ownKey, 0);
        int32_t shared = ReadSettingNumber("settings.screenshots", 0);
        WriteSettingNumber(ownKey, own + 1);
        WriteSettingNumber("settings.screenshots", shared + 1);
        CloseSettingsFile();
    }
    return 0;
}

void ExpectNoLostUpdate(const std::string& cfg) {
    pid_t first = fork();
    if (first == 0) _exit(Hammer(cfg, "settings.fps"));
    pid_t second = fork();
    if (second == 0) _exit(Hammer(cfg, "settings.info"));
    EXPECT_EQ(ExitStatusOf(first), 0);
    EXPECT_EQ(ExitStatusOf(second), 0);

    OpenSettingsFile(cfg);
    SelectGroup("Settings");
    EXPECT_EQ(ReadSettingNumber("settings.fps", -1), Rounds);
    EXPECT_EQ(ReadSettingNumber("settings.info", -1), Rounds);
    EXPECT_EQ(ReadSettingNumber("settings.screenshots", -1), 2 * Rounds);
    CloseSettingsFile();
}

}  // namespace

TEST_F(SettingsTest, TwoProcessesHammeringTheFileLoseNoWrite) {
    Spit(Cfg, Mark + "[Settings]\r\nsettings.fps = 0\r\n");
    ExpectNoLostUpdate(Cfg);
    EXPECT_EQ(FolderListing(Folder), OnlyCfg);
}

TEST_F(SettingsTest, TwoProcessesStartingWithoutAFileLoseNoWrite) {
    ExpectNoLostUpdate(Cfg);
    std::string text = Slurp(Cfg);
    EXPECT_EQ(text.find("[Settings]"), text.rfind("[Settings]")) << "the group was created twice:\n" << text;
}

TEST_F(SettingsTest, FileHeldTooLongIsReadButNotOverwritten) {
    const std::string old = Mark + "[Settings]\r\nsettings.fps = 4\r\n";
    Spit(Cfg, old);
    int holder = open(Cfg.c_str(), O_RDONLY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);

    Services.LockWaitMilliseconds = 50;
    EXPECT_TRUE(OpenSettingsFile(Cfg));
    SelectGroup("Settings");
    EXPECT_EQ(ReadSettingNumber("settings.fps", 0), 4);
    WriteSettingNumber("settings.fps", 1);
    CloseSettingsFile();
    EXPECT_EQ(Slurp(Cfg), old) << "a write without the lock could undo the holder's";

    close(holder);
    EXPECT_EQ(AfterSaving(Cfg, 1, "settings.fps", "Settings"), Mark + "[Settings]\r\nsettings.fps = 1\r\n");
}

TEST_F(SettingsTest, WaitingForTheLockEndsWhenTheHolderLetsGo) {
    Spit(Cfg, Mark + "[Settings]\r\nsettings.fps = 0\r\n");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t holder = fork();
    if (holder == 0) {
        // Another instance: holds the file a while, then writes its own key.
        OpenSettingsFile(Cfg);
        if (write(ready[1], "1", 1) != 1) _exit(1);
        usleep(200 * 1000);
        SelectGroup("Settings");
        WriteSettingNumber("settings.info", 1);
        CloseSettingsFile();
        _exit(0);
    }
    char go = 0;
    ASSERT_EQ(read(ready[0], &go, 1), 1);
    OpenSettingsFile(Cfg);   // blocks until the holder has written
    SelectGroup("Settings");
    EXPECT_EQ(ReadSettingNumber("settings.info", 0), 1);
    WriteSettingNumber("settings.fps", 2);
    CloseSettingsFile();
    EXPECT_EQ(ExitStatusOf(holder), 0);
    close(ready[0]);
    close(ready[1]);
    EXPECT_EQ(Slurp(Cfg), Mark + "[Settings]\r\nsettings.fps = 2\r\nsettings.info = 1\r\n");
}
