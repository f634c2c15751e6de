// "--port NAME" (repeatable) adds a port the kernel does not list, such as
// the pseudo-terminal of quorrel-sim, to the port list while its device node
// exists; so its removal is noticed like an unplugged adapter.
#pragma once

#include <ostream>

// Names the ports of the command line (CSerial::SetNamedPorts), each once. A
// name is a device under /dev, given as "pts/3" or "/dev/pts/3"; either is
// listed as "pts/3". Writes one line to `messages` for each name that names
// no device under /dev (not watched), each name whose node is not there yet
// (watched), and a "--port" without a name.
void NamePortsFromArguments(int argc, char** argv, std::ostream& messages);
