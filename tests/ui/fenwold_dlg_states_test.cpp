// The main dialog's controls in each state, its version field, the log boxes'
// settings, Enter and Esc, a reload that meets another module, and the
// baseline after a cancelled write.
#include <QSignalSpy>
#include <optional>

#include "platform/profile.h"
#include "tests/ui/fenwold_dlg_fixture.h"
#include "ui/device_version.h"
#include "ui/wait_dialog.h"

namespace {

using Identity = ModuleSimulator::Identity;

// Modules with few parameters keep every load short.
const Identity kLoraWanS{"S", "", "LRWAN", "V1", "", ".3"};
const Identity kStdS{"S", "", "STD", "V1", "", ".3"};

const std::pair<int, const char*> kControlNames[] = {
    {IDC_COMBO_COMPORT, "port"},          {IDC_BUTTON_OPENCOM, "open"},
    {IDC_BUTTON_LOADPARAMS, "load"},      {IDC_BUTTON_SAVEPARAMS, "write"},
    {IDC_BUTTON_RESTART, "reboot"},       {IDC_BUTTON_RESTOREFACTORY, "restore"},
    {IDC_BUTTON_UPGRADE, "upgrade"},      {IDC_BUTTON_IMPORT, "import"},
    {IDC_BUTTON_EXPORT, "export"},        {IDC_BUTTON_CLEARLOG, "clear"},
    {IDC_CHECK_DISPLAYPACKET, "display"}, {IDC_CHECK_HEXSHOW, "hex"}};

constexpr int kMenuItems[] = {ID_OPERATION_LOADPARAMS,   ID_OPERATION_SAVEPARAMS,
                              ID_OPERATION_RESTART,      ID_OPERATION_RESTOREFACTORY,
                              ID_OPERATION_IMPORTCONFIG, ID_OPERATION_EXPORTCONFIG,
                              ID_OPERATION_UPGRADE,      ID_MENU_EXIT,
                              ID_TOOLS_COMMANDWINDOW,    ID_OPTIONS_COMSETTINGS,
                              ID_LANGUAGE_ENGLISH,       ID_LANGUAGE_CHINESE};

}  // namespace

class MainStateTest : public MainDialogTest {
protected:
    std::string Enabled() const {  // the names of the enabled controls, in table order
        std::string names;
        for (const auto& [id, name] : kControlNames) {
            if (m_dialog->GetDlgItem(id)->isEnabled())
                names += std::string(names.empty() ? "" : " ") + name;
        }
        return names;
    }
    std::string VersionField() const { return m_dialog->GetDlgItemText(IDC_EDIT_VERSION); }
    int TabCount() const { return m_dialog->Tab(IDC_TAB_CONFIG)->GetItemCount(); }
    // The configuration pages on show: exactly one is expected, the selected tab's.
    std::string PagesShown() const {
        std::string names;
        for (auto* page : m_dialog->Tab(IDC_TAB_CONFIG)->findChildren<TemplateDialog*>()) {
            if (page->isVisible())
                names += std::string(names.empty() ? "" : " ") + page->metaObject()->className();
        }
        return names;
    }
    int Count(const std::string& text) const {
        int n = 0;
        for (size_t at = m_transcript.find(text); at != text.npos;
             at = m_transcript.find(text, at + 1))
            ++n;
        return n;
    }
};

// Menu items stay enabled in every state; the buttons follow it, also after a
// close from each state that has an open port.
TEST_F(MainStateTest, ButtonsFollowTheStateAndTheMenuStaysEnabled) {
    const std::string closed = "port open clear display hex";
    const std::string open = "open load reboot restore upgrade clear display hex";
    const std::string module =
        "open load write reboot restore upgrade import export clear display hex";
    const std::string version = kLoraWanS.versionText();
    const auto openClose = [this] { Click(IDC_BUTTON_OPENCOM); };
    const auto load = [this] { Load(); };
    const auto unplug = [this] {
        SetPorts({}), m_sim->hangUp();
        EXPECT_TRUE(WaitFor([&] { return m_dialog->GetUiState() == UI_PORT_CLOSED; }));
    };
    const std::tuple<const char*, std::function<void()>, int, std::string, const char*, std::string,
                     int>
        rows[] = {// step, action, state, enabled, open button's caption, version field, tabs
                  {"started", [] {}, UI_PORT_CLOSED, closed, "Open", "", 0},
                  {"opened", openClose, UI_PORT_OPEN, open, "Close", "", 0},
                  {"loaded", load, UI_PAGES_SHOWN, module, "Close", version, 3},
                  {"closed after a load", openClose, UI_PORT_CLOSED, closed, "Open", "", 0},
                  {"opened again", openClose, UI_PORT_OPEN, open, "Close", "", 0},
                  {"closed while open", openClose, UI_PORT_CLOSED, closed, "Open", "", 0},
                  {"opened and loaded", [&] { openClose(), load(); }, UI_PAGES_SHOWN, module,
                   "Close", version, 3},
                  {"unplugged after a load", unplug, UI_PORT_CLOSED, closed, "Open", "", 0}};
    Start(kLoraWanS, false);
    for (const auto& [step, action, state, enabled, caption, field, tabs] : rows) {
        SCOPED_TRACE(step);
        action();
        EXPECT_EQ(m_dialog->GetUiState(), state);
        EXPECT_EQ(Enabled(), enabled);
        EXPECT_EQ(m_dialog->GetDlgItemText(IDC_BUTTON_OPENCOM), caption);
        EXPECT_EQ(VersionField(), field);
        EXPECT_EQ(TabCount(), tabs);
        for (const int id : kMenuItems) EXPECT_TRUE(m_dialog->Menu()->Item(id)->isEnabled()) << id;
    }
}

// Each load on the same port meets the module the simulator is at that moment:
// the tabs, the network page, the version field and the values follow it. A
// module whose version names CLAA shows its "AT_GMR" text, so even its reload
// passes the recognition again.
TEST_F(MainStateTest, ReloadFollowsTheModuleOnThePort) {
    const Identity stdD{"D", "", "STANDARD", "V2", "", ".1"};
    const Identity claaS{"S", "", "CLAA", "V2", "", ".0"};
    const Identity claaLoraWanS{"S", "", "LRWAN", "V1", "CLAA", ".3"};
    const std::string gmr = "CLAA-GW 2.0.7";
    const Texts three = {"Network", "System", "Serial Port"};
    const Texts four = {"Network", "System", "Serial Port", "IO Port"};
    const std::tuple<Identity, Texts, const char*, std::string, int> rows[] = {
        // module, tabs, network page, version field, "device version recognized" lines
        {kLoraWanS, three, "CLoraWanSettingDlg", kLoraWanS.versionText(), 1},
        {kLoraWanS, three, "CLoraWanSettingDlg", kLoraWanS.versionText(), 0},  // unchanged
        {claaS, three, "CClaaSettingDlg", gmr, 1},
        {claaS, three, "CClaaSettingDlg", gmr, 1},  // the same module: its field differs
        {claaLoraWanS, three, "CLoraWanSettingDlg", gmr, 1},
        {stdD, four, "CLoraSettingDlg", stdD.versionText(), 1},
        {kStdS, three, "CLoraSettingDlg", kStdS.versionText(), 1}};
    Start(kLoraWanS);
    int interval = 100;
    for (const auto& [identity, tabs, page, field, recognised] : rows) {
        SCOPED_TRACE(identity.versionText());
        if (identity.versionText() != m_sim->identity().versionText()) {
            m_sim->setIdentity(identity);
            m_sim->setGmrText(gmr);
        }
        m_sim->setValue("AT_ITV", std::to_string(++interval));
        const int before = Count("device version recognized");
        Load();
        Texts shown;
        for (int i = 0; i < TabCount(); ++i)
            shown.push_back(m_dialog->Tab(IDC_TAB_CONFIG)->GetItemText(i));
        EXPECT_EQ(shown, tabs);
        EXPECT_EQ(PagesShown(), page);
        EXPECT_EQ(VersionField(), field);
        EXPECT_EQ(g_deviceVersion, identity.versionText());
        EXPECT_EQ(Count("device version recognized") - before, recognised);
        EXPECT_EQ(Interval(), std::to_string(interval));
        EXPECT_EQ(m_device->m_paramValues["CONFIG_ID_FRAME_INETRVAL"], std::to_string(interval));
    }
}

// Values the module acknowledged before the cancel stay out of the baseline,
// so the next write sends them again.
TEST_F(MainStateTest, ACancelledWriteLeavesTheBaselineAsItWas) {
    Start(kLoraWanS);
    Load();
    const ParamValueMap baseline = m_device->m_paramValues;
    ASSERT_FALSE(baseline.empty());
    auto* mode = dynamic_cast<TemplateDialog&>(*m_dialog->PageWidget(1)).DlgItem<ComboBox>(1092);
    mode->SetCurSel(mode->GetCurSel() == 0 ? 1 : 0);
    FrameInterval()->setText("345");
    // The frame interval goes first and is acknowledged; the work mode hangs.
    m_sim->setFault(ModuleSimulator::Fault::Silence, "AT+MOD=");
    const auto modeSent = [this] {
        for (const std::string& line : m_sim->receivedLines())
            if (line.rfind("AT+MOD=", 0) == 0) return true;
        return false;
    };
    WhenTrue(modeSent, [] {
        if (auto* wait = qobject_cast<CWaitDialog*>(QApplication::activeModalWidget()))
            wait->Button(IDCANCEL)->click();
    });
    Click(IDC_BUTTON_SAVEPARAMS);
    ASSERT_TRUE(m_held) << m_transcript;
    EXPECT_EQ(m_sim->value("AT_ITV"), "345");
    EXPECT_EQ(m_device->m_paramValues, baseline);
    m_sim->clearFaults();
    m_sim->clearRecord();
    Click(IDC_BUTTON_SAVEPARAMS);
    EXPECT_EQ(m_sim->countReceived("AT+ITV=345\r\n"), 1);
    EXPECT_EQ(m_device->m_paramValues["CONFIG_ID_FRAME_INETRVAL"], "345");
}

// Every click writes the box's state, whether or not it changes what the file holds.
TEST_F(MainStateTest, DisplayAndHexBoxesWriteTheirStateAtEachClick) {
    const std::tuple<int, int, int, bool> rows[] = {
        // box clicked; then "DisPlayPacket", "HexShow" (-1: not in the file), Hex enabled
        {IDC_CHECK_HEXSHOW, -1, 1, true},       {IDC_CHECK_HEXSHOW, -1, 0, true},
        {IDC_CHECK_DISPLAYPACKET, 0, 0, false}, {IDC_CHECK_DISPLAYPACKET, 1, 0, true},
        {IDC_CHECK_HEXSHOW, 1, 1, true},        {IDC_CHECK_DISPLAYPACKET, 0, 1, false}};
    Start({}, false);
    const std::string ini = m_folder + "/ParamCfg.ini";
    std::ofstream(ini, std::ios::binary) << "[CONFIG]\r\n";
    for (int row = 0; const auto& [box, display, hex, hexEnabled] : rows) {
        SCOPED_TRACE("click " + std::to_string(++row));
        auto* check = m_dialog->DlgItem<QCheckBox>(box);
        QTest::mouseClick(check, Qt::LeftButton, {}, check->rect().center());
        Settle();
        EXPECT_EQ(ReadProfileInt("CONFIG", "DisPlayPacket", -1, ini), display);
        EXPECT_EQ(ReadProfileInt("CONFIG", "HexShow", -1, ini), hex);
        EXPECT_EQ(m_dialog->GetDlgItem(IDC_CHECK_HEXSHOW)->isEnabled(), hexEnabled);
    }
}

// Enter reaches the focused control and ends nothing, nor clicks a button; Esc
// ends nothing.
TEST_F(MainStateTest, EnterGoesToTheFocusedControlAndEscEndsNothing) {
    Start(kStdS);
    Load();
    auto& page = dynamic_cast<TemplateDialog&>(*m_dialog->PageWidget(0));
    QLineEdit* edit = nullptr;
    for (auto* candidate : page.findChildren<QLineEdit*>())
        if (!edit && candidate->isEnabled()) edit = candidate;
    ASSERT_NE(edit, nullptr);
    QWidget* clearLog = m_dialog->GetDlgItem(IDC_BUTTON_CLEARLOG);
    QWidget* logPane = m_dialog->GetDlgItem(IDC_EDIT_LOG);
    QWidget* version = m_dialog->GetDlgItem(IDC_EDIT_VERSION);
    const std::tuple<QWidget*, Qt::Key, int> rows[] = {
        // focused control, key, returnPressed() signals it gives
        {edit, Qt::Key_Return, 1},     {edit, Qt::Key_Enter, 1},     {edit, Qt::Key_Escape, 0},
        {version, Qt::Key_Return, 1},  {version, Qt::Key_Escape, 0}, {clearLog, Qt::Key_Return, 0},
        {clearLog, Qt::Key_Escape, 0}, {logPane, Qt::Key_Return, 0}, {logPane, Qt::Key_Escape, 0}};
    m_dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
    for (const auto& [control, key, returns] : rows) {
        SCOPED_TRACE(std::string(control->metaObject()->className()) + " key " +
                     std::to_string(key));
        control->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), control);
        auto* line = qobject_cast<QLineEdit*>(control);
        const QString text = line ? line->text() : QString();
        const QString log = m_dialog->LogView().pane()->toPlainText();
        std::optional<QSignalSpy> spy;
        if (line) spy.emplace(line, &QLineEdit::returnPressed);
        QTest::keyClick(static_cast<QWidget*>(nullptr), key);
        Settle();
        EXPECT_EQ(spy ? spy->count() : 0, returns);
        EXPECT_TRUE(m_dialog->isVisible());
        EXPECT_TRUE(page.isVisible());
        EXPECT_EQ(m_dialog->result(), 0);
        EXPECT_EQ(m_dialog->LogView().pane()->toPlainText(), log);
        EXPECT_EQ(line ? line->text() : QString(), text);
        EXPECT_EQ(m_dialog->GetUiState(), UI_PAGES_SHOWN);
    }
}
