// settings_safety_test.cpp — a player's settings are never lost or cut: failed replacement steps,
// a full disk, unreadable, oversized, read-only and linked files.
#include "settings_test_util.h"

#include <fcntl.h>
#include <sys/mount.h>

namespace {

const std::string OldContent = "; my own settings\r\n[Screen]\r\nScreenW = 1024\r\n";

// Opens the settings, rewrites ScreenW and closes: the write every failure
// below must survive.
void WriteScreenWidth(const std::string& cfg, int32_t width) {
    OpenSettingsFile(cfg);
    SelectGroup("Screen");
    WriteSettingNumber("ScreenW", width);
    CloseSettingsFile();
}

}  // namespace

// [SECTION] Crash-safe replacement

class FailedStepTest : public SettingsTest, public ::testing::WithParamInterface<int> {};

TEST_P(FailedStepTest, OldFileStaysWholeAndNoTemporaryFileIsLeft) {
    Spit(Cfg, OldContent);
    chmod(Cfg.c_str(), 0640);
    FailWriteStepForTests(GetParam());
    WriteScreenWidth(Cfg, 1280);
    EXPECT_EQ(Slurp(Cfg), OldContent);
    EXPECT_EQ(FolderListing(Folder), std::vector<std::string>{"Veldrune.cfg"});

    // The same write goes through once the step works again.
    FailWriteStepForTests(FailNothing);
    WriteScreenWidth(Cfg, 1280);
    EXPECT_EQ(Slurp(Cfg), Mark + "; my own settings\r\n[Screen]\r\nScreenW = 1280\r\n");
    EXPECT_EQ(FolderListing(Folder), std::vector<std::string>{"Veldrune.cfg"});
}

TEST_P(FailedStepTest, FirstStartFailingCreatesNothing) {
    FailWriteStepForTests(GetParam());
    WriteScreenWidth(Cfg, 1280);
    EXPECT_TRUE(FolderListing(Folder).empty());
}

INSTANTIATE_TEST_SUITE_P(EveryStep, FailedStepTest,
                         ::testing::Values(FailCreate, FailPermissions, FailWrite, FailFlush, FailClose,
                                           FailRename));

TEST_F(SettingsTest, ReplacementKeepsPermissionBitsAndNewFileFollowsTheUmask) {
    Spit(Cfg, OldContent);
    chmod(Cfg.c_str(), 0604);
    WriteScreenWidth(Cfg, 800);
    struct stat st {};
    ASSERT_EQ(stat(Cfg.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);

    std::filesystem::remove(Cfg);
    mode_t old = umask(027);
    WriteScreenWidth(Cfg, 800);
    umask(old);
    ASSERT_EQ(stat(Cfg.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(SettingsTest, FullDiskLeavesTheOldFile) {
    if (geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
    std::string disk = Folder + "/disk";
    std::filesystem::create_directory(disk);
    if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=16k") != 0) GTEST_SKIP() << "tmpfs cannot be mounted here";
    struct Unmount {
        std::string Path;
        ~Unmount() { umount2(Path.c_str(), MNT_DETACH); }
    } unmount{disk};

    std::string cfg = disk + "/Veldrune.cfg";
    Spit(cfg, OldContent);
    // Fill the rest of the disk.
    {
        std::ofstream filler(disk + "/filler", std::ios::binary);
        std::string block(1024, 'x');
        for (int i = 0; i < 64; ++i) filler << block;
    }
    OpenSettingsFile(cfg);
    SelectGroup("Application");
    WriteSettingText("Path", std::string(8000, 'p'));
    CloseSettingsFile();
    EXPECT_EQ(Slurp(cfg), OldContent);
    EXPECT_EQ(FolderListing(disk), (std::vector<std::string>{"Veldrune.cfg", "filler"}));

    // With room again the write lands.
    std::filesystem::remove(disk + "/filler");
    WriteScreenWidth(cfg, 800);
    OpenSettingsFile(cfg);
    SelectGroup("Screen");
    EXPECT_EQ(ReadSettingNumber("ScreenW", 0), 800);
}

// [SECTION] Files that are never replaced

TEST_F(SettingsTest, UnreadableFileGivesDefaultsAndIsNeverReplaced) {
    Spit(Cfg, OldContent);
    chmod(Cfg.c_str(), 0200);   // writable, not readable
    std::string cfg = Cfg;
    int result = RunUnprivileged([cfg] {
        if (OpenSettingsFile(cfg)) return 1;
        SelectGroup("Screen");
        if (ReadSettingNumber("ScreenW", 800) != 800) return 2;
        WriteSettingNumber("ScreenW", 1280);
        CloseSettingsFile();
        return 0;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Slurp(Cfg), OldContent);
    EXPECT_EQ(FolderListing(Folder), std::vector<std::string>{"Veldrune.cfg"});
}

TEST_F(SettingsTest, FolderOrPipeUnderTheNameIsLeftAlone) {
    std::filesystem::create_directory(Cfg);
    EXPECT_FALSE(OpenSettingsFile(Cfg));
    SelectGroup("Screen");
    EXPECT_EQ(ReadSettingNumber("ScreenW", 800), 800);
    WriteScreenWidth(Cfg, 1280);
    EXPECT_TRUE(std::filesystem::is_directory(Cfg));
    std::filesystem::remove(Cfg);

    ASSERT_EQ(mkfifo(Cfg.c_str(), 0644), 0);
    WriteScreenWidth(Cfg, 1280);   // must neither hang nor replace the pipe
    EXPECT_TRUE(std::filesystem::is_fifo(Cfg));
}

TEST_F(SettingsTest, OversizedFileGivesDefaultsAndIsNeverReplaced) {
    int fd = open(Cfg.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    const std::string head = "[Screen]\r\nScreenW = 1024\r\n";
    ASSERT_EQ(write(fd, head.data(), head.size()), ssize_t(head.size()));
    ASSERT_EQ(ftruncate(fd, 16ll * 1024 * 1024 + 1), 0);   // sparse: no disk needed
    close(fd);
    EXPECT_FALSE(OpenSettingsFile(Cfg));
    SelectGroup("Screen");
    EXPECT_EQ(ReadSettingNumber("ScreenW", 800), 800);
    WriteSettingNumber("ScreenW", 1280);
    CloseSettingsFile();
    EXPECT_EQ(std::filesystem::file_size(Cfg), 16ull * 1024 * 1024 + 1);
    EXPECT_EQ(Slurp(Cfg).substr(0, head.size()), head);

    // Exactly at the limit the file is still read.
    ASSERT_EQ(truncate(Cfg.c_str(), 16ll * 1024 * 1024), 0);
    EXPECT_TRUE(OpenSettingsFile(Cfg));
    SelectGroup("Screen");
    EXPECT_EQ(ReadSettingNumber("ScreenW", 800), 1024);
}

TEST_F(SettingsTest, ReadOnlyFileIsReadAndWritesAreDropped) {
    Spit(Cfg, OldContent);
    chmod(Cfg.c_str(), 0444);
    std::string cfg = Cfg;
    int result = RunUnprivileged([cfg] {
        if (!OpenSettingsFile(cfg)) return 1;
        if (!SelectGroup("Screen")) return 2;
        if (ReadSettingNumber("ScreenW", 800) != 1024) return 3;
        WriteSettingNumber("ScreenW", 1280);
        // Within the session the write is seen; it just never reaches the disk.
        if (ReadSettingNumber("ScreenW", 800) != 1280) return 4;
        CloseSettingsFile();
        return 0;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Slurp(Cfg), OldContent);
    EXPECT_EQ(FolderListing(Folder), std::vector<std::string>{"Veldrune.cfg"});
}

TEST_F(SettingsTest, ReadOnlyFolderIsReadAndWritesAreDropped) {
    Spit(Cfg, OldContent);
    chmod(Cfg.c_str(), 0666);   // the file itself could be written in place
    chmod(Folder.c_str(), 0555);
    std::string cfg = Cfg, fresh = Folder + "/Other.cfg";
    int result = RunUnprivileged([cfg, fresh] {
        if (!OpenSettingsFile(cfg)) return 1;
        SelectGroup("Screen");
        if (ReadSettingNumber("ScreenW", 800) != 1024) return 2;
        WriteSettingNumber("ScreenW", 1280);
        CloseSettingsFile();
        WriteScreenWidth(fresh, 1280);   // first start in a read-only folder
        return 0;
    });
    chmod(Folder.c_str(), 0777);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Slurp(Cfg), OldContent);
    EXPECT_EQ(FolderListing(Folder), std::vector<std::string>{"Veldrune.cfg"});
}

TEST_F(SettingsTest, LinkedFileIsUpdatedThroughTheLink) {
    std::filesystem::create_directory(Folder + "/real");
    std::string target = Folder + "/real/Veldrune.cfg";
    Spit(target, OldContent);
    std::filesystem::create_symlink(target, Cfg);
    WriteScreenWidth(Cfg, 1280);
    EXPECT_TRUE(std::filesystem::is_symlink(Cfg));
    EXPECT_EQ(Slurp(target), Mark + "; my own settings\r\n[Screen]\r\nScreenW = 1280\r\n");
}

// A link whose target does not exist yet (a dotfiles folder, a drive not
// mounted) stays a link: the file is created and replaced at its target, or,
// where the target cannot be written, nothing is written and nothing said.
struct LinkCase {
    const char* Name;
    const char* Target;        // the link's text; "T/" stands for the test folder
    const char* Written;       // where the file must appear, "" for nowhere
};
void PrintTo(const LinkCase& c, std::ostream* os) { *os << c.Name; }
class DanglingLinkTest : public SettingsTest, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(DanglingLinkTest, LinkStaysALink) {
    const LinkCase& c = GetParam();
    std::filesystem::create_directory(Folder + "/dotfiles");
    std::string target = c.Target;
    if (target.rfind("T/", 0) == 0) target = Folder + target.substr(1);
    std::filesystem::create_symlink(target, Cfg);
    std::filesystem::create_symlink("dotfiles/Veldrune.cfg", Folder + "/second");   // for the chain
    WriteScreenWidth(Cfg, 1280);
    WriteScreenWidth(Cfg, 1024);   // and once more, now that the target exists
    EXPECT_TRUE(std::filesystem::is_symlink(Cfg));
    EXPECT_EQ(std::filesystem::read_symlink(Cfg), target);
    if (*c.Written) {
        EXPECT_EQ(Slurp(Folder + "/" + c.Written), Mark + "[Screen]\r\nScreenW = 1024\r\n");
        EXPECT_EQ(FolderListing(Folder + "/dotfiles"), std::vector<std::string>{"Veldrune.cfg"});
    } else {
        EXPECT_TRUE(FolderListing(Folder + "/dotfiles").empty());
    }
    EXPECT_EQ(FolderListing(Folder), (std::vector<std::string>{"Veldrune.cfg", "dotfiles", "second"}));
}

INSTANTIATE_TEST_SUITE_P(
    Links, DanglingLinkTest,
    ::testing::Values(LinkCase{"Absolute", "T/dotfiles/Veldrune.cfg", "dotfiles/Veldrune.cfg"},
                      LinkCase{"Relative", "dotfiles/Veldrune.cfg", "dotfiles/Veldrune.cfg"},
                      LinkCase{"Chain", "second", "dotfiles/Veldrune.cfg"},
                      LinkCase{"UnmountedDrive", "T/unmounted/Veldrune.cfg", ""},
                      LinkCase{"Loop", "Veldrune.cfg", ""}),
    [](const ::testing::TestParamInfo<LinkCase>& info) { return std::string(info.param.Name); });
