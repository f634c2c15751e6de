#include "link/port_node_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::uint32_t kNodeEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

}  // namespace

PortNodeWatch::PortNodeWatch(const std::vector<std::string>& names, const std::string& devDir)
{
    if (names.empty()) {
        return;
    }
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0) {
        return;
    }
    for (const std::string& name : names) {
        const std::string path = devDir + "/" + name;
        const std::size_t slash = path.rfind('/');
        const std::string directory = path.substr(0, slash);
        // The same directory gives the same watch descriptor for every name in it.
        const int watch = ::inotify_add_watch(m_fd, directory.c_str(), kNodeEvents | IN_ONLYDIR);
        if (watch < 0) {
            ::close(m_fd);
            m_fd = -1;
            m_names.clear();
            return;
        }
        m_names.emplace(watch, Watched{name, path.substr(slash + 1)});
    }
}

PortNodeWatch::~PortNodeWatch()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

PortChanges PortNodeWatch::TakeNodeChanges()
{
    PortChanges changes;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return changes;
        }
        for (ssize_t offset = 0; offset + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
            inotify_event event;
            std::memcpy(&event, buffer + offset, sizeof event);
            const char* name = buffer + offset + sizeof event;
            offset += static_cast<ssize_t>(sizeof event + event.len);
            if (event.mask & IN_Q_OVERFLOW) {
                changes.look = true;
                continue;
            }
            const auto [first, last] = m_names.equal_range(event.wd);
            for (auto it = first; it != last && event.len > 0; ++it) {
                if (it->second.node != name) {
                    continue;
                }
                changes.look = true;
                if (event.mask & (IN_DELETE | IN_MOVED_FROM)) {
                    changes.removed.push_back(it->second.port);
                }
            }
        }
    }
}
