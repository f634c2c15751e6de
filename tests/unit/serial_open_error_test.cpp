#include "link/serial_open_error.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <string>

TEST(SerialOpenError, ErrnoBecomesTheOutcomeAUserCanActOn) {
    // clang-format off
    const std::pair<int, OpenError> rows[] = {
        {0, OpenError::None},
        {EACCES, OpenError::PermissionDenied},   {EPERM, OpenError::PermissionDenied},
        {EBUSY, OpenError::Busy},                {EWOULDBLOCK, OpenError::Busy},
        {ENOENT, OpenError::NoSuchDevice},       {ENODEV, OpenError::NoSuchDevice},
        {ENXIO, OpenError::NoSuchDevice},        {ENOTDIR, OpenError::NoSuchDevice},
        {ENOTTY, OpenError::NoSuchDevice},       {EIO, OpenError::NoSuchDevice},
        {EINVAL, OpenError::SettingsRefused},    {EMFILE, OpenError::Other},
    };
    // clang-format on
    for (const auto& [error, outcome] : rows) {
        const OpenFailure failure = DecodeSystemError(error);
        EXPECT_EQ(failure.error, outcome) << error;
        EXPECT_EQ(failure.systemError, error) << error;
    }
}

TEST(SerialOpenError, OneLineOfPlainEnglishPerOutcome) {
    // clang-format off
    const std::tuple<OpenFailure, std::string, std::string> rows[] = {
        {{OpenError::PermissionDenied, EACCES}, "dialout",
         "permission denied: the port belongs to group dialout; add yourself with "
         "\"sudo usermod -aG dialout $USER\", then log out and in again"},
        {{OpenError::PermissionDenied, EACCES}, "uucp",
         "permission denied: the port belongs to group uucp; add yourself with "
         "\"sudo usermod -aG uucp $USER\", then log out and in again"},
        {{OpenError::PermissionDenied, EACCES}, "root",
         "permission denied: the port is not open to your user"},
        {{OpenError::PermissionDenied, EACCES}, "", "permission denied: the port is not open to your user"},
        {{OpenError::Busy, EBUSY}, "dialout",
         "the port is in use by another program; close it there and try again"},
        {{OpenError::NoSuchDevice, ENOENT}, "", "no such serial port: it was unplugged, or the name is wrong"},
        {{OpenError::SettingsRefused, EINVAL}, "",
         "the port refused the line settings; choose others under Options, Comm Settings "
         "(Linux has no 1.5 stop bits)"},
        {{OpenError::AlreadyOpen, 0}, "", "another port was open; it is closed now"},
        {{OpenError::Other, EMFILE}, "", "the system reported: Too many open files"},
    };
    // clang-format on
    for (const auto& [failure, group, line] : rows) {
        EXPECT_EQ(DescribeOpenFailure(failure, group), line) << group;
    }
}

TEST(SerialOpenError, GroupOfTheDeviceNode) {
    char path[] = "/tmp/node_group_XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    const group* own = ::getgrgid(::getegid());
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(DeviceNodeGroup(path), own->gr_name);
    ::unlink(path);
    EXPECT_EQ(DeviceNodeGroup(path), "") << "gone";
}
