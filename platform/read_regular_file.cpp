#include "platform/read_regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

}  // namespace

RegularFileRead ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string& bytes) {
    bytes.clear();
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a
    // writer. O_NOCTTY: a terminal named by mistake must not become ours.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) return RegularFileRead::kRefused;
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 ||
        static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
        return RegularFileRead::kRefused;
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
        const ssize_t n = ::read(file.get(), bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            bytes.clear();
            return RegularFileRead::kFailed;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    if (got > maxBytes) {
        bytes.clear();
        return RegularFileRead::kRefused;
    }
    // Cut short while it was read: what is there is not the whole file.
    if (got < static_cast<std::size_t>(info.st_size)) {
        bytes.clear();
        return RegularFileRead::kFailed;
    }
    bytes.resize(got);
    return RegularFileRead::kRead;
}
