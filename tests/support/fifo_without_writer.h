// A FIFO that nobody writes to, for tests of code that must not block on one.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

// Should the code under test block opening the FIFO for reading, a guard
// thread opens it for writing once `bound` has passed and closes it again: the
// reader then sees an empty file, and the test fails on its result instead of
// hanging. readerWasStuck() tells afterwards whether that happened.
class FifoWithoutWriter {
public:
    explicit FifoWithoutWriter(std::string path,
                               std::chrono::milliseconds bound = std::chrono::seconds(5))
        : m_path(std::move(path)) {
        m_made = ::mkfifo(m_path.c_str(), 0600) == 0;
        m_guard = std::thread([this, bound] {
            std::unique_lock lock(m_mutex);
            while (!m_wake.wait_for(lock, bound, [this] { return m_done; })) {
                // Succeeds only while a reader has the FIFO open (or waits in open).
                const int fd = ::open(m_path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) ::close(fd), m_stuck = true;
            }
        });
    }
    ~FifoWithoutWriter() {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_guard.join();
        ::unlink(m_path.c_str());
    }
    FifoWithoutWriter(const FifoWithoutWriter&) = delete;
    FifoWithoutWriter& operator=(const FifoWithoutWriter&) = delete;

    bool made() const { return m_made; }
    bool readerWasStuck() const { return m_stuck; }

private:
    std::string m_path;
    bool m_made = false;
    std::atomic<bool> m_stuck{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::thread m_guard;
};
