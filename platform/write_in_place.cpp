#include "platform/write_in_place.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/write_all.h"

namespace {

// fallocate keeps no file-size limit when it keeps the size, so the limit is
// looked at here, as a write past it would fail.
bool WithinSizeLimit(std::size_t size) {
    rlimit limit{};
    return ::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
           size <= limit.rlim_cur;
}

// Blocks for `length` bytes from the start, without changing what the file
// holds or how long it is. Where the file system cannot reserve, the file is
// lengthened with zeros instead and cut back to oldSize if that fails; the
// zeros are overwritten by the text that follows.
bool Reserve(int fd, off_t oldSize, std::size_t length, int& error) {
    if (length == 0) return true;
    if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(length)) == 0) return true;
    if (errno != EOPNOTSUPP && errno != ENOSYS) {
        error = errno;
        return false;
    }
    if (static_cast<off_t>(length) <= oldSize) return true;
    const std::string zeros(length - static_cast<std::size_t>(oldSize), '\0');
    // Some file systems report a full disk only at the flush.
    if (PwriteAll(fd, zeros, oldSize, error)) {
        if (::fsync(fd) == 0) return true;
        error = errno;
    }
    while (::ftruncate(fd, oldSize) != 0 && errno == EINTR) {
    }
    return false;
}

}  // namespace

FileWriteFailure WriteInPlace(const std::string& target, std::string_view content) {
    // Non-blocking: a pipe put in the file's place must not hang the window.
    const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return {FileWriteStep::kOpen, errno};
    }
    struct stat info {};
    int error = 0;
    FileWriteStep step = FileWriteStep::kNone;
    if (::fstat(fd, &info) != 0) {
        step = FileWriteStep::kOpen, error = errno;
    } else if (!S_ISREG(info.st_mode)) {
        step = FileWriteStep::kOpen, error = EINVAL;
    } else if (!WithinSizeLimit(content.size())) {
        step = FileWriteStep::kWrite, error = EFBIG;
    } else if (!Reserve(fd, info.st_size, content.size(), error) ||
               !PwriteAll(fd, content, 0, error)) {
        step = FileWriteStep::kWrite;
    } else if (::ftruncate(fd, static_cast<off_t>(content.size())) != 0 || ::fsync(fd) != 0) {
        step = FileWriteStep::kWrite, error = errno;
    }
    if (::close(fd) != 0 && step == FileWriteStep::kNone) {
        step = FileWriteStep::kWrite, error = errno;
    }
    return {step, error};
}
