// file_systems_test.cpp — file systems less kind than a local disk: no hard links (USB sticks, some
// network and FUSE mounts), locks that cannot be had (NFS), a real FAT stick where the machine can
// mount one; and the temporary files a killed run leaves behind.
#include "settings_test_util.h"

#include <signal.h>
#include <sys/resource.h>

namespace {

const std::string Picture(3000, 'p');

// SettingsTest's tear-down also takes the failing links and locks away.
class FileSystemTest : public SettingsTest {
protected:
    // A first start and a rewrite of the settings in `cfg` both land whole.
    void ExpectSettingsSaved(const std::string& cfg) {
        EXPECT_EQ(AfterSaving(cfg, 1024), ScreenFile(1024)) << "first start";
        EXPECT_EQ(AfterSaving(cfg, 1280), ScreenFile(1280)) << "existing file";
    }
};

}  // namespace

// [SECTION] No hard links

// Each errno a file system without hard links answers link() with.
class NoHardLinksTest : public FileSystemTest, public ::testing::WithParamInterface<int> {};

TEST_P(NoHardLinksTest, NewFileIsWrittenDirectlyAndNeverReplacesOne) {
    FailHardLinksForTests(GetParam());
    const std::string shot = Folder + "/Screenshot_1.png";
    EXPECT_EQ(WriteFileSafely(shot, Picture, true, 0644), SaveOk);
    EXPECT_EQ(Slurp(shot), Picture);
    EXPECT_EQ(WriteFileSafely(shot, "another picture", true, 0644), SaveExists);
    EXPECT_EQ(Slurp(shot), Picture);
    EXPECT_EQ(FolderListing(Folder), std::vector<std::string>{"Screenshot_1.png"}) << "no temporary file is left";
}

INSTANTIATE_TEST_SUITE_P(Errors, NoHardLinksTest, ::testing::Values(EPERM, EOPNOTSUPP, ENOSYS, EMLINK));

// The direct write fails half way (a file size limit stands in for a full
// stick): no cut picture stays under the real name.
TEST_F(FileSystemTest, FailedDirectWriteLeavesNoCutPicture) {
    const std::string small = Folder + "/Screenshot_1.png", big = Folder + "/Screenshot_2.png";
    pid_t child = fork();
    if (child == 0) {
        FailHardLinksForTests(EPERM);
        if (WriteFileSafely(small, "tiny", true, 0644) != SaveOk) _exit(1);   // learns that this folder has no links
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1000, 1000};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(2);
        _exit(WriteFileSafely(big, Picture, true, 0644) == SaveFailed ? 0 : 3);
    }
    EXPECT_EQ(ExitStatusOf(child), 0);
    EXPECT_EQ(FolderListing(Folder), std::vector<std::string>{"Screenshot_1.png"});
}

// [SECTION] New files, with and without hard links

TEST_F(FileSystemTest, NewFileGetsItsBitsLessTheUmaskWithAndWithoutLinks) {
    const mode_t old = umask(027);
    EXPECT_EQ(WriteFileSafely(Folder + "/Screenshot_1.png", Picture, true, 0644), SaveOk);
    FailHardLinksForTests(EPERM);
    EXPECT_EQ(WriteFileSafely(Folder + "/Screenshot_2.png", Picture, true, 0644), SaveOk);
    umask(old);
    EXPECT_EQ(ModeBits(Folder + "/Screenshot_1.png"), 0640u);
    EXPECT_EQ(ModeBits(Folder + "/Screenshot_2.png"), 0640u) << "written directly";
}

// Every step of an exclusive write failing, with hard links and where the
// file is written directly (no rename there): no picture, no temporary file.
TEST_F(FileSystemTest, FailedStepOfANewFileLeavesNothing) {
    const std::string shot = Folder + "/Screenshot_1.png";
    auto expectEveryStepFails = [&](int lastStep, const char* how) {
        for (int step = FailCreate; step <= lastStep; ++step) {
            SCOPED_TRACE(how + std::to_string(step));
            FailWriteStepForTests(step);
            EXPECT_EQ(WriteFileSafely(shot, Picture, true, 0644), SaveFailed);
            EXPECT_TRUE(FolderListing(Folder).empty());
        }
    };
    expectEveryStepFails(FailRename, "step ");
    FailWriteStepForTests(FailNothing);
    FailHardLinksForTests(EPERM);
    ASSERT_EQ(WriteFileSafely(shot, Picture, true, 0644), SaveOk);   // learns that this folder has no links
    std::filesystem::remove(shot);
    expectEveryStepFails(FailRename - 1, "direct, step ");
}

// [SECTION] Locks the file system cannot give

// Each errno flock() answers where locking is impossible (NFS with a folder
// opened read-only, no lock daemon, FUSE): saving goes on without the lock.
class NoLocksTest : public FileSystemTest, public ::testing::WithParamInterface<int> {};

TEST_P(NoLocksTest, SettingsAreStillSavedWithAndWithoutAFile) {
    FailLocksForTests(GetParam());
    ExpectSettingsSaved(Cfg);
}

INSTANTIATE_TEST_SUITE_P(Errors, NoLocksTest, ::testing::Values(ENOLCK, EBADF, EINVAL, EOPNOTSUPP));

// Only a lock another instance really holds keeps a writer out.
TEST_F(FileSystemTest, ALockHeldElsewhereStillKeepsWritesOut) {
    int holder = open(Folder.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    Services.LockWaitMilliseconds = 20;
    Save(Cfg, 1024);
    EXPECT_EQ(FolderListing(Folder), std::vector<std::string>{});
    close(holder);
}

// [SECTION] A real FAT file system

// A loop-mounted FAT image: no hard links, no permission bits. Needs root,
// mkfs.vfat (dosfstools) and a kernel that may mount it here.
TEST_F(FileSystemTest, FatStickTakesScreenshotsAndSettings) {
    if (geteuid() != 0) GTEST_SKIP() << "mounting a FAT image needs root";
    if (system("command -v mkfs.vfat >/dev/null 2>&1") != 0) GTEST_SKIP() << "mkfs.vfat (dosfstools) is missing";
    const std::string image = Folder + "/stick.img", stick = Folder + "/stick";
    std::filesystem::create_directory(stick);
    Spit(image, "");
    ASSERT_EQ(truncate(image.c_str(), 8 * 1024 * 1024), 0);
    ASSERT_EQ(system(("mkfs.vfat -n STICK '" + image + "' >/dev/null 2>&1").c_str()), 0);
    if (system(("mount -o loop '" + image + "' '" + stick + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "this machine refuses to mount a FAT image (no loop device or no vfat in the kernel)";
    Unmount unmount{stick};

    const std::string shot = stick + "/Screenshot_1.png";
    EXPECT_EQ(WriteFileSafely(shot, Picture, true, 0644), SaveOk);
    EXPECT_EQ(WriteFileSafely(shot, "another picture", true, 0644), SaveExists);
    EXPECT_EQ(Slurp(shot), Picture);
    ExpectSettingsSaved(stick + "/Veldrune.cfg");
    EXPECT_EQ(FolderListing(stick), (std::vector<std::string>{"Screenshot_1.png", "Veldrune.cfg"}));
}

// [SECTION] Leftovers of killed runs

TEST_F(FileSystemTest, LeftoversOfRunsThatAreGoneAreRemovedAtStart) {
    pid_t dead = fork();
    if (dead == 0) _exit(0);
    waitpid(dead, nullptr, 0);
    // A run of this same program that is still going (a child has our name).
    pid_t alive = fork();
    if (alive == 0) {
        pause();
        _exit(0);
    }
    const std::string d = std::to_string(dead), a = std::to_string(alive), me = std::to_string(getpid());
    const std::vector<std::string> removed = {
        "Veldrune.cfg.tmp" + d + "-1", "Screenshot_3.png.tmp" + d + "-7",
        "Veldrune.cfg.tmp" + me + "-4",   // our own pid: nothing of ours is being written yet
        "Screenshot_4.png.tmp1-1",       // pid 1 is another program, whatever it is
    };
    const std::vector<std::string> kept = {
        "Veldrune.cfg.tmp" + a + "-2", "Screenshot_5.png.tmp" + a + "-3", "Veldrune.cfg.tmp", "Veldrune.cfg.tmpx-1",
        "Veldrune.cfg.tmp" + d, "Veldrune.cfg.tmp" + d + "-", "Other.cfg.tmp" + d + "-1", "notes.tmp" + d + "-1",
        "Screenshot_1.png", "holiday.png.tmp" + d + "-1", "Screenshot_x.png.tmp" + d + "-1",
        "Screenshot_.png.tmp" + d + "-1",
    };
    for (const auto& name : removed) Spit(Folder + "/" + name, "cut");
    for (const auto& name : kept) Spit(Folder + "/" + name, "kept");

    {
        const InFolder here(Folder);
        RemoveStaleTemporaryFiles("Veldrune.cfg", "Screenshot_");
    }
    kill(alive, SIGKILL);
    waitpid(alive, nullptr, 0);

    std::vector<std::string> expected = kept;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderListing(Folder), expected);
}
