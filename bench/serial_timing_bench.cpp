// How closely CSerial keeps its read time-outs, how fast the abort event ends
// a read, and what a blocked read costs in CPU, over a pseudo-terminal.
// Targets: time-out error and abort latency <= 5 ms, CPU of a 1 s blocked read
// <= 1 ms.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/app_directory.h"
#include "link/serial.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kRuns = 50;

double MsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

void Report(const char* what, std::vector<double> values, double target)
{
    std::sort(values.begin(), values.end());
    const double median = values[values.size() / 2];
    const double worst = std::max(std::abs(values.front()), std::abs(values.back()));
    std::printf("%-38s median %7.3f ms  worst %7.3f ms  (target <= %.0f ms) %s\n", what, median,
                worst, target, worst <= target ? "ok" : "MISSED");
}

double ThreadCpuMs()
{
    rusage usage{};
    ::getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 +
           usage.ru_stime.tv_sec * 1e3 + usage.ru_stime.tv_usec / 1e3;
}

struct Bench {
    int master = -1;
    std::string port;
    std::string dir;
    CSerial serial;

    bool Start()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
            return false;
        }
        port = std::string(::ptsname(master)).substr(5);
        char pattern[] = "/tmp/serial_bench_XXXXXX";
        if (::mkdtemp(pattern) == nullptr) {
            return false;
        }
        dir = pattern;
        SetAppDirectoryForTesting(dir);
        return serial.Open(port, 115200, 8, 0, 0);
    }
    ~Bench()
    {
        serial.Close();
        if (master >= 0) {
            ::close(master);
        }
        if (!dir.empty()) {
            std::filesystem::remove_all(dir);
        }
    }
    void Timeouts(std::uint32_t interval, std::uint32_t constant)
    {
        COMMTIMEOUTS t = serial.GetTimeouts();
        t.ReadIntervalTimeout = interval;
        t.ReadTotalTimeoutMultiplier = 0;
        t.ReadTotalTimeoutConstant = constant;
        serial.SetTimeouts(t);
    }
};

}  // namespace

int main()
{
    Bench bench;
    if (!bench.Start()) {
        std::fprintf(stderr, "cannot open a pseudo-terminal\n");
        return 1;
    }
    char buffer[256];

    // Total time-out: nothing arrives, the read ends after the constant.
    bench.Timeouts(0, 20);
    std::vector<double> errors;
    for (int i = 0; i < kRuns; ++i) {
        const Clock::time_point start = Clock::now();
        bench.serial.Read(buffer, sizeof buffer);
        errors.push_back(MsBetween(start, Clock::now()) - 20.0);
    }
    Report("total time-out error (20 ms)", errors, 5);

    // Interval time-out: a few bytes, then silence.
    bench.Timeouts(20, 5000);
    errors.clear();
    for (int i = 0; i < kRuns; ++i) {
        if (::write(bench.master, "OK\r\n", 4) != 4) {
            return 1;
        }
        std::this_thread::sleep_for(2ms);  // let the bytes cross the pseudo-terminal
        const Clock::time_point start = Clock::now();
        bench.serial.Read(buffer, sizeof buffer);
        errors.push_back(MsBetween(start, Clock::now()) - 20.0);
    }
    Report("interval time-out error (20 ms)", errors, 5);

    // Abort latency: from Set to Read's return.
    bench.Timeouts(0, 10000);
    std::vector<double> latencies;
    for (int i = 0; i < kRuns; ++i) {
        Clock::time_point returned;
        std::thread worker([&] {
            char local[64];
            bench.serial.Read(local, sizeof local);
            returned = Clock::now();
        });
        std::this_thread::sleep_for(5ms);  // the worker is waiting by now
        const Clock::time_point set = Clock::now();
        bench.serial.m_hAbort.Set();
        worker.join();
        bench.serial.m_hAbort.Reset();
        latencies.push_back(MsBetween(set, returned));
    }
    Report("abort latency", latencies, 5);

    // CPU time of a read blocked for a whole second.
    bench.Timeouts(0, 1000);
    double cpu = 0;
    double elapsed = 0;
    std::thread reader([&] {
        const double before = ThreadCpuMs();
        const Clock::time_point start = Clock::now();
        char local[64];
        bench.serial.Read(local, sizeof local);
        elapsed = MsBetween(start, Clock::now());
        cpu = ThreadCpuMs() - before;
    });
    reader.join();
    std::printf("%-38s %7.3f ms CPU over %.1f ms  (target <= 1 ms) %s\n",
                "CPU of a read blocked for 1 s", cpu, elapsed, cpu <= 1.0 ? "ok" : "MISSED");
    return 0;
}
