#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

#include "platform/write_fault.h"

namespace {

using Clock = std::chrono::steady_clock;

// Never blocking, on a FIFO put in the file's place, say; never taking a
// terminal as the process's own.
constexpr int kOpenFlags = O_NONBLOCK | O_CLOEXEC | O_NOCTTY;

// Waits for the lock until deadline at growing intervals, asleep in between.
// 0 once held, or where the file system keeps no locks; else the errno
// (EWOULDBLOCK when the time ran out).
int Lock(int fd, int operation, Clock::time_point deadline) {
    int error = 0;
    if (InjectWriteFault(WriteStage::kLock, error)) return error;
    std::chrono::milliseconds pause{1};
    for (;;) {
        if (::flock(fd, operation | LOCK_NB) == 0) return 0;
        error = errno;
        if (error == EINTR) continue;
        if (error == ENOLCK || error == EOPNOTSUPP || error == ENOSYS || error == EINVAL) return 0;
        if (error != EWOULDBLOCK) return error;
        const Clock::time_point now = Clock::now();
        if (now >= deadline) return EWOULDBLOCK;
        std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds{16});
    }
}

// Whether the name (looked at with statName) still names the file open as fd.
template <typename StatName>
bool StillNamed(int fd, StatName statName) {
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && statName(named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

}  // namespace

FileDescriptor OpenSharedLocked(const std::string& path, int& error) {
    const Clock::time_point deadline = Clock::now() + kFileLockWait;
    for (;;) {
        FileDescriptor fd(::open(path.c_str(), O_RDONLY | kOpenFlags));
        if (fd.get() < 0) {
            error = errno;
            return fd;
        }
        struct stat info {};
        // What is no regular file is refused by the reader; nobody saves it.
        if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return fd;
        if (Lock(fd.get(), LOCK_SH, deadline) != 0) return fd;
        if (StillNamed(fd.get(),
                       [&](struct stat& named) { return ::stat(path.c_str(), &named); }) ||
            Clock::now() >= deadline) {
            return fd;  // a file replaced after it was opened is still whole
        }
    }
}

FileWriteFailure OpenExclusiveLocked(const std::string& target, FileDescriptor& fd, bool& created) {
    const Clock::time_point deadline = Clock::now() + kFileLockWait;
    for (;;) {
        created = false;
        struct stat info {};
        if (::lstat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
            // A device is not even opened: opening some has effects of its own.
            return {FileWriteStep::kOpen, S_ISDIR(info.st_mode) ? EISDIR : EINVAL};
        }
        // Read and write where it may be: a network file system's flock
        // takes an exclusive lock only on a file open for writing. O_NOFOLLOW:
        // a link put in the target's place since it was resolved is refused.
        fd.Reset(::open(target.c_str(), O_RDWR | kOpenFlags | O_NOFOLLOW));
        if (fd.get() < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
            fd.Reset(::open(target.c_str(), O_RDONLY | kOpenFlags | O_NOFOLLOW));
        }
        if (fd.get() < 0 && errno == ENOENT) {
            fd.Reset(
                ::open(target.c_str(), O_RDWR | kOpenFlags | O_NOFOLLOW | O_CREAT | O_EXCL, 0666));
            created = fd.get() >= 0;
            if (!created && errno == EEXIST && Clock::now() < deadline) continue;
        }
        if (fd.get() < 0) return {FileWriteStep::kOpen, errno};
        if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
            const int error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
            fd.Reset();
            return {FileWriteStep::kOpen, error};
        }
        if (const int error = Lock(fd.get(), LOCK_EX, deadline); error != 0) {
            fd.Reset();
            return {FileWriteStep::kLocked, error};
        }
        if (StillNamed(fd.get(),
                       [&](struct stat& named) { return ::lstat(target.c_str(), &named); })) {
            return {};
        }
        if (Clock::now() >= deadline) {
            fd.Reset();
            return {FileWriteStep::kLocked, EWOULDBLOCK};
        }
    }
}

void RemoveEmptyLocked(const std::string& target, int fd) {
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_size == 0 &&
        StillNamed(fd, [&](struct stat& named) { return ::lstat(target.c_str(), &named); })) {
        ::unlink(target.c_str());
    }
}
