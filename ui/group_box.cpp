#include "ui/group_box.h"

#include <QPainter>
#include <QStyle>
#include <algorithm>

namespace {
// Windows insets the title 7 pixels from the frame's left end and clears one
// pixel of the line on either side of it.
constexpr int kTitleInset = 7;
constexpr int kTitleGap = 1;
}  // namespace

GroupBox::GroupBox(const QString& title, QWidget* parent) : QGroupBox(title, parent) {}

QRect GroupBox::FrameRect() const {
    const int top = std::max(0, fontMetrics().height() / 2 - 1);
    return QRect(0, top, width(), std::max(0, height() - top));
}

QRect GroupBox::TitleRect() const {
    if (title().isEmpty()) return {};
    const QFontMetrics metrics = fontMetrics();
    const int textWidth = metrics.horizontalAdvance(title());
    const int left = kTitleInset - kTitleGap;
    return QRect(left, 0, std::min(textWidth + 2 * kTitleGap, std::max(0, width() - 2 * left)),
                 metrics.height());
}

void GroupBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The title breaks the line; what shows through is the parent's own
    // background, a tab page's as well as a dialog's.
    const QRect titleRect = TitleRect();
    if (!titleRect.isEmpty()) painter.setClipRegion(QRegion(rect()).subtracted(titleRect));
    // An etched line: a shadow line with a light one inside it and one pixel lower right.
    const QRect frame = FrameRect();
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame.adjusted(0, 0, -2, -2));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(frame.adjusted(1, 1, -1, -1));
    if (titleRect.isEmpty()) return;
    painter.setClipping(false);
    style()->drawItemText(&painter, titleRect.adjusted(kTitleGap, 0, -kTitleGap, 0),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, palette(),
                          isEnabled(), title(), QPalette::WindowText);
}
