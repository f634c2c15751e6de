#include "link/abort_event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

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
    pollfd entry{m_fd, POLLIN, 0};
    int ready = 0;
    while ((ready = ::poll(&entry, 1, 0)) < 0 && errno == EINTR) {
    }
    return ready > 0;
}
