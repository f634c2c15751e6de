#include "link/serial_port_list.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

TEST(SerialPortList, OnlyTtysWithARealDeviceSortedByNumber) {
    Names names = {"ttyS10", "ttyUSB0", "ttyS2", "ttyACM1", "ttyS0", "ttyS02", "pts/11", "pts/3"};
    SortPortNames(names);
    EXPECT_EQ(names, (Names{"pts/3", "pts/11", "ttyACM1", "ttyS0", "ttyS02", "ttyS2", "ttyS10",
                            "ttyUSB0"}));

    // A fake /sys/class/tty: name -> subsystem of its device ("" for none).
    char pattern[] = "/tmp/port_list_test_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const fs::path root = pattern, dev = root / "dev", tty = root / "class";
    fs::create_directories(dev);
    // clang-format off
    for (const auto& [name, subsystem] : {std::pair{"ttyUSB0", "usb-serial"}, {"ttyACM0", "usb"},
             {"ttyS0", "platform"}, {"ttyS1", "platform"}, {"ttyS2", "platform"}, {"tty1", ""},
             {"ptmx", ""}}) {
        // clang-format on
        fs::create_directories(tty / name);
        if (*subsystem) {
            fs::create_directories(root / "bus" / subsystem);
            fs::create_directories(root / "devices" / name);
            fs::create_directory_symlink(root / "bus" / subsystem,
                                         root / "devices" / name / "subsystem");
            fs::create_directory_symlink(root / "devices" / name, tty / name / "device");
        }
        std::ofstream(dev / name) << "";  // not a tty: no UART answers
    }
    // The kernel's UART type decides without opening the port: 4 is a 16550A.
    std::ofstream(tty / "ttyS1" / "type") << "4\n";
    std::ofstream(tty / "ttyS2" / "type") << "0\n";
    Names found = ListKernelSerialPorts(tty.string(), dev.string());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (Names{"ttyACM0", "ttyS1", "ttyUSB0"}));
    EXPECT_TRUE(ListKernelSerialPorts((root / "missing").string(), dev.string()).empty());
    fs::remove_all(root);
}
