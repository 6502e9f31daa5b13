// settings_safety_test.cpp — a player's settings are never lost or cut: failed replacement steps,
// a full disk, unreadable, oversized, read-only and linked files.
#include "settings_test_util.h"

namespace {

const std::string OldContent = "; my own settings\r\n[Screen]\r\nScreenW = 1024\r\n";
const std::string OldContentAt1280 = Mark + "; my own settings\r\n[Screen]\r\nScreenW = 1280\r\n";

// A session that opens the settings and tries to write ScreenW 1280 where it
// must not land: `opens` and `width` are what it must read first. In a child
// as "nobody" (RunUnprivileged); 0 when every step went as expected.
int RefusedSession(const std::string& cfg, bool opens, int width) {
    if (OpenSettingsFile(cfg) != opens) return 1;
    SelectGroup("Screen");
    if (ReadSettingNumber("ScreenW", 800) != width) return 2;
    WriteSettingNumber("ScreenW", 1280);
    // Within the session the write is seen; it just never reaches the disk.
    if (opens && ReadSettingNumber("ScreenW", 800) != 1280) return 3;
    CloseSettingsFile();
    return 0;
}

}  // namespace

// [SECTION] Crash-safe replacement

class FailedStepTest : public SettingsTest, public ::testing::WithParamInterface<int> {};

TEST_P(FailedStepTest, OldFileStaysWholeAndNoTemporaryFileIsLeft) {
    Spit(Cfg, OldContent);
    chmod(Cfg.c_str(), 0640);
    FailWriteStepForTests(GetParam());
    EXPECT_EQ(AfterSaving(Cfg, 1280), OldContent);
    EXPECT_EQ(FolderListing(Folder), OnlyCfg);
    // The same write goes through once the step works again.
    FailWriteStepForTests(FailNothing);
    EXPECT_EQ(AfterSaving(Cfg, 1280), OldContentAt1280);
    EXPECT_EQ(FolderListing(Folder), OnlyCfg);
}

TEST_P(FailedStepTest, FirstStartFailingCreatesNothing) {
    FailWriteStepForTests(GetParam());
    Save(Cfg, 1280);
    EXPECT_TRUE(FolderListing(Folder).empty());
}

INSTANTIATE_TEST_SUITE_P(EveryStep, FailedStepTest, ::testing::Range(int(FailCreate), int(FailRename) + 1));

TEST_F(SettingsTest, ReplacementKeepsPermissionBitsAndNewFileFollowsTheUmask) {
    Spit(Cfg, OldContent);
    chmod(Cfg.c_str(), 0604);
    Save(Cfg, 800);
    EXPECT_EQ(ModeBits(Cfg), 0604u);

    std::filesystem::remove(Cfg);
    const mode_t old = umask(027);
    Save(Cfg, 800);
    umask(old);
    EXPECT_EQ(ModeBits(Cfg), 0640u);
}

TEST_F(SettingsTest, FullDiskLeavesTheOldFile) {
    if (geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
    const std::string disk = Folder + "/disk", cfg = disk + "/Veldrune.cfg";
    std::filesystem::create_directory(disk);
    if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=16k") != 0) GTEST_SKIP() << "tmpfs cannot be mounted here";
    Unmount unmount{disk};
    Spit(cfg, OldContent);
    Spit(disk + "/filler", std::string(64 * 1024, 'x'));   // the rest of the disk
    OpenSettingsFile(cfg);
    SelectGroup("Application");
    WriteSettingText("Path", std::string(8000, 'p'));
    CloseSettingsFile();
    EXPECT_EQ(Slurp(cfg), OldContent);
    EXPECT_EQ(FolderListing(disk), (std::vector<std::string>{"Veldrune.cfg", "filler"}));

    std::filesystem::remove(disk + "/filler");   // room again
    EXPECT_EQ(AfterSaving(cfg, 800), Mark + "; my own settings\r\n[Screen]\r\nScreenW = 800\r\n");
}

// [SECTION] Files that are never replaced

TEST_F(SettingsTest, UnreadableFileGivesDefaultsAndIsNeverReplaced) {
    Spit(Cfg, OldContent);
    chmod(Cfg.c_str(), 0200);   // writable, not readable
    EXPECT_EQ(RunUnprivileged([cfg = Cfg] { return RefusedSession(cfg, false, 800); }), 0);
    EXPECT_EQ(Slurp(Cfg), OldContent);
    EXPECT_EQ(FolderListing(Folder), OnlyCfg);
}

TEST_F(SettingsTest, FolderOrPipeUnderTheNameIsLeftAlone) {
    std::filesystem::create_directory(Cfg);
    EXPECT_EQ(RefusedSession(Cfg, false, 800), 0);
    Save(Cfg, 1280);
    EXPECT_TRUE(std::filesystem::is_directory(Cfg));
    std::filesystem::remove(Cfg);

    ASSERT_EQ(mkfifo(Cfg.c_str(), 0644), 0);
    Save(Cfg, 1280);   // must neither hang nor replace the pipe
    EXPECT_TRUE(std::filesystem::is_fifo(Cfg));
}

TEST_F(SettingsTest, OversizedFileGivesDefaultsAndIsNeverReplaced) {
    const std::string head = "[Screen]\r\nScreenW = 1024\r\n";
    Spit(Cfg, head);
    ASSERT_EQ(truncate(Cfg.c_str(), 16ll * 1024 * 1024 + 1), 0);   // sparse: no disk needed
    EXPECT_EQ(RefusedSession(Cfg, false, 800), 0);
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
    EXPECT_EQ(RunUnprivileged([cfg = Cfg] { return RefusedSession(cfg, true, 1024); }), 0);
    EXPECT_EQ(Slurp(Cfg), OldContent);
    EXPECT_EQ(FolderListing(Folder), OnlyCfg);
}

TEST_F(SettingsTest, ReadOnlyFolderIsReadAndWritesAreDropped) {
    Spit(Cfg, OldContent);
    chmod(Cfg.c_str(), 0666);   // the file itself could be written in place
    chmod(Folder.c_str(), 0555);
    int result = RunUnprivileged([cfg = Cfg, fresh = Folder + "/Other.cfg"] {
        const int result = RefusedSession(cfg, true, 1024);
        Save(fresh, 1280);   // first start in a read-only folder
        return result;
    });
    chmod(Folder.c_str(), 0777);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Slurp(Cfg), OldContent);
    EXPECT_EQ(FolderListing(Folder), OnlyCfg);
}

TEST_F(SettingsTest, LinkedFileIsUpdatedThroughTheLink) {
    std::filesystem::create_directory(Folder + "/real");
    std::string target = Folder + "/real/Veldrune.cfg";
    Spit(target, OldContent);
    std::filesystem::create_symlink(target, Cfg);
    Save(Cfg, 1280);
    EXPECT_TRUE(std::filesystem::is_symlink(Cfg));
    EXPECT_EQ(Slurp(target), OldContentAt1280);
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
    Save(Cfg, 1280);
    Save(Cfg, 1024);   // and once more, now that the target exists
    EXPECT_TRUE(std::filesystem::is_symlink(Cfg));
    EXPECT_EQ(std::filesystem::read_symlink(Cfg), target);
    if (*c.Written) {
        EXPECT_EQ(Slurp(Folder + "/" + c.Written), ScreenFile(1024));
        EXPECT_EQ(FolderListing(Folder + "/dotfiles"), OnlyCfg);
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
