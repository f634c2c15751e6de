#pragma once

#include <QFont>
#include <QString>
#include <array>

class QPlainTextEdit;

// How many lines a plain-text pane that wraps anywhere will take for its text
// once more is appended, without laying the text out: each block is as wide
// as its characters' advances add up to. Kerning and a character that does
// not fit the end of a line can make the pane take a line more or less; the
// estimate only decides which text could never be seen before the pane
// clears itself.
class PaneLineEstimate {
public:
    // Starts from the pane as it is laid out now: `lines` in all, of which the
    // last block takes the last ones.
    void StartFrom(const QPlainTextEdit& pane, int lines);
    // Starts from an empty pane (one empty line) of the same width.
    void StartEmpty();

    void Add(const QString& text);
    int lines() const { return m_closedLines + BlockLines(); }

private:
    int BlockLines() const;
    qreal Advance(QChar c) const;

    QFont m_font;
    std::array<qreal, 128> m_ascii{};
    qreal m_wide = 0;        // a CJK character
    qreal m_other = 0;       // any other character
    qreal m_width = 1;       // where the pane wraps
    int m_closedLines = 0;   // of the blocks before the last
    qreal m_blockWidth = 0;  // of the last block, unwrapped
};
