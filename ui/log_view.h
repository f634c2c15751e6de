#pragma once

#include <string>

class QPlainTextEdit;
struct LogRecord;

// Local time of day as the log pane stamps an entry.
struct LogClock {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// The local time now, read on the thread that shows the entry.
LogClock LogClockNow();

// Two upper-case hexadecimal digits per byte, no separators; "" for a null
// pointer or a count of 0 or less.
std::string FormatHexBytes(const char* bytes, int count);

// One log entry as the pane shows it, with "\r\n" line breaks: kinds 0 to 2
// get a time stamp and a prefix, kind 4 is the body alone, every other kind
// is framed like an information line. The body is the `length` bytes of
// text, NULs included, or FormatHexBytes over them with hex.
std::string FormatLogEntry(int kind, const char* text, int length, bool hex, const LogClock& clock);

// The main dialog's log pane: appends entries at the end whatever the user
// selected, and empties itself once it holds more than 512 lines.
class CLogView {
public:
    static constexpr int kMaxLines = 512;

    explicit CLogView(QPlainTextEdit* pane);

    // Shows one record (the caller keeps ownership). The 512-line clear comes
    // first, also while the display is off; with display off nothing else
    // happens. A null record only takes part in the clear.
    void Append(const LogRecord* record, bool display, bool hex);

    // Appends an entry already formatted with "\r\n" line breaks.
    void AppendEntry(const std::string& entry);

    void Clear();

    // Lines as the pane lays them out, wrapped lines included; counting stops
    // early once `limit` is exceeded.
    int LineCount(int limit = 1 << 30) const;

    QPlainTextEdit* pane() const { return m_pane; }

private:
    QPlainTextEdit* m_pane;
};
