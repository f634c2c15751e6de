#include "ui/port_arguments.h"

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "link/serial.h"
#include "link/serial_port_list.h"

namespace {

// The port that "/dev/" + the result opens, or none. Only the spelling is
// looked at: an absolute path must lie under /dev, since a port is opened
// there and a node elsewhere would never be listed; ".." is refused, since it
// could lead anywhere.
std::optional<std::string> PortName(std::string_view given) {
    const bool absolute = !given.empty() && given.front() == '/';
    std::vector<std::string_view> parts;
    while (!given.empty()) {
        const std::size_t slash = std::min(given.find('/'), given.size());
        const std::string_view part = given.substr(0, slash);
        given.remove_prefix(std::min(slash + 1, given.size()));
        if (part == "..") return std::nullopt;
        if (!part.empty() && part != ".") parts.push_back(part);
    }
    if (absolute) {
        if (parts.empty() || parts.front() != "dev") return std::nullopt;
        parts.erase(parts.begin());
    }
    if (parts.empty()) return std::nullopt;
    std::string name(parts.front());
    for (auto part = parts.begin() + 1; part != parts.end(); ++part) (name += '/') += *part;
    return name;
}

}  // namespace

void NamePortsFromArguments(int argc, char** argv, std::ostream& messages) {
    std::vector<std::string> named;
    std::vector<std::string> givenAs;  // for the messages, as the user wrote it
    std::set<std::string_view> seen;
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) != "--port") continue;
        if (++i == argc) {
            messages << "--port needs a port name, such as pts/3\n";
            break;
        }
        if (!seen.insert(argv[i]).second) continue;
        const std::optional<std::string> name = PortName(argv[i]);
        if (!name) {
            messages << "not a port: " << argv[i]
                     << "; name a device under /dev, such as pts/3 or /dev/pts/3\n";
        } else if (std::find(named.begin(), named.end(), *name) == named.end()) {
            named.push_back(*name);
            givenAs.push_back(argv[i]);
        }
    }
    // A name that is not there yet stays watched, but a typing error must not
    // pass without a word.
    const std::vector<std::string> present = ExistingPortNodes(named);
    for (std::size_t i = 0; i < named.size(); ++i) {
        if (std::find(present.begin(), present.end(), named[i]) == present.end()) {
            messages << "no such port: " << givenAs[i] << "; it is listed when it appears\n";
        }
    }
    CSerial::SetNamedPorts(std::move(named));
}
