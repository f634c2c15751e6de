#include "platform/read_regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "platform/file_descriptor.h"

namespace {

RegularFileRead Fail(RegularFileRead result, int errorValue, std::string& bytes, int* error) {
    bytes.clear();
    if (error != nullptr) *error = errorValue;
    return result;
}

}  // namespace

RegularFileRead ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string& bytes) {
    bytes.clear();
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a
    // writer. O_NOCTTY: a terminal named by mistake must not become ours.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) return RegularFileRead::kRefused;
    return ReadOpenRegularFile(file.get(), maxBytes, bytes);
}

RegularFileRead ReadOpenRegularFile(int fd, std::size_t maxBytes, std::string& bytes, int* error) {
    bytes.clear();
    struct stat info {};
    if (::fstat(fd, &info) != 0) return Fail(RegularFileRead::kRefused, errno, bytes, error);
    if (!S_ISREG(info.st_mode) || info.st_size < 0) {
        return Fail(RegularFileRead::kRefused, S_ISDIR(info.st_mode) ? EISDIR : EINVAL, bytes,
                    error);
    }
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
        return Fail(RegularFileRead::kRefused, EFBIG, bytes, error);
    }
    // One byte beyond the bound is asked for, so a file that grew meanwhile
    // shows itself instead of being cut short.
    const std::size_t limit = maxBytes < SIZE_MAX ? maxBytes + 1 : maxBytes;
    bytes.resize(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (got >= limit) break;
            bytes.resize(std::min(limit, bytes.size() + 65536));
        }
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Fail(RegularFileRead::kFailed, errno, bytes, error);
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    if (got > maxBytes) return Fail(RegularFileRead::kRefused, EFBIG, bytes, error);
    // Cut short while it was read: what is there is not the whole file.
    if (got < static_cast<std::size_t>(info.st_size)) {
        return Fail(RegularFileRead::kFailed, EAGAIN, bytes, error);
    }
    bytes.resize(got);
    return RegularFileRead::kRead;
}
