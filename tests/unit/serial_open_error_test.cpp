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

TEST(SerialOpenError, OneLineInTheInterfaceLanguagePerOutcome) {
    // clang-format off
    const std::tuple<OpenFailure, std::string, std::string, std::string> rows[] = {
        {{OpenError::PermissionDenied, EACCES}, "dialout",
         "permission denied: the port belongs to group dialout; add yourself with "
         "\"sudo usermod -aG dialout $USER\", then log out and in again",
         "没有权限：该端口属于 dialout 组；用 \"sudo usermod -aG dialout $USER\" 把自己加入该组，"
         "然后注销并重新登录"},
        {{OpenError::PermissionDenied, EACCES}, "uucp",
         "permission denied: the port belongs to group uucp; add yourself with "
         "\"sudo usermod -aG uucp $USER\", then log out and in again",
         "没有权限：该端口属于 uucp 组；用 \"sudo usermod -aG uucp $USER\" 把自己加入该组，"
         "然后注销并重新登录"},
        {{OpenError::PermissionDenied, EACCES}, "root",
         "permission denied: the port is not open to your user", "没有权限：该端口不对您的用户开放"},
        {{OpenError::PermissionDenied, EACCES}, "",
         "permission denied: the port is not open to your user", "没有权限：该端口不对您的用户开放"},
        {{OpenError::Busy, EBUSY}, "dialout",
         "the port is in use by another program; close it there and try again",
         "端口正被另一个程序使用；请在那里关闭后重试"},
        {{OpenError::NoSuchDevice, ENOENT}, "",
         "no such serial port: it was unplugged, or the name is wrong",
         "没有这个串口：它已被拔出，或名称有误"},
        {{OpenError::SettingsRefused, EINVAL}, "",
         "the port refused the line settings; choose others under Options, Comm Settings "
         "(Linux has no 1.5 stop bits)",
         "端口拒绝了这些线路设置；请在 选项 > 串口设置 中另选（Linux 没有 1.5 停止位）"},
        {{OpenError::AlreadyOpen, 0}, "", "another port was open; it is closed now",
         "另一个端口原已打开，现已关闭"},
        {{OpenError::Other, EMFILE}, "", "the system reported: Too many open files",
         "系统报告：Too many open files"},
    };
    // clang-format on
    for (const auto& [failure, group, english, chinese] : rows) {
        EXPECT_EQ(DescribeOpenFailure(failure, group, 1), english) << group;
        EXPECT_EQ(DescribeOpenFailure(failure, group, 0), english) << group;
        EXPECT_EQ(DescribeOpenFailure(failure, group, 2), chinese) << group;
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
