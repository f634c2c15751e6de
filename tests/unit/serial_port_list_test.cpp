#include "link/serial_port_list.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

TEST(SerialPortNames, SortedByNumberNotByText)
{
    std::vector<std::string> names = {"ttyS10", "ttyUSB0", "ttyS2", "ttyACM1", "ttyS0", "ttyS02",
                                      "pts/11", "pts/3"};
    SortPortNames(names);
    const std::vector<std::string> expected = {"pts/3",  "pts/11", "ttyACM1", "ttyS0",
                                               "ttyS02", "ttyS2",  "ttyS10",  "ttyUSB0"};
    EXPECT_EQ(names, expected);
}

TEST(SerialPortList, OnlyTtysWithARealDevice)
{
    char pattern[] = "/tmp/port_list_test_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const fs::path root = pattern;
    const fs::path classDir = root / "class";
    const fs::path devDir = root / "dev";
    fs::create_directories(devDir);
    fs::create_directories(root / "bus/usb-serial");
    fs::create_directories(root / "bus/usb");
    fs::create_directories(root / "bus/platform");
    // name -> subsystem of its device ("" for no device at all)
    const std::pair<const char*, const char*> ttys[] = {
        {"ttyUSB0", "usb-serial"}, {"ttyACM0", "usb"}, {"ttyS0", "platform"}, {"tty1", ""},
        {"ptmx", ""}};
    for (const auto& [name, subsystem] : ttys) {
        fs::create_directories(classDir / name);
        if (*subsystem != 0) {
            const fs::path device = root / "devices" / name;
            fs::create_directories(device);
            fs::create_directory_symlink(root / "bus" / subsystem, device / "subsystem");
            fs::create_directory_symlink(device, classDir / name / "device");
        }
        std::ofstream(devDir / name) << "";  // not a tty: no UART answers
    }
    std::vector<std::string> found = ListKernelSerialPorts(classDir.string(), devDir.string());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"ttyACM0", "ttyUSB0"}));
    EXPECT_TRUE(ListKernelSerialPorts((root / "missing").string(), devDir.string()).empty());
    fs::remove_all(root);
}

}  // namespace
