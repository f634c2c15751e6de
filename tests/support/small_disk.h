// A folder on a disk that fills up: for tests of what a writer keeps when
// the disk is full.
#pragma once

#include <sys/resource.h>

#include <csignal>
#include <cstddef>
#include <string>

// Where the process may make a mount namespace of its own (as root), a tmpfs
// of `bytes` is mounted over the folder in it, and a write past it fails with
// ENOSPC; the mount goes with the process. It hides what the folder held, so
// a test writes its files after. Elsewhere a file-size limit of `bytes` is
// set on the whole process, with SIGXFSZ ignored, and a write past it fails
// with EFBIG. Either is undone by the destructor.
class SmallDisk {
public:
    SmallDisk(std::string folder, std::size_t bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool ready() const { return m_error != 0; }
    // ENOSPC for the tmpfs, EFBIG for the file-size limit.
    int expectedError() const { return m_error; }

private:
    std::string m_folder;
    bool m_mounted = false;
    int m_error = 0;
    rlimit m_savedLimit{};
    struct sigaction m_savedAction {};
};
