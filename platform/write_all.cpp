#include "platform/write_all.h"

#include <unistd.h>

#include <cerrno>

namespace {

template <typename Write>
bool WriteEach(std::string_view data, int& error, Write write) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = write(data.data() + done, data.size() - done, done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool WriteAll(int fd, std::string_view data, int& error) {
    return WriteEach(data, error, [fd](const char* bytes, std::size_t size, std::size_t) {
        return ::write(fd, bytes, size);
    });
}

bool PwriteAll(int fd, std::string_view data, off_t offset, int& error) {
    return WriteEach(data, error,
                     [fd, offset](const char* bytes, std::size_t size, std::size_t done) {
                         return ::pwrite(fd, bytes, size, offset + static_cast<off_t>(done));
                     });
}
