#include "link/uevent.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

// Datagrams as the kernel (and udev) put them on the netlink socket.
TEST(Uevent, KernelMessagesParsedAndTtyArrivalsAndRemovalsPicked) {
    const std::string usbTty =
        "/devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0/ttyUSB0/tty/ttyUSB0";
    struct Row {
        std::string datagram;
        bool parsed;
        std::string action, subsystem, devName;
        bool portChange;
    };
    // clang-format off
    const Row rows[] = {
        {"add@" + usbTty + "\0ACTION=add\0DEVPATH="s + usbTty + "\0SUBSYSTEM=tty\0MAJOR=188\0MINOR=0\0DEVNAME=ttyUSB0\0SEQNUM=2231\0"s,
         true, "add", "tty", "ttyUSB0", true},
        {"remove@/devices/virtual/tty/ttyACM0\0ACTION=remove\0SUBSYSTEM=tty\0DEVNAME=ttyACM0\0"s,
         true, "remove", "tty", "ttyACM0", true},
        // A line setting or a console change: the list stays as it was.
        {"change@/devices/pnp0/00:00/tty/ttyS0\0ACTION=change\0SUBSYSTEM=tty\0DEVNAME=ttyS0\0"s,
         true, "change", "tty", "ttyS0", false},
        // The converter itself, and the USB device: not yet (or no longer) a tty.
        {"add@/devices/usb1/1-1/1-1:1.0/ttyUSB0\0ACTION=add\0SUBSYSTEM=usb-serial\0DRIVER=ftdi_sio\0"s,
         true, "add", "usb-serial", "", false},
        {"remove@/devices/usb1/1-1\0ACTION=remove\0SUBSYSTEM=usb\0DEVNAME=bus/usb/001/005\0"s,
         true, "remove", "usb", "bus/usb/001/005", false},
        {"bind@/devices/usb1/1-1/1-1:1.0\0ACTION=bind\0SUBSYSTEM=usb\0"s, true, "bind", "usb", "", false},
        // The last field needs no zero byte after it; fields without "=" are skipped.
        {"add@/x/tty/ttyS4\0ACTION=add\0junk\0SUBSYSTEM=tty\0DEVNAME=ttyS4"s, true, "add", "tty", "ttyS4", true},
        // Not a kernel uevent, or not whole.
        {"libudev\0\xfe\xed\xca\xfe\0\0\0\0ACTION=add\0SUBSYSTEM=tty\0"s, false, "", "", "", false},
        {"add@/x/tty/ttyS4"s, false, "", "", "", false},
        {"add@/x\0SUBSYSTEM=tty\0DEVNAME=ttyS4\0"s, false, "", "", "", false},
        {"add@/x\0ACTION=add\0DEVNAME=ttyS4\0"s, false, "", "", "", false},
        {"remove@/x\0ACTION=add\0SUBSYSTEM=tty\0"s, false, "", "", "", false},
        {"@/x\0ACTION=\0SUBSYSTEM=tty\0"s, false, "", "", "", false},
        {""s, false, "", "", "", false},
    };
    // clang-format on
    for (const Row& row : rows) {
        const auto event = ParseUevent(row.datagram);
        SCOPED_TRACE(testing::PrintToString(row.datagram));
        ASSERT_EQ(event.has_value(), row.parsed);
        if (!event) continue;
        EXPECT_EQ(event->action, row.action);
        EXPECT_EQ(event->subsystem, row.subsystem);
        EXPECT_EQ(event->devName, row.devName);
        EXPECT_EQ(IsPortChange(*event), row.portChange);
    }
}
