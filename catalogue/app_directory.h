#pragma once

#include <string>

// The folder of the running executable (from /proc/self/exe), without a
// trailing "/"; "" when the path cannot be read. ParamCfg.ini lies there.
// Thread-safe.
std::string GetAppDirectory();

// The settings file, ParamCfg.ini in GetAppDirectory().
std::string GetSettingsFilePath();

// Makes GetAppDirectory return `folder` instead, so tests can point the
// settings file at a temporary folder; an empty string restores the real one.
void SetAppDirectoryForTesting(std::string folder);

// The text before the last "/" of `path`; the whole text when it has none.
// So an executable in the root folder ("/quorrel") gives "".
std::string FolderOfPath(const std::string& path);
