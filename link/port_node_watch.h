// Notices the device nodes of named ports ("/dev/" + name) appearing and
// vanishing. A pseudo-terminal has no kernel device event: its node under
// /dev/pts comes with the master's open and goes with the master's close,
// even while the slave is held open, and only its directory reports that.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "link/port_changes.h"

class PortNodeWatch {
public:
    // Watches the directory of each name's node (not the node itself: a node
    // that vanishes while held open reports nothing of its own). valid() is
    // false when there is nothing to watch or inotify cannot watch it.
    explicit PortNodeWatch(const std::vector<std::string>& names,
                           const std::string& devDir = "/dev");
    ~PortNodeWatch();
    PortNodeWatch(const PortNodeWatch&) = delete;
    PortNodeWatch& operator=(const PortNodeWatch&) = delete;

    bool valid() const { return m_fd >= 0; }
    // Readable when events wait; for poll() or a socket notifier.
    int fd() const { return m_fd; }

    // Reads every waiting event without blocking. A look is due when one was
    // about a watched name, or when the kernel dropped events. Other entries
    // of the same directory (every new terminal window makes one under
    // /dev/pts) count for nothing.
    PortChanges TakeNodeChanges();

private:
    struct Watched {
        std::string port;  // as named: "pts/3"
        std::string node;  // its entry in the watched directory: "3"
    };
    int m_fd = -1;
    std::multimap<int, Watched> m_names;  // by watch descriptor
};
