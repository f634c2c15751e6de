// A temporary application folder: GetAppDirectory() names it while it lives,
// so the settings file ParamCfg.ini a test reads and writes is its own.
#pragma once

#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "catalogue/app_directory.h"

class TempAppFolder {
public:
    // A new folder of its own; with settings, ParamCfg.ini holds them from the start.
    explicit TempAppFolder(const std::string& settings = {}) {
        std::string pattern = (std::filesystem::temp_directory_path() / "quorrel-XXXXXX").string();
        // Never fall back on a folder of no name: the settings file would be "/ParamCfg.ini".
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::system_error(errno, std::generic_category(), "mkdtemp " + pattern);
        m_path = pattern;
        SetAppDirectoryForTesting(m_path);
        if (!settings.empty()) WriteSettings(settings);
    }
    ~TempAppFolder() {
        SetAppDirectoryForTesting("");
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempAppFolder(const TempAppFolder&) = delete;
    TempAppFolder& operator=(const TempAppFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    std::string settingsPath() const { return file("ParamCfg.ini"); }
    // Replaces ParamCfg.ini, byte for byte.
    void WriteSettings(const std::string& text) const {
        std::ofstream(settingsPath(), std::ios::binary) << text;
    }

private:
    std::string m_path;
};
