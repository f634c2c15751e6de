#include "platform/write_in_place.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_descriptor.h"
#include "platform/read_regular_file.h"
#include "platform/write_all.h"
#include "platform/write_fault.h"
#include "platform/write_steps.h"

namespace {

// Padding and lengthening are made of these: a line of nothing is skipped by
// the settings reader and by the import alike, wherever it stands.
constexpr char kBlankLine = '\n';

// fallocate keeps no file-size limit when it keeps the size, so the limit is
// looked at here, as a write past it would fail.
bool WithinSizeLimit(std::size_t size) {
    rlimit limit{};
    return ::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
           size <= limit.rlim_cur;
}

// Blocks for `length` bytes from the start, without changing what the file
// holds or how long it is. Where the file system cannot reserve, the file is
// lengthened with blank lines instead and cut back to oldSize if that fails;
// the new text overwrites them.
bool Reserve(int fd, off_t oldSize, std::size_t length, int& error) {
    if (length == 0) return true;
    if (InjectWriteFault(WriteStage::kReserve, error)) {
        if (error != EOPNOTSUPP) return false;
    } else if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(length)) == 0) {
        return true;
    } else if (errno != EOPNOTSUPP && errno != ENOSYS) {
        error = errno;
        return false;
    }
    if (static_cast<off_t>(length) <= oldSize) return true;
    const std::string blank(length - static_cast<std::size_t>(oldSize), kBlankLine);
    // Some file systems report a full disk only at the flush.
    if (PwriteAll(fd, blank, oldSize, error) && Flush(fd, error)) return true;
    while (::ftruncate(fd, oldSize) != 0 && errno == EINTR) {
    }
    return false;
}

// Larger old files are not kept in memory to be put back after an I/O error.
constexpr std::size_t kMaxKeptBytes = 16 * 1024 * 1024;

// The text as it is first written: as long as the old one at least, so that
// until the cut the file ends in blank lines, never in the old text's tail.
std::string Padded(std::string_view content, off_t oldSize) {
    std::string padded(content);
    if (oldSize > 0 && static_cast<std::size_t>(oldSize) > content.size()) {
        padded.append(static_cast<std::size_t>(oldSize) - content.size(), kBlankLine);
    }
    return padded;
}

}  // namespace

FileWriteFailure WriteInPlace(const std::string& target, std::string_view content) {
    // Non-blocking: a pipe put in the file's place must not hang the window.
    // Open for reading too where it may be, so that the old text can be put
    // back when the new one cannot be written.
    constexpr int kFlags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW;
    FileDescriptor fd(::open(target.c_str(), O_RDWR | kFlags));
    if (fd.get() < 0 && errno == EACCES) fd.Reset(::open(target.c_str(), O_WRONLY | kFlags));
    if (fd.get() < 0) return {FileWriteStep::kOpen, errno};
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return {FileWriteStep::kOpen, errno};
    if (!S_ISREG(info.st_mode)) return {FileWriteStep::kOpen, EINVAL};
    if (!WithinSizeLimit(content.size())) return {FileWriteStep::kWrite, EFBIG};
    std::string old;
    const bool kept = ReadOpenRegularFile(fd.get(), kMaxKeptBytes, old) == RegularFileRead::kRead &&
                      static_cast<off_t>(old.size()) == info.st_size;
    int error = 0;
    if (!Reserve(fd.get(), info.st_size, content.size(), error))
        return {FileWriteStep::kWrite, error};
    if (InjectWriteFault(WriteStage::kWrite, error) ||
        !PwriteAll(fd.get(), Padded(content, info.st_size), 0, error) || !Flush(fd.get(), error)) {
        // An I/O error: the new text may be in part in the file, or not on
        // the disk. The old one goes back, so that the file holds what the
        // tool tells.
        int ignored = 0;
        if (kept && PwriteAll(fd.get(), old, 0, ignored) &&
            ::ftruncate(fd.get(), static_cast<off_t>(old.size())) == 0) {
            ::fsync(fd.get());
        }
        return {FileWriteStep::kWrite, error};
    }
    // The new text is on the disk: from here a failure leaves blank lines at
    // its end, not a lost save, and a failed close loses nothing.
    if (static_cast<std::size_t>(info.st_size) > content.size() &&
        !InjectWriteFault(WriteStage::kCut, error) &&
        ::ftruncate(fd.get(), static_cast<off_t>(content.size())) == 0) {
        ::fsync(fd.get());
    }
    Close(fd.Release(), error);
    return {};
}
