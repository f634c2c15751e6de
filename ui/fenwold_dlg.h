#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "link/com_device.h"
#include "ui/log_sink_bridge.h"
#include "ui/log_view.h"
#include "ui/port_watcher.h"
#include "ui/template_dialog.h"

struct FileWriteFailure;

class TemplateMenu;
class CConfigPageHelper;
class CSystemSettingDlg;
class CSerialPortSettingDlg;
class CLoraSettingDlg;
class CLoraWanSettingDlg;
class CClaaSettingDlg;
class CIOConfigDialog;
class QMenuBar;
struct WaitJob;

// The main dialog's user-interface state; the operations compare the numbers.
enum UiState : int {
    UI_INITIAL = 0,
    UI_PORT_CLOSED = 1,
    UI_PORT_OPEN = 2,
    UI_MODULE_RECOGNISED = 3,
    UI_PAGES_SHOWN = 4,
};

// The main window: port choice, connection states, the tabbed configuration
// pages, the log pane, and the parameter operations behind its buttons and
// menu. Runs on the UI thread only; long operations go through CWaitDialog.
class CFenwoldDlg : public TemplateDialog, public DeviceChangeListener {
    Q_OBJECT
public:
    explicit CFenwoldDlg(CComDevice* device, QWidget* parent = nullptr);
    ~CFenwoldDlg() override;

    // Parameter operations (also called by the upgrade dialog).
    void LoadParams();
    void SaveParams();
    bool RestartDevice();
    bool RestoreFactory();
    void ImportConfig();
    void ExportConfig();
    void DistributeParams(const ParamValueMap& values);
    void CollectParams(ParamValueMap& out, const std::set<std::string>& ids);

    void SetUiState(int state);
    int GetUiState() const { return m_uiState; }
    void ShowPagesForModule();
    void HidePages();
    void RefreshPortList();
    void SetLanguage(int language);

    bool OnDeviceChange(unsigned event, const DeviceBroadcast* data) override;

    // For the start-up and the tests: the pieces of the window.
    TemplateMenu* Menu() const { return m_menu; }
    CLogView& LogView() { return *m_logView; }
    CConfigPageHelper* NetworkPage() const;   // the page the module's flavour selects, or null
    QWidget* PageWidget(int tabIndex) const;  // the page a tab shows, or null

    const ComPortSettings& PortSettings() const { return m_portSettings; }

protected:
    bool OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The six pages in order of creation.
    enum PageIndex : int {
        PAGE_SYSTEM,
        PAGE_SERIAL_PORT,
        PAGE_LORA,
        PAGE_LRWAN,
        PAGE_CLAA,
        PAGE_IO,
    };
    struct Page {
        TemplateDialog* dialog;
        CConfigPageHelper* helper;
    };

    void CreatePages();
    void ApplyLanguageTexts();
    void PlaceMenuBar();
    void ConnectHandlers();
    void OnMenuCommand(int id);
    int NetworkPageIndex() const;  // index into m_pages of the network page, or -1
    // The pages that hold the module's values: system, serial port, I/O, then
    // the network page if the module has one; empty until created.
    std::vector<CConfigPageHelper*> ModulePages() const;
    void HideAllPages();
    bool PortIsOpen() const;

    // Handlers of the buttons, check boxes, tab control and menu.
    void OnBnClickedOpenCom();
    void OnBnClickedClearLog();
    void OnBnClickedLoadParams();
    void OnBnClickedSaveParams();
    void OnBnClickedRestart();
    void OnBnClickedRestoreFactory();
    void OnMenuRestoreFactory();
    void OnBnClickedImportConfig();
    void OnBnClickedExportConfig();
    void OnBnClickedDisplayPacket();
    void OnBnClickedHexShow();
    void OnTcnSelchangeTab();
    void OnMenuEnglish();
    void OnMenuChinese();
    void CheckLanguageItem(int language);
    int m_checkedLanguage = 0;  // the language item the menu shows checked
    void OnLogMessage(PostedMessage& message);

    // The upgrade dialog, the command window and the port options; in
    // fenwold_dlg_dialogs.cpp.
    void OnBnClickedUpgrade();
    void OnMenuCommandWindow();
    void OnMenuComSettings();

    bool WriteConfigInt(const char* key, int value, FileWriteFailure* failure = nullptr);
    // Runs one job for the device under the wait dialog; IDOK or IDCANCEL.
    int RunWaitJob(WaitJob& job);
    // Restart or factory restore with its two log lines; true on success.
    bool RunModuleCommand(int op, const char* success, const char* failure);

    CComDevice* m_pDevice;  // not owned
    ComPortSettings m_portSettings{115200, 8, 0, 0};
    int m_uiState = UI_INITIAL;
    std::string m_iniPath;
    bool m_initialised = false;

    QMenuBar* m_menuBar = nullptr;
    TemplateMenu* m_menu = nullptr;
    std::unique_ptr<CLogView> m_logView;

    // The six pages, children of the tab control; order of creation.
    std::unique_ptr<CSystemSettingDlg> m_systemPage;
    std::unique_ptr<CSerialPortSettingDlg> m_serialPortPage;
    std::unique_ptr<CLoraSettingDlg> m_loraPage;
    std::unique_ptr<CLoraWanSettingDlg> m_loraWanPage;
    std::unique_ptr<CClaaSettingDlg> m_claaPage;
    std::unique_ptr<CIOConfigDialog> m_ioPage;
    std::vector<Page> m_pages;  // the six above, by PageIndex; empty until created

    PortWatcher m_portWatcher;

    // Last members: removed first, so no record or broadcast reaches a
    // half-destroyed dialog.
    DeviceChangeRegistration m_deviceChange{this};
    std::unique_ptr<LogSinkBridge> m_logSink;
};
