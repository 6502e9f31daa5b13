// file_safety.cpp — the one crash-safe write, locks a file system cannot give,
// hard links it does not support, and the temporary files of killed runs.
// See file_safety.h.
#include "platform/shared/file_safety.h"
#include "platform/shared/shared_services.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <signal.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// [SECTION] State

// Services.Files (shared_services.h): the test seams, the file systems found
// without hard links, and the temporaries' counter.
static FileSafetyState& Safety = Services.Files;

void FailHardLinksForTests(int errnoValue) {
    Safety.LinkFailure = errnoValue;
    Safety.DevicesWithoutLinks.clear();
}

void FailLocksForTests(int errnoValue) { Safety.LockFailure = errnoValue; }

void FailWriteStepForTests(int step) { Safety.FailingStep = step; }

// [SECTION] Paths

std::string NativePath(const std::string& gamePath) {
    std::string path = gamePath;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// [SECTION] Reading

bool ReadWholeFile(int fd, std::string& bytes, long long limit) {
    bytes.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        if (static_cast<long long>(bytes.size()) + n > limit) return false;
        bytes.append(buffer, size_t(n));
    }
}

bool ReadWholeFile(const std::string& path, std::string& bytes, long long limit) {
    bytes.clear();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool read = ReadWholeFile(fd, bytes, limit);
    close(fd);
    return read;
}

// [SECTION] Locks

// A real sleep, not the platform's Pause: the recording platform's Pause
// only advances its clock, and another process holding the lock must really
// be waited for.
static void SleepMilliseconds(int ms) {
    timespec t{ms / 1000, long(ms % 1000) * 1000000L};
    nanosleep(&t, nullptr);
}

static int TryLock(int fd) {
    if (Safety.LockFailure != 0) {
        errno = Safety.LockFailure;
        return -1;
    }
    return flock(fd, LOCK_EX | LOCK_NB);
}

// Only EWOULDBLOCK means that someone holds the lock. Every other refusal
// (ENOLCK, EBADF on NFS for a descriptor not open for writing, EINVAL,
// EOPNOTSUPP, ...) says that this file system cannot lock here at all; that
// must not stop the program from saving, so the caller goes on unlocked.
LockOutcome LockExclusively(int fd, int waitMilliseconds) {
    int waited = 0, step = 1;
    for (;;) {
        if (TryLock(fd) == 0) return LockTaken;
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) return LockUnavailable;
        if (waited >= waitMilliseconds) return LockBusy;
        SleepMilliseconds(step);
        waited += step;
        step = std::min(step * 2, 16);
    }
}

// [SECTION] Crash-safe writes

static bool WriteAllTo(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += size_t(n);
    }
    return true;
}

std::string FolderOfPath(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

static bool Failing(int step) { return Safety.FailingStep == step; }

// Gives the file its bits. A file system that stores no permission bits
// (FAT, exFAT) refuses a mode it cannot show with EPERM; the file then has
// the bits every file there has, which is no reason to lose the player's file.
static bool SetModeBits(int fd, mode_t mode) {
    if (Failing(FailPermissions)) return false;
    if (fchmod(fd, mode) == 0) return true;
    return errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS;
}

// Fills a file just created on fd: mode bits, bytes, flush to disk, close.
// The descriptor is closed whatever happens; false on any failure.
static bool FillAndClose(int fd, const std::string& bytes, mode_t mode) {
    bool ok = SetModeBits(fd, mode);
    if (ok) {
        if (Failing(FailWrite)) {
            WriteAllTo(fd, bytes.substr(0, bytes.size() / 2));   // a disk that fills up half way
            ok = false;
        } else {
            ok = WriteAllTo(fd, bytes);
        }
    }
    if (ok) ok = !Failing(FailFlush) && fsync(fd) == 0;
    if (close(fd) != 0 || Failing(FailClose)) ok = false;
    return ok;
}

// Creates a temporary file "<path>.tmp<pid>-<n>" that did not exist, open
// for writing and readable by nobody else until its bits are set; -1 when
// none can be made.
static int CreateTemporary(const std::string& path, std::string& temp) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = path + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(++Safety.TemporaryCounter);
        if (Failing(FailCreate)) {
            errno = ENOSPC;
            return -1;
        }
        const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// The new name reaches the disk with its folder.
static void FlushFolder(const std::string& path) {
    const int dir = open(FolderOfPath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return;
    fsync(dir);
    close(dir);
}

static int LinkFile(const std::string& from, const std::string& to) {
    if (Safety.LinkFailure != 0) {
        errno = Safety.LinkFailure;
        return -1;
    }
    return link(from.c_str(), to.c_str());
}

// The exclusive write where there are no hard links: the final name is
// created exclusively, so nothing that is there is replaced, and removed
// again when the write fails.
static SaveResult WriteDirectly(const std::string& path, const std::string& bytes, mode_t mode) {
    if (Failing(FailCreate)) return SaveFailed;
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return errno == EEXIST ? SaveExists : SaveFailed;
    if (!FillAndClose(fd, bytes, mode)) {
        unlink(path.c_str());
        return SaveFailed;
    }
    FlushFolder(path);
    return SaveOk;
}

// The order of the steps, and the two ways to the final name: file_safety.h.
SaveResult WriteFileSafely(const std::string& path, const std::string& bytes, bool exclusive, unsigned newFileBits) {
    mode_t mode = 0;
    struct stat old {};
    if (!exclusive && stat(path.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);   // the umask can only be read by setting it
        umask(mask);
        mode = mode_t(newFileBits) & ~mask;
    }

    struct stat folder {};
    const bool knowFolder = exclusive && stat(FolderOfPath(path).c_str(), &folder) == 0;
    if (knowFolder && Safety.DevicesWithoutLinks.count(folder.st_dev)) return WriteDirectly(path, bytes, mode);

    std::string temp;
    const int fd = CreateTemporary(path, temp);
    if (fd < 0) return SaveFailed;
    if (!FillAndClose(fd, bytes, mode) || Failing(FailRename)) {
        unlink(temp.c_str());
        return SaveFailed;
    }
    if (!exclusive) {
        if (rename(temp.c_str(), path.c_str()) != 0) {
            unlink(temp.c_str());
            return SaveFailed;
        }
        FlushFolder(path);
        return SaveOk;
    }
    const int linked = LinkFile(temp, path);
    const int linkError = errno;
    unlink(temp.c_str());
    if (linked == 0) {
        FlushFolder(path);
        return SaveOk;
    }
    if (linkError == EEXIST) return SaveExists;
    // EPERM (FAT, exFAT), EOPNOTSUPP, ENOSYS (FUSE), EMLINK: this file system
    // has no hard links, so later files go there directly at once. Any other
    // refusal is tried directly too, but only this once.
    const bool noLinksHere = linkError == EPERM || linkError == EOPNOTSUPP || linkError == ENOSYS ||
                             linkError == EMLINK;
    if (knowFolder && noLinksHere) Safety.DevicesWithoutLinks.insert(folder.st_dev);
    return WriteDirectly(path, bytes, mode);
}

// [SECTION] Leftovers of killed runs

namespace {

std::string CommandNameOf(const std::string& pid) {
    std::string name;
    int fd = open(("/proc/" + pid + "/comm").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return name;
    char buffer[64];
    ssize_t n = read(fd, buffer, sizeof buffer);
    close(fd);
    if (n > 0) name.assign(buffer, size_t(n));
    return name;
}

}  // namespace

// A run that is gone cannot finish its temporary file. The pid alone is not
// enough: pids are reused, so a living process counts as the owner only
// while it is a run of this same program (its command name matches ours).
// A process whose name cannot be read is taken as the owner: keeping a stale
// file is harmless, removing a file in use is not. Our own pid is never the
// owner of a file found before we wrote anything.
bool TemporaryOwnerIsGone(long pid) {
    if (pid <= 0 || pid > 0x7FFFFFFF) return true;
    if (pid == long(getpid())) return true;
    if (kill(pid_t(pid), 0) != 0 && errno == ESRCH) return true;
    const std::string theirs = CommandNameOf(std::to_string(pid));
    const std::string ours = CommandNameOf("self");
    return !theirs.empty() && !ours.empty() && theirs != ours;
}

// Splits a temporary's name "<final>.tmp<pid>-<n>" into the final name and
// the pid; false for a name of any other form.
static bool SplitTemporaryName(const std::string& name, std::string& final, long& pid) {
    const size_t tmp = name.rfind(".tmp");
    if (tmp == std::string::npos || tmp == 0) return false;
    const size_t digits = tmp + 4, dash = name.find('-', digits);
    if (dash == std::string::npos || dash == digits || dash - digits > 10 || dash + 1 == name.size()) return false;
    if (name.find_first_not_of("0123456789", digits) != dash ||
        name.find_first_not_of("0123456789", dash + 1) != std::string::npos)
        return false;
    final = name.substr(0, tmp);
    pid = std::strtol(name.c_str() + digits, nullptr, 10);
    return true;
}

// Whether a final name is one the program writes: the settings file's name,
// or a picture "<prefix><digits>.png".
static bool IsOwnName(const std::string& final, const std::string& settingsName, const std::string& picturePrefix) {
    if (!settingsName.empty() && final == settingsName) return true;
    const size_t digits = picturePrefix.size();
    return !picturePrefix.empty() && final.size() > digits + 4 && final.compare(0, digits, picturePrefix) == 0 &&
           final.compare(final.size() - 4, 4, ".png") == 0 &&
           final.find_first_not_of("0123456789", digits) == final.size() - 4;
}

void RemoveOrphanedTemporaries(const std::string& folder, const std::string& settingsName,
                               const std::string& picturePrefix) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    std::vector<std::string> doomed;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        std::string final;
        long pid = -1;
        if (SplitTemporaryName(name, final, pid) && IsOwnName(final, settingsName, picturePrefix) &&
            TemporaryOwnerIsGone(pid))
            doomed.push_back(name);
    }
    closedir(dir);
    for (const std::string& name : doomed) {
        const std::string path = folder + "/" + name;
        struct stat st {};
        // Only plain files: a folder or link of that name is someone else's.
        if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) unlink(path.c_str());
    }
}
