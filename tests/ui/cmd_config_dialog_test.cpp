// The command window over the real main dialog, against the module
// simulator: the bytes each send puts on the wire, the send timer, the
// closed port, what the module sends back into the log, and the settings.
#include "ui/cmd_config_dialog.h"

#include <QCheckBox>
#include <QLineEdit>

#include "resources/cmd_dialog_ids.h"
#include "tests/ui/fenwold_dlg_fixture.h"
#include "tests/ui/modal_test_support.h"

namespace {

using Clock = ModuleSimulator::Clock;
using std::chrono::milliseconds;

struct Send {
    std::string text;
    bool hex = false;
    bool newLine = false;
};

}  // namespace

class CommandWindowTest : public MainDialogTest {
protected:
    // Runs the window modally over the main dialog; steps see it open.
    void WithWindow(const std::function<void(CCmdConfigDialog&)>& steps) {
        CCmdConfigDialog window(m_dialog.get(), m_device.get());
        RunModal(window, [&] { steps(window); });
    }

    static void Set(CCmdConfigDialog& window, const Send& send, bool timer = false) {
        window.SetDlgItemText(IDC_CMD_EDIT_COMMAND, send.text);
        window.CheckDlgButton(IDC_CMD_CHECK_HEX, send.hex ? 1 : 0);
        window.CheckDlgButton(IDC_CMD_CHECK_NEWLINE, send.newLine ? 1 : 0);
        window.CheckDlgButton(IDC_CMD_CHECK_SENDTIMER, timer ? 1 : 0);
    }
    static void ClickSend(CCmdConfigDialog& window) { window.Button(IDC_CMD_BUTTON_SEND)->click(); }

    // The bytes the module received for one send. A "+++" follows it so that
    // bytes without a line end show up too (the module drops them in front of
    // "+++" and records them).
    std::string WireBytes(CCmdConfigDialog& window, const Send& send) {
        m_sim->clearRecord();
        Set(window, send);
        ClickSend(window);
        Set(window, {"+++"});
        ClickSend(window);
        if (!m_sim->waitForReceived("+++")) return "(no +++ received)";
        std::string bytes;
        for (const auto& unit : m_sim->received()) {
            if (unit.unit == ModuleSimulator::Unit::CommandMode) break;
            bytes += unit.bytes;
        }
        return bytes;
    }

    int CountSince(const std::string& unit, Clock::time_point from) const {
        int count = 0;
        for (const auto& received : m_sim->received()) {
            if (received.at >= from && received.bytes == unit) ++count;
        }
        return count;
    }
    // Arrival of the n-th (1-based) unit equal to `unit` at or after from.
    std::optional<Clock::time_point> NthSince(const std::string& unit, Clock::time_point from,
                                              int n) const {
        for (const auto& received : m_sim->received()) {
            if (received.at >= from && received.bytes == unit && --n == 0) return received.at;
        }
        return std::nullopt;
    }
};

TEST_F(CommandWindowTest, FirstOpeningShowsTheDefaults) {
    StartOpen();
    WithWindow([&](CCmdConfigDialog& window) {
        EXPECT_EQ(window.GetDlgItemText(IDC_CMD_EDIT_COMMAND), "+++");
        EXPECT_EQ(window.IsDlgButtonChecked(IDC_CMD_CHECK_HEX), 0);
        EXPECT_EQ(window.IsDlgButtonChecked(IDC_CMD_CHECK_NEWLINE), 0);
        EXPECT_EQ(window.IsDlgButtonChecked(IDC_CMD_CHECK_SENDTIMER), 1);
        EXPECT_EQ(window.GetDlgItemText(IDC_CMD_EDIT_PERIOD), "1000");
        EXPECT_EQ(GetWindowText(&window), "Command Window");
    });
}

TEST_F(CommandWindowTest, EachSendPutsExactlyItsBytesOnTheWire) {
    const std::string x300(300, 'x');
    struct Row {
        Send send;
        std::string wire;
    };
    const Row rows[] = {
        {{"01 02 0A", true}, std::string("\x01\x02\x0A", 3)},
        {{"1 2 3", true}, "\x12"},
        {{"abc", true}, "\xAB"},
        {{"GG", true}, std::string(1, '\0')},
        {{std::string(600, '4'), true}, std::string(255, 'D')},
        {{"41 00 42", true, true}, std::string("A\0B\r\n", 5)},
        {{x300}, x300.substr(0, 255)},
        {{x300.substr(0, 253), false, true}, x300.substr(0, 253) + "\r\n"},
        {{x300.substr(0, 254), false, true}, x300.substr(0, 254) + "\r"},
        {{x300.substr(0, 255), false, true}, x300.substr(0, 255)},
        {{"AT+VER", false, true}, "AT+VER\r\n"},
    };
    StartOpen();
    WithWindow([&](CCmdConfigDialog& window) {
        for (const Row& row : rows) {
            const std::string wire = WireBytes(window, row.send);
            EXPECT_EQ(wire, row.wire)
                << "text \"" << row.send.text.substr(0, 40) << "\" hex " << row.send.hex
                << " newline " << row.send.newLine << ": " << wire.size() << " bytes";
        }
        // A send keeps the command box as it was.
        EXPECT_EQ(window.GetDlgItemText(IDC_CMD_EDIT_COMMAND), "+++");
        // Nothing of what was sent is logged, only what came back.
        EXPECT_FALSE(LogHas("send:AT+VER")) << Log();
    });
}

TEST_F(CommandWindowTest, TimerSendsEveryPeriodAfterTheClickRestartsAndStops) {
    StartOpen();
    WithWindow([&](CCmdConfigDialog& window) {
        // Below the floor: sent every 100 ms, the first one period after the click.
        Set(window, {"+++"}, true);
        window.SetDlgItemText(IDC_CMD_EDIT_PERIOD, "50");
        const Clock::time_point start = Clock::now();
        ClickSend(window);
        EXPECT_EQ(m_sim->countReceived("+++"), 0);
        ASSERT_TRUE(WaitFor([&] { return NthSince("+++", start, 3).has_value(); }));
        EXPECT_GE(*NthSince("+++", start, 1) - start, milliseconds(100));
        EXPECT_GE(*NthSince("+++", start, 3) - start, milliseconds(300));
        EXPECT_TRUE(window.IsSendTimerRunning());

        // A new period counts from the next click; the old schedule is gone.
        window.SetDlgItemText(IDC_CMD_EDIT_PERIOD, "400");
        const Clock::time_point restart = Clock::now();
        ClickSend(window);
        // Bytes written before the click may still be in transit for a moment.
        const Clock::time_point settled = restart + milliseconds(50);
        ASSERT_TRUE(WaitFor([&] { return NthSince("+++", settled, 2).has_value(); }));
        EXPECT_GE(*NthSince("+++", settled, 1) - restart, milliseconds(400));
        EXPECT_GE(*NthSince("+++", settled, 2) - restart, milliseconds(800));

        // Unticking stops it; ticking again starts nothing until Send.
        window.DlgItem<QCheckBox>(IDC_CMD_CHECK_SENDTIMER)->click();
        EXPECT_FALSE(window.IsSendTimerRunning());
        const Clock::time_point stopped = Clock::now() + milliseconds(50);
        window.DlgItem<QCheckBox>(IDC_CMD_CHECK_SENDTIMER)->click();
        EXPECT_FALSE(window.IsSendTimerRunning());
        // A marker sent after a whole old period shows that no tick came meanwhile.
        Set(window, {"AT", false, true}, false);
        ASSERT_TRUE(WaitFor([&] { return Clock::now() - stopped > milliseconds(450); }));
        ClickSend(window);
        ASSERT_TRUE(m_sim->waitForReceived("AT\r\n"));
        EXPECT_EQ(CountSince("+++", stopped), 0);
    });
}

TEST_F(CommandWindowTest, ClosedPortSendsNothingAndSaysSo) {
    StartOpen();
    WithWindow([&](CCmdConfigDialog& window) {
        Set(window, {"+++"}, true);
        window.SetDlgItemText(IDC_CMD_EDIT_PERIOD, "100");
        ClickSend(window);
        // The port goes away as when the main dialog closes a removed port.
        Click(IDC_BUTTON_OPENCOM);
        ASSERT_FALSE(m_device->m_serial.IsOpen());
        ClickSend(window);
        EXPECT_TRUE(WaitFor([&] { return LogHas("COM not open"); })) << Log();
        // The timer keeps running and its ticks send nothing.
        EXPECT_TRUE(window.IsSendTimerRunning());
        Set(window, {"AT", false, true}, false);
        ClickSend(window);
        EXPECT_TRUE(WaitFor([&] { return LogCount("COM not open") == 2; })) << Log();
    });
    EXPECT_EQ(m_sim->countReceived("AT\r\n"), 0);
}

TEST_F(CommandWindowTest, ReceivedBytesReachTheLogVerbatimWhileTheWindowIsOpen) {
    StartOpen();
    m_sim->setGarbage("%s%n%d");
    m_sim->setFault(SimFault::Garbage, "AT+ECHO");
    CCmdConfigDialog window(m_dialog.get(), m_device.get());
    RunModal(window, [&] {
        Set(window, {"AT+ECHO", false, true});
        ClickSend(window);
        EXPECT_TRUE(WaitFor([&] { return LogHas("%s%n%d"); })) << Log();
    });
    // Closed (the window object still exists): the receive thread is gone, so
    // a reply stays in the port for whoever reads next.
    m_sim->setGarbage("after-close");
    m_device->m_serial.Write("AT+ECHO\r\n", 9);
    char reply[16] = {};
    EXPECT_EQ(m_device->m_serial.ReadTimeout(reply, 11, 3000), 11u);
    EXPECT_STREQ(reply, "after-close");
}

TEST_F(CommandWindowTest, SettingsAreWrittenAtClosingAndTheTimerKeysReadAtOpening) {
    StartOpen();
    CCmdConfigDialog first(m_dialog.get(), m_device.get());
    RunModal(first, [&] {
        Set(first, {"ab", true, true}, false);
        first.SetDlgItemText(IDC_CMD_EDIT_PERIOD, "250");
        QTest::keyClick(&first, Qt::Key_Escape);
    });
    // Written when the window closed, not when it was destroyed.
    const std::string ini = IniText();
    for (const char* line : {"CmdHex=1", "SendTimer=250", "SendTimerState=0", "SendNewLine=1"}) {
        EXPECT_NE(ini.find(line), std::string::npos) << line << " in\n" << ini;
    }
    EXPECT_LT(ini.find("CmdHex="), ini.find("SendNewLine="));
    WithWindow([&](CCmdConfigDialog& window) {
        EXPECT_EQ(window.GetDlgItemText(IDC_CMD_EDIT_PERIOD), "250");
        EXPECT_EQ(window.IsDlgButtonChecked(IDC_CMD_CHECK_SENDTIMER), 0);
        // Hex and Newline are written but never read back.
        EXPECT_EQ(window.IsDlgButtonChecked(IDC_CMD_CHECK_HEX), 0);
        EXPECT_EQ(window.IsDlgButtonChecked(IDC_CMD_CHECK_NEWLINE), 0);
        // Enter in the command box closes the window.
        QWidget* command = window.GetDlgItem(IDC_CMD_EDIT_COMMAND);
        command->setFocus();
        QTest::keyClick(command, Qt::Key_Return);
        EXPECT_FALSE(window.isVisible());
    });
}

TEST_F(CommandWindowTest, TheMenuOpensItOnTheMainDialogsDevice) {
    StartOpen();
    bool opened = false;
    WhenTrue send([] { return ActiveModal<CCmdConfigDialog>() != nullptr; },
                  [&] {
                      if (auto* window = ActiveModal<CCmdConfigDialog>()) {
                          opened = true;
                          Set(*window, {"AT", false, true});
                          ClickSend(*window);
                          QTest::keyClick(window, Qt::Key_Escape);
                      }
                  });
    Menu(ID_TOOLS_COMMANDWINDOW);
    EXPECT_TRUE(opened);
    EXPECT_TRUE(m_sim->waitForReceived("AT\r\n"));
}
