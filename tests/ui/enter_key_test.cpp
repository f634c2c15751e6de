// Enter in every dialog built from a template: the push button that has the focus, else the
// default button, else IDOK. The main dialog keeps Enter away from its buttons.
#include "resources/cmd_dialog_ids.h"
#include "resources/com_option_ids.h"
#include "resources/upgrade_dialog_ids.h"
#include "tests/ui/fenwold_dlg_fixture.h"
#include "ui/cmd_config_dialog.h"
#include "ui/com_option_dlg.h"
#include "ui/upgrade_dlg.h"
#include "ui/wait_dialog.h"

namespace {

enum class Dialog { PortOptions, Upgrade, CommandWindow, Wait, Main };

bool g_keypad = false;  // the keypad's Enter rather than the main one

// Gives the control the focus and presses Enter on it, as the keyboard would.
void PressEnter(QWidget* control) {
    control->window()->activateWindow();
    control->setFocus();
    if (g_keypad) return QTest::keyClick(control, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(control, Qt::Key_Return);
}

std::string Ending(int result) { return result == IDOK ? "IDOK" : "IDCANCEL"; }

}  // namespace

class EnterKeyTest : public MainDialogTest {
protected:
    // How the dialog ended ("open" when it did not) and what it did meanwhile.
    std::string PressEnterIn(Dialog dialog, int id) {
        m_boxes.clear();
        m_sim->clearRecord();
        switch (dialog) {
            case Dialog::PortOptions: {
                CComOptionDlg options;
                options.m_settings = {9600, 8, 0, 0};
                std::string open;
                const int result = RunModal(options, [&] {
                    ComboBox* baud = options.Combo(IDC_COMOPT_COMBO_BAUDRATE);
                    baud->SetCurSel(baud->FindStringExact("56000"));
                    PressEnter(options.GetDlgItem(id));
                    open = options.isVisible() ? "open " : "";
                });
                return open + Ending(result) + " " + std::to_string(options.m_settings.baud);
            }
            case Dialog::Upgrade: {
                m_chosenPath = "/fw/image.bin";
                std::string open;
                const int result = Modal<CUpgradeDlg>([&](CUpgradeDlg& upgrade) {
                    PressEnter(upgrade.GetDlgItem(id));
                    open = upgrade.isVisible() ? "open " + m_device->m_upgradeFile + " " : "";
                });
                return open + Ending(result) + Boxes();
            }
            case Dialog::CommandWindow: {
                std::string open;
                const int result = Modal<CCmdConfigDialog>([&](CCmdConfigDialog& window) {
                    window.CheckDlgButton(IDC_CMD_CHECK_SENDTIMER, 0);
                    PressEnter(window.GetDlgItem(id));
                    if (!window.isVisible()) return;
                    const bool sent = id == IDC_CMD_BUTTON_SEND && m_sim->waitForReceived("+++");
                    open = "open \"" + window.GetDlgItemText(IDC_CMD_EDIT_COMMAND) + "\"" +
                           (sent ? " sent " : " ");
                });
                return open + Ending(result);
            }
            case Dialog::Wait: {  // a restart that waits for a silent module
                m_sim->setFault(SimFault::Silence, "+++");
                const auto wait = [] {
                    return qobject_cast<CWaitDialog*>(QApplication::activeModalWidget());
                };
                WhenTrue([&] { return wait() != nullptr; },
                         [&] {
                             if (wait()) PressEnter(wait()->GetDlgItem(id));
                         });
                // A restart logs its outcome unless it was cancelled.
                const std::string log = Logged([&] { Click(IDC_BUTTON_RESTART); });
                m_sim->clearFaults();
                return log.find("reboot") == std::string::npos ? "IDCANCEL" : log;
            }
            case Dialog::Main: {
                m_dialog->ShowPagesForModule();
                QWidget* control = m_dialog->GetDlgItem(id);
                PressEnter(control != nullptr ? control : FrameInterval());
                Settle();
                return std::string(m_dialog->isVisible() ? "open" : "closed") +
                       (m_sim->countReceived("+++") == 0 ? "" : " sent");
            }
        }
        return {};
    }
    std::string Boxes() const {
        std::string text;
        for (const std::string& box : m_boxes) text += " [" + box + "]";
        return text;
    }
};

TEST_F(EnterKeyTest, EnterActsOnTheFocusedPushButtonElseTheDefaultElseMeansIdok) {
    const std::tuple<Dialog, int, const char*> rows[] = {
        // The port options' default OK must not win over a focused Cancel.
        {Dialog::PortOptions, IDCANCEL, "IDCANCEL 9600"},
        {Dialog::PortOptions, IDOK, "IDOK 56000"},
        {Dialog::PortOptions, IDC_COMOPT_COMBO_BAUDRATE, "IDOK 56000"},
        {Dialog::PortOptions, IDC_COMOPT_COMBO_PARITY, "IDOK 56000"},
        // No default button: from the path or a check box Enter ends it without an upgrade.
        {Dialog::Upgrade, IDC_UPG_EDIT_FILE, "IDOK"},
        {Dialog::Upgrade, IDC_UPG_CHECK_RESTORE_AFTER, "IDOK"},
        {Dialog::Upgrade, IDC_UPG_BUTTON_BROWSE, "open /fw/image.bin IDCANCEL"},
        {Dialog::Upgrade, IDC_UPG_BUTTON_UPGRADE, "IDOK [Failed to upgrade : Cannot open file]"},
        // No default button either: Enter in the command box closes the window.
        {Dialog::CommandWindow, IDC_CMD_EDIT_COMMAND, "IDOK"},
        {Dialog::CommandWindow, IDC_CMD_CHECK_HEX, "IDOK"},
        {Dialog::CommandWindow, IDC_CMD_BUTTON_SEND, "open \"+++\" sent IDCANCEL"},
        {Dialog::CommandWindow, IDC_CMD_BUTTON_CLEAR, "open \"\" IDCANCEL"},
        {Dialog::Wait, IDCANCEL, "IDCANCEL"},
        // The main dialog: Enter reaches the control, never a button, and never ends it.
        {Dialog::Main, IDC_BUTTON_LOADPARAMS, "open"},
        {Dialog::Main, 0, "open"}};  // an edit of a page
    Start();
    for (const bool keypad : {false, true}) {
        g_keypad = keypad;
        for (const auto& [dialog, id, expected] : rows) {
            EXPECT_EQ(PressEnterIn(dialog, id), expected)
                << "dialog " << static_cast<int>(dialog) << ", focus on " << id
                << (keypad ? ", keypad Enter" : "");
        }
    }
}
