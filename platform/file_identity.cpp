#include "platform/file_identity.h"

#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <vector>

namespace {

// The names of a file's extended attributes, NUL-separated as the kernel
// lists them; empty where the file system keeps none. Nothing on an error.
template <typename List>
std::optional<std::vector<std::string>> AttributeNames(List list) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        const ssize_t size = list(nullptr, 0);
        if (size < 0) {
            if (errno == ENOTSUP) return std::vector<std::string>{};
            return std::nullopt;
        }
        std::vector<char> buffer(static_cast<std::size_t>(size) + 1);
        const ssize_t got = list(buffer.data(), buffer.size());
        if (got < 0 && errno == ERANGE) continue;  // they grew in between
        if (got < 0) return std::nullopt;
        std::vector<std::string> names;
        for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
            const std::string name(buffer.data() + at);
            at += name.size() + 1;
            if (!name.empty()) names.push_back(name);
        }
        return names;
    }
    return std::nullopt;
}

std::optional<std::string> AttributeValue(const std::string& path, const std::string& name) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        const ssize_t size = ::lgetxattr(path.c_str(), name.c_str(), nullptr, 0);
        if (size < 0) return std::nullopt;
        std::string value(static_cast<std::size_t>(size), '\0');
        const ssize_t got = ::lgetxattr(path.c_str(), name.c_str(), value.data(), value.size());
        if (got < 0 && errno == ERANGE) continue;
        if (got < 0) return std::nullopt;
        value.resize(static_cast<std::size_t>(got));
        return value;
    }
    return std::nullopt;
}

// The old file's attributes onto the new one, and none that the new one got
// of its own (a folder's default access list gives a new file one).
bool CopyAttributes(int fd, const std::string& old) {
    const auto oldNames = AttributeNames(
        [&](char* list, std::size_t size) { return ::llistxattr(old.c_str(), list, size); });
    if (!oldNames) return false;
    for (const std::string& name : *oldNames) {
        const std::optional<std::string> value = AttributeValue(old, name);
        if (!value || ::fsetxattr(fd, name.c_str(), value->data(), value->size(), 0) != 0) {
            return false;
        }
    }
    const auto newNames =
        AttributeNames([&](char* list, std::size_t size) { return ::flistxattr(fd, list, size); });
    if (!newNames) return false;
    for (const std::string& name : *newNames) {
        if (std::find(oldNames->begin(), oldNames->end(), name) == oldNames->end() &&
            ::fremovexattr(fd, name.c_str()) != 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool TakeOverIdentity(int fd, const std::string& old, const struct stat& oldInfo) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return false;
    // Only root may give a file away; anyone may hand a file of theirs to one
    // of their groups. The owner comes first: changing it may clear set-id
    // bits that the mode then puts back.
    if (::geteuid() == 0) {
        if (::fchown(fd, oldInfo.st_uid, oldInfo.st_gid) != 0) return false;
    } else if (info.st_uid != oldInfo.st_uid) {
        return false;
    } else if (info.st_gid != oldInfo.st_gid && ::fchown(fd, -1, oldInfo.st_gid) != 0) {
        return false;
    }
    // The access list sets the group bits of the mode to its mask, which the
    // old file's mode already shows; the mode is set again after it all the
    // same, for a list removed from the new file.
    const mode_t mode = oldInfo.st_mode & 07777;
    if (::fchmod(fd, mode) != 0 || !CopyAttributes(fd, old) || ::fchmod(fd, mode) != 0) {
        return false;
    }
    // The kernel drops a set-group-id bit silently where it may not be set.
    return ::fstat(fd, &info) == 0 && info.st_uid == oldInfo.st_uid &&
           info.st_gid == oldInfo.st_gid && (info.st_mode & 07777) == mode;
}
