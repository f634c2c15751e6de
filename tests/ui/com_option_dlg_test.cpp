// The PC port options: the record shown and picked, and the line the next opening sets.
#include "ui/com_option_dlg.h"

#include "resources/com_option_ids.h"
#include "tests/ui/fenwold_dlg_fixture.h"

using Values = std::vector<unsigned>;

Values Record(const ComPortSettings& r) { return {r.baud, r.dataBits, r.stopBits, r.parity}; }

// The selected text of each box, then picks (one per box, "" keeps it) and ends with `end`.
Texts ShowAndPick(CComOptionDlg& dialog, const Texts& pick, int end = IDOK) {
    Texts shown;
    for (int id : {IDC_COMOPT_COMBO_BAUDRATE, IDC_COMOPT_COMBO_DATABITS, IDC_COMOPT_COMBO_STOPBITS,
                   IDC_COMOPT_COMBO_PARITY}) {
        ComboBox* combo = dialog.Combo(id);
        shown.push_back(combo->GetLBText(combo->GetCurSel()));
        const std::string picked = shown.size() <= pick.size() ? pick[shown.size() - 1] : "";
        if (!picked.empty()) combo->SetCurSel(combo->FindStringExact(picked));
    }
    dialog.Button(end)->click();
    return shown;
}

using PortOptionsTest = MainDialogTest;

// Sorted in style, the boxes keep the lists' order. Line: {baud, stop bits, odd, stick}.
TEST_F(PortOptionsTest, RecordComesBackAsShownAndPickedAndTheNextOpeningUsesIt) {
    const Texts defaults = {"115200", "8", "1", "none"};
    const std::tuple<ComPortSettings, Texts, Texts, Values, Values> rows[] = {
        {{9600, 7, 2, 1}, {}, {"9600", "7", "2", "odd"}, {9600, 7, 2, 1}, {9600, 2, 1, 0}},
        {{300, 5, 9, 7}, {}, defaults, {115200, 8, 0, 0}, {115200, 1, 0, 0}},
        {{}, {"600", "6", "", "mark"}, defaults, {600, 6, 0, 3}, {600, 1, 1, 1}},
        {{}, {"56000", "", "2", "space"}, defaults, {56000, 8, 2, 4}, {56000, 2, 0, 1}},
        {{}, {"14400", "7", "1.5", "even"}, defaults, {14400, 7, 1, 2}, {}}};
    Start({}, false);
    for (const auto& [held, pick, shown, record, line] : rows) {
        SCOPED_TRACE(::testing::PrintToString(Record(held)));
        CComOptionDlg dialog;
        dialog.m_settings = held;
        EXPECT_EQ(RunModal(dialog, [&] { EXPECT_EQ(ShowAndPick(dialog, pick), shown); }), IDOK);
        EXPECT_EQ(Record(dialog.m_settings), record);
        Values pty;
        if (m_device->Open(m_sim->portName(), dialog.m_settings)) {
            const PtyLineSettings got = m_sim->lineSettings().value_or(PtyLineSettings{});
            pty = {got.baud, got.stopBits, got.parityOdd, got.parityStick};
        }
        m_device->Close();
        EXPECT_EQ(pty, line);
    }
}

TEST_F(PortOptionsTest, TheMainDialogKeepsOnlyAnAcceptedRecordAndOpensWithIt) {
    Start({}, false);
    const Values before = Record(m_dialog->PortSettings());
    for (const int end : {IDCANCEL, IDOK}) {
        const auto options = [] { return qobject_cast<CComOptionDlg*>(qApp->activeModalWidget()); };
        WhenTrue(options, [&] {
            if (options()) ShowAndPick(*options(), {"56000"}, end);
        });
        Click(ID_OPTIONS_COMSETTINGS, true);
        ASSERT_TRUE(m_held);
        EXPECT_EQ(Record(m_dialog->PortSettings()), end == IDOK ? Values({56000, 8, 0, 0}) : before)
            << end;
    }
    Click(IDC_BUTTON_OPENCOM);
    ASSERT_TRUE(m_device->m_serial.IsOpen()) << m_transcript;
    EXPECT_EQ(m_sim->lineSettings()->baud, 56000u);
}

// Each box lists its entries in this order, and the entry at each position gives this value.
TEST_F(PortOptionsTest, FourListsInTheirOrderWithTheValueOfEachEntry) {
    // clang-format off
    const std::tuple<int, Texts, Values> lists[] = {
        {IDC_COMOPT_COMBO_BAUDRATE,
         {"600", "1200", "2400", "4800", "9600", "14400", "19200", "38400", "56000", "57600", "115200"},
         {600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200}},
        {IDC_COMOPT_COMBO_DATABITS, {"6", "7", "8"}, {6, 7, 8}},
        {IDC_COMOPT_COMBO_STOPBITS, {"1", "1.5", "2"}, {0, 1, 2}},
        {IDC_COMOPT_COMBO_PARITY, {"none", "odd", "even", "mark", "space"}, {0, 1, 2, 3, 4}}};
    // clang-format on
    for (int box = 0; const auto& [id, texts, values] : lists) {
        SCOPED_TRACE("combo " + std::to_string(id));
        for (std::size_t i = 0; i < values.size(); ++i) {
            CComOptionDlg dialog;
            Texts shown;
            EXPECT_EQ(RunModal(dialog,
                               [&, id = id] {
                                   ComboBox* combo = dialog.Combo(id);
                                   for (int n = 0; n < combo->GetCount(); ++n)
                                       shown.push_back(combo->GetLBText(n));
                                   combo->SetCurSel(static_cast<int>(i));
                                   dialog.Button(IDOK)->click();
                               }),
                      IDOK);
            EXPECT_EQ(shown, texts);
            EXPECT_EQ(Record(dialog.m_settings)[box], values[i]) << texts[i];
        }
        ++box;
    }
}
