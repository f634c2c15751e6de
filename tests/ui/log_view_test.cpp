// The log pane: entry formats, the view options and the 512-line clear.
#include <malloc.h>

#include <regex>

#include "catalogue/log_record.h"
#include "tests/ui/fenwold_dlg_fixture.h"
#include "ui/log_view.h"

TEST(LogEntryFormat, EachKindHasItsFrame) {
    const LogClock clock{14, 3, 7, 215};
    struct Row {
        int kind;
        const char* text;
        bool hex;
        const char* entry;
    };
    const Row rows[] = {
        {LOG_SEND, "AT+MOD?\r\n", false, "\r\n[14:03:07.215]\r\nsend:AT+MOD?\r\n\r\n"},
        {LOG_RECV, "\r\nOK\r\n", false, "\r\n[14:03:07.215]\r\nrecv:\r\nOK\r\n\r\n"},
        {LOG_ERROR, "reboot fail", false, "\r\n[14:03:07.215]\r\nerror:reboot fail\r\n"},
        {LOG_INFO, "enum 3 com ports", false, "\r\nenum 3 com ports\r\n"},
        {LOG_INFO, "enum 3 com ports", true, "\r\n656E756D203320636F6D20706F727473\r\n"},
        {LOG_RAW, "abc", false, "abc"},
        {LOG_RAW, "\x01\xff", true, "01FF"},
        {7, "odd kind", false, "\r\nodd kind\r\n"},
        {LOG_INFO, "100% done", false, "\r\n100% done\r\n"},
        {LOG_SEND, "", true, "\r\n[14:03:07.215]\r\nsend:\r\n"},
    };
    for (const Row& row : rows) {
        const int length = static_cast<int>(std::strlen(row.text));
        EXPECT_EQ(FormatLogEntry(row.kind, row.text, length, row.hex, clock), row.entry)
            << "kind " << row.kind << " text \"" << row.text << "\" hex " << row.hex;
    }
    EXPECT_EQ(FormatHexBytes(nullptr, 3), "");
    EXPECT_EQ(FormatHexBytes("ab", 0), "");
    EXPECT_EQ(FormatHexBytes("ab", -1), "");
}

class LogPaneTest : public MainDialogTest {
protected:
    void SetUp() override {
        MainDialogTest::SetUp();
        StartDialog();
        Click(IDC_BUTTON_CLEARLOG);
    }
    void Post(int kind, const std::string& text) {
        LogPrintf(kind, "%s", text.c_str());
        QCoreApplication::sendPostedEvents(m_dialog.get());
    }
    std::string Pane() const { return m_dialog->LogView().pane()->toPlainText().toStdString(); }
    void SetDisplay(bool on) {
        auto* box = m_dialog->DlgItem<QCheckBox>(IDC_CHECK_DISPLAYPACKET);
        if (box->isChecked() != on) box->click();
    }
    void SetHex(bool on) {
        auto* box = m_dialog->DlgItem<QCheckBox>(IDC_CHECK_HEXSHOW);
        if (box->isChecked() != on) box->click();
    }
};

TEST_F(LogPaneTest, RecordsFromAnyThreadAppearInOrderWithStampsAndPrefixes) {
    SetHex(false);
    std::thread worker([] {
        LogPrintf(LOG_SEND, "%s", "AT+VER\r\n");
        LogPrintf(LOG_RECV, "%s", "\r\nSW VER:X\r\nOK\r\n");
    });
    worker.join();
    QCoreApplication::sendPostedEvents(m_dialog.get());
    const std::regex shape(
        "\n\\[\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\]\nsend:AT\\+VER\n\n\n"
        "\\[\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\]\nrecv:\nSW VER:X\nOK\n\n");
    EXPECT_TRUE(std::regex_match(Pane(), shape)) << Pane();
}

TEST_F(LogPaneTest, HexShowsEveryKindAsDigits) {
    SetHex(true);
    Post(LOG_INFO, "enum 3 com ports");
    Post(LOG_RAW, "OK");
    EXPECT_EQ(Pane(), "\n656E756D203320636F6D20706F727473\n4F4B");
}

TEST_F(LogPaneTest, RawChunksJoinAndAPercentStaysAsItIs) {
    SetHex(false);
    Post(LOG_RAW, "100%");
    Post(LOG_RAW, " s%d\r");
    Post(LOG_RAW, "\nnext");
    EXPECT_EQ(Pane(), "100% s%d\nnext");
}

TEST_F(LogPaneTest, EntriesGoToTheEndWhateverTheUserSelected) {
    SetHex(false);
    Post(LOG_INFO, "first");
    QPlainTextEdit* pane = m_dialog->LogView().pane();
    QTextCursor cursor = pane->textCursor();
    cursor.setPosition(1);
    cursor.setPosition(3, QTextCursor::KeepAnchor);
    pane->setTextCursor(cursor);
    Post(LOG_INFO, "second");
    EXPECT_EQ(Pane(), "\nfirst\n\nsecond\n");
}

TEST_F(LogPaneTest, DisplayOffDropsRecordsWithoutKeepingThem) {
    SetDisplay(false);
    Post(LOG_INFO, "warm up");
    const size_t before = mallinfo2().uordblks;
    const std::string line(500, 'x');
    for (int i = 0; i < 20000; ++i) LogPrintf(LOG_INFO, "%s", line.c_str());
    QCoreApplication::sendPostedEvents(m_dialog.get());
    const size_t after = mallinfo2().uordblks;
    EXPECT_EQ(Pane(), "");
    // 20000 kept records would hold about 10 MB.
    EXPECT_LT(after, before + 1024 * 1024) << "heap grew by " << (after - before);
    EXPECT_FALSE(m_dialog->DlgItem<QCheckBox>(IDC_CHECK_HEXSHOW)->isEnabled());
}

TEST_F(LogPaneTest, MoreThan512LinesAreClearedByTheNextRecord) {
    SetHex(false);
    // 511 raw lines after the pane's first line: 512 lines in all.
    for (int i = 0; i < 511; ++i) Post(LOG_RAW, "r\r\n");
    ASSERT_EQ(m_dialog->LogView().LineCount(), 512);
    Post(LOG_INFO, "kept");  // 512 lines: no clear; now 514
    EXPECT_EQ(m_dialog->LogView().LineCount(), 514);
    EXPECT_EQ(Pane().rfind("r\n", 0), 0u);
    Post(LOG_INFO, "alone");  // more than 512: cleared first
    EXPECT_EQ(Pane(), "\nalone\n");

    // The clear happens also while the display is off.
    while (m_dialog->LogView().LineCount() <= 512) Post(LOG_RAW, "r\r\n");
    SetDisplay(false);
    Post(LOG_INFO, "dropped");
    EXPECT_EQ(Pane(), "");
}
