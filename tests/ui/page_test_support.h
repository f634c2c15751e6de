// Shared set-up of the configuration-page tests: the application object, a
// device configured as start-up configures it, the six pages created as the
// main dialog creates them, and a load of a simulated module's values
// through the device.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "catalogue/app_directory.h"
#include "catalogue/lang_text.h"
#include "catalogue/product_version.h"
#include "link/com_device.h"
#include "link/version_profiles.h"
#include "tests/support/module_simulator.h"
#include "ui/device_version.h"
#include "ui/pages/claa_setting_dlg.h"
#include "ui/pages/io_config_dialog.h"
#include "ui/pages/lora_setting_dlg.h"
#include "ui/pages/lora_wan_setting_dlg.h"
#include "ui/pages/serial_port_setting_dlg.h"
#include "ui/pages/system_setting_dlg.h"

namespace page_test {

// Never destroyed: QTest's key events make an input device that Qt frees
// while static objects are destroyed, which must not meet a dying
// application object.
inline QApplication& App() {
    static int argc = 1;
    static char name[] = "page_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// The interface language for the pages created while it lives; labels are
// taken when a page is created.
class LanguageScope {
public:
    explicit LanguageScope(int language) : m_saved(g_language) {
        BuildLangTextIndex();
        g_language = language;
    }
    ~LanguageScope() { g_language = m_saved; }

private:
    int m_saved;
};

// A device configured as start-up configures it.
class ConfiguredDevice : public CComDevice {
public:
    ConfiguredDevice() {
        LoadAtCommands();
        LoadConfigParams();
        SetVersionParser(ParseProductVersion);
        RegisterVersionProfiles(*this);
    }
};

// The six pages, created in the main dialog's order as hidden children of
// one parent, each holding the device.
struct PageSet {
    QWidget parent;
    CSystemSettingDlg system;
    CSerialPortSettingDlg serialPort;
    CLoraSettingDlg lora;
    CLoraWanSettingDlg loraWan;
    CClaaSettingDlg claa;
    CIOConfigDialog io;

    explicit PageSet(CComDevice& device) {
        parent.resize(800, 600);
        for (auto [dialog, helper] : Pages()) {
            helper->m_device = &device;
            dialog->Create(&parent);
        }
    }

    std::vector<std::pair<TemplateDialog*, CConfigPageHelper*>> Pages() {
        return {{&system, &system}, {&serialPort, &serialPort},
                {&lora, &lora},     {&loraWan, &loraWan},
                {&claa, &claa},     {&io, &io}};
    }

    // The network page the module's flavour selects, as the main dialog
    // chooses it; null when none fits.
    CConfigPageHelper* NetworkPage(const product_version_id& id) {
        if (id.flavour == "LRWAN") return &loraWan;
        if (id.flavour == "CLAA") return &claa;
        if (id.version == "V1" || id.version == "V2") return &lora;
        return nullptr;
    }

    // What the main dialog does after a load or an import.
    void Distribute(const ParamValueMap& values, CConfigPageHelper* network) {
        system.SetValues(values);
        serialPort.SetValues(values);
        io.SetValues(values);
        if (network != nullptr) network->SetValues(values);
    }

    // What the main dialog hands to a write or an export: the pages' values
    // for the supported ids only.
    ParamValueMap Collect(CConfigPageHelper* network, const std::set<std::string>& ids) {
        ParamValueMap all;
        system.GetValues(all);
        serialPort.GetValues(all);
        io.GetValues(all);
        if (network != nullptr) network->GetValues(all);
        ParamValueMap out;
        for (const std::string& id : ids) {
            const auto found = all.find(id);
            if (found != all.end()) out[id] = found->second;
        }
        return out;
    }
};

// A ParamCfg.ini with short port time-outs in a folder of its own, made the
// application folder while it lives.
class ShortTimeoutSettings {
public:
    ShortTimeoutSettings() {
        m_folder = std::filesystem::temp_directory_path() /
                   ("quorrel_page_test_" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_folder);
        std::ofstream(m_folder / "ParamCfg.ini") << "[COM_TIMEOUT_PARAM]\n"
                                                    "ReadIntervalTimeout=15\n"
                                                    "ReadTotalTimeoutConstant=400\n";
        SetAppDirectoryForTesting(m_folder.string());
    }
    ~ShortTimeoutSettings() {
        SetAppDirectoryForTesting("");
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

private:
    std::filesystem::path m_folder;
};

// Opens the module's port and identifies it, which fills the device's
// supported set. The port stays open.
inline bool IdentifyModule(CComDevice& device, const ModuleSimulator& sim) {
    if (!device.Open(sim.portName(), ComPortSettings{115200, 8, 0, 0})) return false;
    if (!device.EnterCommandMode()) return false;
    int textId = 0;
    return device.IdentifyVersion(textId);
}

// Loads the module's values through the device the way the load job does
// (command mode, identification, one query per parameter), without its
// pauses. Returns false when the module could not be identified.
inline bool LoadModule(CComDevice& device, const ModuleSimulator& sim, ParamValueMap& values) {
    if (!IdentifyModule(device, sim)) return false;
    if (device.m_versionText.find("CLAA") != std::string::npos) device.QueryGmr();
    std::vector<AtRequest> requests;
    device.CollectQueries(device.m_supportedParams, requests);
    for (AtRequest& request : requests) {
        if (device.Query(request)) values[request.configId] = request.reply;
    }
    return true;
}

}  // namespace page_test
