#include "ui/log_view.h"

#include <QAbstractTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <algorithm>

#include "catalogue/log_record.h"
#include "ui/log_entry.h"
#include "ui/qt_text.h"

CLogView::CLogView(QPlainTextEdit* pane) : m_pane(pane) {
    m_pane->setReadOnly(true);
    m_pane->setUndoRedoEnabled(false);
    m_pane->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Wrapping at word boundaries first measures the whole word, so a block
    // that is one long word (hex, a stream without spaces) costs its length
    // for each of its lines at every append.
    m_pane->setWordWrapMode(QTextOption::WrapAnywhere);
    // The log's scripts (Latin, Chinese, hex digits) read right unshaped,
    // and a plain edit control does not kern either; shaping would cost a
    // pass over the growing last block at every append.
    QFont font = m_pane->font();
    font.setStyleStrategy(QFont::PreferNoShaping);
    m_pane->setFont(font);
    m_frameTimer.setSingleShot(true);
    m_frameTimer.setInterval(kFrame);
    QObject::connect(&m_frameTimer, &QTimer::timeout, [this] { Flush(); });
}

int CLogView::LineCount(int limit) const {
    const QTextDocument* doc = m_pane->document();
    auto* layout = doc->documentLayout();
    int lines = 0;
    for (QTextBlock block = doc->firstBlock(); block.isValid(); block = block.next()) {
        QTextLayout* textLayout = block.layout();
        // Lays the block out if the pane has not done so yet (hidden pane,
        // new width): counting must not depend on what was painted.
        if (textLayout->lineCount() == 0) layout->blockBoundingRect(block);
        lines += std::max(1, textLayout->lineCount());
        if (lines > limit) break;
    }
    return lines;
}

void CLogView::Clear() {
    m_frameTimer.stop();
    m_frameOpen = m_clearFirst = false;
    m_gathered.clear();
    m_raw.Release();
    m_pane->clear();
}

void CLogView::Gather(const std::string& entry) {
    if (entry.empty()) return;
    // The pane breaks lines at "\n"; a carriage return on its own shows
    // nothing, so a "\r\n" split over two raw chunks still gives one break.
    QString text = ToQString(entry);
    text.remove(QLatin1Char('\r'));
    m_estimate.Add(text);
    m_gathered += text;
}

void CLogView::Append(const LogRecord* record, bool display, bool hex) {
    if (!m_frameOpen) {
        // Laying out what the last frame put in is the pane's own work, due
        // before it paints anyway.
        const int lines = LineCount(kMaxLines);
        m_estimate.StartFrom(*m_pane, lines);
        m_frameOpen = true;
        m_frameTimer.start();
    }
    if (m_estimate.lines() > kMaxLines) {
        m_gathered.clear();
        m_clearFirst = true;
        m_estimate.StartEmpty();
    }
    const bool rawText =
        display && record != nullptr && record->kind == LOG_RAW && !hex && record->length > 0;
    if (!rawText) Gather(m_raw.Release());
    if (!display || record == nullptr) return;
    if (rawText) {
        const int length = std::min(record->length, kLogTextSize - 1);
        Gather(m_raw.Take(record->text, static_cast<std::size_t>(length)));
    } else {
        Gather(FormatLogEntry(record->kind, record->text, record->length, hex, LogClockNow()));
    }
}

void CLogView::Flush() {
    m_frameTimer.stop();
    m_frameOpen = false;
    if (m_clearFirst) m_pane->clear();
    m_clearFirst = false;
    if (m_gathered.isEmpty()) return;
    QTextDocument* doc = m_pane->document();
    QTextCursor cursor(doc);
    // In an edit block the cursor does not place itself on the old layout.
    cursor.beginEditBlock();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(m_gathered);
    cursor.endEditBlock();
    m_gathered.clear();
    // A layout drops its glyphs once laid out, and the caret, the scroll to
    // it and the paint would each shape the last block again: a stream
    // without line ends makes that one block of up to the whole pane.
    doc->lastBlock().layout()->setCacheEnabled(true);
    m_pane->setTextCursor(cursor);
    m_pane->ensureCursorVisible();
}
