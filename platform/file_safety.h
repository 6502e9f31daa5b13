// file_safety.h — what the settings writer and the picture writer need from
// file systems that are less kind than a local disk: locks a file system
// cannot give, hard links it does not support, and the temporary files a
// killed run leaves behind. Plain file I/O; no SDL here.
#pragma once

#include <string>

#include "platform/platform.h"

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

// [SECTION] New files under their final name

// Writes bytes as a new file at path without ever replacing a file that is
// there (SaveExists) and without leaving a cut file under that name after an
// error. The bytes go to a temporary file "<path>.part<pid>" that is hard-
// linked to the final name. On a file system without hard links (FAT, exFAT,
// some network and FUSE mounts) the final name is created exclusively and
// written directly instead, and removed again on any failure; only a kill in
// the middle of that write can leave a short file under the real name.
SaveResult WriteNewFile(const std::string& path, const std::string& bytes);

// Replaces the file at path by bytes through "<path>.part<pid>" and rename(),
// so a kill leaves either the old file or the new one.
bool ReplaceFile(const std::string& path, const std::string& bytes);

// Writes all of bytes to fd, retrying short writes; false on an error.
bool WriteAllTo(int fd, const std::string& bytes);

// The folder part of a path: "." for a bare name, "/" for a file at the root.
std::string FolderOfPath(const std::string& path);

// [SECTION] Test seams

// Makes every link() of WriteNewFile fail with errnoValue, and every flock()
// of LockExclusively fail with errnoValue, as the file systems named above
// do; 0 restores the real calls.
void FailHardLinksForTests(int errnoValue);
void FailLocksForTests(int errnoValue);

// [SECTION] Leftovers of killed runs

// Whether the run with this pid is gone for good: no such process, or the
// pid now belongs to another program.
bool TemporaryOwnerIsGone(long pid);
// Removes from folder the temporaries of runs that are gone: the settings
// writer's "<settingsName>.tmp<pid>-<n>" and the picture writer's
// "<picturePrefix><n>.png.part<pid>" (an empty name or prefix: none).
void RemoveOrphanedTemporaries(const std::string& folder, const std::string& settingsName,
                               const std::string& picturePrefix);
