// The real main dialog, shown non-modally, against the module simulator over
// a pseudo-terminal. Settings live in a temporary folder; message boxes and
// file choosers are answered by hooks; the port list is fed through
// CSerial's lister so that the simulator's pty is listed.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/app_directory.h"
#include "catalogue/lang_text.h"
#include "link/com_device.h"
#include "link/serial.h"
#include "resources/main_dialog_ids.h"
#include "tests/support/module_simulator.h"
#include "ui/combo_box.h"
#include "ui/controls.h"
#include "ui/fenwold_app.h"
#include "ui/fenwold_dlg.h"
#include "ui/file_chooser.h"
#include "ui/message_box.h"
#include "ui/tab_control.h"
#include "ui/template_menu.h"

inline QApplication& TestApplication() {
    static int argc = 1;
    static char name[] = "quorrel_ui_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

// The port list that CSerial hands out, changeable from any thread.
class FakePortList {
public:
    void Set(std::vector<std::string> ports) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_ports = std::move(ports);
    }
    std::vector<std::string> Get() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_ports;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_ports;
};

class MainDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { TestApplication(); }

    void SetUp() override {
        char pattern[] = "/tmp/quorrel_ui_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_folder = pattern;
        SetAppDirectoryForTesting(m_folder);
        WriteIni("");
        // English unless a test says otherwise.
        unsetenv("LC_ALL");
        unsetenv("LC_MESSAGES");
        setenv("LANG", "en_US.UTF-8", 1);
        CSerial::SetPortLister([this] { return m_ports.Get(); });
        SetMessageBoxHook([this](const std::string& text) {
            m_boxes.push_back(text);
            return 1;
        });
        SetFileChooserHook([this](const FileChooserRequest& request, std::string& path) {
            m_requests.push_back(request);
            if (m_chosenPath.empty()) return false;
            path = m_chosenPath;
            return true;
        });
    }

    void TearDown() override {
        m_dialog.reset();
        m_transcript.clear();
        m_device.reset();
        m_sim.reset();
        SetMessageBoxHook({});
        SetFileChooserHook({});
        CSerial::SetPortLister({});
        SetAppDirectoryForTesting("");
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    // `text` first, so its keys win over the test defaults after it: the log
    // as text, and short read time-outs (the simulator answers at once, and
    // silent reads should not slow the suite down).
    void WriteIni(const std::string& text) {
        std::ofstream(m_folder + "/ParamCfg.ini", std::ios::binary)
            << text << "\r\n[CONFIG]\r\nHexShow=0\r\n[COM_TIMEOUT_PARAM]\r\n"
            << "ReadIntervalTimeout=20\r\nReadTotalTimeoutConstant=300\r\n";
    }
    std::string ReadFile(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        std::stringstream out;
        out << in.rdbuf();
        return out.str();
    }
    std::string IniText() const { return ReadFile(m_folder + "/ParamCfg.ini"); }

    void StartSimulator(ModuleSimulator::Identity identity = {}) {
        m_sim = std::make_unique<ModuleSimulator>(identity);
        m_ports.Set({m_sim->portName()});
    }

    // The dialog as the application builds it, shown without a modal loop.
    void StartDialog() {
        m_device = std::make_unique<CComDevice>();
        ConfigureDevice(*m_device);
        m_dialog = std::make_unique<CFenwoldDlg>(m_device.get());
        m_dialog->show();
        // Everything the pane ever shows, also what a 512-line clear removed.
        QTextDocument* document = m_dialog->LogView().pane()->document();
        QObject::connect(document, &QTextDocument::contentsChange, document,
                         [this, document](int position, int, int added) {
                             if (added <= 0) return;
                             QTextCursor range(document);
                             range.setPosition(position);
                             range.setPosition(position + added, QTextCursor::KeepAnchor);
                             m_transcript += range.selectedText()
                                                 .replace(QChar::ParagraphSeparator, '\n')
                                                 .toStdString();
                         });
        Settle();
    }

    // Simulator, dialog, and the simulator's port opened with the button.
    void StartOpen(ModuleSimulator::Identity identity = {}) {
        StartSimulator(identity);
        StartDialog();
        Click(IDC_BUTTON_OPENCOM);
        ASSERT_TRUE(m_device->m_serial.IsOpen()) << Log();
    }

    void Load() {
        Click(IDC_BUTTON_LOADPARAMS);
        ASSERT_EQ(m_dialog->GetUiState(), UI_PAGES_SHOWN) << Log();
    }

    void Click(int id) {
        QPushButton* button = m_dialog->Button(id);
        ASSERT_NE(button, nullptr) << id;
        ASSERT_TRUE(button->isEnabled()) << "button " << id << " disabled";
        button->click();
        Settle();
    }
    void Menu(int id) {
        QAction* action = m_dialog->Menu()->Item(id);
        ASSERT_NE(action, nullptr) << id;
        action->trigger();
        Settle();
    }

    // Lets posted log records arrive.
    void Settle() { QTest::qWait(30); }
    bool WaitFor(const std::function<bool()>& condition, int ms = 5000) {
        return QTest::qWaitFor(condition, ms);
    }

    std::string Log() const { return m_transcript; }
    bool LogHas(const std::string& text) const { return Log().find(text) != std::string::npos; }
    int LogCount(const std::string& text) const {
        const std::string log = Log();
        int count = 0;
        for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) {
            ++count;
        }
        return count;
    }
    std::string LogFrom(size_t offset) const {
        const std::string log = Log();
        return offset < log.size() ? log.substr(offset) : std::string();
    }

    TabControl* Tabs() const { return m_dialog->Tab(IDC_TAB_CONFIG); }
    std::vector<std::string> TabTexts() const {
        std::vector<std::string> texts;
        for (int i = 0; i < Tabs()->GetItemCount(); ++i) texts.push_back(Tabs()->GetItemText(i));
        return texts;
    }
    // A control of the page that tab `tabIndex` shows.
    template <class T>
    T* PageControl(int tabIndex, int id) const {
        auto* page = dynamic_cast<TemplateDialog*>(m_dialog->PageWidget(tabIndex));
        return page == nullptr ? nullptr : page->DlgItem<T>(id);
    }
    QLineEdit* FrameIntervalEdit() const { return PageControl<QLineEdit>(2, 1103); }
    ComboBox* WorkModeCombo() const { return PageControl<ComboBox>(1, 1092); }

    std::string m_folder;
    std::string m_transcript;
    FakePortList m_ports;
    std::vector<std::string> m_boxes;
    std::vector<FileChooserRequest> m_requests;
    std::string m_chosenPath;
    std::unique_ptr<ModuleSimulator> m_sim;
    std::unique_ptr<CComDevice> m_device;
    std::unique_ptr<CFenwoldDlg> m_dialog;
};
