#include "resources/app_icon.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QPixmap PaintIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    // Rounded tile.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1F, 0x5F, 0x8B));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);

    // Mast: a narrow triangle standing on the tile's floor.
    QPainterPath mast;
    mast.moveTo(32, 24);
    mast.lineTo(40, 56);
    mast.lineTo(24, 56);
    mast.closeSubpath();
    p.setBrush(QColor(0xF2, 0xF2, 0xF2));
    p.drawPath(mast);

    // Waves leaving the mast head on both sides.
    QPen wave(QColor(0xFF, 0xC1, 0x3B), 4, Qt::SolidLine, Qt::RoundCap);
    p.setPen(wave);
    p.setBrush(Qt::NoBrush);
    for (int r = 8; r <= 20; r += 6) {
        const QRectF arc(32 - r, 22 - r, 2 * r, 2 * r);
        p.drawArc(arc, -50 * 16, 100 * 16);
        p.drawArc(arc, 130 * 16, 100 * 16);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xFF, 0xC1, 0x3B));
    p.drawEllipse(QPointF(32, 22), 4, 4);
    return pixmap;
}

}  // namespace

QIcon MakeAppIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(PaintIcon(size));
    return icon;
}
