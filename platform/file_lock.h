// The advisory lock (flock) that readers and writers of the settings file
// hold: two instances of the tool that save it at once never lose each
// other's keys, and a reader never sees a file half written in place.
//
// A lock is taken on the file itself, and checked once held: a save by
// rename may have put another file under the name meanwhile, and the lock
// must be on the one that the name gives now.
#pragma once

#include <chrono>
#include <string>

#include "platform/file_descriptor.h"
#include "platform/file_write_failure.h"

// A save holds the lock for milliseconds; a lock held longer is stale (a
// network file system's, say), and must not hang the window.
inline constexpr std::chrono::milliseconds kFileLockWait{2000};

// Opens path for reading, never blocking, and holds a shared lock on it. A
// lock that cannot be had in kFileLockWait, or a file system that keeps no
// locks, leaves the file to be read unlocked all the same. An invalid
// descriptor, with error set, when the file cannot be opened.
FileDescriptor OpenSharedLocked(const std::string& path, int& error);

// For a read, change and write of target, which is no link (see
// ResolveWriteTarget): opens it and holds an exclusive lock on it. A missing
// target is created empty first, so that there is something to lock; created
// says so. Fails with kLocked (EWOULDBLOCK) when the lock cannot be had in
// kFileLockWait, with kOpen when target is no regular file or cannot be
// opened or created; fd is then invalid.
FileWriteFailure OpenExclusiveLocked(const std::string& target, FileDescriptor& fd, bool& created);

// Removes target, the file created empty to hold the lock (open as fd, its
// lock held), if it is still empty and still the file under that name: a
// save that failed leaves no file where there was none.
void RemoveEmptyLocked(const std::string& target, int fd);
