// shared_services.h — the state of the services every platform shares (the
// SDL platform and the tests' recording platform alike): the crash-safe
// file writes (file_safety.cpp) and the settings file on disk
// (settings_file.cpp). All of it is here, in one struct, so that a reader sees
// what these services remember between calls, and a test starts from a clean
// slate with one call. The SDL platform's own state is Sdl's
// (platform/sdl/sdl_internal.h). Plain data; no SDL here.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <ctime>
#include <set>
#include <string>

#include "formats/settings_text.h"
#include "platform/shared/file_safety.h"

// `struct SettingsText`: the tests' helper of that name (tests/settings_lines.h),
// a function, hides the plain name in the files that include both.

// [SECTION] File safety (file_safety.cpp)

struct FileSafetyState {
    int LinkFailure = 0;                 // test seam: errno every link() fails with, 0 for the real call
    int LockFailure = 0;                 // test seam: errno every flock() fails with, 0 for the real call
    int FailingStep = FailNothing;       // test seam: the step of WriteFileSafely that fails
    std::set<dev_t> DevicesWithoutLinks; // file systems that refused a hard link: written directly from then on
    // Numbers the temporary files of this process, so that no two writes (nor
    // a write and a file that is in the way) ever share one. Atomic, so that a
    // write from any thread still gets a number of its own.
    std::atomic<unsigned> TemporaryCounter{0};
};

// [SECTION] Settings file (settings_file.cpp)

// The open session: what the ten settings operations act on.
struct SettingsFileState {
    bool IsOpen = false;            // a session is open: the operations act on Text
    struct SettingsText Text;       // the file's content and the selected group
    bool WritesAllowed = false;     // false: writes are kept in memory but never reach the disk
    std::string Path;               // the file the content is written to (symbolic links resolved)
    int LockFd = -1;                // the file (or, while it is missing, its folder), locked
    bool LockBusy = false;          // another instance held the lock: this session's writes are lost
    bool BorrowsCache = false;      // Text is the parsed-file cache's, handed back at closing
};

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
    struct SettingsText Text;       // what it parsed to (lent to the open session while it reads)
};

// [SECTION] All of it

// The game thread calls these services; only TemporaryCounter is made safe
// for any other thread.
struct SharedServicesState {
    FileSafetyState Files;          // the crash-safe writes' seams and what they learnt of file systems
    SettingsFileState Settings;     // the settings file's open session
    ParsedFileCache Parsed;         // the lock-free reader's last parse
    int ParseCount = 0;             // settings files parsed so far (the tests count the cache's misses)
    // How long opening waits for another instance to let go of the settings
    // file before it reads it without the lock (and then drops its writes
    // rather than risk losing the other's).
    int LockWaitMilliseconds = 2000;
};
extern SharedServicesState Services;

// Puts every field of Services back to its first value, the test seams and
// the atomic counter included (an atomic cannot be assigned, hence no
// `Services = {}`). For the tests, between cases: no settings file may be
// open and no other thread may be writing a file.
void ResetSharedServicesForTests();
