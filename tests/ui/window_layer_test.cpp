// The window layer: dialog units, controls built from a template and found
// by id, the list semantics of combo boxes, byte-exact edit text, posted
// messages, the end of a modal dialog, the port watcher and file filters.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTimer>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "ui/combo_box.h"
#include "ui/controls.h"
#include "ui/dialog_units.h"
#include "ui/file_chooser.h"
#include "ui/message_box.h"
#include "ui/port_watcher.h"
#include "ui/posted_message.h"
#include "ui/tab_control.h"
#include "ui/template_dialog.h"

#include "tests/ui/qt_test_app.h"

namespace {

constexpr ControlTemplate kControls[] = {
    {10, ControlKind::Label, "Name", 4, 8, 40, 8, kRight},
    {11, ControlKind::Edit, "start", 48, 6, 60, 12, kNoStyle},
    {12, ControlKind::Edit, "", 48, 20, 60, 12, kDigitsOnly},
    {13, ControlKind::Edit, "", 48, 34, 60, 40, kMultiLine | kReadOnly},
    {14, ControlKind::ComboBox, "", 120, 6, 60, 80, kDropDownList | kSorted},
    {15, ControlKind::CheckBox, "Tick", 120, 22, 60, 10, kNoStyle},
    {16, ControlKind::RadioButton, "A", 120, 34, 30, 10, kGroup},
    {17, ControlKind::RadioButton, "B", 150, 34, 30, 10, kNoStyle},
    {18, ControlKind::RadioButton, "C", 120, 46, 30, 10, kGroup},
    {19, ControlKind::RadioButton, "D", 150, 46, 30, 10, kNoStyle},
    {20, ControlKind::ProgressBar, "", 4, 80, 100, 10, kNoStyle},
    {21, ControlKind::TabControl, "", 4, 92, 180, 40, kNoStyle},
    {22, ControlKind::PushButton, "Hidden", 4, 136, 50, 14, kHidden | kDisabled},
    {-1, ControlKind::Label, "anonymous", 60, 136, 50, 8, kNoStyle},
    {-1, ControlKind::GroupBox, "anonymous too", 0, 0, 190, 160, kNoStyle},
    {1, ControlKind::PushButton, "OK", 80, 136, 50, 14, kDefault},
    {2, ControlKind::PushButton, "Cancel", 134, 136, 50, 14, kNoStyle},
};
const DialogTemplate kTemplate = MakeDialogTemplate(9100, "Layer", 190, 160, 8, kPopup, kControls);

class LayerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { TestApp(); }
};

TEST(MulDivRoundTest, RoundsLikeWindows) {
    struct Row {
        int a, b, c, expected;
    };
    const Row rows[] = {{10, 6, 4, 15}, {1, 6, 4, 2}, {3, 13, 8, 5}, {5, 13, 8, 8},
                        {-1, 6, 4, -2}, {0, 6, 4, 0},  {7, 1, 0, -1}};
    for (const Row& row : rows) {
        EXPECT_EQ(MulDivRound(row.a, row.b, row.c), row.expected)
            << row.a << " * " << row.b << " / " << row.c;
    }
}

TEST_F(LayerTest, ControlsArePlacedInDialogUnitsOfTheDialogFont) {
    TemplateDialog dialog(kTemplate);
    const DialogUnits& units = dialog.Units();
    ASSERT_GT(units.avgCharWidth, 0);
    ASSERT_GT(units.charHeight, 0);
    const QRect edit = dialog.GetDlgItem(11)->geometry();
    EXPECT_EQ(edit, QRect(MulDivRound(48, units.avgCharWidth, 4), MulDivRound(6, units.charHeight, 8),
                          MulDivRound(60, units.avgCharWidth, 4),
                          MulDivRound(12, units.charHeight, 8)));
    EXPECT_EQ(dialog.size(), QSize(MulDivRound(190, units.avgCharWidth, 4),
                                   MulDivRound(160, units.charHeight, 8)));
    EXPECT_EQ(dialog.windowTitle(), "Layer");
}

TEST_F(LayerTest, ControlsAreFoundByIdWithTheirKindAndStyles) {
    TemplateDialog dialog(kTemplate);
    EXPECT_NE(dialog.DlgItem<QLabel>(10), nullptr);
    EXPECT_NE(dialog.DlgItem<QLineEdit>(11), nullptr);
    EXPECT_TRUE(dialog.DlgItem<QPlainTextEdit>(13)->isReadOnly());
    EXPECT_NE(dialog.Combo(14), nullptr);
    EXPECT_TRUE(dialog.Combo(14)->IsSorted());
    EXPECT_FALSE(dialog.Combo(14)->isEditable());
    EXPECT_NE(dialog.Tab(21), nullptr);
    EXPECT_EQ(dialog.GetDlgItem(-1), nullptr) << "anonymous controls are not looked up";
    EXPECT_EQ(dialog.GetDlgItem(99), nullptr);
    EXPECT_TRUE(dialog.GetDlgItem(22)->isHidden());
    EXPECT_FALSE(dialog.GetDlgItem(22)->isEnabled());
    EXPECT_TRUE(dialog.Button(1)->isDefault());
    EXPECT_EQ(dialog.GetDlgItemText(11), "start");
    EXPECT_EQ(dialog.GetDlgItemText(99), "") << "unknown ids read as empty";
    dialog.SetDlgItemText(99, "ignored");

    // Digits only: typing drops everything else.
    QTest::keyClicks(dialog.DlgItem<QLineEdit>(12), "a1b2");
    EXPECT_EQ(dialog.GetDlgItemText(12), "12");
}

TEST_F(LayerTest, RadioButtonsGroupFromOneGroupStyleToTheNext) {
    TemplateDialog dialog(kTemplate);
    dialog.DlgItem<QRadioButton>(16)->click();
    dialog.DlgItem<QRadioButton>(18)->click();
    dialog.DlgItem<QRadioButton>(17)->click();
    EXPECT_EQ(dialog.IsDlgButtonChecked(16), 0);
    EXPECT_EQ(dialog.IsDlgButtonChecked(17), 1);
    EXPECT_EQ(dialog.IsDlgButtonChecked(18), 1) << "the second group is independent";
    dialog.DlgItem<QCheckBox>(15)->click();
    EXPECT_EQ(dialog.IsDlgButtonChecked(15), 1);
    dialog.CheckDlgButton(15, 0);
    EXPECT_EQ(dialog.IsDlgButtonChecked(15), 0);
}

TEST_F(LayerTest, ComboBoxListSemantics) {
    ComboBox sorted(nullptr, true);
    for (const char* item : {"beta", "Alpha", "gamma", "alpha"}) sorted.AddString(item);
    std::vector<std::string> items;
    for (int i = 0; i < sorted.GetCount(); ++i) items.push_back(sorted.GetLBText(i));
    EXPECT_EQ(items, (std::vector<std::string>{"Alpha", "alpha", "beta", "gamma"}))
        << "AddString sorts without regard to case, equal items in arrival order";
    EXPECT_EQ(sorted.GetCurSel(), -1) << "filling a list selects nothing";
    EXPECT_EQ(sorted.InsertString(0, "zulu"), 0) << "an explicit position is kept in a sorted box";
    EXPECT_EQ(sorted.GetLBText(0), "zulu");
    EXPECT_EQ(sorted.InsertString(-1, "last"), 5);
    EXPECT_EQ(sorted.InsertString(9, "beyond"), -1);
    EXPECT_EQ(sorted.SetCurSel(2), 2);
    sorted.InsertString(0, "first");
    EXPECT_EQ(sorted.GetCurSel(), 3) << "the selection follows its item";
    EXPECT_EQ(sorted.SetCurSel(42), -1);
    EXPECT_EQ(sorted.GetCurSel(), -1);
    EXPECT_EQ(sorted.FindStringExact("GAMMA"), 5);
    sorted.SetCurSel(5);
    EXPECT_EQ(sorted.DeleteString(5), 6);
    EXPECT_EQ(sorted.GetCurSel(), -1) << "deleting the selected item clears the selection";
    sorted.ResetContent();
    EXPECT_EQ(sorted.GetCount(), 0);
}

TEST_F(LayerTest, EditTextKeepsBytesUntilTheUserChangesIt) {
    QLineEdit edit;
    const std::string raw = "A\xff\xfe" "B";  // not UTF-8
    SetWindowText(&edit, raw);
    EXPECT_EQ(GetWindowText(&edit), raw);
    edit.setText(edit.text() + "C");
    EXPECT_NE(GetWindowText(&edit), raw + "C") << "an edited text is read as shown";
    SetWindowText(&edit, "中文");
    EXPECT_EQ(GetWindowText(&edit), "中文");
    QPlainTextEdit log;
    AppendEditText(&log, "one\r\n");
    AppendEditText(&log, "two");
    EXPECT_EQ(GetWindowText(&log), "one\ntwo") << "CR LF is one line break";
}

TEST_F(LayerTest, ProgressBarTakesFullWidthRangesAndClampsPositions) {
    QProgressBar bar;
    SetProgressRange(&bar, 0, 100000);
    SetProgressPos(&bar, 70000);
    EXPECT_EQ(GetProgressPos(&bar), 70000) << "no 16-bit cut";
    SetProgressPos(&bar, 200000);
    EXPECT_EQ(GetProgressPos(&bar), 100000);
    SetProgressRange(&bar, 0, 0);
    EXPECT_GT(bar.maximum(), bar.minimum()) << "an empty range must not turn the bar into a busy bar";
}

TEST_F(LayerTest, TabControlReportsOnlyTheUsersChanges) {
    TabControl tabs;
    int changes = 0;
    QObject::connect(&tabs, &TabControl::SelChange, [&] { ++changes; });
    EXPECT_EQ(tabs.GetCurSel(), -1);
    EXPECT_EQ(tabs.InsertItem(0, "System"), 0);
    EXPECT_EQ(tabs.InsertItem(5, "Network"), 1);
    EXPECT_EQ(tabs.SetCurSel(1), 0);
    EXPECT_EQ(tabs.GetItemText(1), "Network");
    EXPECT_EQ(changes, 0);
    tabs.tabBar()->setCurrentIndex(0);  // as a click does
    EXPECT_EQ(changes, 1);
    tabs.DeleteAllItems();
    EXPECT_EQ(tabs.GetItemCount(), 0);
    EXPECT_EQ(changes, 1);
}

// A dialog that ends itself from OnInitDialog, as a failed start would.
class EndsAtOnce : public TemplateDialog {
public:
    EndsAtOnce() : TemplateDialog(kTemplate) {}
    int inits = 0;

protected:
    bool OnInitDialog() override {
        ++inits;
        EndDialog(IDCANCEL);
        return true;
    }
};

TEST_F(LayerTest, ModalDialogEndsWithIdOkOrIdCancel) {
    struct Row {
        const char* how;
        std::function<void(TemplateDialog&)> act;
        int expected;
    };
    const Row rows[] = {
        {"OK button", [](TemplateDialog& d) { d.Button(IDOK)->click(); }, IDOK},
        {"Cancel button", [](TemplateDialog& d) { d.Button(IDCANCEL)->click(); }, IDCANCEL},
        {"Esc", [](TemplateDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }, IDCANCEL},
        {"close request", [](TemplateDialog& d) { d.close(); }, IDCANCEL},
    };
    for (const Row& row : rows) {
        TemplateDialog dialog(kTemplate);
        QTimer::singleShot(0, &dialog, [&] { row.act(dialog); });
        EXPECT_EQ(dialog.DoModal(), row.expected) << row.how;
    }
    EndsAtOnce early;
    EXPECT_EQ(early.DoModal(), IDCANCEL) << "a dialog ended during OnInitDialog never runs";
    EXPECT_EQ(early.inits, 1);
}

TEST_F(LayerTest, PostedMessagesReachTheirHandlerOnTheUiThread) {
    TemplateDialog dialog(kTemplate);
    std::vector<std::pair<std::intptr_t, std::intptr_t>> seen;
    std::thread::id handlerThread;
    dialog.AddMessageHandler(0x500, [&](PostedMessage& m) {
        seen.emplace_back(m.wParam, m.lParam);
        handlerThread = std::this_thread::get_id();
    });
    std::string logText;
    dialog.AddMessageHandler(WM_LOG_MESSAGE, [&](PostedMessage& m) {
        logText.assign(m.record->text, m.record->length);
    });
    std::thread worker([&] {
        PostMessage(&dialog, 0x500, 1, 5000000000LL);
        auto record = std::make_unique<LogRecord>();
        record->length = 2;
        record->text[0] = 'h';
        record->text[1] = 'i';
        PostLogRecord(&dialog, std::move(record));
        PostMessage(&dialog, 0x501);  // no handler: dropped
    });
    worker.join();
    QCoreApplication::sendPostedEvents(&dialog);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].second, 5000000000LL);
    EXPECT_EQ(handlerThread, std::this_thread::get_id());
    EXPECT_EQ(logText, "hi");

    // A record still queued when its window goes is freed with the event
    // (LeakSanitizer and valgrind see it otherwise).
    auto* doomed = new TemplateDialog(kTemplate);
    PostLogRecord(doomed, std::make_unique<LogRecord>());
    delete doomed;
    QCoreApplication::sendPostedEvents();
}

class Recorder : public DeviceChangeListener {
public:
    Recorder(std::string name, std::vector<std::string>& log) : m_name(std::move(name)), m_log(log) {}
    bool OnDeviceChange(unsigned event, const DeviceBroadcast* data) override {
        m_log.push_back(m_name + (event == DBT_DEVICEARRIVAL ? " +" : " -") + data->portName);
        return true;
    }

private:
    std::string m_name;
    std::vector<std::string>& m_log;
};

TEST_F(LayerTest, PortWatcherDeliversToTheLastRegisteredListenerFirst) {
    std::vector<std::string> ports = {"ttyUSB0", "ttyS0"};
    std::vector<std::string> log;
    Recorder main("main", log);
    Recorder wait("wait", log);
    DeviceChangeRegistration mainRegistration(&main);
    PortWatcher watcher(nullptr, [&] { return ports; });
    watcher.Start();
    {
        DeviceChangeRegistration waitRegistration(&wait);
        ports = {"ttyS0", "ttyACM0"};
        watcher.Poll();
    }
    ports = {"ttyS0"};
    watcher.Poll();
    watcher.Poll();
    const std::vector<std::string> expected = {"wait -ttyUSB0", "main -ttyUSB0", "wait +ttyACM0",
                                               "main +ttyACM0", "main -ttyACM0"};
    EXPECT_EQ(log, expected);
}

TEST_F(LayerTest, PortWatcherPollsByItself) {
    std::vector<std::string> ports = {"ttyS0"};
    std::vector<std::string> log;
    Recorder main("main", log);
    DeviceChangeRegistration registration(&main);
    PortWatcher watcher(nullptr, [&] { return ports; }, 20);
    watcher.Start();
    ports.push_back("ttyUSB1");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !log.empty(); }, 2000));
    EXPECT_EQ(log, std::vector<std::string>{"main +ttyUSB1"});
}

TEST(FileChooserTest, WindowsFiltersBecomeQtFilters) {
    struct Row {
        const char* windows;
        const char* qt;
    };
    const Row rows[] = {
        {"INI Files (*.ini)|*.ini|All Files (*.*)|*.*||", "INI Files (*.ini);;All Files (*)"},
        {"Firmware (*.bin)|*.bin||", "Firmware (*.bin)"},
        {"Images|*.bin;*.hex||", "Images (*.bin *.hex)"},
        {"", ""},
    };
    for (const Row& row : rows) EXPECT_EQ(ToQtFilter(row.windows), row.qt) << row.windows;
}

TEST_F(LayerTest, HooksStandInForTheModalBoxes) {
    std::vector<std::string> texts;
    SetMessageBoxHook([&](const std::string& text) {
        texts.push_back(text);
        return IDOK;
    });
    EXPECT_EQ(MessageBox("Upgrade complete"), IDOK);
    SetMessageBoxHook({});
    EXPECT_EQ(texts, std::vector<std::string>{"Upgrade complete"});

    SetFileChooserHook([](const FileChooserRequest& request, std::string& path) {
        path = "/tmp/" + request.initialFile;
        return request.save;
    });
    FileChooserRequest request;
    request.save = true;
    request.initialFile = "ConfigFile.ini";
    std::string path;
    EXPECT_TRUE(ChooseFile(request, path));
    EXPECT_EQ(path, "/tmp/ConfigFile.ini");
    SetFileChooserHook({});
}

}  // namespace
