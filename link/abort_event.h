// A manual-reset event that one thread sets while another waits on it, kept
// as an eventfd so that a wait can poll it beside a port.
#pragma once

#include <chrono>

class AbortEvent {
public:
    AbortEvent();
    ~AbortEvent();
    AbortEvent(const AbortEvent&) = delete;
    AbortEvent& operator=(const AbortEvent&) = delete;

    // Stays set until Reset, however many waits see it. Both may be called
    // from any thread at any time.
    void Set();
    void Reset();
    bool IsSet() const;
    // Waits at most `limit` for the event: a pause that a Cancel cuts short.
    // True when it is set.
    bool WaitFor(std::chrono::milliseconds limit) const;

    // Readable while set; for poll().
    int Fd() const { return m_fd; }

private:
    int m_fd;
};
