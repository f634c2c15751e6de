// The log pane: entry formats, the view options and the 512-line clear.
#include <malloc.h>

#include <regex>
#include <thread>

#include "catalogue/log_record.h"
#include "tests/ui/fenwold_dlg_fixture.h"

class LogPaneTest : public MainDialogTest {
protected:
    void SetUp() override { MainDialogTest::SetUp(), Start({}, false), Click(IDC_BUTTON_CLEARLOG); }
    void Post(int kind, const std::string& text) {
        LogPrintf(kind, "%s", text.c_str());
        Settle();
    }
    std::string Pane() const { return m_dialog->LogView().pane()->toPlainText().toStdString(); }
    void Tick(int id, bool on) {
        if (auto* box = m_dialog->DlgItem<QCheckBox>(id); box->isChecked() != on) box->click();
    }
};

// From a worker thread; "%" stays; entries go to the end whatever is selected; stamps as [T].
TEST_F(LogPaneTest, EachKindHasItsFrameInOrderAtTheEnd) {
    using Records = std::vector<std::pair<int, std::string>>;
    const std::tuple<bool, Records, const char*> rows[] = {
        {false, {{LOG_SEND, "AT+VER\r\n"}, {LOG_RECV, "\r\nOK\r\n"}, {LOG_ERROR, "fail"}, {7, "k"}},
         "\n[T]\nsend:AT+VER\n\n\n[T]\nrecv:\nOK\n\n\n[T]\nerror:fail\n\nk\n\nend\n"},
        {true, {{LOG_INFO, "enum 3 com ports"}, {LOG_RAW, "O\x01"}},
         "\n656E756D203320636F6D20706F727473\n4F01\n656E64\n"},
        {false, {{LOG_RAW, "100%"}, {LOG_RAW, " s%d\r"}, {LOG_RAW, "\nnext"}, {LOG_INFO, "%n"}},
         "100% s%d\nnext\n%n\n\nend\n"}};
    for (const auto& [hex, records, pane] : rows) {
        Click(IDC_BUTTON_CLEARLOG);
        Tick(IDC_CHECK_HEXSHOW, hex);
        std::thread([&] {
            for (const auto& [kind, text] : records) LogPrintf(kind, "%s", text.c_str());
        }).join();
        Settle();
        m_dialog->LogView().pane()->selectAll();
        Post(LOG_INFO, "end");
        const std::regex stamp("\\[\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\]");
        EXPECT_EQ(std::regex_replace(Pane(), stamp, "[T]"), pane);
    }
}

// The clear happens with the display off too; records then are dropped, not kept.
TEST_F(LogPaneTest, MoreThan512LinesAreClearedByTheNextRecordAndDisplayOffKeepsNothing) {
    for (int i = 0; i < 511; ++i) Post(LOG_RAW, "r\r\n");  // with the first line: 512
    ASSERT_EQ(m_dialog->LogView().LineCount(), 512);
    Post(LOG_INFO, "kept");  // 512 lines: no clear; now 514
    EXPECT_EQ(m_dialog->LogView().LineCount(), 514);
    Post(LOG_INFO, "alone");  // more than 512: cleared first
    EXPECT_EQ(Pane(), "\nalone\n");
    while (m_dialog->LogView().LineCount() <= 512) Post(LOG_RAW, "r\r\n");
    Tick(IDC_CHECK_DISPLAYPACKET, false);
    Post(LOG_INFO, "dropped");
    EXPECT_EQ(Pane(), "");
    const size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 20000; ++i) LogPrintf(LOG_INFO, "%s", std::string(500, 'x').c_str());
    Settle();  // records still queued would count as kept
    EXPECT_EQ(Pane(), "");
    const size_t after = mallinfo2().uordblks;  // 20000 kept records: 10 MB
    EXPECT_LT(after, before + 1024 * 1024) << "grew by " << (after - before);
}
