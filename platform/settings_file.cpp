// settings_file.cpp — the settings file: reading, editing in memory, and the crash-safe, locked rewrite.
//
// The file is read whole when it is opened, kept as one ordered list of
// entries while it is open, and written back whole at closing when something
// was written. Writing goes to a temporary file beside the real one that is
// renamed over it, so a crash or a full disk never leaves a cut file behind.
// An advisory lock is held from opening to closing, so two instances of the
// program (the old one finishing while the new one starts) cannot lose each
// other's writes; where the file system cannot lock at all, writing goes on
// without it. Readers that must never wait take no lock: the file is only
// ever replaced whole. Plain file I/O only; no SDL here.
#include "platform/platform.h"
#include "platform/file_safety.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// [SECTION] State

enum EntryKind : int {
    EntryGroup = 0,    // Name: the group name
    EntryComment,      // Name: the comment text (without "; ")
    EntrySetting,      // Name: the key; Value: the value as stored
};

struct SettingsEntry {
    EntryKind Kind = EntrySetting;
    std::string Name;
    std::string Value;
};

struct SettingsFileState {
    bool IsOpen = false;
    std::vector<SettingsEntry> Entries;
    int CurrentGroup = -1;          // index of the current group's header, -1 for none
    bool HasPendingGroup = false;
    std::string PendingGroup;       // selected but not in the file yet
    bool Modified = false;
    bool WithoutMark = false;       // the file existed and was empty: written without the mark
    bool WritesAllowed = false;     // false: writes are kept in memory but never reach the disk
    std::string Path;               // the file the content is written to (symbolic links resolved)
    int LockFd = -1;                // the file (or, while it is missing, its folder), locked
    bool LockBusy = false;          // another instance held the lock: this session's writes are lost
    bool BorrowsCache = false;      // Entries are the parsed-file cache's, handed back at closing
};

static SettingsFileState Settings;

// The last file parsed for a reader that takes no lock (the controls pages
// read every frame). It is used again only while the file is provably the
// same: same device and inode (every rewrite renames a new file into place),
// size, modification and change time to the nanosecond (the change time
// cannot be set back by hand). A file changed within the last second is
// parsed afresh, because a file system's clock ticks coarsely and two
// rewrites in one tick could reuse a freed inode with the same size; and
// every write of this process forgets the cache.
struct ParsedFileCache {
    bool Valid = false;             // something is cached
    dev_t Device = 0;               // the file parsed: its file system,
    ino_t Inode = 0;                //   its inode,
    off_t Size = 0;                 //   its size in bytes,
    timespec Modified{};            //   its modification time
    timespec Changed{};             //   and its change time
    std::string Path;               // the resolved path it was read from
    std::vector<SettingsEntry> Entries;   // what it parsed to (lent to the open session while it reads)
    bool WithoutMark = false;       // it was empty
};

static ParsedFileCache Parsed;
static int ParseCount = 0;          // files parsed so far (for the tests)

// The largest file the program will hold. A bigger file is not a settings
// file the program wrote; it is left alone rather than cut down.
constexpr long long SettingsFileLimit = 16ll * 1024 * 1024;

// How long opening waits for another instance to let go of the file before it
// reads it without the lock (and then drops its writes rather than risk
// losing the other's).
static int LockWaitMilliseconds = 2000;

// Test hooks: the step of the replacement that fails (0 none), and the wait.
enum SettingsWriteStep : int {
    StepNone = 0, StepCreate, StepPermissions, StepWrite, StepFlush, StepClose, StepRename,
};
static int FailingWriteStep = StepNone;

void FailSettingsWriteStep(int step) { FailingWriteStep = step; }
void SetSettingsLockWait(int milliseconds) { LockWaitMilliseconds = milliseconds; }
int SettingsFilesParsedForTests() { return ParseCount; }

// [SECTION] Text helpers

static bool IsBlank(char c) { return c == ' ' || c == '\t'; }

static char LowerAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// Group names and keys match ignoring the case of A to Z only; every other
// byte (umlauts included) must be equal.
static bool NamesMatch(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAsciiLetter(a[i]) != LowerAsciiLetter(b[i])) return false;
    return true;
}

static std::string TrimBlanks(const std::string& s) {
    size_t begin = 0, end = s.size();
    while (begin < end && IsBlank(s[begin])) ++begin;
    while (end > begin && IsBlank(s[end - 1])) --end;
    return s.substr(begin, end - begin);
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
static bool IsValidUtf8(const std::string& s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    size_t n = s.size(), i = 0;
    while (i < n) {
        unsigned c = p[i];
        if (c < 0x80) { ++i; continue; }
        size_t len;
        unsigned lo = 0x80, hi = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) len = 2;
        else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            if (c == 0xE0) lo = 0xA0;
            if (c == 0xED) hi = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            if (c == 0xF0) lo = 0x90;
            if (c == 0xF4) hi = 0x8F;
        } else return false;
        if (n - i < len) return false;
        if (p[i + 1] < lo || p[i + 1] > hi) return false;
        for (size_t k = 2; k < len; ++k)
            if (p[i + k] < 0x80 || p[i + k] > 0xBF) return false;
        i += len;
    }
    return true;
}

static std::string Latin1ToUtf8(const std::string& s) {
    std::string out;
    out.reserve(s.size() + s.size() / 4);
    for (char ch : s) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Decimal with leading blanks and a sign; reading stops at the first
// character that is not a digit, and a value without digits is 0. A number
// too large for 32 bits is held at the nearest limit rather than wrapped.
static int32_t ParseSettingNumber(const std::string& value) {
    size_t i = 0;
    while (i < value.size() && IsBlank(value[i])) ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
    int64_t magnitude = 0;
    const int64_t limit = negative ? -int64_t(INT32_MIN) : int64_t(INT32_MAX);
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (value[i] - '0');
        if (magnitude > limit) magnitude = limit;
    }
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

// [SECTION] Parsing

// One line, already split from its line ends, into an entry. Returns false
// for a line that holds nothing but blanks.
static bool ParseLine(const std::string& line, SettingsEntry& entry) {
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size()) return false;
    if (line[i] == ';') {
        ++i;
        if (i < line.size() && line[i] == ' ') ++i;   // one space only; a tab stays
        entry = {EntryComment, line.substr(i), {}};
    } else if (line[i] == '[') {
        size_t close = line.find(']', i + 1);
        size_t end = close == std::string::npos ? line.size() : close;
        entry = {EntryGroup, line.substr(i + 1, end - i - 1), {}};
    } else {
        size_t equals = line.find('=', i);
        if (equals == std::string::npos) {
            entry = {EntrySetting, TrimBlanks(line.substr(i)), {}};
        } else {
            std::string key = line.substr(i, equals - i);
            while (!key.empty() && IsBlank(key.back())) key.pop_back();
            size_t v = equals + 1;
            while (v < line.size() && IsBlank(line[v])) ++v;
            // Trailing blanks stay in the entry; reading the value as text drops them.
            entry = {EntrySetting, key, line.substr(v)};
        }
    }
    return true;
}

// The whole file: the mark decides UTF-8; without it the bytes are UTF-8
// when they form valid UTF-8 (what an ordinary editor saves) and Latin-1
// otherwise. Runs of CR and LF separate lines, so blank lines vanish.
static std::vector<SettingsEntry> ParseSettingsText(const std::string& bytes) {
    ++ParseCount;
    std::string text;
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) text = bytes.substr(3);
    else if (IsValidUtf8(bytes)) text = bytes;
    else text = Latin1ToUtf8(bytes);

    std::vector<SettingsEntry> entries;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        SettingsEntry entry;
        if (end > pos && ParseLine(text.substr(pos, end - pos), entry)) entries.push_back(std::move(entry));
        pos = text.find_first_not_of("\r\n", end);
        if (pos == std::string::npos) break;
    }
    return entries;
}

// [SECTION] Writing out

static std::string FormatSettingsText(const std::vector<SettingsEntry>& entries, bool withoutMark) {
    std::string body;
    for (const SettingsEntry& e : entries) {
        switch (e.Kind) {
            case EntryGroup: body += "[" + e.Name + "]"; break;
            case EntryComment: body += "; " + e.Name; break;
            case EntrySetting: body += e.Name + " = " + e.Value; break;
        }
        body += "\r\n";
    }
    // A file without the mark is read back as Latin-1 unless it is valid
    // UTF-8, so content that is not valid UTF-8 keeps the mark even in a file
    // that was empty; otherwise its bytes would come back changed.
    if (withoutMark && IsValidUtf8(body)) return body;
    return "\xEF\xBB\xBF\r\n" + body;
}

// Gives the new file the bits the old one had. A file system that stores no
// permission bits (FAT, exFAT) refuses a mode it cannot show with EPERM; the
// file then has the bits every file there has, which is no reason to lose
// the player's settings.
static bool KeepPermissionBits(int fd, mode_t mode) {
    if (fchmod(fd, mode) == 0) return true;
    return errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS;
}

// Replaces the file at path by bytes, or leaves it exactly as it was: the
// content goes to a new file in the same folder (so the rename cannot cross
// file systems), is flushed to disk, given the old file's permission bits,
// and only then renamed over the old file. Any failing step removes the
// temporary file and keeps the old one.
static bool ReplaceFileContent(const std::string& path, const std::string& bytes) {
    mode_t mode = 0;
    struct stat old {};
    bool hadFile = stat(path.c_str(), &old) == 0;
    if (hadFile) {
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = umask(0);   // the bits a newly created file would get
        umask(mask);
        mode = 0666 & ~mask;
    }

    static unsigned Counter = 0;
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = path + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(++Counter);
        if (FailingWriteStep == StepCreate) { errno = ENOSPC; return false; }
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;

    bool ok = FailingWriteStep != StepPermissions && KeepPermissionBits(fd, mode);
    if (ok) {
        if (FailingWriteStep == StepWrite) {
            WriteAllTo(fd, bytes.substr(0, bytes.size() / 2));   // a disk that fills up half way
            ok = false;
        } else {
            ok = WriteAllTo(fd, bytes);
        }
    }
    if (ok) ok = FailingWriteStep != StepFlush && fsync(fd) == 0;
    if (close(fd) != 0 || FailingWriteStep == StepClose) ok = false;
    if (ok) ok = FailingWriteStep != StepRename && rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        unlink(temp.c_str());
        return false;
    }
    // The rename itself reaches the disk with the folder.
    int dir = open(FolderOfPath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
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

static bool ReadWhole(int fd, std::string& bytes) {
    bytes.clear();
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        bytes.append(buffer, size_t(n));
        if (static_cast<long long>(bytes.size()) > SettingsFileLimit) return false;
    }
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
        if (!S_ISREG(mine.st_mode) || mine.st_size > SettingsFileLimit || !ReadWhole(fd, bytes)) {
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
    std::string path = given;
    std::replace(path.begin(), path.end(), '\\', '/');
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
        // Lent, not copied: a large file costs nothing to read again.
        Settings.Entries = std::move(Parsed.Entries);
        Settings.WithoutMark = Parsed.WithoutMark;
        Settings.BorrowsCache = true;
        return OpenedExisting;
    }
    std::string bytes;
    const bool read = ReadWhole(fd, bytes);
    close(fd);
    if (!read) return OpenedUnreadable;
    Settings.WithoutMark = bytes.empty();
    Settings.Entries = ParseSettingsText(bytes);
    Parsed = ParsedFileCache{};
    if (settled && static_cast<long long>(bytes.size()) == static_cast<long long>(st.st_size)) {
        Parsed = ParsedFileCache{true, st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim, path, {},
                                 Settings.WithoutMark};
        Settings.BorrowsCache = true;
    }
    return OpenedExisting;
}

// [SECTION] Group and key lookup

static int FindGroup(const std::string& group) {
    for (size_t i = 0; i < Settings.Entries.size(); ++i)
        if (Settings.Entries[i].Kind == EntryGroup && NamesMatch(Settings.Entries[i].Name, group)) return int(i);
    return -1;
}

// The end of the current group: the index of the next header, or the list's end.
static size_t GroupEnd(int header) {
    size_t i = size_t(header) + 1;
    while (i < Settings.Entries.size() && Settings.Entries[i].Kind != EntryGroup) ++i;
    return i;
}

// The first setting of the key in the current group (the first one counts), or null.
static SettingsEntry* FindSetting(const std::string& key) {
    if (!Settings.IsOpen || Settings.CurrentGroup < 0 || Settings.HasPendingGroup) return nullptr;
    size_t end = GroupEnd(Settings.CurrentGroup);
    for (size_t i = size_t(Settings.CurrentGroup) + 1; i < end; ++i)
        if (Settings.Entries[i].Kind == EntrySetting && NamesMatch(Settings.Entries[i].Name, key))
            return &Settings.Entries[i];
    return nullptr;
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
    if (outcome == OpenedExisting) {
        Settings.WithoutMark = bytes.empty();
        Settings.Entries = ParseSettingsText(bytes);
    }
    return outcome == OpenedExisting;
}

bool OpenSettingsFile(const std::string& path) { return OpenLocked(path, LockWaitMilliseconds); }

bool OpenSettingsFileWithoutWaiting(const std::string& path) { return OpenLocked(path, 0); }

bool SettingsFileBusy() { return Settings.IsOpen && Settings.LockBusy; }

bool OpenSettingsFileToRead(const std::string& path) {
    CloseSettingsFile();
    Settings = SettingsFileState{};
    Settings.Path = ResolveSettingsPath(path);
    Settings.IsOpen = true;
    return ReadWithoutLock(Settings.Path) == OpenedExisting;
}

bool SelectGroup(const std::string& group) {
    if (!Settings.IsOpen) return false;
    int header = FindGroup(group);
    Settings.CurrentGroup = header;
    Settings.HasPendingGroup = header < 0;
    Settings.PendingGroup = header < 0 ? group : std::string();
    return header >= 0;
}

std::string ReadSettingText(const std::string& key, const std::string& fallback) {
    const SettingsEntry* e = FindSetting(key);
    return e ? TrimBlanks(e->Value) : fallback;
}

int32_t ReadSettingNumber(const std::string& key, int32_t fallback) {
    const SettingsEntry* e = FindSetting(key);
    return e ? ParseSettingNumber(e->Value) : fallback;
}

void WriteSettingText(const std::string& key, const std::string& text) {
    assert(key.find_first_of("=\r\n") == std::string::npos && "a settings key cannot hold '=' or a line break");
    if (!Settings.IsOpen) return;
    if (Settings.HasPendingGroup) {
        assert(Settings.PendingGroup.find_first_of("]\r\n") == std::string::npos &&
               "a group name cannot hold ']' or a line break");
        Settings.Entries.push_back({EntryGroup, Settings.PendingGroup, {}});
        Settings.CurrentGroup = int(Settings.Entries.size()) - 1;
        Settings.HasPendingGroup = false;
        Settings.PendingGroup.clear();
    }
    if (Settings.CurrentGroup < 0) return;   // nothing selected: no group to write into

    // A line break inside a value would end the line and turn the rest into
    // a line of its own; each CR and LF is written as a space instead.
    std::string value = text;
    std::replace(value.begin(), value.end(), '\r', ' ');
    std::replace(value.begin(), value.end(), '\n', ' ');

    if (SettingsEntry* e = FindSetting(key)) {
        e->Name = key;   // stored as this call spells it
        e->Value = value;
    } else {
        size_t at = GroupEnd(Settings.CurrentGroup);
        Settings.Entries.insert(Settings.Entries.begin() + std::ptrdiff_t(at), SettingsEntry{EntrySetting, key, value});
    }
    Settings.Modified = true;
}

void WriteSettingNumber(const std::string& key, int32_t number) {
    WriteSettingText(key, std::to_string(number));
}

void CloseSettingsFile() {
    if (!Settings.IsOpen) return;
    if (Settings.BorrowsCache) {   // hand the parsed file back, unless this session changed it
        if (Settings.Modified) Parsed = ParsedFileCache{};
        else Parsed.Entries = std::move(Settings.Entries);
    }
    if (Settings.Modified && Settings.WritesAllowed) {
        Parsed = ParsedFileCache{};
        ReplaceFileContent(Settings.Path, FormatSettingsText(Settings.Entries, Settings.WithoutMark));
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
