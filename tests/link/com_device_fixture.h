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

#include "catalogue/log_record.h"
#include "link/com_device.h"
#include "tests/support/app_folder.h"
#include "tests/support/configured_device.h"
#include "tests/support/log_capture.h"
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

inline long MsSince(Clock::time_point start) {
    return long(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

class ComDeviceTest : public ::testing::Test {
protected:
    bool OpenDevice() { return OpenOn(device, sim); }
    void OpenAndIdentify() {
        ASSERT_TRUE(OpenDevice());
        int textId = 0;
        ASSERT_TRUE(device.IdentifyVersion(textId)) << "text id " << textId;
    }

    TempAppFolder app{kShortTimeouts};
    LogCapture log;
    ModuleSimulator sim;
    ConfiguredDevice device;  // after sim: closes its port before the module goes
};

}  // namespace linktest
