// Cancel latency of every wait-dialog job at every stage: from the click on
// Cancel to the end of DoModal, with the real dialog, worker and device
// against the simulated module over a pseudo-terminal, under the product's
// default port time-outs. At each stage the module falls silent, or sends one
// byte every 100 ms (which keeps every read of the line from falling quiet).
// The click comes at spread delays after the stage began, so that it lands
// at every point of the waits there. Target: worst <= 600 ms. A dialog still
// running 5 s after the click has its module hung up, and shows as ">5000".
// Run: QT_QPA_PLATFORM=offscreen ./cancel_latency_bench [delays per row, 7]
#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "catalogue/app_directory.h"
#include "catalogue/lang_text.h"
#include "tests/ui/cancel_stages.h"
#include "ui/fenwold_app.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kBound = 5000ms;

struct Figures {
    double median = 0, worst = 0;
    int hungUp = 0, endedFirst = 0;
};

std::string Shown(double ms, bool hungUp) {
    char text[32];
    std::snprintf(text, sizeof text, hungUp ? ">%.0f" : "%.1f", hungUp ? kBound.count() * 1.0 : ms);
    return text;
}

Figures Measure(const JobStage& stage, SimNoise noise, const std::string& image, int delays) {
    std::vector<double> latencies;
    Figures figures;
    for (int i = 0; i < delays; ++i) {
        const auto delay = std::chrono::milliseconds(i * 600 / delays + i * 7 % 23);
        ModuleSimulator sim;
        CComDevice device;
        ConfigureDevice(device);
        if (!device.Open(sim.portName(), ComPortSettings{115200, 8, 0, 0})) std::exit(1);
        sim.startNoise(noise, stage.unit, stage.nth);
        WaitJob job = StageJob(device, stage, image);
        const CancelResult run =
            RunAndCancel(job, sim, [&] { return NoiseUnderway(sim, noise); }, delay, kBound);
        if (!run.reached) {
            ++figures.endedFirst;
            continue;
        }
        figures.hungUp += run.hungUp;
        latencies.push_back(run.latencyMs);
    }
    std::sort(latencies.begin(), latencies.end());
    if (!latencies.empty()) {
        figures.median = latencies[latencies.size() / 2];
        figures.worst = latencies.back();
    }
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int delays = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    BuildLangTextIndex();
    g_language = 1;
    const fs::path folder =
        fs::temp_directory_path() / ("quorrel_cancel_bench_" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::ofstream(folder / "ParamCfg.ini") << "[COM_TIMEOUT_PARAM]\r\n";  // the defaults
    const std::string image = (folder / "image.bin").string();
    std::ofstream(image, std::ios::binary) << std::string(64 * 1024, 'i');
    SetAppDirectoryForTesting(folder.string());

    std::printf("cancel latency in ms, %d clicks per row, click to the dialog's end\n", delays);
    std::printf("| job | stage | silence median | silence worst | trickle median | trickle worst |\n");
    std::printf("|---|---|---|---|---|---|\n");
    double worst = 0;
    for (const JobStage& stage : kJobStages) {
        std::printf("| %s | %s", stage.job, stage.stage);
        for (SimNoise noise : {SimNoise::Silence, SimNoise::Trickle}) {
            const Figures f = Measure(stage, noise, image, delays);
            worst = std::max(worst, f.hungUp ? kBound.count() * 1.0 : f.worst);
            std::printf(" | %s | %s", Shown(f.median, false).c_str(),
                        Shown(f.worst, f.hungUp > 0).c_str());
            if (f.endedFirst > 0) std::printf(" (%d ended first)", f.endedFirst);
        }
        std::printf(" |\n");
    }
    std::printf("worst of all: %s ms (target <= 600)\n", Shown(worst, worst >= kBound.count()).c_str());

    SetAppDirectoryForTesting("");
    fs::remove_all(folder);
    return 0;
}
