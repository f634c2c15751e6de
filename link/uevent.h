// The kernel's device events (uevents) as they arrive on its netlink socket:
// a header "ACTION@DEVPATH", then KEY=VALUE fields, each ended by a zero byte.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct Uevent {
    std::string action;     // ACTION: "add", "remove", "change", "bind", ...
    std::string subsystem;  // SUBSYSTEM: "tty", "usb", "usb-serial", ...
    std::string devName;    // DEVNAME: the node below /dev ("ttyUSB0"); empty when none
};

// Nothing for a datagram that is not a kernel uevent: udev's own messages
// (they begin with "libudev"), a header without "@", a header whose action
// differs from ACTION, or one without ACTION or SUBSYSTEM.
std::optional<Uevent> ParseUevent(std::string_view datagram);

// A serial port may have come or gone: a tty added or removed. Other events
// (a "change" of a tty, anything of another subsystem) leave the port list as
// it was.
bool IsPortChange(const Uevent& event);
