// A device set up as start-up sets it up, and opened on a simulated module.
#pragma once

#include "catalogue/config_param.h"
#include "catalogue/product_version.h"
#include "link/com_device.h"
#include "link/version_profiles.h"
#include "tests/support/module_simulator.h"

// The line settings every test opens a simulated module with.
inline constexpr ComPortSettings kSimPortSettings{115200, 8, 0, 0};

// What start-up gives a device before any firmware profile: the AT command
// table, the parameter catalogue and the version parser. For a test that
// registers profiles of its own.
inline void LoadDeviceTables(CComDevice& device) {
    device.LoadAtCommands();
    device.LoadConfigParams();
    device.SetVersionParser(ParseProductVersion);
}

inline bool OpenOn(CComDevice& device, const ModuleSimulator& sim) {
    return device.Open(sim.portName(), kSimPortSettings);
}

// The tables and the firmware profile table, as start-up has them.
struct ConfiguredDevice : CComDevice {
    // supportEverything: every parameter counts as supported, whatever the module.
    explicit ConfiguredDevice(bool supportEverything = false) {
        LoadDeviceTables(*this);
        RegisterVersionProfiles(*this);
        for (const ConfigParam* const* row = g_configParams; supportEverything && *row; ++row)
            m_supportedParams.insert((*row)->configId);
    }
};
