// The kernel's device events, faked: a socket pair that UeventSocket reads
// instead of the kernel's netlink socket, fed with messages in the kernel's
// own format.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <string_view>

#include "link/uevent_socket.h"

// "ACTION@DEVPATH\0KEY=VALUE\0...", as the kernel sends for a tty; with
// subsystem "usb-serial" it is the event of the serial converter itself.
inline std::string TtyUevent(const std::string& action, const std::string& name,
                             const std::string& subsystem = "tty") {
    const std::string devPath = "/devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0/" + name +
                                (subsystem == "tty" ? "/tty/" + name : "");
    std::string message = action + "@" + devPath;
    message += '\0';
    for (const std::string& field :
         {"ACTION=" + action, "DEVPATH=" + devPath, "SUBSYSTEM=" + subsystem,
          subsystem == "tty" ? "DEVNAME=" + name : "DRIVER=ftdi_sio", std::string("SEQNUM=4242")}) {
        message += field;
        message += '\0';
    }
    return message;
}

// While it lives, every UeventSocket opened reads from it.
class FakeUeventSource {
public:
    FakeUeventSource() {
        if (::socketpair(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0, m_ends) != 0)
            m_ends[0] = m_ends[1] = -1;
        const int reader = m_ends[0];
        UeventSocket::SetOpener([reader] { return ::fcntl(reader, F_DUPFD_CLOEXEC, 0); });
    }
    ~FakeUeventSource() {
        UeventSocket::SetOpener({});
        ::close(m_ends[0]);
        ::close(m_ends[1]);
    }
    FakeUeventSource(const FakeUeventSource&) = delete;
    FakeUeventSource& operator=(const FakeUeventSource&) = delete;

    // True while a datagram waits: the watcher has not read it yet.
    bool Pending() const {
        pollfd entry{m_ends[0], POLLIN, 0};
        return ::poll(&entry, 1, 0) > 0;
    }
    bool Send(std::string_view datagram) const {
        return ::send(m_ends[1], datagram.data(), datagram.size(), 0) ==
               static_cast<ssize_t>(datagram.size());
    }

private:
    int m_ends[2];
};
