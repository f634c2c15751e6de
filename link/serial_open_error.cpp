#include "link/serial_open_error.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <vector>

OpenFailure DecodeSystemError(int error)
{
    switch (error) {
    case 0:
        return {OpenError::None, 0};
    case EACCES:
    case EPERM:
        return {OpenError::PermissionDenied, error};
    // EBUSY: opened exclusively (TIOCEXCL) elsewhere; EWOULDBLOCK: our own
    // lock, held by another copy of the tool.
    case EBUSY:
    case EWOULDBLOCK:
        return {OpenError::Busy, error};
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
    case ENOTTY:
    case EIO:
        return {OpenError::NoSuchDevice, error};
    case EINVAL:
        return {OpenError::SettingsRefused, error};
    default:
        return {OpenError::Other, error};
    }
}

std::string DescribeOpenFailure(const OpenFailure& failure, const std::string& group,
                                int language)
{
    const bool chinese = language == 2;
    switch (failure.error) {
    case OpenError::None:
        return "";
    case OpenError::PermissionDenied:
        // Adding a user to root's group would be bad advice.
        if (group.empty() || group == "root") {
            return chinese ? "没有权限：该端口不对您的用户开放"
                           : "permission denied: the port is not open to your user";
        }
        if (chinese) {
            return "没有权限：该端口属于 " + group + " 组；用 \"sudo usermod -aG " + group +
                   " $USER\" 把自己加入该组，然后注销并重新登录";
        }
        return "permission denied: the port belongs to group " + group +
               "; add yourself with \"sudo usermod -aG " + group +
               " $USER\", then log out and in again";
    case OpenError::Busy:
        return chinese ? "端口正被另一个程序使用；请在那里关闭后重试"
                       : "the port is in use by another program; close it there and try again";
    case OpenError::NoSuchDevice:
        return chinese ? "没有这个串口：它已被拔出，或名称有误"
                       : "no such serial port: it was unplugged, or the name is wrong";
    case OpenError::SettingsRefused:
        return chinese ? "端口拒绝了这些线路设置；请在 选项 > 串口设置 中另选"
                         "（Linux 没有 1.5 停止位）"
                       : "the port refused the line settings; choose others under Options, "
                         "Comm Settings (Linux has no 1.5 stop bits)";
    case OpenError::AlreadyOpen:
        return chinese ? "另一个端口原已打开，现已关闭" : "another port was open; it is closed now";
    case OpenError::Other:
        break;
    }
    return (chinese ? "系统报告：" : "the system reported: ") +
           std::generic_category().message(failure.systemError);
}

std::string DeviceNodeGroup(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return "";
    }
    long size = ::sysconf(_SC_GETGR_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 1024);
    group entry{};
    group* found = nullptr;
    int error = 0;
    while ((error = ::getgrgid_r(info.st_gid, &entry, buffer.data(), buffer.size(), &found)) ==
               ERANGE &&
           buffer.size() < (1u << 20)) {
        buffer.resize(buffer.size() * 2);
    }
    return error == 0 && found != nullptr ? std::string(found->gr_name) : std::string();
}
