#include "link/uevent_socket.h"

#include <fcntl.h>
#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <string_view>

#include "link/uevent.h"

namespace {

std::mutex g_openerMutex;
UeventSocket::Opener g_opener;

// The multicast group the kernel itself sends to; udev re-sends on group 2.
constexpr unsigned kKernelGroup = 1;

int OpenKernelSocket()
{
    const int fd = ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC,
                            NETLINK_KOBJECT_UEVENT);
    if (fd < 0) {
        return -1;
    }
    sockaddr_nl address{};
    address.nl_family = AF_NETLINK;
    address.nl_groups = kKernelGroup;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Only the kernel (port id 0) speaks for the devices; anything else that
// reached the socket is ignored. A socket pair's datagrams carry no address.
bool FromKernel(const sockaddr_nl& sender, socklen_t length)
{
    return length < sizeof sender || sender.nl_family != AF_NETLINK || sender.nl_pid == 0;
}

}  // namespace

UeventSocket::UeventSocket()
{
    Opener opener;
    {
        std::lock_guard lock(g_openerMutex);
        opener = g_opener;
    }
    m_fd = opener ? opener() : OpenKernelSocket();
    if (m_fd >= 0) {
        // Whatever gave it, a read must never block the UI thread.
        ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    }
}

UeventSocket::~UeventSocket()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

PortChanges UeventSocket::TakePortChanges()
{
    PortChanges changes;
    // The kernel caps a uevent at 2048 bytes of fields plus its header.
    char buffer[8192];
    for (;;) {
        sockaddr_nl sender{};
        socklen_t senderLength = sizeof sender;
        const ssize_t got = ::recvfrom(m_fd, buffer, sizeof buffer, MSG_TRUNC,
                                       reinterpret_cast<sockaddr*>(&sender), &senderLength);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            // ENOBUFS: events were dropped while nobody read; look again.
            changes.look = changes.look || errno == ENOBUFS;
            return changes;
        }
        if (got == 0) {
            return changes;  // no uevent is empty: the other end of a socket pair went away
        }
        if (static_cast<std::size_t>(got) > sizeof buffer || !FromKernel(sender, senderLength)) {
            continue;
        }
        const auto event = ParseUevent(std::string_view(buffer, static_cast<std::size_t>(got)));
        if (event && IsPortChange(*event)) {
            changes.look = true;
            if (event->action == "remove" && !event->devName.empty()) {
                changes.removed.push_back(event->devName);
            }
        }
    }
}

void UeventSocket::SetOpener(Opener opener)
{
    std::lock_guard lock(g_openerMutex);
    g_opener = std::move(opener);
}
