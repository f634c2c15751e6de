// Port watcher figures:
//  - latency from a port's arrival or removal to its delivery to a window,
//    through the kernel's event path (a fake event source fed by another
//    thread) and through a named pseudo-terminal's device node;
//  - wake-ups of an idle process over a span: the tool's main window and a
//    plain Qt window, each a child process, counted as the voluntary and
//    involuntary context switches of all its threads (/proc/PID/task/*/status).
//
//   port_watch_bench [--idle-seconds N] [--quorrel PATH] [--port NAME]
// Runs with whatever QT_QPA_PLATFORM says (offscreen, or xcb under Xvfb).
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/child_process.h"
#include "link/serial.h"
#include "tests/support/fake_uevents.h"
#include "tests/support/pty.h"
#include "ui/port_watcher.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void Report(const char* what, const std::vector<double>& ms) {
    if (ms.empty()) {
        std::printf("%s: no deliveries\n", what);
        return;
    }
    std::printf("%s: median %.2f ms, max %.2f ms (%zu)\n", what, Median(ms),
                *std::max_element(ms.begin(), ms.end()), ms.size());
}

// When each "+name" / "-name" was delivered.
class DeliveryClock : public DeviceChangeListener {
public:
    bool OnDeviceChange(unsigned event, const DeviceBroadcast* data) override {
        std::lock_guard lock(m_mutex);
        m_at[(event == DBT_DEVICEARRIVAL ? "+" : "-") + data->portName].push_back(Clock::now());
        return true;
    }
    std::vector<Clock::time_point> Take(const std::string& key) {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_at[key], {});
    }

private:
    std::mutex m_mutex;
    std::map<std::string, std::vector<Clock::time_point>> m_at;
    DeviceChangeRegistration m_registration{this};
};

// Runs the UI thread's event loop until done() or the bound passes.
bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds bound) {
    const auto end = Clock::now() + bound;
    while (!done() && Clock::now() < end) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    return done();
}

// Another thread makes the change while the UI thread sleeps in its loop.
template <class Change>
std::vector<double> MeasureRounds(int rounds, DeliveryClock& clock, const Change& change) {
    std::vector<double> latencies;
    for (int round = 0; round < rounds; ++round) {
        Clock::time_point made;
        std::string key;
        std::thread maker([&] {
            std::this_thread::sleep_for(20ms);
            key = change(round, made);
        });
        bool got = false;
        RunUntil(
            [&] {
                if (key.empty()) return false;
                const auto at = clock.Take(key);
                if (!at.empty()) latencies.push_back(Ms(at.front() - made)), got = true;
                return got;
            },
            3000ms);
        maker.join();
    }
    return latencies;
}

void MeasureKernelEventPath(int rounds) {
    FakeUeventSource kernel;
    std::mutex mutex;
    std::vector<std::string> ports;
    DeliveryClock clock;
    PortWatcher watcher(nullptr, [&] { return std::lock_guard(mutex), ports; });
    watcher.Start();
    // Odd rounds pull out what the even ones plugged in.
    const auto latencies = MeasureRounds(rounds, clock, [&](int round, Clock::time_point& made) {
        const bool in = round % 2 == 0;
        {
            std::lock_guard lock(mutex);
            ports = in ? std::vector<std::string>{"ttyUSB0"} : std::vector<std::string>{};
        }
        made = Clock::now();
        kernel.Send(TtyUevent(in ? "add" : "remove", "ttyUSB0"));
        return std::string(in ? "+" : "-") + "ttyUSB0";
    });
    Report("kernel event path (fake source), arrival and removal", latencies);
}

void MeasurePseudoTerminalPath(int rounds) {
    std::vector<std::string> named;  // whichever number each pty gets
    for (int i = 0; i < 1024; ++i) named.push_back("pts/" + std::to_string(i));
    CSerial::SetNamedPorts(named);
    DeliveryClock clock;
    PortWatcher watcher;  // the kernel's list and the named ports, as the tool has them
    watcher.Start();
    std::unique_ptr<PseudoTerminal> pty;
    std::vector<double> arrivals, removals;
    for (int round = 0; round < rounds; ++round) {
        const bool in = round % 2 == 0;
        auto& into = in ? arrivals : removals;
        const auto latency = MeasureRounds(1, clock, [&](int, Clock::time_point& made) {
            std::string name;
            made = Clock::now();
            if (in) {
                pty = std::make_unique<PseudoTerminal>();
                name = pty->portName();
            } else {
                name = pty->portName();
                pty->close();
            }
            return (in ? "+" : "-") + name;
        });
        into.insert(into.end(), latency.begin(), latency.end());
    }
    watcher.Stop();
    CSerial::SetNamedPorts({});
    Report("named pty (--port) arrival", arrivals);
    Report("named pty (--port) removal", removals);
}

// What the watcher adds to the start-up: the kernel's socket, a node watch
// for a named port, and the first port list.
void MeasureStart(int rounds) {
    CSerial::SetNamedPorts({"pts/0"});
    std::vector<double> starts;
    for (int round = 0; round < rounds; ++round) {
        PortWatcher watcher;
        const auto start = Clock::now();
        watcher.Start();
        starts.push_back(Ms(Clock::now() - start));
    }
    CSerial::SetNamedPorts({});
    Report("watcher start (event sources and first list)", starts);
}

// The context switches of each thread of a process so far, by thread id.
std::map<std::string, long> ContextSwitches(pid_t pid) {
    std::map<std::string, long> switches;
    std::error_code error;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream status(task.path() / "status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
                line.rfind("nonvoluntary_ctxt_switches:", 0) == 0) {
                switches[task.path().filename().string()] +=
                    std::stol(line.substr(line.find(':') + 1));
            }
        }
    }
    return switches;
}

int PlainWindowChild(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(940, 580);
    window.show();
    return app.exec();
}

void MeasureIdle(const char* what, std::vector<std::string> args, int seconds) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        std::printf("%s: cannot start %s\n", what, argv[0]);
        return;
    }
    std::this_thread::sleep_for(3s);  // start-up and first drawing are not idle
    // Sampled every 100 ms, so that a thread that ends meanwhile keeps what
    // it did up to its last sample; the sampling is another process's work.
    const std::map<std::string, long> first = ContextSwitches(pid);
    std::map<std::string, long> last = first;
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < end) {
        std::this_thread::sleep_for(100ms);
        for (const auto& [thread, count] : ContextSwitches(pid)) last[thread] = count;
    }
    long wakeups = 0;
    for (const auto& [thread, count] : last) {
        const auto before = first.find(thread);
        wakeups += count - (before == first.end() ? 0 : before->second);
    }
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    std::printf("%s: %ld wake-ups in %d s (%.2f per 10 s), %zu threads\n", what, wakeups, seconds,
                10.0 * wakeups / seconds, last.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--plain-window") == 0) {
        return PlainWindowChild(argc, argv);
    }
    int idleSeconds = 60;
    std::string quorrel =
        (std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "quorrel")
            .string();
    std::string port;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--idle-seconds") == 0) idleSeconds = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--quorrel") == 0) quorrel = argv[i + 1];
        if (std::strcmp(argv[i], "--port") == 0) port = argv[i + 1];
    }
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    std::printf("platform: %s\n", platform != nullptr ? platform : "(default)");
    {
        QApplication app(argc, argv);
        MeasureStart(50);
        MeasureKernelEventPath(100);
        MeasurePseudoTerminalPath(100);
    }
    std::fflush(stdout);
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    if (idleSeconds > 0) {
        MeasureIdle("plain Qt window, idle", {self, "--plain-window"}, idleSeconds);
        MeasureIdle("main window, idle", {quorrel}, idleSeconds);
        if (!port.empty()) {
            MeasureIdle(("main window with --port " + port + ", idle").c_str(),
                        {quorrel, "--port", port}, idleSeconds);
        }
    }
    return 0;
}
