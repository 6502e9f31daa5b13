// settings_reading_test.cpp — the reader of every frame: it never waits for a lock another
// instance holds, and it parses the file again exactly when the file may have changed.
#include "settings_test_util.h"

namespace {

std::string ReadScreenWidth(const std::string& cfg) {
    OpenSettingsFileToRead(cfg);
    SelectGroup("Screen");
    std::string width = ReadSettingText("ScreenW", "none");
    CloseSettingsFile();
    return width;
}

// Sets the file's modification time `age` seconds back (its change time
// becomes now: nothing can set that back).
void Age(const std::string& path, int age) {
    timespec times[2];
    clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= age;
    times[1] = times[0];
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

}  // namespace

// Another instance holds the lock for as long as it likes; reading goes on
// at once. (A reader that waited would be stopped by the alarm.)
TEST_F(SettingsTest, ReadingNeverWaitsForTheLock) {
    Spit(Cfg, ScreenFile(1024));
    int holder = open(Cfg.c_str(), O_RDWR);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    const std::string cfg = Cfg;
    pid_t reader = fork();
    if (reader == 0) {
        Services.LockWaitMilliseconds = 600000;
        alarm(20);
        for (int frame = 0; frame < 5; ++frame)
            if (ReadScreenWidth(cfg) != "1024") _exit(1);
        _exit(0);
    }
    const int status = ExitStatusOf(reader);
    close(holder);
    EXPECT_EQ(status, 0) << (status == 200 ? "the reader waited for the lock" : "the reader read something else");
}

// A write in a reading session reaches neither the file nor the next read.
TEST_F(SettingsTest, ReadingWithoutTheLockSavesNothing) {
    Spit(Cfg, ScreenFile(1024));
    Age(Cfg, 100);
    EXPECT_EQ(ReadScreenWidth(Cfg), "1024");
    OpenSettingsFileToRead(Cfg);
    SelectGroup("Screen");
    WriteSettingNumber("ScreenW", 1);
    CloseSettingsFile();
    EXPECT_EQ(Slurp(Cfg), ScreenFile(1024));
    EXPECT_EQ(ReadScreenWidth(Cfg), "1024");
}

// An unchanged file is parsed once however often it is read; every way it
// can change is seen at the next read, even when size and modification time
// stay the same.
TEST_F(SettingsTest, UnchangedFileIsNotParsedAgainAndEveryChangeIsSeen) {
    auto parsesFor = [&](const std::string& expected) {
        const int before = Services.ParseCount;
        EXPECT_EQ(ReadScreenWidth(Cfg), expected);
        return Services.ParseCount - before;
    };
    Spit(Cfg, ScreenFile(1024));
    Age(Cfg, 100);
    EXPECT_EQ(parsesFor("1024"), 1);
    EXPECT_EQ(parsesFor("1024"), 0) << "unchanged";
    EXPECT_EQ(parsesFor("1024"), 0) << "unchanged";

    // Rewritten in place, same size, modification time set back as it was.
    struct stat before {};
    ASSERT_EQ(stat(Cfg.c_str(), &before), 0);
    Spit(Cfg, ScreenFile(1280));
    timespec same[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, Cfg.c_str(), same, 0), 0);
    EXPECT_EQ(parsesFor("1280"), 1) << "the change time tells";

    // Replaced whole by another file of the same size and time.
    const std::string other = Folder + "/other";
    Spit(other, ScreenFile(1920));
    ASSERT_EQ(utimensat(AT_FDCWD, other.c_str(), same, 0), 0);
    ASSERT_EQ(rename(other.c_str(), Cfg.c_str()), 0);
    EXPECT_EQ(parsesFor("1920"), 1) << "another file";

    // Written by this program: the cache is forgotten.
    Save(Cfg, 2048);
    EXPECT_EQ(ReadScreenWidth(Cfg), "2048");

    // A file changed within the last second may change again within one tick
    // of a coarse clock: it is parsed at every read until it has settled.
    EXPECT_EQ(parsesFor("2048"), 1);
    EXPECT_EQ(parsesFor("2048"), 1);
}
