// settings_file.cpp — the settings file on disk: opening and locking it, the lock-free reader and
// its cache, and the crash-safe rewrite at closing.
//
// The file is read whole when it is opened, held as its parsed text
// (formats/settings_text.cpp owns the format) while it is open, and written
// back whole at closing when something was written. Writing replaces the file
// through a temporary one (file_safety.cpp), so a crash or a full disk never
// leaves a cut file behind. An advisory lock is held from opening to closing,
// so two instances of the program (the old one finishing while the new one
// starts) cannot lose each other's writes; where the file system cannot lock
// at all, writing goes on without it. Readers that must never wait take no
// lock: the file is only ever replaced whole. Plain file I/O only; no SDL here.
#include "platform/platform.h"
#include "platform/shared/file_safety.h"
#include "platform/shared/shared_services.h"
#include "formats/settings_text.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// [SECTION] State

// Services (shared_services.h): the open session, the lock-free reader's
// cache, the count of files parsed and the lock's wait.
static SettingsFileState& Settings = Services.Settings;
static ParsedFileCache& Parsed = Services.Parsed;

// The largest file the program will hold. A bigger file is not a settings
// file the program wrote; it is left alone rather than cut down.
constexpr long long SettingsFileLimit = 16ll * 1024 * 1024;

static SettingsText ParseCounted(const std::string& bytes) {
    ++Services.ParseCount;
    return ParseSettingsText(bytes);
}

// [SECTION] Opening and locking

enum OpenOutcome : int {
    OpenedExisting = 0,   // read; writes allowed when the file could be opened for writing
    OpenedMissing,        // no file: the list starts empty, the file is created at closing
    OpenedUnreadable,     // exists but cannot be read (or is too large): never replaced
};

static bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Opens the file (or notes that it is missing) with the lock held. Locking
// and renaming race: the file may be replaced by another instance while we
// wait for its lock, so after locking the path must still name the file we
// locked; if not, start again with the new one. While the file is missing
// the folder is locked instead, and the file must still be missing after.
// Only a lock another instance holds for the whole wait turns writes off
// (busy); a lock the file system cannot give at all (a folder on NFS, opened
// read-only, cannot take an exclusive lock) is done without.
static OpenOutcome OpenAndLock(const std::string& path, int waitMs, std::string& bytes, bool& writable,
                               bool& busy, int& lockFd) {
    lockFd = -1;
    busy = false;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        writable = true;
        // Non-blocking so that a pipe or device under the name cannot hang us;
        // it is refused below as not a regular file.
        int fd = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0 && errno != ENOENT) {
            writable = false;
            fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        }
        if (fd < 0) {
            if (errno != ENOENT) return OpenedUnreadable;
            int dir = open(FolderOfPath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (dir < 0) return OpenedMissing;   // no folder: creating will fail too
            LockOutcome lock = LockExclusively(dir, waitMs);
            struct stat now {};
            if (stat(path.c_str(), &now) == 0) {   // someone created it meanwhile
                close(dir);
                continue;
            }
            if (lock == LockTaken) {
                lockFd = dir;
            } else {
                close(dir);
                busy = lock == LockBusy;
                if (busy) writable = false;
            }
            return OpenedMissing;
        }

        LockOutcome lock = LockExclusively(fd, waitMs);
        struct stat mine {}, now {};
        if (fstat(fd, &mine) != 0) {
            close(fd);
            return OpenedUnreadable;
        }
        if (lock == LockTaken && (stat(path.c_str(), &now) != 0 || !SameFile(mine, now))) {
            close(fd);   // replaced or removed while we waited: the lock guards a dead file
            continue;
        }
        if (lock == LockBusy) {   // held too long by someone else: read, never write
            writable = false;
            busy = true;
        }
        if (!S_ISREG(mine.st_mode) || mine.st_size > SettingsFileLimit || !ReadWholeFile(fd, bytes, SettingsFileLimit)) {
            close(fd);
            return OpenedUnreadable;
        }
        lockFd = lock == LockTaken ? fd : -1;
        if (lock != LockTaken) close(fd);
        return OpenedExisting;
    }
    return OpenedUnreadable;
}

// "\" separates folders in the paths the game builds; on this system it is "/".
// A symbolic link is followed to the file it names, even when that file does
// not exist yet, so the file is created and replaced there and the link stays
// a link. A chain that does not end (a loop) is left as it is: opening it
// then fails and nothing is written.
static std::string ResolveSettingsPath(const std::string& given) {
    std::string path = NativePath(given);
    for (int hop = 0; hop < 40; ++hop) {
        struct stat link {};
        if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
        std::vector<char> target(size_t(link.st_size > 0 ? link.st_size : PATH_MAX) + 1);
        ssize_t n = readlink(path.c_str(), target.data(), target.size());
        if (n <= 0 || size_t(n) >= target.size()) return path;
        std::string next(target.data(), size_t(n));
        if (next[0] != '/') {
            const size_t slash = path.rfind('/');
            if (slash != std::string::npos) next = path.substr(0, slash + 1) + next;
        }
        path = next;
    }
    return path;
}

// Reads the file without a lock, into the list, using the cache when the file
// is provably the one parsed last. Returns the outcome as OpenAndLock does.
static OpenOutcome ReadWithoutLock(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT ? OpenedMissing : OpenedUnreadable;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > SettingsFileLimit) {
        close(fd);
        return OpenedUnreadable;
    }
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    const bool settled = st.st_mtim.tv_sec < now.tv_sec - 1;
    if (settled && Parsed.Valid && Parsed.Path == path && Parsed.Device == st.st_dev && Parsed.Inode == st.st_ino &&
        Parsed.Size == st.st_size && Parsed.Modified.tv_sec == st.st_mtim.tv_sec &&
        Parsed.Modified.tv_nsec == st.st_mtim.tv_nsec && Parsed.Changed.tv_sec == st.st_ctim.tv_sec &&
        Parsed.Changed.tv_nsec == st.st_ctim.tv_nsec) {
        close(fd);
        // Lent, not copied: a large file costs nothing to read again. The
        // last session's selected group goes with it; a new one starts with none.
        Settings.Text = std::move(Parsed.Text);
        ClearTextGroup(Settings.Text);
        Settings.BorrowsCache = true;
        return OpenedExisting;
    }
    std::string bytes;
    const bool read = ReadWholeFile(fd, bytes, SettingsFileLimit);
    close(fd);
    if (!read) return OpenedUnreadable;
    Settings.Text = ParseCounted(bytes);
    Parsed = ParsedFileCache{};
    if (settled && static_cast<long long>(bytes.size()) == static_cast<long long>(st.st_size)) {
        Parsed = ParsedFileCache{true, st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim, path, {}};
        Settings.BorrowsCache = true;
    }
    return OpenedExisting;
}

// [SECTION] The ten operations

static bool OpenLocked(const std::string& path, int waitMs) {
    CloseSettingsFile();
    Settings = SettingsFileState{};
    Settings.Path = ResolveSettingsPath(path);

    std::string bytes;
    bool writable = false;
    OpenOutcome outcome = OpenAndLock(Settings.Path, waitMs, bytes, writable, Settings.LockBusy, Settings.LockFd);
    Settings.IsOpen = true;
    Settings.WritesAllowed = outcome != OpenedUnreadable && writable;
    if (outcome == OpenedExisting) Settings.Text = ParseCounted(bytes);
    return outcome == OpenedExisting;
}

bool OpenSettingsFile(const std::string& path) { return OpenLocked(path, Services.LockWaitMilliseconds); }

bool OpenSettingsFileWithoutWaiting(const std::string& path) { return OpenLocked(path, 0); }

bool SettingsFileBusy() { return Settings.IsOpen && Settings.LockBusy; }

bool OpenSettingsFileToRead(const std::string& path) {
    CloseSettingsFile();
    Settings = SettingsFileState{};
    Settings.Path = ResolveSettingsPath(path);
    Settings.IsOpen = true;
    return ReadWithoutLock(Settings.Path) == OpenedExisting;
}

bool SelectGroup(const std::string& group) { return Settings.IsOpen && SelectTextGroup(Settings.Text, group); }

std::string ReadSettingText(const std::string& key, const std::string& fallback) {
    return Settings.IsOpen ? ReadTextSetting(Settings.Text, key, fallback) : fallback;
}

int32_t ReadSettingNumber(const std::string& key, int32_t fallback) {
    return Settings.IsOpen ? ReadTextNumber(Settings.Text, key, fallback) : fallback;
}

void WriteSettingText(const std::string& key, const std::string& text) {
    if (Settings.IsOpen) WriteTextSetting(Settings.Text, key, text);
}

void WriteSettingNumber(const std::string& key, int32_t number) {
    WriteSettingText(key, std::to_string(number));
}

void CloseSettingsFile() {
    if (!Settings.IsOpen) return;
    if (Settings.BorrowsCache) {   // hand the parsed file back, unless this session changed it
        if (Settings.Text.Modified) Parsed = ParsedFileCache{};
        else Parsed.Text = std::move(Settings.Text);
    }
    if (Settings.Text.Modified && Settings.WritesAllowed) {
        Parsed = ParsedFileCache{};
        // A new file gets the bits any file the player creates gets (0666
        // less the umask); an existing one keeps its own.
        WriteFileSafely(Settings.Path, FormatSettingsText(Settings.Text), false, 0666);
    }
    if (Settings.LockFd >= 0) close(Settings.LockFd);   // closing lets go of the lock
    Settings = SettingsFileState{};
}

// [SECTION] Leftovers of killed runs

void RemoveStaleTemporaryFiles(const std::string& settingsPath, const std::string& picturePrefix) {
    const std::string target = ResolveSettingsPath(settingsPath);
    const size_t slash = target.rfind('/');
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    RemoveOrphanedTemporaries(FolderOfPath(target), name, "");
    RemoveOrphanedTemporaries(".", "", picturePrefix);
}
