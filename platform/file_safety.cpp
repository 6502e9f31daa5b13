// file_safety.cpp — locks a file system cannot give, hard links it does not
// support, and the temporary files of killed runs. See file_safety.h.
#include "platform/file_safety.h"

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

struct FileSafetyState {
    int LinkFailure = 0;                 // test seam: errno every link() fails with, 0 for the real call
    int LockFailure = 0;                 // test seam: errno every flock() fails with, 0 for the real call
    std::set<dev_t> DevicesWithoutLinks; // file systems that refused a hard link: written directly from then on
};

static FileSafetyState Safety;

void FailHardLinksForTests(int errnoValue) {
    Safety.LinkFailure = errnoValue;
    Safety.DevicesWithoutLinks.clear();
}

void FailLocksForTests(int errnoValue) { Safety.LockFailure = errnoValue; }

// [SECTION] Locks

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

// [SECTION] Writing files

bool WriteAllTo(int fd, const std::string& bytes) {
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

static std::string PartName(const std::string& path) { return path + ".part" + std::to_string(getpid()); }

// Creates file (O_EXCL when exclusive, else truncating), writes, flushes and
// closes it. Any failure removes it again and answers false; errno then
// tells why (EEXIST: an exclusive create found the name taken).
static bool WriteFreshFile(const std::string& file, const std::string& bytes, bool exclusive) {
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (exclusive ? O_EXCL : O_TRUNC);
    int fd = open(file.c_str(), flags, 0644);
    if (fd < 0) return false;
    bool ok = WriteAllTo(fd, bytes) && fsync(fd) == 0;
    int saved = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        unlink(file.c_str());
        errno = saved == EEXIST ? EIO : saved;   // EEXIST is kept for a taken name
    }
    return ok;
}

static int LinkFile(const std::string& from, const std::string& to) {
    if (Safety.LinkFailure != 0) {
        errno = Safety.LinkFailure;
        return -1;
    }
    return link(from.c_str(), to.c_str());
}

// The direct write: the final name is created exclusively, so nothing that
// is there is replaced, and removed again when the write fails.
static SaveResult WriteNewFileDirectly(const std::string& path, const std::string& bytes) {
    if (WriteFreshFile(path, bytes, true)) return SaveOk;
    return errno == EEXIST ? SaveExists : SaveFailed;
}

SaveResult WriteNewFile(const std::string& path, const std::string& bytes) {
    struct stat folder {};
    const bool knowFolder = stat(FolderOfPath(path).c_str(), &folder) == 0;
    if (knowFolder && Safety.DevicesWithoutLinks.count(folder.st_dev)) return WriteNewFileDirectly(path, bytes);

    const std::string part = PartName(path);
    if (!WriteFreshFile(part, bytes, false)) return SaveFailed;
    // link() refuses an existing name atomically, so two writers racing for
    // one name never replace each other's picture.
    const int linked = LinkFile(part, path);
    const int linkError = errno;
    unlink(part.c_str());
    if (linked == 0) return SaveOk;
    if (linkError == EEXIST) return SaveExists;
    // EPERM (FAT, exFAT), EOPNOTSUPP, ENOSYS (FUSE), EMLINK: this file system
    // has no hard links, so later pictures go there directly at once. Any
    // other refusal is tried directly too, but only this once.
    const bool noLinksHere = linkError == EPERM || linkError == EOPNOTSUPP || linkError == ENOSYS ||
                             linkError == EMLINK;
    if (knowFolder && noLinksHere) Safety.DevicesWithoutLinks.insert(folder.st_dev);
    return WriteNewFileDirectly(path, bytes);
}

bool ReplaceFile(const std::string& path, const std::string& bytes) {
    const std::string part = PartName(path);
    if (!WriteFreshFile(part, bytes, false)) return false;
    if (rename(part.c_str(), path.c_str()) != 0) {
        unlink(part.c_str());
        return false;
    }
    return true;
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

// The pid in a name "<prefix><digits><suffix>", where suffix is empty or
// "-<digits>"; -1 when the name is not of that form.
long PidInTemporaryName(const std::string& name, const std::string& prefix, bool counted) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return -1;
    const std::string rest = name.substr(prefix.size());
    const size_t digitsEnd = rest.find_first_not_of("0123456789");
    const std::string digits = rest.substr(0, digitsEnd);
    if (digits.empty() || digits.size() > 10) return -1;
    if (counted) {
        if (digitsEnd == std::string::npos || rest[digitsEnd] != '-') return -1;
        const std::string count = rest.substr(digitsEnd + 1);
        if (count.empty() || count.find_first_not_of("0123456789") != std::string::npos) return -1;
    } else if (digitsEnd != std::string::npos) {
        return -1;
    }
    return std::strtol(digits.c_str(), nullptr, 10);
}

void RemoveOrphanedTemporaries(const std::string& folder, const std::string& settingsName,
                               const std::string& picturePrefix) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    std::vector<std::string> doomed;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        long pid = -1;
        // The settings writer's "<file>.tmp<pid>-<n>".
        if (!settingsName.empty()) pid = PidInTemporaryName(name, settingsName + ".tmp", true);
        // The picture writer's "<prefix><n>.png.part<pid>".
        if (pid < 0 && !picturePrefix.empty()) {
            const size_t part = name.rfind(".png.part");
            const size_t digits = picturePrefix.size();
            if (part != std::string::npos && part > digits && name.compare(0, digits, picturePrefix) == 0 &&
                name.find_first_not_of("0123456789", digits) == part)
                pid = PidInTemporaryName(name, name.substr(0, part) + ".png.part", false);
        }
        if (pid >= 0 && TemporaryOwnerIsGone(pid)) doomed.push_back(name);
    }
    closedir(dir);
    for (const std::string& name : doomed) {
        const std::string path = folder + "/" + name;
        struct stat st {};
        // Only plain files: a folder or link of that name is someone else's.
        if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) unlink(path.c_str());
    }
}
