// file_safety.h — what the settings file and the screenshots need from file
// systems that are less kind than a local disk: the one crash-safe write,
// locks a file system cannot give, hard links it does not support, and the
// temporary files a killed run leaves behind. Plain file I/O; no SDL here.
#pragma once

#include <limits>
#include <string>

#include "platform/platform.h"

// [SECTION] Paths

// Game paths use backslashes as folder separators ("Media\Fonts\x.ttf");
// on this system the separator is "/".
std::string NativePath(const std::string& gamePath);

// [SECTION] Reading

// Reads everything left in fd into bytes, retrying reads a signal broke off.
// False on a read error, or as soon as the bytes would be more than `limit`
// (a file that grows while it is read is caught too, not only a large one).
bool ReadWholeFile(int fd, std::string& bytes, long long limit = std::numeric_limits<long long>::max());
// The same for the file at path; false also when it cannot be opened.
bool ReadWholeFile(const std::string& path, std::string& bytes,
                   long long limit = std::numeric_limits<long long>::max());

// [SECTION] Locks

enum LockOutcome : int {
    LockTaken = 0,      // the exclusive lock is ours
    LockBusy,           // another holder kept it for the whole wait
    LockUnavailable,    // the file system cannot lock this descriptor (NFS on a
                        // read-only descriptor, some FUSE mounts, no lock daemon)
};

// Takes an exclusive advisory lock on fd, waiting at most waitMilliseconds
// for another holder to let go (0: one try, no wait).
LockOutcome LockExclusively(int fd, int waitMilliseconds);

// [SECTION] Crash-safe writes

// Puts bytes under path so that a crash, a kill or a full disk never leaves
// a cut file under that name: the bytes go to a temporary file
// "<path>.tmp<pid>-<n>" in the same folder (so no move crosses file
// systems), which gets its mode bits, is flushed to disk and only then given
// the final name; the folder is flushed after, so the new name survives a
// power cut too. Any failing step removes the temporary and leaves what was
// there.
//   not exclusive: renamed over the file that is there, which keeps its mode
//     bits; a new file gets newFileBits less the umask. SaveOk or SaveFailed.
//   exclusive: never replaces a file (SaveExists): the temporary is hard-
//     linked to the final name, which refuses a taken name atomically, so two
//     writers racing for one name never replace each other's file; it gets
//     newFileBits less the umask. On a file system without hard links (FAT,
//     exFAT, some network and FUSE mounts) the final name is created
//     exclusively and written directly instead, and removed again on any
//     failure; only a kill in the middle of that write can leave a short file
//     under the real name.
// A file system that stores no mode bits (FAT) keeps the bits all its files have.
SaveResult WriteFileSafely(const std::string& path, const std::string& bytes, bool exclusive, unsigned newFileBits);

// The folder part of a path: "." for a bare name, "/" for a file at the root.
std::string FolderOfPath(const std::string& path);

// [SECTION] Test seams

// Makes every link() of WriteFileSafely fail with errnoValue, and every
// flock() of LockExclusively fail with errnoValue, as the file systems named
// above do; 0 restores the real calls.
void FailHardLinksForTests(int errnoValue);
void FailLocksForTests(int errnoValue);

// The step of WriteFileSafely that fails from now on, as a full disk, a
// broken stick or a vanished folder would make it; FailNothing restores it.
enum WriteStepForTests : int {
    FailNothing = 0,
    FailCreate,        // the new file (the temporary, or the final name written directly) cannot be created
    FailPermissions,   // its mode bits cannot be set
    FailWrite,         // the disk fills half way through the bytes
    FailFlush,         // fsync fails
    FailClose,         // close reports a late write error
    FailRename,        // the final name cannot be given (rename or link)
};
void FailWriteStepForTests(int step);

// [SECTION] Leftovers of killed runs

// Whether the run with this pid is gone for good: no such process, or the
// pid now belongs to another program.
bool TemporaryOwnerIsGone(long pid);
// Removes from folder the temporaries "<name>.tmp<pid>-<n>" of runs that are
// gone, for the program's own names only: settingsName, and
// picturePrefix + digits + ".png" (an empty name or prefix: none).
void RemoveOrphanedTemporaries(const std::string& folder, const std::string& settingsName,
                               const std::string& picturePrefix);
