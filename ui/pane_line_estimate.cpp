#include "ui/pane_line_estimate.h"

#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

void PaneLineEstimate::StartFrom(const QPlainTextEdit& pane, int lines) {
    const QFont font = pane.font();
    if (font != m_font || m_other == 0) {
        m_font = font;
        const QFontMetricsF metrics(font);
        for (int c = 0; c < 128; ++c) m_ascii[c] = metrics.horizontalAdvance(QChar(c));
        m_wide = metrics.horizontalAdvance(QChar(0x4E2D));
        m_other = std::max<qreal>(metrics.averageCharWidth(), 1);
    }
    // The pane lays its text out at the width of its viewport less the
    // document's margins.
    const QTextDocument* doc = pane.document();
    m_width = std::max(pane.viewport()->width() - 2 * doc->documentMargin(), m_other);

    const QTextBlock last = doc->lastBlock();
    const QTextLayout* layout = last.layout();
    const int blockLines = layout != nullptr ? layout->lineCount() : 0;
    if (blockLines == 0) {
        m_closedLines = lines - 1;
        m_blockWidth = 0;
        return;
    }
    m_closedLines = lines - blockLines;
    m_blockWidth = (blockLines - 1) * m_width + layout->lineAt(blockLines - 1).naturalTextWidth();
}

void PaneLineEstimate::StartEmpty() {
    m_closedLines = 0;
    m_blockWidth = 0;
}

qreal PaneLineEstimate::Advance(QChar c) const {
    const char16_t code = c.unicode();
    if (code < 128) return m_ascii[code];
    if (c.isLowSurrogate()) return 0;
    return code >= 0x2E80 && code < 0xFF00 ? m_wide : m_other;
}

int PaneLineEstimate::BlockLines() const {
    return std::max(1, static_cast<int>(std::ceil(m_blockWidth / m_width)));
}

void PaneLineEstimate::Add(const QString& text) {
    for (const QChar c : text) {
        if (c == QLatin1Char('\n')) {
            m_closedLines += BlockLines();
            m_blockWidth = 0;
        } else {
            m_blockWidth += Advance(c);
        }
    }
}
