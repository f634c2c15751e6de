// The command window: bytes on the wire, the send timer, the log of replies, the settings.
#include "ui/cmd_config_dialog.h"

#include "resources/cmd_dialog_ids.h"
#include "tests/ui/fenwold_dlg_fixture.h"
#include "ui/log_entry.h"

using Clock = ModuleSimulator::Clock;
using std::chrono::milliseconds;
using Window = CCmdConfigDialog;

class CommandWindowTest : public MainDialogTest {
protected:
    void SetUp() override { MainDialogTest::SetUp(), Start(); }
    static void Send(Window& window, const std::string& text, bool hex = false,
                     bool newLine = false, bool timer = false, const char* period = "1000") {
        window.SetDlgItemText(IDC_CMD_EDIT_COMMAND, text);
        window.SetDlgItemText(IDC_CMD_EDIT_PERIOD, period);
        window.CheckDlgButton(IDC_CMD_CHECK_HEX, hex);
        window.CheckDlgButton(IDC_CMD_CHECK_NEWLINE, newLine);
        window.CheckDlgButton(IDC_CMD_CHECK_SENDTIMER, timer);
        window.Button(IDC_CMD_BUTTON_SEND)->click();
    }
    // Arrival of the n-th (1-based) "+++" after the line `after` (from the start when empty).
    // The wire keeps the order of writes, so a line the test writes separates the ticks
    // before it from those after it, however late a tick's bytes arrive.
    std::optional<Clock::time_point> NthPlus(int n, const std::string& after = {}) const {
        bool counting = after.empty();
        for (const auto& unit : m_sim->received()) {
            if (counting && unit.bytes == "+++" && --n == 0) return unit.at;
            counting = counting || unit.bytes == after;
        }
        return std::nullopt;
    }
    // Threads that go by the program's name, as a std::thread does; Qt's pool threads, which
    // come and go as they please, name themselves.
    static int UnnamedThreads() {
        const auto name = [](const std::filesystem::path& dir) {
            std::string text;
            std::getline(std::ifstream(dir / "comm"), text);
            return text;
        };
        const std::string own = name("/proc/self");
        int count = 0;
        for (const auto& task : std::filesystem::directory_iterator("/proc/self/task"))
            count += name(task.path()) == own;
        return count;
    }
    void Mark(const std::string& line) const { m_device->m_serial.Write(line.data(), line.size()); }
};

// A "+++" after each send makes the module record bytes without a line end. Replies are
// logged verbatim while the window is open; once it closed, no thread takes them.
TEST_F(CommandWindowTest, EachSendPutsExactlyItsBytesOnTheWireAndTheReplyIsLogged) {
    m_sim->setGarbage("%s%n%d");
    m_sim->setFault(SimFault::Garbage, "AT+ECHO");
    const std::string x(300, 'x');
    const std::tuple<std::string, bool, bool, std::string> rows[] = {
        // text, hex, newline, wire
        {"01 02 0A", true, false, std::string("\x01\x02\x0A", 3)},
        {"1 2 3", true, false, "\x12"},
        {"abc", true, false, "\xAB"},
        {"GG", true, false, std::string(1, '\0')},
        {std::string(600, '4'), true, false, std::string(255, 'D')},
        {"41 00 42", true, true, std::string("A\0B\r\n", 5)},
        {x, false, false, x.substr(0, 255)},
        {x.substr(0, 253), false, true, x.substr(0, 253) + "\r\n"},
        {x.substr(0, 254), false, true, x.substr(0, 254) + "\r"},
        {x.substr(0, 255), false, true, x.substr(0, 255)},
        {"AT+ECHO", false, true, "AT+ECHO\r\n"},
        // An odd last digit is not sent, with New Line or without: the line end follows the
        // whole bytes only, never a half-typed byte.
        {"1 2 3", true, true, "\x12\r\n"},
        {"123", true, true, "\x12\r\n"},
        {"abc", true, true, "\xAB\r\n"},
        {std::string(509, '4'), true, true, std::string(254, 'D') + "\r"}};
    const int threads = UnnamedThreads();
    Modal<Window>([&](Window& window) {
        for (const auto& [text, hex, newLine, expected] : rows) {
            m_sim->clearRecord();
            const size_t logged = m_transcript.size();
            Send(window, text, hex, newLine);
            Send(window, "+++");
            std::string wire = m_sim->waitForReceived("+++", 1, kHangBound) ? "" : "(no +++)";
            for (const auto& unit : m_sim->received())
                wire += unit.unit == ModuleSimulator::Unit::CommandMode ? "" : unit.bytes;
            EXPECT_EQ(wire, expected) << text.substr(0, 20) << " hex " << hex << " nl " << newLine;
            // No row's own reply holds an "OK", and the answer to "+++" comes after it: once
            // that answer is logged, nothing of the row is left in the port for the next.
            ASSERT_TRUE(WaitFor([&] {
                return m_transcript.find("OK", logged) != std::string::npos;
            })) << text.substr(0, 20)
                << m_transcript.substr(logged);
        }
        EXPECT_TRUE(LogHas("%s%n%d")) << m_transcript;
    });
    // A thread that still read the port would race the read below for the answer.
    EXPECT_TRUE(WaitFor([&] { return UnnamedThreads() == threads; }))
        << "the receive thread outlived the window";
    m_sim->setGarbage("after-close");
    m_device->m_serial.Write("AT+ECHO\r\n", 9);
    char reply[16];
    const auto bound = static_cast<std::uint32_t>(kHangBound.count());
    EXPECT_EQ(std::string(reply, m_device->m_serial.ReadTimeout(reply, 11, bound)), "after-close");
}

// 100 ms at least; first send one period after the click. With the port closed the timer
// runs on and sends nothing, nor does Send.
TEST_F(CommandWindowTest, TimerStartsRestartsAndStops) {
    Modal<Window>([&](Window& window) {
        m_sim->clearRecord();
        const Clock::time_point start = Clock::now();
        Send(window, "+++", false, false, true, "50");
        EXPECT_EQ(m_sim->countReceived("+++"), 0);
        ASSERT_TRUE(WaitFor([&] { return NthPlus(3).has_value(); }));
        EXPECT_GE(*NthPlus(1) - start, milliseconds(100));
        EXPECT_GE(*NthPlus(3) - start, milliseconds(300));
        const Clock::time_point restart = Clock::now();
        Send(window, "+++", false, false, true, "400");
        Mark("AT+RESTARTED\r\n");  // ticks of the 50 ms period come before it
        ASSERT_TRUE(WaitFor([&] { return NthPlus(2, "AT+RESTARTED\r\n").has_value(); }));
        EXPECT_GE(*NthPlus(1, "AT+RESTARTED\r\n") - restart, milliseconds(400));
        EXPECT_GE(*NthPlus(2, "AT+RESTARTED\r\n") - restart, milliseconds(800));
        window.DlgItem<QCheckBox>(IDC_CMD_CHECK_SENDTIMER)->click();  // stops; ticked again:
        window.DlgItem<QCheckBox>(IDC_CMD_CHECK_SENDTIMER)->click();  // nothing until Send
        Mark("AT+STOPPED\r\n");
        const Clock::time_point stopped = Clock::now();
        EXPECT_FALSE(window.IsSendTimerRunning());
        // More than a period: time for a timer that still ran to tick.
        ASSERT_TRUE(WaitFor([&] { return Clock::now() - stopped > milliseconds(500); }));
        Send(window, "AT+MARK", false, true);  // what a tick sent would have come before it
        ASSERT_TRUE(m_sim->waitForReceived("AT+MARK\r\n", 1, kHangBound));
        EXPECT_FALSE(NthPlus(1, "AT+STOPPED\r\n").has_value());
        Send(window, "AT", false, true, true, "100");
        Click(IDC_BUTTON_OPENCOM);  // closed before the first tick, as for a removed port
        window.Button(IDC_CMD_BUTTON_SEND)->click();
        EXPECT_TRUE(window.IsSendTimerRunning());
        const Clock::time_point ticked = Clock::now() + milliseconds(250);
        EXPECT_TRUE(WaitFor([&] { return LogHas("COM not open") && Clock::now() > ticked; }));
    });
    EXPECT_EQ(m_sim->countReceived("AT\r\n"), 0);
}

// Written when the window closes, before it is destroyed; Hex and Newline never read back.
TEST_F(CommandWindowTest, SettingsAreWrittenAtClosingAndTheTimerKeysReadAtOpening) {
    const auto state = [](Window& w) {
        std::string out =
            w.GetDlgItemText(IDC_CMD_EDIT_COMMAND) + " " + w.GetDlgItemText(IDC_CMD_EDIT_PERIOD);
        for (int id : {IDC_CMD_CHECK_HEX, IDC_CMD_CHECK_NEWLINE, IDC_CMD_CHECK_SENDTIMER})
            out += " " + std::to_string(w.IsDlgButtonChecked(id));
        return out;
    };
    Window first(m_dialog.get(), m_device.get());
    RunModal(first, [&] {
        EXPECT_EQ(state(first), "+++ 1000 0 0 1");
        Send(first, "ab", true, true, false, "250");
        QTest::keyClick(&first, Qt::Key_Escape);
    });
    for (const char* line : {"CmdHex=1", "SendTimer=250", "SendTimerState=0", "SendNewLine=1"})
        EXPECT_NE(ReadFile(m_folder + "/ParamCfg.ini").find(line), std::string::npos) << line;
    Modal<Window>([&](Window& window) { EXPECT_EQ(state(window), "+++ 250 0 0 0"); });

    // A CR LF file converted once more: the period comes without a CR, so closing saves.
    const std::string ini = m_folder + "/ParamCfg.ini";
    std::ofstream(ini, std::ios::binary) << "[CONFIG]\r\r\nSendTimer=500\r\r\n";
    Modal<Window>([&](Window& window) {
        EXPECT_EQ(state(window), "+++ 500 0 0 1");
        window.SetDlgItemText(IDC_CMD_EDIT_PERIOD, "400");
    });
    EXPECT_NE(ReadFile(ini).find("SendTimer=400\r\r\n"), std::string::npos) << ReadFile(ini);
}

// A reply longer than one log record, or one that holds a zero byte, is shown whole and in
// order, as text and in hex; a zero byte shows as the pane shows any other control byte. A
// character cut between two reads shows whole; one the module leaves unfinished shows as it
// is once the window has closed.
TEST_F(CommandWindowTest, EveryReceivedByteIsShownInOrder) {
    std::string list;
    for (int i = 0; i < 40; ++i)
        list += "+L" + std::to_string(i) + ":" + std::string(46, char('a' + i % 26)) + "\r\n";
    list += "\r\nOK\r\n";
    const std::string zero("AB\0CD\r\nOK\r\n", 11);
    const auto withoutCr = [](std::string text) { return std::erase(text, '\r'), text; };
    const std::tuple<std::string, std::string, bool, std::string, std::string> rows[] = {
        // command, its garbage reply, hex, what the pane shows, and once the window closed
        {"AT+LIST", list, false, withoutCr(list), ""},
        {"AT+LIST", list, true, FormatHexBytes(list.data(), static_cast<int>(list.size())), ""},
        {"AT+LIST", zero, false, std::string("AB\0CD\nOK\n", 9), ""},
        {"AT+LIST", zero, true, "41420043440D0A4F4B0D0A", ""},
        {"AT+MOD?", "", false, "+MOD:中文\n\nOK\n", ""},
        {"AT+LIST", "ab\xE4", false, "ab", "ab\uFFFD"}};
    ASSERT_GT(list.size(), 4u * 511);
    m_sim->setFault(SimFault::Garbage, "AT+LIST");
    m_sim->setValue("+MOD", "中文");
    m_sim->setFault(SimFault::Split, "AT+MOD?");
    m_sim->setSplit(8, milliseconds(100));  // after "\r\n+MOD:" and the first byte of 中
    for (const auto& [command, reply, hex, shown, closed] : rows) {
        m_sim->setGarbage(reply);
        m_dialog->CheckDlgButton(IDC_CHECK_HEXSHOW, hex);
        const size_t from = m_transcript.size();
        Modal<Window>([&](Window& window) {
            Send(window, command, false, true);
            EXPECT_TRUE(WaitFor([&] {
                return m_transcript.find(shown, from) != std::string::npos;
            })) << "hex "
                << hex << ": " << m_transcript.substr(from);
        });
        Settle();
        EXPECT_NE(m_transcript.find(closed, from), std::string::npos) << m_transcript.substr(from);
    }
}
