// Wait dialog timings against the module simulator (offscreen):
//  1. Cancel latency, from the click to DoModal's return, while the worker
//     waits in a query's read (target <= 150 ms);
//  2. Cancel latency at arbitrary moments of a job whose module never answers
//     "+++" (the abort event ends a "+++" try too; target <= 600 ms; every
//     job and stage, under silence and a trickle: cancel_latency_bench);
//  3. a burst of 10,000 log records and 10,000 progress steps from another
//     thread while the dialog runs: the longest stretch the UI thread spends
//     without coming back to its event loop (target <= 50 ms).
// Run: QT_QPA_PLATFORM=offscreen ./wait_dialog_bench
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "catalogue/app_directory.h"
#include "catalogue/lang_text.h"
#include "catalogue/log_record.h"
#include "catalogue/product_version.h"
#include "link/com_device.h"
#include "link/version_profiles.h"
#include "tests/support/module_simulator.h"
#include "ui/controls.h"
#include "ui/log_sink_bridge.h"
#include "ui/posted_message.h"
#include "ui/template_dialog.h"
#include "ui/wait_dialog.h"

namespace {

namespace fs = std::filesystem;

struct Stats {
    double median = 0, max = 0, min = 0;
};

Stats Summarise(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    Stats stats;
    if (values.empty()) return stats;
    stats.min = values.front();
    stats.max = values.back();
    stats.median = values[values.size() / 2];
    return stats;
}

// Runs the dialog; once when() holds and `delayMs` more have passed, clicks
// Cancel and returns the milliseconds from the click to DoModal's return.
double CancelLatency(CComDevice& device, int op, const std::function<bool()>& when, int delayMs) {
    WaitJob job;
    job.device = &device;
    job.op = op;
    job.writeValues = {{"CONFIG_ID_POWER", "10"}};
    CWaitDialog dialog;
    dialog.m_pJob = &job;
    QElapsedTimer sinceClick;
    QElapsedTimer sinceReady;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (sinceClick.isValid()) return;
        if (!sinceReady.isValid()) {
            if (when()) sinceReady.start();
            return;
        }
        if (sinceReady.elapsed() >= delayMs) {
            sinceClick.start();
            dialog.Button(IDCANCEL)->click();
        }
    });
    poll.start();
    dialog.DoModal();
    return sinceClick.isValid() ? sinceClick.nsecsElapsed() / 1e6 : -1;
}

// A window that shows log records the way a log pane does.
class LogWindow : public TemplateDialog {
public:
    static constexpr ControlTemplate kControls[] = {
        {1006, ControlKind::Edit, "", 0, 0, 200, 200, kMultiLine | kReadOnly}};
    static const DialogTemplate kTemplate;

    LogWindow() : TemplateDialog(kTemplate), m_bridge(this) {
        AddMessageHandler(WM_LOG_MESSAGE, [this](PostedMessage& m) {
            AppendEditText(GetDlgItem(1006), std::string(m.record->text, m.record->length) + "\r\n");
            ++received;
        });
    }
    int received = 0;

private:
    LogSinkBridge m_bridge;
};
const DialogTemplate LogWindow::kTemplate =
    MakeDialogTemplate(9200, "log", 200, 200, 8, kPopup, LogWindow::kControls);

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    BuildLangTextIndex();
    g_language = 1;
    const fs::path folder = fs::temp_directory_path() / ("quorrel_wait_bench_" + std::to_string(getpid()));
    fs::create_directories(folder);
    // The product's default port time-outs.
    std::ofstream(folder / "ParamCfg.ini") << "[COM_TIMEOUT_PARAM]\r\n";
    SetAppDirectoryForTesting(folder.string());

    ModuleSimulator sim;
    CComDevice device;
    device.LoadAtCommands();
    device.LoadConfigParams();
    device.SetVersionParser(ParseProductVersion);
    RegisterVersionProfiles(device);
    if (!device.Open(sim.portName(), ComPortSettings{115200, 8, 0, 0})) {
        std::fprintf(stderr, "cannot open %s\n", sim.portName().c_str());
        return 1;
    }

    // 1. A query waits for a reply that never comes.
    sim.setFault(ModuleSimulator::Fault::Silence, "AT+DBL?");
    std::vector<double> pending;
    for (int i = 0; i < 20; ++i) {
        sim.clearRecord();
        pending.push_back(CancelLatency(
            device, WAIT_OP_LOAD_PARAMS, [&] { return sim.countReceived("AT+DBL?\r\n") > 0; },
            i * 7 % 60));
    }
    const Stats a = Summarise(pending);
    std::printf("cancel while a query read is pending: median %.1f ms, max %.1f ms (n=%zu)\n",
                a.median, a.max, pending.size());

    // 2. "+++" never answered: clicks spread over the tries and pauses.
    sim.clearFaults();
    sim.setFault(ModuleSimulator::Fault::Silence, "+++");
    std::vector<double> silent;
    for (int op : {WAIT_OP_LOAD_PARAMS, WAIT_OP_WRITE_PARAMS, WAIT_OP_RESTART}) {
        for (int delay = 0; delay < 1800; delay += 150) {
            sim.clearRecord();
            silent.push_back(CancelLatency(
                device, op, [&] { return sim.countReceived("+++") > 0; }, delay));
        }
    }
    const Stats b = Summarise(silent);
    std::printf("cancel while \"+++\" goes unanswered: median %.1f ms, max %.1f ms (n=%zu)\n",
                b.median, b.max, silent.size());

    // 3. Burst of log records and progress steps while the dialog runs.
    LogWindow logWindow;
    logWindow.show();
    WaitJob job;
    job.device = &device;
    job.op = WAIT_OP_LOAD_PARAMS;  // "+++" stays unanswered: the dialog stays up
    CWaitDialog dialog;
    dialog.m_pJob = &job;
    constexpr int kBurst = 10000;
    std::atomic<bool> burstDone{false};
    std::thread burst;
    double longestGapMs = 0;
    QElapsedTimer sinceTick;
    QElapsedTimer total;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (sinceTick.isValid()) longestGapMs = std::max(longestGapMs, sinceTick.nsecsElapsed() / 1e6);
        sinceTick.start();
        if (!burst.joinable()) {
            total.start();
            burst = std::thread([&] {
                for (int i = 0; i < kBurst; ++i) {
                    LogPrintf(LOG_RECV, "%s %d", "reply line with some text in it", i);
                    PostMessage(&dialog, WM_PROGRESS_STEP);
                }
                burstDone = true;
            });
        } else if (burstDone && logWindow.received >= kBurst) {
            tick.stop();
            dialog.Button(IDCANCEL)->click();
        }
    });
    QTimer::singleShot(0, [&] { tick.start(); });
    dialog.DoModal();
    burst.join();
    std::printf("burst of %d log records + %d progress steps: handled in %.0f ms, "
                "longest UI-thread stall %.1f ms\n",
                kBurst, kBurst, total.nsecsElapsed() / 1e6, longestGapMs);

    device.Close();
    SetAppDirectoryForTesting("");
    fs::remove_all(folder);
    return 0;
}
