// The real main dialog against the module simulator's pty; settings in a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <mutex>
#include <optional>

#include "resources/main_dialog_ids.h"
#include "tests/support/app_folder.h"
#include "tests/support/fake_uevents.h"
#include "tests/support/module_simulator.h"
#include "tests/ui/qt_test_app.h"
#include "ui/combo_box.h"
#include "ui/fenwold_app.h"
#include "ui/fenwold_dlg.h"
#include "ui/file_chooser.h"
#include "ui/message_box.h"
#include "ui/posted_message.h"
#include "ui/tab_control.h"
#include "ui/template_menu.h"

using Texts = std::vector<std::string>;

// Runs steps inside the dialog's modal loop; cancels a dialog they left open, so nothing hangs.
inline int RunModal(TemplateDialog& dialog, const std::function<void()>& steps) {
    QTimer::singleShot(0, &dialog, [&dialog, steps] {
        steps();
        if (dialog.isVisible()) dialog.EndDialog(IDCANCEL);
    });
    return dialog.DoModal();
}

class MainDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        TestApp();
        m_app.emplace();
        m_folder = m_app->path();
        WriteIni("");
        unsetenv("LC_ALL"), unsetenv("LC_MESSAGES"), setenv("LANG", "en_US.UTF-8", 1);
        // Kernel ports are what the test says, and change with a fake event;
        // the simulator's pty is named, as with "--port", and watched by its node.
        CSerial::SetPortLister([this] { return std::lock_guard(m_portsMutex), m_ports; });
        m_uevents = std::make_unique<FakeUeventSource>();
        SetMessageBoxHook([this](const std::string& text) { return m_boxes.push_back(text), 1; });
        SetFileChooserHook([this](const FileChooserRequest&, std::string& path) {
            return !(path = m_chosenPath).empty();
        });
    }
    void TearDown() override {
        m_dialog.reset(), m_device.reset(), m_sim.reset();
        m_transcript.clear(), m_boxes.clear(), m_held = false;
        SetMessageBoxHook({}), SetFileChooserHook({}), CSerial::SetPortLister({});
        CSerial::SetNamedPorts({}), SetPorts({}), m_uevents.reset();
        m_app.reset();
    }
    void Restart() { TearDown(), SetUp(); }

    // text's keys win over the defaults: the log as text, short read time-outs.
    void WriteIni(const std::string& text) {
        m_app->WriteSettings(text +
                             "\r\n[CONFIG]\r\nHexShow=0\r\n[COM_TIMEOUT_PARAM]\r\n"
                             "ReadIntervalTimeout=20\r\nReadTotalTimeoutConstant=300\r\n");
    }
    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    void SetPorts(Texts ports) {
        std::lock_guard lock(m_portsMutex);
        m_ports = std::move(ports);
    }
    // A kernel port plugged in or pulled out, with the event that tells of it.
    void PlugKernelPort(const std::string& name, bool in) {
        {
            std::lock_guard lock(m_portsMutex);
            std::erase(m_ports, name);
            if (in) m_ports.push_back(name);
        }
        ASSERT_TRUE(m_uevents->Send(TtyUevent(in ? "add" : "remove", name)));
    }

    // The transcript keeps all the log pane showed, also what a 512-line clear removed.
    void Start(const ModuleSimulator::Identity& identity = {}, bool open = true) {
        m_sim = std::make_unique<ModuleSimulator>(identity);
        CSerial::SetNamedPorts({m_sim->portName()});
        m_device = std::make_unique<CComDevice>();
        ConfigureDevice(*m_device);
        m_dialog = std::make_unique<CFenwoldDlg>(m_device.get());
        m_dialog->show();
        QTextDocument* doc = m_dialog->LogView().pane()->document();
        QObject::connect(doc, &QTextDocument::contentsChange, doc, [this, doc](int at, int, int n) {
            QTextCursor range(doc);
            range.setPosition(std::min(at, doc->characterCount() - 1));
            range.setPosition(std::min(at + n, doc->characterCount() - 1), QTextCursor::KeepAnchor);
            m_transcript += range.selectedText().replace(QChar(0x2029), '\n').toStdString();
        });
        open ? Click(IDC_BUTTON_OPENCOM) : Settle();
        ASSERT_EQ(m_device->m_serial.IsOpen(), open) << m_transcript;
    }
    void Load() {
        Click(IDC_BUTTON_LOADPARAMS);
        ASSERT_EQ(m_dialog->GetUiState(), UI_PAGES_SHOWN) << m_transcript;
    }
    void Click(int id, bool menu = false) {
        menu ? m_dialog->Menu()->Item(id)->trigger() : m_dialog->Button(id)->click();
        Settle();
    }
    // Hands out everything already posted (log records, state changes) and
    // puts into the log pane what it has gathered.
    void Settle() {
        EXPECT_TRUE(DrainPostedMessages()) << "posted messages never ran out";
        if (m_dialog) m_dialog->LogView().Flush();
    }
    template <class D>
    int Modal(const std::function<void(D&)>& steps) {
        D dialog(m_dialog.get(), m_device.get());
        return RunModal(dialog, [&] { steps(dialog); });
    }
    // Polls under whatever modal loop runs; acts once condition holds (m_held) or after kHangBound.
    void WhenTrue(std::function<bool()> condition, std::function<void()> action,
                  QDeadlineTimer deadline = QDeadlineTimer(kHangBound)) {
        QTimer::singleShot(5, m_dialog.get(), [=, this] {
            if (!(m_held = condition()) && !deadline.hasExpired())
                return WhenTrue(condition, action, deadline);
            action();
        });
    }
    bool WaitFor(const std::function<bool()>& done) {
        return QTest::qWaitFor(done, static_cast<int>(kHangBound.count()));
    }
    bool LogHas(const std::string& text) const { return m_transcript.find(text) != text.npos; }
    std::string Logged(const std::function<void()>& action) {  // what the log gained meanwhile
        const size_t before = m_transcript.size();
        return action(), m_transcript.substr(before);
    }
    QLineEdit* FrameInterval() const {  // on the serial port page
        return dynamic_cast<TemplateDialog&>(*m_dialog->PageWidget(2)).DlgItem<QLineEdit>(1103);
    }
    std::string Interval() const { return FrameInterval()->text().toStdString(); }

    std::optional<TempAppFolder> m_app;
    std::string m_folder, m_transcript, m_chosenPath;
    std::mutex m_portsMutex;
    Texts m_ports, m_boxes;
    bool m_held = false;
    std::unique_ptr<FakeUeventSource> m_uevents;
    std::unique_ptr<ModuleSimulator> m_sim;
    std::unique_ptr<CComDevice> m_device;
    std::unique_ptr<CFenwoldDlg> m_dialog;
};
