// Shared set-up of the UI tests: the pages' globals, short port time-outs, the
// six pages, a load of a simulated module.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "catalogue/config_param.h"
#include "catalogue/lang_text.h"
#include "tests/support/app_folder.h"
#include "tests/support/configured_device.h"
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

// Settings with short port time-outs, for a TempAppFolder.
inline std::string ShortTimeouts(int readTotalTimeoutMs = 400) {
    return "[COM_TIMEOUT_PARAM]\nReadIntervalTimeout=15\nReadTotalTimeoutConstant=" +
           std::to_string(readTotalTimeoutMs) +
           "\n[UPGRADE_COM_TIMEOUT_PARAM]\nReadTotalTimeoutConstant=300\n";
}

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
    if (!OpenOn(device, sim) || !device.EnterCommandMode() || !device.IdentifyVersion(textId)) {
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
