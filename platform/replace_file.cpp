#include "platform/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/file_identity.h"
#include "platform/write_all.h"
#include "platform/write_fault.h"
#include "platform/write_in_place.h"
#include "platform/write_steps.h"

namespace {

// As the kernel's own bound on a chain of links.
constexpr int kMaxLinkHops = 40;

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A name beside the target that nobody else uses; the caller creates it with
// O_EXCL, so a clash only costs another try. The target's own name is
// shortened where the suffix would take the whole past the longest name the
// folder allows.
std::string TemporaryName(const std::string& target, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%ld.%x%x.tmp", static_cast<long>(::getpid()),
                  static_cast<unsigned>(now) ^ attempt, counter.fetch_add(1));
    const std::size_t slash = target.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const long folderLimit = ::pathconf(FolderOf(target).c_str(), _PC_NAME_MAX);
    const std::size_t limit = folderLimit > 0 ? static_cast<std::size_t>(folderLimit) : NAME_MAX;
    const std::size_t room = limit > std::strlen(suffix) ? limit - std::strlen(suffix) : 0;
    std::size_t keep = target.size() - nameStart;
    if (keep > room) {
        keep = room;
        // Never half a character: the name may be shown.
        while (keep > 0 && (static_cast<unsigned char>(target[nameStart + keep]) & 0xC0) == 0x80) {
            --keep;
        }
    }
    return target.substr(0, nameStart + keep) + suffix;
}

int CreateTemporary(const std::string& target, std::string& name, int& error) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        name = TemporaryName(target, attempt);
        // 0666: the kernel applies the umask, as it does for fopen's new file.
        const int fd =
            ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0) {
            return fd;
        }
        if (errno != EEXIST) {
            error = errno;
            return -1;
        }
    }
    error = EEXIST;
    return -1;
}

// The kernel's protected_symlinks rule: in a sticky folder that everybody
// may write, a link is followed only by its owner or when the folder's owner
// owns it too. The link's own info is given; its folder is looked at here.
bool MayFollow(const struct stat& link, const std::string& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) return false;
    const bool shared = (info.st_mode & S_ISVTX) != 0 && (info.st_mode & S_IWOTH) != 0;
    return !shared || link.st_uid == ::geteuid() || link.st_uid == info.st_uid;
}

// The rename is on the disk only once the folder is: without this a power cut
// can bring back the old file after the tool said it saved the new one.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

FileWriteFailure ResolveWriteTarget(const std::string& path, std::string& target) {
    target = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return {};  // a file, a folder, or nothing yet: the write decides
        }
        if (!MayFollow(info, FolderOf(target))) {
            return {FileWriteStep::kUnsafeLink, EACCES};
        }
        std::vector<char> buffer(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) +
                                 1);
        const ssize_t n = ::readlink(target.c_str(), buffer.data(), buffer.size());
        if (n < 0) {
            return {FileWriteStep::kOpen, errno};
        }
        if (static_cast<std::size_t>(n) >= buffer.size()) {
            return {FileWriteStep::kOpen, ENAMETOOLONG};  // the link changed while it was read
        }
        const std::string link(buffer.data(), static_cast<std::size_t>(n));
        if (link.empty()) {
            return {FileWriteStep::kOpen, ENOENT};
        }
        target = (link.front() == '/') ? link : FolderOf(target) + "/" + link;
    }
    return {FileWriteStep::kOpen, ELOOP};
}

FileWriteFailure ReplaceFileWhole(const std::string& path, std::string_view content) {
    std::string target;
    if (const FileWriteFailure resolved = ResolveWriteTarget(path, target);
        resolved.step != FileWriteStep::kNone) {
        return resolved;
    }
    int error = 0;
    struct stat info {};
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (!exists && errno != ENOENT) {
        return {FileWriteStep::kOpen, errno};
    }
    if (exists) {
        if (S_ISDIR(info.st_mode)) {
            return {FileWriteStep::kOpen, EISDIR};
        }
        // A rename would replace a device or a pipe with a plain file.
        if (!S_ISREG(info.st_mode)) {
            return {FileWriteStep::kOpen, EINVAL};
        }
        // access() lets root write anything, so the mode is looked at first.
        if ((info.st_mode & 0222) == 0) {
            return {FileWriteStep::kReadOnly, EACCES};
        }
        if (::access(target.c_str(), W_OK) != 0) {
            return {FileWriteStep::kReadOnly, errno};
        }
    }

    // A rename makes another file: it serves only where the new file can be
    // the old one in all that others see of it. Else the file is written
    // where it stands, which also serves a folder this user may not write.
    if (exists && (info.st_nlink > 1 || (::geteuid() != 0 && ::geteuid() != info.st_uid))) {
        return WriteInPlace(target, content);
    }
    std::string temp;
    const int fd = CreateTemporary(target, temp, error);
    if (fd < 0) {
        return exists ? WriteInPlace(target, content)
                      : FileWriteFailure{FileWriteStep::kOpen, error};
    }
    if (exists && !TakeOverIdentity(fd, target, info)) {
        ::close(fd);
        ::unlink(temp.c_str());
        return WriteInPlace(target, content);
    }
    bool ok = !InjectWriteFault(WriteStage::kWrite, error) && WriteAll(fd, content, error) &&
              Flush(fd, error);
    int closeError = 0;
    if (!Close(fd, closeError) && ok) {
        error = closeError;
        ok = false;
    }
    if (ok && InjectWriteFault(WriteStage::kRename, error)) {
        ok = false;
    } else if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        error = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return {FileWriteStep::kWrite, error};
    }
    SyncFolder(FolderOf(target));
    return {};
}
