#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "link/serial.h"
#include "link/serial_port_list.h"
#include "platform/file_size_signal.h"
#include "ui/fenwold_app.h"

CFenwoldApp theApp;

namespace {

// "--port NAME" (repeatable) adds a port the kernel does not list, such as
// the pseudo-terminal of quorrel-sim, to the port list while its device node
// exists; so its removal is noticed like an unplugged adapter.
void AddPortsFromArguments(int argc, char** argv) {
    std::vector<std::string> named;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--port") == 0) named.push_back(argv[++i]);
    }
    // A name that is not there yet stays watched, but a typing error must not
    // pass without a word.
    const std::vector<std::string> present = ExistingPortNodes(named);
    std::set<std::string> told;
    for (const std::string& name : named) {
        if (std::find(present.begin(), present.end(), name) == present.end() &&
            told.insert(name).second) {
            std::fprintf(stderr, "no such port: %s; it is listed when it appears\n", name.c_str());
        }
    }
    CSerial::SetNamedPorts(std::move(named));
}

}  // namespace

int main(int argc, char** argv) {
    IgnoreFileSizeSignal();
    QApplication app(argc, argv);
    AddPortsFromArguments(argc, argv);
    theApp.InitInstance();
    return 0;
}
