#include "ui/fenwold_dlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <vector>

#include "catalogue/app_directory.h"
#include "catalogue/lang_text.h"
#include "catalogue/log_record.h"
#include "link/serial.h"
#include "platform/profile.h"
#include "resources/app_icon.h"
#include "resources/app_version.h"
#include "resources/dialog_templates.h"
#include "resources/main_dialog_ids.h"
#include "ui/combo_box.h"
#include "ui/controls.h"
#include "ui/device_version.h"
#include "ui/file_write_reason.h"
#include "ui/message_box.h"
#include "ui/pages/claa_setting_dlg.h"
#include "ui/pages/io_config_dialog.h"
#include "ui/pages/lora_setting_dlg.h"
#include "ui/pages/lora_wan_setting_dlg.h"
#include "ui/pages/serial_port_setting_dlg.h"
#include "ui/pages/system_setting_dlg.h"
#include "ui/qt_language.h"
#include "ui/startup_language.h"
#include "ui/tab_control.h"
#include "ui/template_menu.h"
#include "ui/posted_message.h"

namespace {

constexpr const char kConfigSection[] = "CONFIG";

struct TextOf {
    int id;
    int textId;
};

// Controls and menu items whose texts follow the interface language, in the
// order they are set.
constexpr TextOf kControlTexts[] = {
    {IDC_STATIC_VERSION, TEXT_VERSION},
    {IDC_BUTTON_OPENCOM, TEXT_OPEN},
    {IDC_STATIC_CONFIGGROUP, TEXT_CONFIG_GROUP},
    {IDC_STATIC_LOGGROUP, TEXT_LOG_GROUP},
    {IDC_BUTTON_LOADPARAMS, TEXT_BUTTON_LOAD_PARAMS},
    {IDC_BUTTON_SAVEPARAMS, TEXT_BUTTON_WRITE_PARAMS},
    {IDC_BUTTON_RESTART, TEXT_BUTTON_REBOOT_DEVICE},
    {IDC_BUTTON_RESTOREFACTORY, TEXT_BUTTON_RESTORE_FACTORY},
    {IDC_BUTTON_IMPORT, TEXT_BUTTON_IMPORT_PARAMS},
    {IDC_BUTTON_EXPORT, TEXT_BUTTON_EXPORT_PARAMS},
    {IDC_CHECK_DISPLAYPACKET, TEXT_CHECK_DISPLAY},
    {IDC_CHECK_HEXSHOW, TEXT_CHECK_HEX},
    {IDC_BUTTON_CLEARLOG, TEXT_BUTTON_CLEAR_LOG},
    {IDC_BUTTON_UPGRADE, TEXT_BUTTON_UPGRADE},
};

constexpr TextOf kMenuTexts[] = {
    {ID_OPERATION_LOADPARAMS, TEXT_MENU_LOAD_PARAMS},
    {ID_OPERATION_SAVEPARAMS, TEXT_MENU_WRITE_PARAMS},
    {ID_OPERATION_RESTART, TEXT_MENU_REBOOT_DEVICE},
    {ID_OPERATION_RESTOREFACTORY, TEXT_MENU_RESTORE_FACTORY},
    {ID_OPERATION_IMPORTCONFIG, TEXT_MENU_IMPORT_PARAMS},
    {ID_OPERATION_EXPORTCONFIG, TEXT_MENU_EXPORT_PARAMS},
    {ID_OPERATION_UPGRADE, TEXT_MENU_UPGRADE},
    {ID_MENU_EXIT, TEXT_MENU_EXIT},
    {ID_TOOLS_COMMANDWINDOW, TEXT_MENU_COMMAND_WINDOW},
    {ID_OPTIONS_COMSETTINGS, TEXT_MENU_COMM_SETTINGS},
    {ID_LANGUAGE_ENGLISH, TEXT_MENU_ENGLISH},
    {ID_LANGUAGE_CHINESE, TEXT_MENU_CHINESE},
};

// Buttons that need an open port, and those that need a recognised module.
constexpr int kPortButtons[] = {IDC_BUTTON_LOADPARAMS, IDC_BUTTON_RESTART,
                                IDC_BUTTON_RESTOREFACTORY, IDC_BUTTON_UPGRADE};
constexpr int kModuleButtons[] = {IDC_BUTTON_SAVEPARAMS, IDC_BUTTON_IMPORT, IDC_BUTTON_EXPORT};

// Tabs and the pages they show.
enum TabIndex : int { TAB_NETWORK = 0, TAB_SYSTEM = 1, TAB_SERIAL_PORT = 2, TAB_IO_PORT = 3 };

// Room the tab control keeps around its pages: its strip on top, a border
// elsewhere.
constexpr int kPageMargin = 4;
constexpr int kMinPageTop = 25;

// A port removal is followed by a fresh list once the system has settled.
constexpr int kRefreshAfterRemovalMs = 200;

}  // namespace

CFenwoldDlg::CFenwoldDlg(CComDevice* device, QWidget* parent)
    : TemplateDialog(g_mainDialogTemplate, parent), m_pDevice(device), m_portWatcher(this) {
    m_menuBar = new QMenuBar(this);
    m_menuBar->setNativeMenuBar(false);
    m_menu = new TemplateMenu(g_mainMenuTemplate, m_menuBar);

    m_logView = std::make_unique<CLogView>(DlgItem<QPlainTextEdit>(IDC_EDIT_LOG));
    setWindowIcon(MakeAppIcon());

    // Enter and Esc are looked at before any control of this window sees them.
    qApp->installEventFilter(this);
    ConnectHandlers();
}

CFenwoldDlg::~CFenwoldDlg() {
    qApp->removeEventFilter(this);
    m_portWatcher.Stop();
}

void CFenwoldDlg::ConnectHandlers() {
    const auto onClick = [this](int id, void (CFenwoldDlg::*handler)()) {
        if (QPushButton* button = Button(id)) {
            // Enter never clicks a button of this window: it goes to the control.
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this, handler);
        }
    };
    onClick(IDC_BUTTON_OPENCOM, &CFenwoldDlg::OnBnClickedOpenCom);
    onClick(IDC_BUTTON_CLEARLOG, &CFenwoldDlg::OnBnClickedClearLog);
    onClick(IDC_BUTTON_LOADPARAMS, &CFenwoldDlg::OnBnClickedLoadParams);
    onClick(IDC_BUTTON_SAVEPARAMS, &CFenwoldDlg::OnBnClickedSaveParams);
    onClick(IDC_BUTTON_RESTART, &CFenwoldDlg::OnBnClickedRestart);
    onClick(IDC_BUTTON_RESTOREFACTORY, &CFenwoldDlg::OnBnClickedRestoreFactory);
    onClick(IDC_BUTTON_IMPORT, &CFenwoldDlg::OnBnClickedImportConfig);
    onClick(IDC_BUTTON_EXPORT, &CFenwoldDlg::OnBnClickedExportConfig);
    onClick(IDC_BUTTON_UPGRADE, &CFenwoldDlg::OnBnClickedUpgrade);
    if (auto* box = DlgItem<QCheckBox>(IDC_CHECK_DISPLAYPACKET)) {
        connect(box, &QCheckBox::clicked, this, &CFenwoldDlg::OnBnClickedDisplayPacket);
    }
    if (auto* box = DlgItem<QCheckBox>(IDC_CHECK_HEXSHOW)) {
        connect(box, &QCheckBox::clicked, this, &CFenwoldDlg::OnBnClickedHexShow);
    }
    if (TabControl* tab = Tab(IDC_TAB_CONFIG)) {
        connect(tab, &TabControl::SelChange, this, &CFenwoldDlg::OnTcnSelchangeTab);
    }
    connect(m_menu, &TemplateMenu::Command, this, &CFenwoldDlg::OnMenuCommand);
    AddMessageHandler(WM_LOG_MESSAGE, [this](PostedMessage& message) { OnLogMessage(message); });
}

void CFenwoldDlg::OnMenuCommand(int id) {
    switch (id) {
        case ID_OPERATION_LOADPARAMS: OnBnClickedLoadParams(); break;
        case ID_OPERATION_SAVEPARAMS: OnBnClickedSaveParams(); break;
        case ID_OPERATION_RESTART: OnBnClickedRestart(); break;
        case ID_OPERATION_RESTOREFACTORY: OnMenuRestoreFactory(); break;
        case ID_OPERATION_IMPORTCONFIG: OnBnClickedImportConfig(); break;
        case ID_OPERATION_EXPORTCONFIG: OnBnClickedExportConfig(); break;
        case ID_OPERATION_UPGRADE: OnBnClickedUpgrade(); break;
        case ID_MENU_EXIT: OnOK(); break;
        case ID_TOOLS_COMMANDWINDOW: OnMenuCommandWindow(); break;
        case ID_OPTIONS_COMSETTINGS: OnMenuComSettings(); break;
        case ID_LANGUAGE_ENGLISH: OnMenuEnglish(); break;
        case ID_LANGUAGE_CHINESE: OnMenuChinese(); break;
        default: break;
    }
}

void CFenwoldDlg::showEvent(QShowEvent* event) {
    // Shown without DoModal (tests, a modeless start): initialise all the same.
    if (!m_initialised) OnInitDialog();
    TemplateDialog::showEvent(event);
}

bool CFenwoldDlg::OnInitDialog() {
    if (m_initialised) return true;
    m_initialised = true;

    // This is the main window from now on: log records come here.
    m_logSink = std::make_unique<LogSinkBridge>(this);
    setWindowTitle(QStringLiteral("Quorrel V%1").arg(QString::fromUtf8(kAppVersion)));
    BuildLangTextIndex();
    m_iniPath = GetSettingsFilePath();
    g_language = ResolveLanguage(ReadProfileInt(kConfigSection, "LANGUAGE", 0, m_iniPath),
                                 LocaleIsChinese());
    InstallQtLanguage(g_language);

    CreatePages();
    ApplyLanguageTexts();
    PlaceMenuBar();
    SetUiState(UI_PORT_CLOSED);
    CheckLanguageItem(g_language);
    RefreshPortList();

    // Any value but 0 shows the box ticked. The Hex box stays enabled until the
    // Display box is first clicked.
    CheckDlgButton(IDC_CHECK_DISPLAYPACKET,
                   ReadProfileInt(kConfigSection, "DisPlayPacket", 1, m_iniPath) != 0 ? 1 : 0);
    CheckDlgButton(IDC_CHECK_HEXSHOW,
                   ReadProfileInt(kConfigSection, "HexShow", 1, m_iniPath) != 0 ? 1 : 0);

    m_portWatcher.Start();
    return true;
}

void CFenwoldDlg::CreatePages() {
    TabControl* tab = Tab(IDC_TAB_CONFIG);
    m_systemPage = std::make_unique<CSystemSettingDlg>();
    m_serialPortPage = std::make_unique<CSerialPortSettingDlg>();
    m_loraPage = std::make_unique<CLoraSettingDlg>();
    m_loraWanPage = std::make_unique<CLoraWanSettingDlg>();
    m_claaPage = std::make_unique<CClaaSettingDlg>();
    m_ioPage = std::make_unique<CIOConfigDialog>();
    m_pages = {Page{m_systemPage.get(), m_systemPage.get()},
               Page{m_serialPortPage.get(), m_serialPortPage.get()},
               Page{m_loraPage.get(), m_loraPage.get()},
               Page{m_loraWanPage.get(), m_loraWanPage.get()},
               Page{m_claaPage.get(), m_claaPage.get()},
               Page{m_ioPage.get(), m_ioPage.get()}};
    for (const Page& page : m_pages) {
        page.helper->m_device = m_pDevice;
        page.dialog->Create(tab);
    }
}

void CFenwoldDlg::PlaceMenuBar() {
    // The menu bar sits above the template's client area, as a Windows menu
    // does, so the controls move down by its height. Measured with the texts
    // of the interface language: Chinese glyphs may need a taller bar.
    const int menuHeight = m_menuBar->sizeHint().height();
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child != m_menuBar) child->move(child->x(), child->y() + menuHeight);
    }
    m_menuBar->setGeometry(0, 0, width(), menuHeight);
    setFixedSize(width(), height() + menuHeight);
}

void CFenwoldDlg::ApplyLanguageTexts() {
    for (const TextOf& row : kControlTexts) SetDlgItemText(row.id, GetLangText(row.textId));
    for (const TextOf& row : kMenuTexts) m_menu->SetItemText(row.id, GetLangText(row.textId));
    m_menu->SetPopupText(0, -1, GetLangText(TEXT_MENU_OPERATION));
    m_menu->SetPopupText(1, -1, GetLangText(TEXT_MENU_TOOLS));
    m_menu->SetPopupText(2, -1, GetLangText(TEXT_MENU_OPTIONS));
    m_menu->SetPopupText(2, 1, GetLangText(TEXT_MENU_LANGUAGE));
}

void CFenwoldDlg::SetUiState(int state) {
    if (state == m_uiState) return;
    m_uiState = state;
    switch (state) {
        case UI_PORT_CLOSED:
            SetDlgItemText(IDC_BUTTON_OPENCOM, GetLangText(TEXT_OPEN));
            for (int id : kPortButtons) EnableDlgItem(id, false);
            for (int id : kModuleButtons) EnableDlgItem(id, false);
            HidePages();
            SetDlgItemText(IDC_EDIT_VERSION, "");
            EnableDlgItem(IDC_COMBO_COMPORT, true);
            break;
        case UI_PORT_OPEN:
            SetDlgItemText(IDC_BUTTON_OPENCOM, GetLangText(TEXT_CLOSE));
            for (int id : kPortButtons) EnableDlgItem(id, true);
            EnableDlgItem(IDC_COMBO_COMPORT, false);
            break;
        case UI_MODULE_RECOGNISED:
            for (int id : kPortButtons) {
                if (id != IDC_BUTTON_UPGRADE) EnableDlgItem(id, true);
            }
            for (int id : kModuleButtons) EnableDlgItem(id, true);
            SetDlgItemText(IDC_EDIT_VERSION, g_deviceVersion.find("CLAA") != std::string::npos
                                                 ? m_pDevice->m_gmrText
                                                 : m_pDevice->m_versionText);
            LogPrintf(LOG_INFO, "device version recognized");
            break;
        case UI_PAGES_SHOWN:
            ShowPagesForModule();
            break;
        default:
            break;
    }
}

int CFenwoldDlg::NetworkPageIndex() const {
    const product_version_id id = m_pDevice->GetVersionId();
    if (id.flavour == "LRWAN") return PAGE_LRWAN;
    if (id.flavour == "CLAA") return PAGE_CLAA;
    if (id.version == "V1" || id.version == "V2") return PAGE_LORA;
    return -1;
}

CConfigPageHelper* CFenwoldDlg::NetworkPage() const {
    const int index = NetworkPageIndex();
    return index < 0 || m_pages.empty() ? nullptr : m_pages[index].helper;
}

QWidget* CFenwoldDlg::PageWidget(int tabIndex) const {
    if (m_pages.empty()) return nullptr;
    switch (tabIndex) {
        case TAB_NETWORK: {
            const int index = NetworkPageIndex();
            return index < 0 ? nullptr : m_pages[index].dialog;
        }
        case TAB_SYSTEM: return m_pages[PAGE_SYSTEM].dialog;
        case TAB_SERIAL_PORT: return m_pages[PAGE_SERIAL_PORT].dialog;
        case TAB_IO_PORT: return m_pages[PAGE_IO].dialog;
        default: return nullptr;
    }
}

void CFenwoldDlg::HideAllPages() {
    for (const Page& page : m_pages) page.dialog->hide();
}

void CFenwoldDlg::HidePages() {
    HideAllPages();
    if (TabControl* tab = Tab(IDC_TAB_CONFIG)) tab->DeleteAllItems();
}

void CFenwoldDlg::ShowPagesForModule() {
    TabControl* tab = Tab(IDC_TAB_CONFIG);
    if (tab == nullptr || m_pages.empty()) return;
    // Qt's tab strip may be taller than the 25 pixels a Windows one takes.
    const int top = std::max(kMinPageTop, tab->TabStripHeight() + kPageMargin);
    const QRect area = tab->rect().adjusted(kPageMargin, top, -kPageMargin, -kPageMargin);
    for (const Page& page : m_pages) page.dialog->setGeometry(area);

    tab->InsertItem(TAB_NETWORK, GetLangText(TEXT_TAB_NETWORK));
    tab->InsertItem(TAB_SYSTEM, GetLangText(TEXT_TAB_SYSTEM));
    tab->InsertItem(TAB_SERIAL_PORT, GetLangText(TEXT_TAB_SERIAL_PORT));
    // Only the relay firmware (the one shown on the LoRa page) has I/O ports,
    // and not on its S model.
    if (NetworkPageIndex() == PAGE_LORA && m_pDevice->GetVersionId().model != "S") {
        tab->InsertItem(TAB_IO_PORT, GetLangText(TEXT_TAB_IO_PORT));
    }
    if (QWidget* network = PageWidget(TAB_NETWORK)) network->show();
    tab->SetCurSel(TAB_NETWORK);
}

void CFenwoldDlg::OnTcnSelchangeTab() {
    HideAllPages();
    if (TabControl* tab = Tab(IDC_TAB_CONFIG)) {
        if (QWidget* page = PageWidget(tab->GetCurSel())) page->show();
    }
}

bool CFenwoldDlg::PortIsOpen() const { return m_pDevice->m_serial.IsOpen(); }

void CFenwoldDlg::RefreshPortList() {
    std::vector<std::string> names;
    if (!CSerial::EnumPorts(names)) return;
    ComboBox* combo = Combo(IDC_COMBO_COMPORT);
    if (combo == nullptr) return;
    const std::string remembered = PortIsOpen() ? GetWindowText(combo) : std::string();
    combo->ResetContent();
    LogPrintf(LOG_INFO, "enum %d com ports", static_cast<int>(names.size()));
    int selection = -1;
    for (std::size_t i = 0; i < names.size(); ++i) {
        combo->AddString(names[i]);
        if (selection < 0 && names[i] == remembered) selection = static_cast<int>(i);
    }
    if (!names.empty()) combo->SetCurSel(selection < 0 ? 0 : selection);
}

bool CFenwoldDlg::OnDeviceChange(unsigned event, const DeviceBroadcast* data) {
    if (data == nullptr || data->deviceType != DBT_DEVTYP_PORT) return true;
    if (event == DBT_DEVICEARRIVAL) {
        RefreshPortList();
        LogPrintf(LOG_INFO, "Port %s inserted", data->portName.c_str());
    } else if (event == DBT_DEVICEREMOVECOMPLETE) {
        LogPrintf(LOG_INFO, "Port %s removed", data->portName.c_str());
        // A wait dialog that was running has already joined its worker: it is
        // told first (the listener registered last).
        if (data->portName == m_pDevice->m_portName && PortIsOpen()) {
            m_pDevice->Close();
            SetUiState(UI_PORT_CLOSED);
        }
        QTimer::singleShot(kRefreshAfterRemovalMs, this, [this] { RefreshPortList(); });
    }
    return true;
}

void CFenwoldDlg::OnBnClickedOpenCom() {
    if (PortIsOpen()) {
        m_pDevice->Close();
        SetUiState(UI_PORT_CLOSED);
        return;
    }
    ComboBox* combo = Combo(IDC_COMBO_COMPORT);
    if (combo == nullptr || combo->GetCount() == 0 || combo->GetCurSel() < 0) return;
    if (m_pDevice->Open(combo->GetLBText(combo->GetCurSel()), m_portSettings)) {
        SetUiState(UI_PORT_OPEN);
    }
}

void CFenwoldDlg::OnBnClickedClearLog() { m_logView->Clear(); }

void CFenwoldDlg::OnBnClickedDisplayPacket() {
    const int state = IsDlgButtonChecked(IDC_CHECK_DISPLAYPACKET);
    EnableDlgItem(IDC_CHECK_HEXSHOW, state != 0);
    WriteConfigInt("DisPlayPacket", state);
}

void CFenwoldDlg::OnBnClickedHexShow() {
    WriteConfigInt("HexShow", IsDlgButtonChecked(IDC_CHECK_HEXSHOW));
}

bool CFenwoldDlg::WriteConfigInt(const char* key, int value, FileWriteFailure* failure) {
    FileWriteFailure why;
    if (WriteProfileString(kConfigSection, key, std::to_string(value), m_iniPath, &why))
        return true;
    LogSettingsNotSaved(m_iniPath, why);
    if (failure != nullptr) *failure = why;
    return false;
}

void CFenwoldDlg::OnMenuEnglish() { SetLanguage(1); }

void CFenwoldDlg::OnMenuChinese() { SetLanguage(2); }

void CFenwoldDlg::CheckLanguageItem(int language) {
    m_checkedLanguage = language;
    m_menu->CheckItem(ID_LANGUAGE_CHINESE, language == 2);
    m_menu->CheckItem(ID_LANGUAGE_ENGLISH, language != 2);
}

void CFenwoldDlg::SetLanguage(int language) {
    const int saved = m_checkedLanguage;
    CheckLanguageItem(language);
    FileWriteFailure failure;
    if (WriteConfigInt("LANGUAGE", language, &failure)) {
        MessageBox(GetLangText(TEXT_TAKE_EFFECT_AFTER_RESTART), this);
        return;
    }
    // Neither the box nor the menu may promise a language that the next start
    // will not find.
    CheckLanguageItem(saved);
    MessageBox(SettingsNotSavedMessage(m_iniPath, failure), this);
}

void CFenwoldDlg::OnLogMessage(PostedMessage& message) {
    // The event owns the record and frees it whatever happens here.
    m_logView->Append(message.record.get(), IsDlgButtonChecked(IDC_CHECK_DISPLAYPACKET) != 0,
                      IsDlgButtonChecked(IDC_CHECK_HEXSHOW) != 0);
}

bool CFenwoldDlg::eventFilter(QObject* watched, QEvent* event) {
    // Every event of the application passes here first, a worker's posted
    // messages included, before their window has taken them in.
    NotePostedEventArrived(event);
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != this) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    // Esc never ends the dialog or a page in it.
    if (key == Qt::Key_Escape) return true;
    // Enter goes to the focused control; it must not reach a dialog (the main
    // one or a page), where it would end it, nor click a push button.
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        return qobject_cast<QDialog*>(widget) != nullptr ||
               qobject_cast<QPushButton*>(widget) != nullptr;
    }
    return false;
}
