// A 256 KB firmware image through the whole upgrade road: the upgrade dialog
// over the main dialog (with its log pane taking every line), the wait
// dialog and its worker, the device's framed transfer, against the module
// simulator on a pseudo-terminal. Compared with the protocol's own floor:
// the handshake's 50 ms pause and 300 ms quiet read, the 5 ms split pause of
// every full frame, and the 300 ms quiet read after every frame but the last.
// Counters: floor_ms, and overhead_pct of the measured time over the floor.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "catalogue/app_directory.h"
#include "link/com_device.h"
#include "link/serial.h"
#include "resources/upgrade_dialog_ids.h"
#include "tests/support/module_simulator.h"
#include "ui/fenwold_app.h"
#include "ui/fenwold_dlg.h"
#include "ui/file_chooser.h"
#include "ui/message_box.h"
#include "ui/upgrade_dlg.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kImageSize = 256 * 1024;
constexpr int kBlock = 4096;
constexpr double kHandshakePauseMs = 50;
constexpr double kQuietReadMs = 300;  // UPGRADE_COM_TIMEOUT_PARAM default
constexpr double kSplitPauseMs = 5;   // between the halves of a full frame
constexpr double kStartPauseMs = 1;   // after 0x06

// Full frames, then the last one (empty when the size is a whole multiple).
double ProtocolFloorMs(int size, int block) {
    const int fullFrames = size / block;
    const int frames = fullFrames + 1;
    const double split = block > 2048 ? kSplitPauseMs : 0;
    return kHandshakePauseMs + kQuietReadMs + kStartPauseMs + fullFrames * split +
           (frames - 1) * kQuietReadMs;
}

struct Bench {
    Bench() {
        folder = std::filesystem::temp_directory_path() /
                 ("quorrel_upgrade_bench_" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        // No ParamCfg.ini: every time-out is its default.
        SetAppDirectoryForTesting(folder.string());
        std::mt19937 generator(7);
        image.resize(kImageSize);
        for (char& byte : image) byte = static_cast<char>(generator() & 0xFF);
        imagePath = (folder / "firmware.bin").string();
        std::ofstream(imagePath, std::ios::binary) << image;
        CSerial::SetPortLister([this] { return std::vector<std::string>{sim.portName()}; });
        SetMessageBoxHook([this](const std::string& text) {
            ended = Clock::now();
            outcome = text;
            return 1;
        });
        SetFileChooserHook([this](const FileChooserRequest&, std::string& path) {
            path = imagePath;
            return true;
        });
        ConfigureDevice(device);
        dialog = std::make_unique<CFenwoldDlg>(&device);
        dialog->show();
    }
    ~Bench() {
        dialog.reset();
        device.Close();
        SetMessageBoxHook({});
        SetFileChooserHook({});
        CSerial::SetPortLister({});
        SetAppDirectoryForTesting("");
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    std::filesystem::path folder;
    std::string image;
    std::string imagePath;
    ModuleSimulator sim;
    CComDevice device;
    std::unique_ptr<CFenwoldDlg> dialog;
    Clock::time_point ended;
    std::string outcome;
};

void Report(benchmark::State& state, double floorMs, double totalMs, int runs) {
    state.counters["floor_ms"] = floorMs;
    state.counters["overhead_pct"] = runs > 0 ? 100.0 * (totalMs / runs - floorMs) / floorMs : 0;
}

// From the click on Upgrade to the outcome's message box.
void BM_UpgradeThroughTheDialog(benchmark::State& state) {
    Bench bench;
    if (!bench.device.Open(bench.sim.portName(), ComPortSettings{115200, 8, 0, 0})) {
        state.SkipWithError("cannot open the simulator's port");
        return;
    }
    double totalMs = 0;
    int runs = 0;
    for (auto _ : state) {
        bench.sim.resetLoader();
        bench.outcome.clear();
        CUpgradeDlg upgrade(bench.dialog.get(), &bench.device);
        Clock::time_point started;
        QTimer::singleShot(0, &upgrade, [&] {
            upgrade.Button(IDC_UPG_BUTTON_BROWSE)->click();
            upgrade.CheckDlgButton(IDC_UPG_CHECK_RESTORE_AFTER, 0);
            started = Clock::now();
            upgrade.Button(IDC_UPG_BUTTON_UPGRADE)->click();
        });
        upgrade.DoModal();
        if (bench.outcome != "Upgrade complete" || bench.sim.loaderImage() != bench.image) {
            state.SkipWithError(("upgrade failed: " + bench.outcome).c_str());
            return;
        }
        const double ms = std::chrono::duration<double, std::milli>(bench.ended - started).count();
        state.SetIterationTime(ms / 1000);
        totalMs += ms;
        ++runs;
    }
    Report(state, ProtocolFloorMs(kImageSize, kBlock), totalMs, runs);
}

// The device's transfer alone, on this thread: what the link itself costs
// over the floor, to tell it apart from what the windows add.
void BM_UpgradeDeviceOnly(benchmark::State& state) {
    Bench bench;
    if (!bench.device.Open(bench.sim.portName(), ComPortSettings{115200, 8, 0, 0}) ||
        !bench.device.SetTimeouts(true)) {
        state.SkipWithError("cannot open the simulator's port");
        return;
    }
    const std::atomic<int> running{1};
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(bench.image.data());
    double totalMs = 0;
    int runs = 0;
    for (auto _ : state) {
        bench.sim.resetLoader();
        const Clock::time_point started = Clock::now();
        const int done = bench.device.Upgrade(bytes, kImageSize, kBlock, &running, {});
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
        if (done != 1) {
            state.SkipWithError("transfer failed");
            return;
        }
        state.SetIterationTime(ms / 1000);
        totalMs += ms;
        ++runs;
    }
    Report(state, ProtocolFloorMs(kImageSize, kBlock), totalMs, runs);
}

// About 20 s per run: a few runs are enough to see the spread.
BENCHMARK(BM_UpgradeThroughTheDialog)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpgradeDeviceOnly)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
