#include "catalogue/app_directory.h"

#include <unistd.h>

#include <mutex>
#include <utility>
#include <vector>

namespace {

std::string ReadExecutablePath() {
    // readlink does not say whether it truncated, so grow until it fits.
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return std::string();
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::mutex g_overrideMutex;
std::string g_override;

}  // namespace

std::string FolderOfPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(0, slash);
}

std::string GetAppDirectory() {
    {
        std::lock_guard<std::mutex> lock(g_overrideMutex);
        if (!g_override.empty()) {
            return g_override;
        }
    }
    // The executable does not move while the process runs.
    static const std::string folder = FolderOfPath(ReadExecutablePath());
    return folder;
}

std::string GetSettingsFilePath() { return GetAppDirectory() + "/ParamCfg.ini"; }

void SetAppDirectoryForTesting(std::string folder) {
    std::lock_guard<std::mutex> lock(g_overrideMutex);
    g_override = std::move(folder);
}
