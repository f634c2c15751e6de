// The log pane under a module that streams: the real main dialog and command
// window on a pseudo-terminal, fed by a writer on the master side.
//
//   log_stream_bench [seconds a burst may take, 60]
//
// Each case runs in a fresh process, so that its CPU time and peak memory are
// its own. CPU is the process's time minus the writer thread's own, shown as
// the excess over an idle command window open for the same 10 s. Lag: how long
// after the last byte was written it shows in the pane. Close: from the click
// that ends the command window to the end of its DoModal. Gap: the longest
// time between two ticks of a 20 ms timer on the UI thread. Goals: at the line
// rate at most 0.5 s over idle per 10 s and a prompt close; a 1 MB Hex burst
// in the pane within 3 s and no gap above 100 ms; 10 MB caught up within 10 s
// with the memory bounded.
// Runs with whatever QT_QPA_PLATFORM says (offscreen, or xcb under Xvfb).
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "catalogue/app_directory.h"
#include "link/com_device.h"
#include "link/serial.h"
#include "resources/main_dialog_ids.h"
#include "tests/support/pty.h"
#include "ui/cmd_config_dialog.h"
#include "ui/fenwold_app.h"
#include "ui/fenwold_dlg.h"
#include "ui/log_entry.h"
#include "ui/log_view.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr std::size_t kLineRate = 115200 / 10;  // bytes per second at 115200 8N1
constexpr auto kStreamTime = 10s;
// The stream's last bytes; nothing before them looks alike.
constexpr char kEndMark[] = "#END#";

struct Case {
    const char* name;
    bool hex;
    std::size_t bytes;  // 0: nothing, an idle window
    bool paced;         // at the line rate, else as fast as the port takes it
    bool lineEnds;      // CR LF after every 46 bytes of text
};

const Case kCases[] = {
    {"idle command window, 10 s", true, 0, true, true},
    {"115200 baud, CR LF every 48 bytes, Hex", true, kLineRate * 10, true, true},
    {"115200 baud, no line ends, text", false, kLineRate * 10, true, false},
    {"115200 baud, CR LF every 48 bytes, text", false, kLineRate * 10, true, true},
    {"1 MB burst, CR LF every 48 bytes, Hex", true, 1 << 20, false, true},
    {"10 MB burst, CR LF every 48 bytes, Hex", true, 10 << 20, false, true},
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double ProcessCpu() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double ThreadCpu() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

// Byte i of a stream: sensor-like text, CR LF closing every 48 bytes, the
// end mark last.
char StreamByte(const Case& c, std::size_t i) {
    const std::size_t markAt = c.bytes - (sizeof kEndMark - 1);
    if (i >= markAt) return kEndMark[i - markAt];
    const std::size_t column = i % 48;
    if (c.lineEnds && column == 46) return '\r';
    if (c.lineEnds && column == 47) return '\n';
    static const char kText[] = "T=23.5C H=41% P=1013hPa seq ";
    return column < 28 ? kText[column] : static_cast<char>('0' + (i / 48 + column) % 10);
}

// Writes the case's bytes to the master, paced or as fast as they go; stops
// early when told to.
class StreamWriter {
public:
    StreamWriter(int fd, const Case& c) : m_fd(fd), m_case(c) {}
    void Run() {
        const auto start = Clock::now();
        std::string chunk;
        std::size_t sent = 0;
        while (sent < m_case.bytes && !m_stop) {
            std::size_t due = m_case.bytes;
            if (m_case.paced) {
                // Bytes come every millisecond, as a UART's interrupts deliver them.
                std::this_thread::sleep_until(
                    start + std::chrono::milliseconds(sent * 1000 / kLineRate + 1));
                due = std::min<std::size_t>(
                    m_case.bytes,
                    static_cast<std::size_t>(Seconds(Clock::now() - start) * kLineRate));
            }
            chunk.clear();
            for (std::size_t i = sent; i < due && chunk.size() < 4096; ++i)
                chunk += StreamByte(m_case, i);
            if (chunk.empty()) continue;
            pollfd p{m_fd, POLLOUT, 0};
            if (poll(&p, 1, 100) <= 0) continue;
            const ssize_t n = write(m_fd, chunk.data(), chunk.size());
            if (n > 0) sent += static_cast<std::size_t>(n);
        }
        m_done = Clock::now();
        m_cpu = ThreadCpu();
        m_finished = true;
    }
    void Stop() { m_stop = true; }
    bool finished() const { return m_finished; }
    Clock::time_point done() const { return m_done; }
    double cpu() const { return m_cpu; }

private:
    int m_fd;
    Case m_case;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_finished{false};
    Clock::time_point m_done{};
    double m_cpu = 0;
};

std::string MakeSettingsFolder(bool hex) {
    char pattern[] = "/tmp/quorrel_bench_XXXXXX";
    std::string folder = mkdtemp(pattern);
    std::ofstream(folder + "/ParamCfg.ini", std::ios::binary)
        << "[CONFIG]\r\nLANGUAGE=1\r\nDisPlayPacket=1\r\nHexShow=" << (hex ? 1 : 0) << "\r\n";
    return folder;
}

// Whether the pane ends with the end mark as it shows it.
bool MarkShown(CFenwoldDlg& dialog, bool hex) {
    const std::string mark =
        hex ? FormatHexBytes(kEndMark, sizeof kEndMark - 1) : std::string(kEndMark);
    QTextDocument* doc = dialog.LogView().pane()->document();
    const QString last = doc->lastBlock().text();
    return last.endsWith(QString::fromStdString(mark));
}

long RssKb() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int RunCase(int argc, char** argv, const Case& c, double idleCpu, int boundSeconds) {
    const std::string folder = MakeSettingsFolder(c.hex);
    SetAppDirectoryForTesting(folder);
    QApplication app(argc, argv);
    PseudoTerminal pty;
    const std::string port = pty.portName();
    CSerial::SetPortLister([port] { return std::vector<std::string>{port}; });
    CComDevice device;
    ConfigureDevice(device);
    CFenwoldDlg dialog(&device);
    dialog.show();
    QCoreApplication::processEvents();
    dialog.Button(IDC_BUTTON_OPENCOM)->click();
    if (!device.m_serial.IsOpen()) {
        std::printf("%-42s port did not open\n", c.name);
        return 1;
    }
    dialog.LogView().Clear();
    const long rssBefore = RssKb();

    StreamWriter writer(pty.masterFd(), c);
    QElapsedTimer sinceTick;
    qint64 worstGapMs = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { worstGapMs = std::max(worstGapMs, sinceTick.restart()); });

    CCmdConfigDialog window(&dialog, &device);
    std::thread thread;
    Clock::time_point start, closeClicked, shown;
    double cpuStart = 0, cpuAtEnd = 0;
    bool markShown = false;
    QTimer::singleShot(0, &window, [&] {
        start = Clock::now();
        cpuStart = ProcessCpu();
        sinceTick.start();
        ticker.start(20);
        if (c.bytes > 0) thread = std::thread([&] { writer.Run(); });
        // Paced cases end after their 10 s; bursts once they are in the pane
        // (or the bound is up). Either way the window closes then.
        QTimer* watch = new QTimer(&window);
        QObject::connect(watch, &QTimer::timeout, [&, watch] {
            const auto now = Clock::now();
            if (!markShown && c.bytes > 0 && writer.finished() && MarkShown(dialog, c.hex)) {
                markShown = true;
                shown = now;
            }
            const bool paced = c.paced && now - start >= kStreamTime + 100ms;
            const bool burst =
                !c.paced && (markShown || now - start >= std::chrono::seconds(boundSeconds));
            if (!paced && !burst) return;
            watch->stop();
            cpuAtEnd = ProcessCpu();
            closeClicked = Clock::now();
            window.EndDialog(IDCANCEL);
        });
        watch->start(10);
    });
    window.DoModal();
    const auto closed = Clock::now();
    writer.Stop();
    // Records still on their way show after the window closed.
    const auto bound = closeClicked + std::chrono::seconds(boundSeconds);
    while (c.bytes > 0 && !markShown && Clock::now() < bound) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (writer.finished() && MarkShown(dialog, c.hex)) markShown = true, shown = Clock::now();
    }
    ticker.stop();
    if (thread.joinable()) thread.join();
    const double cpu = cpuAtEnd - cpuStart - writer.cpu();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);

    std::printf("%-42s", c.name);
    if (c.bytes == 0) {
        std::printf(" CPU %.2f s over %.0f s\n", cpu, Seconds(kStreamTime));
        std::printf("idle-cpu %.4f\n", cpu);
        return 0;
    }
    std::printf(" CPU %6.2f s (over idle %6.2f s)", cpu, cpu - idleCpu);
    char lag[32] = ">bound";
    if (markShown) std::snprintf(lag, sizeof lag, "%.2f s", Seconds(shown - writer.done()));
    std::printf("  lag %-8s", lag);
    if (!c.paced && markShown) std::printf("  in pane %.2f s after start", Seconds(shown - start));
    std::printf("  close %.0f ms  worst UI gap %lld ms", 1000 * Seconds(closed - closeClicked),
                static_cast<long long>(worstGapMs));
    if (!c.paced)
        std::printf("  RSS %.1f MB before, peak %.1f MB", rssBefore / 1024.0,
                    usage.ru_maxrss / 1024.0);
    std::printf("\n");
    std::filesystem::remove_all(folder);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int bound = argc >= 2 && std::strcmp(argv[1], "--case") != 0 ? std::atoi(argv[1]) : 60;
    if (argc >= 5 && std::strcmp(argv[1], "--case") == 0) {
        return RunCase(argc, argv, kCases[std::atoi(argv[2])], std::atof(argv[3]),
                       std::atoi(argv[4]));
    }
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    double idle = 0;
    for (std::size_t i = 0; i < std::size(kCases); ++i) {
        const std::string command = self + " --case " + std::to_string(i) + " " +
                                    std::to_string(idle) + " " + std::to_string(bound);
        FILE* child = popen(command.c_str(), "r");
        if (child == nullptr) return 1;
        char line[512];
        while (std::fgets(line, sizeof line, child) != nullptr) {
            if (std::sscanf(line, "idle-cpu %lf", &idle) == 1) continue;
            std::fputs(line, stdout);
            std::fflush(stdout);
        }
        pclose(child);
    }
    return 0;
}
