// Main window figures: start-up to the window shown (a fresh process each
// time, median of 10), peak RSS after a load of a STANDARD V2 module, the cost
// of appending one log entry to a pane of 500 lines, and pictures of the
// window after a load in English and Chinese.
//
//   main_window_bench [--shots <folder>]
// Runs with whatever QT_QPA_PLATFORM says (offscreen, or xcb under Xvfb).
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/child_process.h"
#include "catalogue/app_directory.h"
#include "catalogue/log_record.h"
#include "link/com_device.h"
#include "link/serial.h"
#include "resources/main_dialog_ids.h"
#include "tests/support/module_simulator.h"
#include "ui/fenwold_app.h"
#include "ui/fenwold_dlg.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Settings folder with short read time-outs, so a load takes seconds, not tens.
std::string MakeSettingsFolder(int language) {
    char pattern[] = "/tmp/quorrel_bench_XXXXXX";
    std::string folder = mkdtemp(pattern);
    std::ofstream(folder + "/ParamCfg.ini", std::ios::binary)
        << "[CONFIG]\r\nLANGUAGE=" << language << "\r\nHexShow=0\r\n"
        << "[COM_TIMEOUT_PARAM]\r\nReadIntervalTimeout=20\r\nReadTotalTimeoutConstant=300\r\n";
    return folder;
}

bool WaitShown(QWidget& window, int boundMs) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < boundMs) {
        QWindow* handle = window.windowHandle();
        if (handle != nullptr && handle->isExposed()) return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return false;
}

// Child: QApplication, device, main dialog shown; reports on stdout when the
// window is exposed.
int StartupChild(int argc, char** argv) {
    SetAppDirectoryForTesting(MakeSettingsFolder(1));
    QApplication app(argc, argv);
    CComDevice device;
    ConfigureDevice(device);
    CFenwoldDlg dialog(&device);
    dialog.show();
    const bool shown = WaitShown(dialog, 5000);
    std::fputs(shown ? "shown\n" : "timeout\n", stdout);
    std::fflush(stdout);
    return shown ? 0 : 1;
}

std::vector<double> MeasureStartups(const char* self, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (const double ms = MsUntilChildSays(self, {"--startup-child"}, "shown"); ms >= 0) {
            times.push_back(ms);
        }
    }
    return times;
}

// A dialog with the simulator's port opened and a STANDARD V2 module loaded.
struct LoadedWindow {
    ModuleSimulator sim{ModuleSimulator::Identity{"D", "", "STANDARD", "V2", "", ".1"}};
    CComDevice device;
    std::unique_ptr<CFenwoldDlg> dialog;
    bool loaded = false;

    explicit LoadedWindow(int language) {
        SetAppDirectoryForTesting(MakeSettingsFolder(language));
        const std::string port = sim.portName();
        CSerial::SetPortLister([port] { return std::vector<std::string>{port}; });
        ConfigureDevice(device);
        dialog = std::make_unique<CFenwoldDlg>(&device);
        dialog->show();
        WaitShown(*dialog, 5000);
        dialog->Button(IDC_BUTTON_OPENCOM)->click();
        dialog->LoadParams();
        loaded = dialog->GetUiState() == UI_PAGES_SHOWN;
        QCoreApplication::processEvents();
    }
};

void MeasureAppend(CFenwoldDlg& dialog) {
    CLogView& view = dialog.LogView();
    LogRecord record;
    record.kind = LOG_RECV;
    const char text[] = "\r\n+LFR:433000000\r\n\r\nOK\r\n";
    std::memcpy(record.text, text, sizeof text);
    record.length = static_cast<int>(sizeof text - 1);

    LogRecord filler;
    filler.kind = LOG_INFO;
    const char fillerText[] = "filler line of the log pane";
    std::memcpy(filler.text, fillerText, sizeof fillerText);
    filler.length = static_cast<int>(sizeof fillerText - 1);

    std::vector<double> appendOnly;
    std::vector<double> withPaint;
    for (int round = 0; round < 40; ++round) {
        view.Clear();
        while (view.LineCount() < 500) view.Append(&filler, true, false), view.Flush();
        QCoreApplication::processEvents();
        const auto start = Clock::now();
        view.Append(&record, true, false);
        view.Flush();
        const auto appended = Clock::now();
        dialog.LogView().pane()->viewport()->repaint();
        const auto painted = Clock::now();
        appendOnly.push_back(Ms(appended - start));
        withPaint.push_back(Ms(painted - start));
    }
    std::printf("append one entry to a 500-line pane: median %.3f ms, worst %.3f ms\n",
                Median(appendOnly), *std::max_element(appendOnly.begin(), appendOnly.end()));
    std::printf("append one entry and repaint the pane: median %.3f ms, worst %.3f ms\n",
                Median(withPaint), *std::max_element(withPaint.begin(), withPaint.end()));
}

long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Child: load in one process, so the peak RSS is the load's alone.
int LoadChild(int argc, char** argv, const char* shotFolder, int language) {
    QApplication app(argc, argv);
    LoadedWindow window(language);
    if (!window.loaded) {
        std::printf("load failed\n");
        return 1;
    }
    if (shotFolder == nullptr) {
        std::printf("peak RSS after a load of a STANDARD V2 module: %.1f MB\n",
                    PeakRssKb() / 1024.0);
        MeasureAppend(*window.dialog);
        return 0;
    }
    const std::string path =
        std::string(shotFolder) + "/main_window_" + (language == 2 ? "zh" : "en") + ".png";
    const bool saved = window.dialog->grab().save(QString::fromStdString(path));
    std::printf("picture %s: %s\n", saved ? "saved" : "NOT saved", path.c_str());
    return saved ? 0 : 1;
}

int RunChild(const char* self, std::vector<std::string> args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(self));
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, self, nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--startup-child") == 0) return StartupChild(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "--load-child") == 0) {
        return LoadChild(argc, argv, nullptr, 1);
    }
    if (argc >= 4 && std::strcmp(argv[1], "--shot-child") == 0) {
        return LoadChild(argc, argv, argv[2], std::atoi(argv[3]));
    }

    const char* self = "/proc/self/exe";
    const std::string exe = std::filesystem::read_symlink(self).string();
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    std::printf("platform: %s\n", platform != nullptr ? platform : "(default)");

    const std::vector<double> startups = MeasureStartups(exe.c_str(), 10);
    if (!startups.empty()) {
        std::printf(
            "start-up to the main window shown: median %.1f ms, min %.1f, max %.1f (%zu runs)\n",
            Median(startups), *std::min_element(startups.begin(), startups.end()),
            *std::max_element(startups.begin(), startups.end()), startups.size());
    }
    std::fflush(stdout);
    RunChild(exe.c_str(), {"--load-child"});
    if (argc >= 3 && std::strcmp(argv[1], "--shots") == 0) {
        RunChild(exe.c_str(), {"--shot-child", argv[2], "1"});
        RunChild(exe.c_str(), {"--shot-child", argv[2], "2"});
    }
    return 0;
}
