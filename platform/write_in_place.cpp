#include "platform/write_in_place.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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
    const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return {FileWriteStep::kOpen, errno};
    }
    struct stat info {};
    int error = 0;
    FileWriteStep step = FileWriteStep::kNone;
    bool written = false;  // the new text is on the disk: readers get it
    if (::fstat(fd, &info) != 0) {
        step = FileWriteStep::kOpen, error = errno;
    } else if (!S_ISREG(info.st_mode)) {
        step = FileWriteStep::kOpen, error = EINVAL;
    } else if (!WithinSizeLimit(content.size())) {
        step = FileWriteStep::kWrite, error = EFBIG;
    } else if (!Reserve(fd, info.st_size, content.size(), error) ||
               InjectWriteFault(WriteStage::kWrite, error) ||
               !PwriteAll(fd, Padded(content, info.st_size), 0, error) || !Flush(fd, error)) {
        step = FileWriteStep::kWrite;
    } else {
        written = true;
    }
    // From here a failure leaves blank lines at the end, not a lost save.
    int cutError = 0;
    if (written && static_cast<std::size_t>(info.st_size) > content.size() &&
        !InjectWriteFault(WriteStage::kCut, cutError) &&
        ::ftruncate(fd, static_cast<off_t>(content.size())) == 0) {
        ::fsync(fd);
    }
    // Past the flush a failed close loses nothing; before it the step failed
    // already and says why.
    int closeError = 0;
    Close(fd, closeError);
    return {step, error};
}
