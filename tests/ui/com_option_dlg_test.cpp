// The PC port options: the record the dialog gives back for what it shows
// and what is picked, and the line settings the next opening of the port
// puts on the simulator's pseudo-terminal.
#include "ui/com_option_dlg.h"

#include "resources/com_option_ids.h"
#include "tests/ui/fenwold_dlg_fixture.h"
#include "tests/ui/modal_test_support.h"

// Found by argument lookup: ComPortSettings lives in the global namespace.
static bool operator==(const ComPortSettings& a, const ComPortSettings& b) {
    return a.baud == b.baud && a.dataBits == b.dataBits && a.stopBits == b.stopBits &&
           a.parity == b.parity;
}

static std::ostream& operator<<(std::ostream& out, const ComPortSettings& s) {
    return out << "{" << s.baud << ", " << s.dataBits << ", " << s.stopBits << ", " << s.parity
               << "}";
}

namespace {

constexpr int kCombos[] = {IDC_COMOPT_COMBO_BAUDRATE, IDC_COMOPT_COMBO_DATABITS,
                           IDC_COMOPT_COMBO_STOPBITS, IDC_COMOPT_COMBO_PARITY};

struct Shown {
    std::vector<std::string> selected;  // the selected text of each combo box
    int result = 0;
    ComPortSettings settings{};
};

// Runs the dialog on `held`; pick chooses texts (one per combo box, "" keeps
// the selection) before button `end` is clicked.
Shown RunOptions(const ComPortSettings& held, std::vector<std::string> pick = {}, int end = IDOK) {
    CComOptionDlg dialog;
    dialog.m_settings = held;
    Shown shown;
    shown.result = RunModal(dialog, [&] {
        for (std::size_t i = 0; i < std::size(kCombos); ++i) {
            ComboBox* combo = dialog.Combo(kCombos[i]);
            shown.selected.push_back(combo->GetLBText(combo->GetCurSel()));
            if (i < pick.size() && !pick[i].empty()) {
                combo->SetCurSel(combo->FindStringExact(pick[i]));
            }
        }
        dialog.Button(end)->click();
    });
    shown.settings = dialog.m_settings;
    return shown;
}

}  // namespace

class PortOptionsTest : public MainDialogTest {};

TEST_F(PortOptionsTest, RecordComesBackAsShownAndPicked) {
    TestApplication();
    struct Row {
        ComPortSettings held;
        std::vector<std::string> pick;
        std::vector<std::string> shown;
        ComPortSettings result;
    };
    // Picking "600" gives 600 only while the boxes keep the lists' order
    // despite their sorted style.
    const Row rows[] = {
        {{9600, 7, 2, 1}, {}, {"9600", "7", "2", "odd"}, {9600, 7, 2, 1}},
        {{300, 5, 9, 7}, {}, {"115200", "8", "1", "none"}, {115200, 8, 0, 0}},
        {{115200, 8, 0, 0},
         {"600", "6", "1.5", "space"},
         {"115200", "8", "1", "none"},
         {600, 6, 1, 4}},
        {{115200, 8, 0, 0},
         {"14400", "", "2", "mark"},
         {"115200", "8", "1", "none"},
         {14400, 8, 2, 3}},
        {{115200, 8, 0, 0},
         {"56000", "7", "", "even"},
         {"115200", "8", "1", "none"},
         {56000, 7, 0, 2}},
    };
    for (const Row& row : rows) {
        const Shown shown = RunOptions(row.held, row.pick);
        EXPECT_EQ(shown.result, IDOK);
        EXPECT_EQ(shown.selected, row.shown) << "held " << row.held;
        EXPECT_EQ(shown.settings, row.result) << "held " << row.held;
    }
}

TEST_F(PortOptionsTest, CancelLeavesTheMainDialogsRecord) {
    StartSimulator();
    StartDialog();
    const ComPortSettings before = m_dialog->PortSettings();
    CComOptionDlg* seen = nullptr;
    WhenTrue cancel([&] { return (seen = ActiveModal<CComOptionDlg>()) != nullptr; },
                    [&] {
                        if (seen == nullptr) return;
                        ComboBox* baud = seen->Combo(IDC_COMOPT_COMBO_BAUDRATE);
                        baud->SetCurSel(baud->FindStringExact("9600"));
                        QTest::keyClick(seen, Qt::Key_Escape);
                    });
    Menu(ID_OPTIONS_COMSETTINGS);
    ASSERT_TRUE(seen != nullptr) << "the port options did not open";
    EXPECT_EQ(m_dialog->PortSettings(), before);
}

TEST_F(PortOptionsTest, TheNextOpeningUsesTheRecord) {
    struct Row {
        ComPortSettings chosen;
        PtyLineSettings line;  // what the pseudo-terminal can show
    };
    PtyLineSettings odd2;
    odd2.baud = 9600, odd2.stopBits = 2, odd2.parityOdd = true;
    PtyLineSettings space;
    space.baud = 56000, space.parityStick = true;
    PtyLineSettings mark;
    mark.baud = 600, mark.parityOdd = true, mark.parityStick = true;
    const Row rows[] = {{{9600, 7, 2, 1}, odd2}, {{56000, 8, 0, 4}, space}, {{600, 6, 0, 3}, mark}};
    StartSimulator();
    StartDialog();
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.chosen);
        WhenTrue choose([] { return ActiveModal<CComOptionDlg>() != nullptr; },
                        [&] {
                            auto* dialog = ActiveModal<CComOptionDlg>();
                            if (dialog == nullptr) return;
                            const std::string texts[] = {
                                std::to_string(row.chosen.baud),
                                std::to_string(row.chosen.dataBits),
                                row.chosen.stopBits == 2 ? "2" : "1",
                                std::vector<std::string>{"none", "odd", "even", "mark",
                                                         "space"}[row.chosen.parity]};
                            for (std::size_t i = 0; i < std::size(kCombos); ++i) {
                                ComboBox* combo = dialog->Combo(kCombos[i]);
                                combo->SetCurSel(combo->FindStringExact(texts[i]));
                            }
                            dialog->Button(IDOK)->click();
                        });
        Menu(ID_OPTIONS_COMSETTINGS);
        EXPECT_EQ(m_dialog->PortSettings(), row.chosen);
        Click(IDC_BUTTON_OPENCOM);
        ASSERT_TRUE(m_device->m_serial.IsOpen()) << Log();
        const std::optional<PtyLineSettings> line = m_sim->lineSettings();
        ASSERT_TRUE(line.has_value());
        EXPECT_EQ(line->baud, row.line.baud);
        EXPECT_EQ(line->stopBits, row.line.stopBits);
        EXPECT_EQ(line->parityOdd, row.line.parityOdd);
        EXPECT_EQ(line->parityStick, row.line.parityStick);
        Click(IDC_BUTTON_OPENCOM);  // close
    }
}

TEST_F(PortOptionsTest, AnUnlistedBaudRateOpensOn115200) {
    StartSimulator();
    StartDialog();
    const Shown shown = RunOptions({300, 8, 0, 0});
    EXPECT_EQ(shown.settings, (ComPortSettings{115200, 8, 0, 0}));
    ASSERT_TRUE(m_device->Open(m_sim->portName(), shown.settings));
    EXPECT_EQ(m_sim->lineSettings()->baud, 115200u);
}
