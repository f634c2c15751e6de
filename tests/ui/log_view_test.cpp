// The log pane: entry formats, the view options, raw text as one stream, the
// gathering of a frame's records into one insert and the 512-line clear.
#include <malloc.h>

#include <regex>
#include <thread>

#include "catalogue/log_record.h"
#include "tests/ui/fenwold_dlg_fixture.h"
#include "ui/log_entry.h"

namespace {

// Stands in a list of records for a click on the box.
constexpr int kTickHex = -1;
constexpr int kTickDisplay = -2;
using Records = std::vector<std::pair<int, std::string>>;

}  // namespace

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
    void Toggle(int id) { m_dialog->DlgItem<QCheckBox>(id)->click(); }
    // Raw records go as bytes, NULs included; the others through a format.
    static void Log(int kind, const std::string& text) {
        kind == LOG_RAW && !text.empty() ? LogBytes(kind, text.data(), text.size())
                                         : LogPrintf(kind, "%s", text.c_str());
    }
    int Lines() const { return m_dialog->LogView().LineCount(); }
};

// Gathered (posted together from a worker thread, the ticks clicked between the records'
// handling) or one by one, each record flushed alone: the same text. "%" stays; entries go
// to the end whatever is selected; stamps as [T]. Raw text is one stream: a character cut
// between records shows whole, one left unfinished shows as it is when any other record, an
// empty raw one (the stream ended) included, comes first. Hex shows the bytes as they came.
TEST_F(LogPaneTest, EachKindHasItsFrameInOrderAtTheEndGatheredOrOneByOne) {
    const std::string cut = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文
    const std::tuple<bool, Records, const char*> rows[] = {
        {false,
         {{LOG_SEND, "AT+VER\r\n"}, {LOG_RECV, "\r\nOK\r\n"}, {LOG_ERROR, "fail"}, {7, "k"}},
         "\n[T]\nsend:AT+VER\n\n\n[T]\nrecv:\nOK\n\n\n[T]\nerror:fail\n\nk\n\nend\n"},
        {true,
         {{LOG_INFO, "enum 3 com ports"}, {LOG_RAW, "O\x01"}},
         "\n656E756D203320636F6D20706F727473\n4F01\n656E64\n"},
        {false,
         {{LOG_RAW, "100%"}, {LOG_RAW, " s%d\r"}, {LOG_RAW, "\nnext"}, {LOG_INFO, "%n"}},
         "100% s%d\nnext\n%n\n\nend\n"},
        {false,
         {{LOG_RAW, cut.substr(0, 1)}, {LOG_RAW, cut.substr(1, 3)}, {LOG_RAW, cut.substr(4)}},
         "中文\nend\n"},
        {false,
         {{LOG_RAW, "a" + cut.substr(0, 2)},
          {LOG_INFO, "i"},
          {LOG_RAW, std::string("\xF0\x9F", 2)},
          {LOG_RAW, ""},
          {LOG_RAW, "\x98\x80!"}},
         "a\uFFFD\uFFFD\ni\n\uFFFD\uFFFD\uFFFD\uFFFD!\nend\n"},
        {false,
         {{LOG_RAW, cut.substr(0, 1)},
          {kTickHex, ""},
          {LOG_RAW, cut.substr(1, 2)},
          {kTickHex, ""},
          {LOG_RAW, "x"},
          {kTickDisplay, ""},
          {LOG_INFO, "off"},
          {LOG_RAW, "\r\n"},
          {kTickDisplay, ""},
          {LOG_SEND, "on"}},
         "\uFFFDB8ADx\n[T]\nsend:on\n\nend\n"}};
    for (const bool gathered : {true, false}) {
        for (const auto& [hex, records, pane] : rows) {
            Click(IDC_BUTTON_CLEARLOG);
            Tick(IDC_CHECK_DISPLAYPACKET, true);
            Tick(IDC_CHECK_HEXSHOW, hex);
            Records group;
            // Gathered, what comes before a tick is handled before it but not flushed.
            const auto post = [&] {
                std::thread([&] {
                    for (const auto& [kind, text] : group) Log(kind, text);
                }).join();
                group.clear();
                gathered ? void(DrainPostedMessages()) : Settle();
            };
            for (const auto& record : records) {
                if (record.first >= 0) {
                    group.push_back(record);
                    if (!gathered) post();
                    continue;
                }
                post();
                Toggle(record.first == kTickHex ? IDC_CHECK_HEXSHOW : IDC_CHECK_DISPLAYPACKET);
            }
            post();
            Settle();
            m_dialog->LogView().pane()->selectAll();
            Post(LOG_INFO, "end");
            const std::regex stamp("\\[\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\]");
            EXPECT_EQ(std::regex_replace(Pane(), stamp, "[T]"), pane) << "gathered " << gathered;
        }
    }
}

// One frame's records past 512 lines: the pane shows an unbroken run of the last ones, from
// the start of one, nothing dropped or doubled; at most 512 lines and the last record's. In
// hex and raw text without line ends, a record is a run of wrapped lines.
TEST_F(LogPaneTest, AFramePast512LinesShowsAnUnbrokenRunOfItsLastRecords) {
    const auto numbered = [](int i, int size) {
        std::string text = std::to_string(i) + ":";
        return text + std::string(size - text.size(), 'a' + i % 26);
    };
    const std::tuple<bool, int, int, int> rows[] = {// hex, kind, records, record size
                                                    {false, LOG_INFO, 3000, 12},
                                                    {true, LOG_RAW, 300, 511},
                                                    {false, LOG_RAW, 600, 300}};
    for (const auto& [hex, kind, count, size] : rows) {
        Click(IDC_BUTTON_CLEARLOG);
        Tick(IDC_CHECK_HEXSHOW, hex);
        std::vector<std::string> shown;
        for (int i = 0; i < count; ++i) {
            const std::string text = numbered(i, size);
            shown.push_back(kind == LOG_INFO ? "\n" + text + "\n"
                            : hex            ? FormatHexBytes(text.data(), size)
                                             : text);
        }
        std::thread([&] {
            for (int i = 0; i < count; ++i) Log(kind, numbered(i, size));
        }).join();
        Settle();
        const std::string pane = Pane();
        const int lines = Lines();
        std::string run;
        int first = count;
        while (run.size() < pane.size() && first > 0) run.insert(0, shown[--first]);
        EXPECT_EQ(pane, run) << "kind " << kind << ": the run breaks";
        EXPECT_GT(first, 0) << "kind " << kind << ": no clear";
        Click(IDC_BUTTON_CLEARLOG);
        Post(kind, numbered(0, size));
        EXPECT_LE(lines, CLogView::kMaxLines + Lines()) << "kind " << kind;
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
