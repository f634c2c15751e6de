// The kernel's device events about serial ports, read from its uevent netlink
// socket. Works without a udev daemon: the kernel itself sends these.
#pragma once

#include <functional>

#include "link/port_changes.h"

class UeventSocket {
public:
    // Gives a descriptor that carries uevent datagrams, or -1; replaces the
    // kernel's socket (tests feed one end of a socket pair).
    using Opener = std::function<int()>;

    // The kernel's socket; valid() is false when none can be opened (no
    // netlink, or a sandbox that forbids it).
    UeventSocket();
    ~UeventSocket();
    UeventSocket(const UeventSocket&) = delete;
    UeventSocket& operator=(const UeventSocket&) = delete;

    bool valid() const { return m_fd >= 0; }
    // Readable when events wait; for poll() or a socket notifier.
    int fd() const { return m_fd; }

    // Reads every waiting datagram without blocking. A look is due when one
    // was a tty arrival or removal, or when some were lost because the
    // socket's buffer overflowed.
    PortChanges TakePortChanges();

    // An empty opener restores the kernel's socket.
    static void SetOpener(Opener opener);

private:
    int m_fd = -1;
};
