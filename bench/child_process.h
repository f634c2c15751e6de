// Timing a fresh process of the benchmark itself, and the median of a sample.
#pragma once

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

// Starts self with args and its standard output on a pipe; the milliseconds
// from the start to its first output, when that begins with expected, else -1.
// Waits for the child to end.
inline double MsUntilChildSays(const std::string& self, std::vector<std::string> args,
                               const char* expected) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::vector<char*> argv{const_cast<char*>(self.c_str())};
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    char buffer[32] = {};
    const ssize_t got = spawned == 0 ? read(fds[0], buffer, sizeof buffer - 1) : -1;
    const auto end = std::chrono::steady_clock::now();
    close(fds[0]);
    int status = 0;
    if (spawned == 0) waitpid(pid, &status, 0);
    if (got <= 0 || std::strncmp(buffer, expected, std::strlen(expected)) != 0) return -1;
    return std::chrono::duration<double, std::milli>(end - start).count();
}

inline double Median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}
