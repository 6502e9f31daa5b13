// settings_test_util.h — shared helpers of the settings-file tests: a fresh folder per test,
// whole-file reads and writes, the injection hooks, and running a check as an unprivileged user.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "../temp_dir.h"
#include "platform/shared/file_safety.h"
#include "platform/shared/shared_services.h"
#include "platform/platform.h"

inline const std::string Mark = "\xEF\xBB\xBF\r\n";

inline std::string Slurp(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

inline void Spit(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::vector<std::string> FolderListing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// A file's permission bits (all ones when it cannot be examined).
inline unsigned ModeBits(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : ~0u;
}

// A file holding only [Screen] with ScreenW, as the program writes it.
inline std::string ScreenFile(int width) { return Mark + "[Screen]\r\nScreenW = " + std::to_string(width) + "\r\n"; }

// One session that writes a number and closes, as the game saves a setting;
// AfterSaving gives the file's bytes afterwards.
inline void Save(const std::string& cfg, int32_t value, const std::string& key = "ScreenW",
                 const std::string& group = "Screen") {
    OpenSettingsFile(cfg);
    SelectGroup(group);
    WriteSettingNumber(key, value);
    CloseSettingsFile();
}
inline std::string AfterSaving(const std::string& cfg, int32_t value, const std::string& key = "ScreenW",
                               const std::string& group = "Screen") {
    Save(cfg, value, key, group);
    return Slurp(cfg);
}

// The exit status of a child (0 passed), 200 when it did not exit.
inline int ExitStatusOf(pid_t child) {
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 200;
}

// Takes a file system a test mounted away again, whatever the test's outcome.
struct Unmount {
    std::string Path;
    ~Unmount() { umount2(Path.c_str(), MNT_DETACH); }
};

// Each test gets its own folder (ctest runs tests in parallel) and leaves
// no settings file open and the shared services as they were at the start.
class SettingsTest : public ::testing::Test {
protected:
    TempDir Temp{"veldrune-settings"};
    std::string Folder;   // Temp's path
    std::string Cfg;      // the settings file in it
    const std::vector<std::string> OnlyCfg{"Veldrune.cfg"};   // a folder holding the settings file alone

    void SetUp() override {
        ASSERT_FALSE(Temp.Path.empty());
        Folder = Temp.Path.string();
        chmod(Folder.c_str(), 0777);   // reachable by the unprivileged helper
        Cfg = Folder + "/Veldrune.cfg";
    }
    void TearDown() override {
        CloseSettingsFile();
        ResetSharedServicesForTests();
    }
};

// Runs check in a child process as user "nobody" when we are root (root
// ignores permission bits, so read-only and unreadable files must be tried
// without it); otherwise in a child as ourselves. The result is the child's
// exit status: 0 passed, anything else names the failed step.
inline int RunUnprivileged(const std::function<int()>& check) {
    pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(100);
        _exit(check());
    }
    return ExitStatusOf(pid);
}
