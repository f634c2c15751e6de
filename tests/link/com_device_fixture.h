// Shared set-up of the CComDevice tests: a simulated module on a
// pseudo-terminal, a device configured as start-up configures it, short port
// time-outs from a ParamCfg.ini in a temporary folder, and a captured log.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/app_directory.h"
#include "catalogue/log_record.h"
#include "catalogue/product_version.h"
#include "link/com_device.h"
#include "link/version_profiles.h"
#include "tests/support/module_simulator.h"

namespace comdev_test {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Port time-outs of the tests, in ms: short, yet far above the simulator's
// reply latency.
constexpr int kIntervalMs = 25;
constexpr int kReadTotalMs = 300;
constexpr int kUpgradeReadTotalMs = 60;

struct LogLine {
    int kind;
    std::string text;
};

// Collects every log record; records arrive on any thread.
class LogCapture {
public:
    LogCapture()
    {
        SetLogSink([this](LogRecord* record) {
            std::lock_guard lock(m_mutex);
            m_lines.push_back({record->kind, std::string(record->text, record->length)});
            delete record;
        });
    }
    ~LogCapture() { ClearLogSink(); }

    std::vector<LogLine> Lines() const
    {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }
    int Count(int kind, const std::string& text) const
    {
        int n = 0;
        for (const LogLine& line : Lines()) {
            n += line.kind == kind && line.text == text ? 1 : 0;
        }
        return n;
    }
    int CountKind(int kind) const
    {
        int n = 0;
        for (const LogLine& line : Lines()) {
            n += line.kind == kind ? 1 : 0;
        }
        return n;
    }
    void Clear()
    {
        std::lock_guard lock(m_mutex);
        m_lines.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<LogLine> m_lines;
};

// A temporary application folder; GetAppDirectory points at it while it lives.
class TempAppDirectory {
public:
    TempAppDirectory()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "comdev-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
        SetAppDirectoryForTesting(m_path);
    }
    ~TempAppDirectory()
    {
        SetAppDirectoryForTesting("");
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::string& Path() const { return m_path; }
    void WriteSettings(const std::string& text) const
    {
        std::ofstream(m_path + "/ParamCfg.ini", std::ios::binary) << text;
    }

private:
    std::string m_path;
};

inline std::string ShortTimeoutSettings()
{
    return "[COM_TIMEOUT_PARAM]\r\nReadIntervalTimeout=" + std::to_string(kIntervalMs) +
           "\r\nReadTotalTimeoutConstant=" + std::to_string(kReadTotalMs) +
           "\r\n[UPGRADE_COM_TIMEOUT_PARAM]\r\nReadTotalTimeoutConstant=" +
           std::to_string(kUpgradeReadTotalMs) + "\r\n";
}

inline void ConfigureAsStartUp(CComDevice& device)
{
    device.LoadAtCommands();
    device.LoadConfigParams();
    device.SetVersionParser(ParseProductVersion);
    RegisterVersionProfiles(device);
}

inline ModuleSimulator::Identity MakeIdentity(std::string model, std::string band,
                                              std::string flavour, std::string version,
                                              std::string suffix = "")
{
    ModuleSimulator::Identity identity;
    identity.model = std::move(model);
    identity.band = std::move(band);
    identity.flavour = std::move(flavour);
    identity.version = std::move(version);
    identity.suffix = std::move(suffix);
    return identity;
}

inline constexpr ComPortSettings kDefaultPort{115200, 8, 0, 0};

class ComDeviceTest : public ::testing::Test {
protected:
    ComDeviceTest()
    {
        app.WriteSettings(ShortTimeoutSettings());
        ConfigureAsStartUp(device);
    }

    bool OpenDevice() { return device.Open(sim.portName(), kDefaultPort); }
    void OpenAndIdentify()
    {
        ASSERT_TRUE(OpenDevice());
        int textId = 0;
        ASSERT_TRUE(device.IdentifyVersion(textId)) << "text id " << textId;
    }

    TempAppDirectory app;
    LogCapture log;
    ModuleSimulator sim;
    CComDevice device;  // after sim: closes its port before the module goes
};

} // namespace comdev_test
