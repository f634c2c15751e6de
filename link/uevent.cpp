#include "link/uevent.h"

std::optional<Uevent> ParseUevent(std::string_view datagram)
{
    const std::size_t headerEnd = datagram.find('\0');
    const std::string_view header = datagram.substr(0, headerEnd);
    const std::size_t at = header.find('@');
    if (at == std::string_view::npos || at == 0 || headerEnd == std::string_view::npos) {
        return std::nullopt;
    }
    Uevent event;
    bool hasAction = false;
    bool hasSubsystem = false;
    std::string_view rest = datagram.substr(headerEnd + 1);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\0');
        const std::string_view field = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        const std::size_t equals = field.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = field.substr(0, equals);
        const std::string_view value = field.substr(equals + 1);
        if (key == "ACTION") {
            event.action = value;
            hasAction = true;
        } else if (key == "SUBSYSTEM") {
            event.subsystem = value;
            hasSubsystem = true;
        } else if (key == "DEVNAME") {
            event.devName = value;
        }
    }
    if (!hasAction || !hasSubsystem || header.substr(0, at) != event.action) {
        return std::nullopt;
    }
    return event;
}

bool IsPortChange(const Uevent& event)
{
    return event.subsystem == "tty" && (event.action == "add" || event.action == "remove");
}
