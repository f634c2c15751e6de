#pragma once

#include <QString>
#include <QTimer>
#include <chrono>

#include "ui/pane_line_estimate.h"
#include "ui/raw_text_stream.h"

class QPlainTextEdit;
struct LogRecord;

// The main dialog's log pane: appends entries at the end whatever the user
// selected, and empties itself once it holds more than 512 lines.
//
// A record is stamped and formatted when it is handled, but the pane gets the
// entries of one frame together, in one insert: a stream of small records
// would otherwise cost a line count, an insert and the layout of a growing
// block each. What the 512-line clear would remove within the frame is
// dropped before it is ever laid out.
class CLogView {
public:
    static constexpr int kMaxLines = 512;
    static constexpr std::chrono::milliseconds kFrame{50};

    explicit CLogView(QPlainTextEdit* pane);

    // Handles one record (the caller keeps ownership): it shows in the pane
    // within a frame. The 512-line clear comes first, also while the display
    // is off; with display off nothing else happens. A null record only takes
    // part in the clear. Raw text is one stream: a character cut between two
    // records shows whole; one left unfinished shows as it is when any other
    // record comes first, an empty raw record (the stream has ended)
    // included.
    void Append(const LogRecord* record, bool display, bool hex);

    // Puts what the frame has gathered into the pane now.
    void Flush();

    void Clear();

    // Lines as the pane lays them out, wrapped lines included; counting stops
    // early once `limit` is exceeded. Text not yet flushed does not count.
    int LineCount(int limit = 1 << 30) const;

    QPlainTextEdit* pane() const { return m_pane; }

private:
    void Gather(const std::string& entry);

    QPlainTextEdit* m_pane;
    QTimer m_frameTimer;
    bool m_frameOpen = false;   // the estimate follows the pane and what is gathered
    bool m_clearFirst = false;  // the pane is emptied before the gathered text goes in
    QString m_gathered;
    PaneLineEstimate m_estimate;
    RawTextStream m_raw;
};
