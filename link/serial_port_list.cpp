#include "link/serial_port_list.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

namespace fs = std::filesystem;

bool IsUsbDevice(const fs::path& device)
{
    std::error_code error;
    const fs::path subsystem = fs::read_symlink(device / "subsystem", error);
    if (error) {
        return false;
    }
    const std::string name = subsystem.filename().string();
    return name == "usb" || name == "usb-serial";
}

// The kernel lists ttyS0-31 with a device even when no UART answers there;
// only the driver knows whether one does. It publishes the UART type in
// sysfs; opening the port to ask would raise DTR/RTS on every poll of the
// port list and could reset whatever is wired to it.
bool HasKnownUart(const fs::path& classEntry, const std::string& devicePath)
{
    std::ifstream typeFile(classEntry / "type");
    int type = PORT_UNKNOWN;
    if (typeFile >> type) {
        return type != PORT_UNKNOWN;
    }
    const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errno == EBUSY;  // held exclusively by another program: it is real
    }
    serial_struct info{};
    const bool known = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    ::close(fd);
    return known;
}

}  // namespace

std::vector<std::string> ListKernelSerialPorts(const std::string& classDir,
                                               const std::string& devDir)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(classDir, error), end; !error && it != end;
         it.increment(error)) {
        const fs::path device = it->path() / "device";
        if (!fs::exists(device, error)) {
            continue;  // virtual terminals, pseudo-terminals, consoles
        }
        const std::string name = it->path().filename().string();
        if (IsUsbDevice(device) || HasKnownUart(it->path(), devDir + "/" + name)) {
            names.push_back(name);
        }
    }
    return names;
}

std::vector<std::string> ExistingPortNodes(const std::vector<std::string>& names,
                                           const std::string& devDir)
{
    std::vector<std::string> present;
    for (const std::string& name : names) {
        if (::access((devDir + "/" + name).c_str(), F_OK) == 0) {
            present.push_back(name);
        }
    }
    return present;
}

void SortPortNames(std::vector<std::string>& names)
{
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        std::size_t i = 0;
        std::size_t j = 0;
        while (i < a.size() && j < b.size()) {
            if (isDigit(a[i]) && isDigit(b[j])) {
                std::size_t iEnd = i;
                std::size_t jEnd = j;
                while (iEnd < a.size() && isDigit(a[iEnd])) {
                    ++iEnd;
                }
                while (jEnd < b.size() && isDigit(b[jEnd])) {
                    ++jEnd;
                }
                // Leading zeros aside, the longer run is the larger number.
                const std::string_view x = std::string_view(a).substr(i, iEnd - i);
                const std::string_view y = std::string_view(b).substr(j, jEnd - j);
                const std::string_view xs = x.substr(std::min(x.find_first_not_of('0'), x.size()));
                const std::string_view ys = y.substr(std::min(y.find_first_not_of('0'), y.size()));
                if (xs.size() != ys.size()) {
                    return xs.size() < ys.size();
                }
                if (xs != ys) {
                    return xs < ys;
                }
                i = iEnd;
                j = jEnd;
                continue;
            }
            if (a[i] != b[j]) {
                return a[i] < b[j];
            }
            ++i;
            ++j;
        }
        if ((a.size() - i) != (b.size() - j)) {
            return (a.size() - i) < (b.size() - j);
        }
        return a < b;  // equal up to leading zeros: any strict order
    });
}
