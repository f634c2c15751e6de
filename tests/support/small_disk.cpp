#include "tests/support/small_disk.h"

#include <sched.h>
#include <sys/mount.h>

#include <cerrno>

SmallDisk::SmallDisk(std::string folder, std::size_t bytes) : m_folder(std::move(folder)) {
    // The namespace keeps the mount from the rest of the machine, also when
    // the test dies before it could unmount.
    if (::unshare(CLONE_NEWNS) == 0 &&
        ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0) {
        const std::string options = "size=" + std::to_string(bytes);
        if (::mount("tmpfs", m_folder.c_str(), "tmpfs", 0, options.c_str()) == 0) {
            m_mounted = true;
            m_error = ENOSPC;
            return;
        }
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    if (::getrlimit(RLIMIT_FSIZE, &m_savedLimit) != 0 ||
        ::sigaction(SIGXFSZ, &ignore, &m_savedAction) != 0) {
        return;
    }
    rlimit limit = m_savedLimit;
    limit.rlim_cur = bytes;
    if (::setrlimit(RLIMIT_FSIZE, &limit) == 0) {
        m_error = EFBIG;
    } else {
        ::sigaction(SIGXFSZ, &m_savedAction, nullptr);
    }
}

SmallDisk::~SmallDisk() {
    if (m_mounted) {
        ::umount2(m_folder.c_str(), MNT_DETACH);
    } else if (m_error != 0) {
        ::setrlimit(RLIMIT_FSIZE, &m_savedLimit);
        ::sigaction(SIGXFSZ, &m_savedAction, nullptr);
    }
}
