#include "ui/dialog_units.h"

#include <QFontMetrics>

int MulDivRound(int a, int b, int c) {
    if (c == 0) return -1;
    const long long product = static_cast<long long>(a) * b;
    const long long half = (c > 0 ? c : -c) / 2;
    const bool negative = (product < 0) != (c < 0);
    const long long magnitude = ((product < 0 ? -product : product) + half) / (c > 0 ? c : -c);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

DialogUnits DialogUnits::ForFont(const QFont& font) {
    // Windows averages over the 52 Latin letters and rounds the width.
    static const QString kAlphabet =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const QFontMetrics metrics(font);
    DialogUnits units;
    units.avgCharWidth = (metrics.horizontalAdvance(kAlphabet) / 26 + 1) / 2;
    units.charHeight = metrics.height();
    if (units.avgCharWidth <= 0) units.avgCharWidth = 6;
    if (units.charHeight <= 0) units.charHeight = 13;
    return units;
}

int DialogUnits::ToPixelsX(int x) const { return MulDivRound(x, avgCharWidth, 4); }

int DialogUnits::ToPixelsY(int y) const { return MulDivRound(y, charHeight, 8); }

QRect DialogUnits::ToPixels(int x, int y, int w, int h) const {
    // Edges, not sizes, are rounded: a control that ends where its dialog ends
    // in dialog units then ends there in pixels too, never a pixel beyond.
    const int left = ToPixelsX(x);
    const int top = ToPixelsY(y);
    return QRect(left, top, ToPixelsX(x + w) - left, ToPixelsY(y + h) - top);
}
