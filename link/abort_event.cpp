#include "link/abort_event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

AbortEvent::AbortEvent() : m_fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    // Without it no read could be cancelled; there is no sane way on.
    if (m_fd < 0) {
        std::abort();
    }
}

AbortEvent::~AbortEvent()
{
    ::close(m_fd);
}

void AbortEvent::Set()
{
    // The counter only grows; it cannot overflow in practice, and EAGAIN
    // would still leave the event set.
    while (::eventfd_write(m_fd, 1) < 0 && errno == EINTR) {
    }
}

void AbortEvent::Reset()
{
    eventfd_t value = 0;
    while (::eventfd_read(m_fd, &value) < 0 && errno == EINTR) {
    }
}

bool AbortEvent::IsSet() const
{
    return WaitFor(std::chrono::milliseconds(0));
}

bool AbortEvent::WaitFor(std::chrono::milliseconds limit) const
{
    const auto end = std::chrono::steady_clock::now() + limit;
    pollfd entry{m_fd, POLLIN, 0};
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        const int ready = ::poll(&entry, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
        if (ready >= 0) {
            return ready > 0;
        }
        if (errno != EINTR) {
            return false;
        }
    }
}
