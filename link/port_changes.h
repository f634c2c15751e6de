// What an event source tells the port watcher after it was read.
#pragma once

#include <string>
#include <vector>

struct PortChanges {
    // The port list needs a fresh look: a port came or went, or events were lost.
    bool look = false;
    // Ports reported gone by name. One look may find such a name listed again
    // (pulled and plugged back, or a pty number handed out anew): it still went.
    std::vector<std::string> removed;
};
