// Shared by the link tests: a settings folder, a captured log, and a
// device configured as start-up does, on a simulated module with short time-outs.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/app_directory.h"
#include "catalogue/log_record.h"
#include "link/com_device.h"
#include "link/version_profiles.h"
#include "tests/support/module_simulator.h"

namespace linktest {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Fault = ModuleSimulator::Fault;

// Port time-outs (ms): short, yet far above the simulator's reply latency.
constexpr int kIntervalMs = 25;
constexpr int kUpgradeReadTotalMs = 60;
inline const std::string kShortTimeouts =
    "[COM_TIMEOUT_PARAM]\r\nReadIntervalTimeout=25\r\nReadTotalTimeoutConstant=300\r\n"
    "[UPGRADE_COM_TIMEOUT_PARAM]\r\nReadTotalTimeoutConstant=60\r\n";
inline constexpr ComPortSettings kDefaultPort{115200, 8, 0, 0};

inline long MsSince(Clock::time_point start) {
    return long(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// Every log record, from any thread.
class LogCapture {
public:
    LogCapture() {
        SetLogSink([this](LogRecord* record) {
            std::lock_guard lock(m_mutex);
            m_lines.push_back({record->kind, std::string(record->text, record->length)});
            delete record;
        });
    }
    ~LogCapture() { ClearLogSink(); }
    std::vector<std::pair<int, std::string>> Lines() const {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }
    // Lines of this kind; with text, only those equal to it.
    int Count(int kind, const std::optional<std::string>& text = std::nullopt) const {
        int n = 0;
        for (const auto& [k, t] : Lines()) n += k == kind && (!text || t == *text);
        return n;
    }
    void Clear() {
        std::lock_guard lock(m_mutex);
        m_lines.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::pair<int, std::string>> m_lines;
};

// A temporary application folder; GetAppDirectory points at it while it lives.
class TempAppDirectory {
public:
    TempAppDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "link-XXXXXX").string();
        SetAppDirectoryForTesting(m_path = ::mkdtemp(pattern.data()) ? pattern : std::string());
    }
    ~TempAppDirectory() {
        SetAppDirectoryForTesting("");
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    void WriteSettings(const std::string& text) const {
        std::ofstream(m_path + "/ParamCfg.ini", std::ios::binary) << text;
    }

private:
    std::string m_path;
};

class ComDeviceTest : public ::testing::Test {
protected:
    ComDeviceTest() {
        app.WriteSettings(kShortTimeouts);
        device.LoadAtCommands();
        device.LoadConfigParams();
        device.SetVersionParser(ParseProductVersion);
        RegisterVersionProfiles(device);
    }
    bool OpenDevice() { return device.Open(sim.portName(), kDefaultPort); }
    void OpenAndIdentify() {
        ASSERT_TRUE(OpenDevice());
        int textId = 0;
        ASSERT_TRUE(device.IdentifyVersion(textId)) << "text id " << textId;
    }

    TempAppDirectory app;
    LogCapture log;
    ModuleSimulator sim;
    CComDevice device;  // after sim: closes its port before the module goes
};

}  // namespace linktest
