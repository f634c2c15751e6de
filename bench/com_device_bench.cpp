// Time of the link's long operations against a simulated module, compared
// with the protocol floor: what the configured port time-outs and the fixed
// pauses alone cost. Run with the default time-outs of ParamCfg.ini (an empty
// settings folder): interval 150 ms, read total 1000 ms, upgrade 300 ms.
//
// Counters: wall_ms, floor_ms, overhead_pct = wall / floor - 1; cpu_pct = CPU
// time of the thread that runs the link / wall; proc_cpu_pct includes the
// simulator's thread.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "catalogue/app_directory.h"
#include "catalogue/log_record.h"
#include "catalogue/product_version.h"
#include "link/com_device.h"
#include "link/version_profiles.h"
#include "tests/support/module_simulator.h"

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

// The pause the load and write jobs make after each request.
constexpr double kRequestPauseMs = 100;
// Pauses of the firmware transfer.
constexpr double kHandshakePauseMs = 50;
constexpr double kStartPauseMs = 1;
constexpr double kHalfFramePauseMs = 5;

Ms ThreadCpu()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

Ms ProcessCpu()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return std::chrono::seconds(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           std::chrono::microseconds(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

// An empty application folder: every time-out is ParamCfg.ini's default.
class DefaultSettings {
public:
    DefaultSettings()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "comdev-bench-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
        SetAppDirectoryForTesting(m_path);
    }
    ~DefaultSettings()
    {
        SetAppDirectoryForTesting("");
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }

private:
    std::string m_path;
};

struct Connection {
    DefaultSettings settings;
    ModuleSimulator sim;
    CComDevice device;

    Connection()
    {
        // Every line is formatted and handed over, as with the main window's
        // sink installed.
        SetLogSink([](LogRecord* record) { delete record; });
        ModuleSimulator::Identity identity;
        identity.model = "D";
        identity.flavour = "STANDARD";
        identity.version = "V2";
        sim.setIdentity(identity);
        device.LoadAtCommands();
        device.LoadConfigParams();
        device.SetVersionParser(ParseProductVersion);
        RegisterVersionProfiles(device);
        device.Open(sim.portName(), ComPortSettings{115200, 8, 0, 0});
    }
    ~Connection() { ClearLogSink(); }
    double IntervalMs() const { return device.m_serial.GetTimeouts().ReadIntervalTimeout; }
    double UpgradeTotalMs() const
    {
        const COMMTIMEOUTS t = device.m_serial.GetTimeouts();
        return t.ReadTotalTimeoutConstant + t.ReadTotalTimeoutMultiplier;
    }
};

// Measures one run of op and reports it against floorMs.
template <typename Op>
void Measure(benchmark::State& state, double floorMs, Op op)
{
    for (auto _ : state) {
        const Ms cpu0 = ThreadCpu();
        const Ms proc0 = ProcessCpu();
        const auto wall0 = Clock::now();
        if (!op()) {
            state.SkipWithError("operation failed");
            return;
        }
        const Ms wall = Clock::now() - wall0;
        const Ms cpu = ThreadCpu() - cpu0;
        const Ms proc = ProcessCpu() - proc0;
        state.SetIterationTime(wall.count() / 1000.0);
        state.counters["wall_ms"] = wall.count();
        state.counters["floor_ms"] = floorMs;
        state.counters["overhead_pct"] = (wall.count() / floorMs - 1) * 100;
        state.counters["cpu_pct"] = cpu.count() / wall.count() * 100;
        state.counters["proc_cpu_pct"] = proc.count() / wall.count() * 100;
    }
}

// The load job: command mode, identification, then one query per parameter,
// each followed by its pause. Every exchange ends after one read interval of
// silence behind the reply; that, with the pauses, is the floor.
void BM_LoadStandardV2(benchmark::State& state)
{
    Connection link;
    const int parameters = 29;
    const int exchanges = 1 + 2 + parameters;  // "+++"; "+++" and AT+VER; queries
    const double floor = exchanges * link.IntervalMs() + parameters * kRequestPauseMs;
    Measure(state, floor, [&] {
        if (!link.device.EnterCommandMode()) {
            return false;
        }
        int textId = 0;
        if (!link.device.IdentifyVersion(textId)) {
            return false;
        }
        std::vector<AtRequest> requests;
        link.device.CollectQueries(link.device.m_supportedParams, requests);
        int read = 0;
        for (AtRequest& request : requests) {
            read += link.device.Query(request) ? 1 : 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return read == parameters && static_cast<int>(requests.size()) == parameters;
    });
}
BENCHMARK(BM_LoadStandardV2)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// The write job: command mode, five set lines with their pauses, the save.
void BM_WriteFive(benchmark::State& state)
{
    Connection link;
    const ParamValueMap values = {{"CONFIG_ID_WORK_MODE", "2"},
                                  {"CONFIG_ID_DEVICE_ID", "4242"},
                                  {"CONFIG_ID_CARRIER_FREQUENCY", "470"},
                                  {"CONFIG_ID_POWER", "17"},
                                  {"CONFIG_ID_SKY_RATE", "4"}};
    const double floor = (1 + 5 + 1) * link.IntervalMs() + 5 * kRequestPauseMs;
    Measure(state, floor, [&] {
        if (!link.device.EnterCommandMode()) {
            return false;
        }
        std::vector<AtRequest> requests;
        link.device.CollectSets(values, requests);
        int written = 0;
        for (const AtRequest& request : requests) {
            written += link.device.Set(request) ? 1 : 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        char reply[100];
        return link.device.Exchange("AT+SAV\r\n", reply, sizeof reply) && written == 5;
    });
}
BENCHMARK(BM_WriteFive)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// A 64 KB image. Each read that waits for the loader's answer only ends once
// the line stayed quiet for the upgrade read time-out; the handshake adds its
// 50 ms pause and one such read, and every frame above 2048 bytes its 5 ms.
void BM_Upgrade64K(benchmark::State& state)
{
    const int block = static_cast<int>(state.range(0));
    const int size = 64 * 1024;
    Connection link;
    link.device.SetTimeouts(true);
    const int frames = size / block + 1;
    const double perWait = link.UpgradeTotalMs() + (block > 2048 ? kHalfFramePauseMs : 0);
    const double floor = kHandshakePauseMs + link.UpgradeTotalMs() + kStartPauseMs +
                         (frames - 1) * perWait;
    std::vector<std::uint8_t> image(size);
    for (int i = 0; i < size; ++i) {
        image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    std::atomic<int> running{1};
    Measure(state, floor, [&] {
        const int done = link.device.Upgrade(image.data(), size, block, &running, nullptr);
        return done == 1 &&
               link.sim.waitFor([&] { return link.sim.loaderComplete(); },
                                std::chrono::milliseconds(3000)) &&
               link.sim.loaderImage() == std::string(image.begin(), image.end());
    });
    state.counters["frames"] = frames;
}
BENCHMARK(BM_Upgrade64K)->Arg(4096)->Arg(512)->Iterations(1)->UseManualTime()->Unit(
    benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
