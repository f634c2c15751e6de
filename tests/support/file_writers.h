// The two writers of whole files (an export and the settings file), and what
// the tests of saving need around them: the file's bytes, a folder's names,
// and another user played by a forked child.
#pragma once

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "platform/replace_file.h"

struct Writer {
    const char* name;
    std::function<FileWriteFailure(const std::string& path, const std::string& text)> write;
};

inline const Writer kWriters[] = {
    {"export",
     [](const std::string& path, const std::string& text) { return ReplaceFileWhole(path, text); }},
    {"settings",
     [](const std::string& path, const std::string& text) {
         FileWriteFailure failure;
         const bool written = WriteProfileString("CONFIG", "Data", text, path, &failure);
         EXPECT_EQ(written, failure.step == FileWriteStep::kNone);
         return failure;
     }},
};

inline std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return (std::ostringstream() << in.rdbuf()).str();
}

inline void Put(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// How a child ended: its exit code, or 128 + the signal that ended it; -1 when
// it could not be waited for.
inline int Waited(pid_t child) {
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) return -1;
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

// Runs fn in a child process as another user, with supplementary groups; no user
// need exist. The child's exit code (0 when fn held), or 128 + the signal that ended it.
inline int RunAs(uid_t uid, gid_t gid, std::vector<gid_t> groups, const std::function<bool()>& fn) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(groups.size(), groups.data()) != 0 || ::setresgid(gid, gid, gid) != 0 ||
            ::setresuid(uid, uid, uid) != 0)
            ::_exit(2);
        ::_exit(fn() ? 0 : 1);
    }
    return Waited(child);
}
