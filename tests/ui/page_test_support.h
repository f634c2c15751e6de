// Shared set-up of the UI tests: the pages' globals, a settings file, a device
// configured as start-up does, the six pages, a load of a simulated module.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "catalogue/app_directory.h"
#include "catalogue/config_param.h"
#include "catalogue/lang_text.h"
#include "catalogue/product_version.h"
#include "link/version_profiles.h"
#include "tests/support/module_simulator.h"
#include "tests/ui/qt_test_app.h"
#include "ui/combo_box.h"
#include "ui/controls.h"
#include "ui/device_version.h"
#include "ui/pages/claa_setting_dlg.h"
#include "ui/pages/io_config_dialog.h"
#include "ui/pages/lora_setting_dlg.h"
#include "ui/pages/lora_wan_setting_dlg.h"
#include "ui/pages/serial_port_setting_dlg.h"
#include "ui/pages/system_setting_dlg.h"

// What the pages read from globals: the interface language (taken when a page
// is created) and the module's version text; both restored when it goes.
struct PageGlobals {
    explicit PageGlobals(int language) {
        TestApp();
        BuildLangTextIndex();
        g_language = language;
    }
    ~PageGlobals() {
        g_language = saved;
        g_deviceVersion.clear();
    }
    const int saved = g_language;
};

// A ParamCfg.ini with short port time-outs in a folder of its own, made the
// application folder while it lives.
struct TestSettings {
    explicit TestSettings(int readTotalTimeoutMs = 400)
        : folder(std::filesystem::temp_directory_path() /
                 ("quorrel_ui_" + std::to_string(getpid()))) {
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "ParamCfg.ini")
            << "[COM_TIMEOUT_PARAM]\nReadIntervalTimeout=15\nReadTotalTimeoutConstant="
            << readTotalTimeoutMs
            << "\n[UPGRADE_COM_TIMEOUT_PARAM]\nReadTotalTimeoutConstant=300\n";
        SetAppDirectoryForTesting(folder.string());
    }
    ~TestSettings() {
        SetAppDirectoryForTesting("");
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    const std::filesystem::path folder;
};

struct ConfiguredDevice : CComDevice {
    explicit ConfiguredDevice(bool supportEverything = false) {
        LoadAtCommands();
        LoadConfigParams();
        SetVersionParser(ParseProductVersion);
        RegisterVersionProfiles(*this);
        for (const ConfigParam* const* row = g_configParams; supportEverything && *row; ++row) {
            m_supportedParams.insert((*row)->configId);
        }
    }
};

// The six pages in the main dialog's order, hidden children of one parent.
struct PageSet {
    QWidget parent;
    CSystemSettingDlg system;
    CSerialPortSettingDlg serialPort;
    CLoraSettingDlg lora;
    CLoraWanSettingDlg loraWan;
    CClaaSettingDlg claa;
    CIOConfigDialog io;
    explicit PageSet(CComDevice& device) {
        const auto create = [&](auto& page) { page.m_device = &device, page.Create(&parent); };
        create(system), create(serialPort), create(lora), create(loraWan), create(claa), create(io);
    }
    // The pages the main dialog fills after a load and reads for a write, in its order.
    std::vector<CConfigPageHelper*> Filled(CConfigPageHelper* network) {
        return {&system, &serialPort, &io, network};
    }
};

// The six pages over a device that supports every parameter.
struct PageTest : ::testing::Test {
    PageGlobals globals{1};
    ConfiguredDevice device{true};
    PageSet pages{device};
};

// What GetValues gives for the key, "(none)" when nothing.
inline std::string Value(CConfigPageHelper& page, const std::string& key) {
    ParamValueMap out;
    page.GetValues(out);
    return out.count(key) ? out[key] : "(none)";
}

// Loads the module's values the way the load job does, without its pauses.
inline bool LoadModule(CComDevice& device, const ModuleSimulator& sim, ParamValueMap& values) {
    int textId = 0;
    if (!device.Open(sim.portName(), ComPortSettings{115200, 8, 0, 0}) ||
        !device.EnterCommandMode() || !device.IdentifyVersion(textId)) {
        return false;
    }
    if (device.m_versionText.find("CLAA") != std::string::npos) device.QueryGmr();
    std::vector<AtRequest> requests;
    device.CollectQueries(device.m_supportedParams, requests);
    for (AtRequest& request : requests) {
        if (device.Query(request)) values[request.configId] = request.reply;
    }
    return true;
}
