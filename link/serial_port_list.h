// The kernel's serial ports: ttys under /sys/class/tty with a real device
// behind them.
#pragma once

#include <string>
#include <vector>

// Names (e.g. ttyUSB0, ttyACM0, ttyS0) of the ttys under classDir that have
// a device: USB serial and ACM always; any other (platform, PNP, PCI UARTs)
// only when "devDir/<name>" answers TIOCGSERIAL with a known UART type, or is
// busy (held open by another program), because the kernel registers ttyS0-31
// whether or not a UART is there. Unsorted.
std::vector<std::string> ListKernelSerialPorts(const std::string& classDir = "/sys/class/tty",
                                               const std::string& devDir = "/dev");

// Sorts names so that a run of digits compares by its value: ttyS2 < ttyS10.
void SortPortNames(std::vector<std::string>& names);

// The names whose device node, devDir + "/" + name, exists; in their order.
std::vector<std::string> ExistingPortNodes(const std::vector<std::string>& names,
                                           const std::string& devDir = "/dev");
