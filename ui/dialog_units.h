#pragma once

#include <QFont>
#include <QRect>

// The base units of a dialog font, measured as Windows measures them: the
// average width of the 52 Latin letters (rounded) and the font's line height.
struct DialogUnits {
    int avgCharWidth = 0;
    int charHeight = 0;

    static DialogUnits ForFont(const QFont& font);

    // Dialog units to pixels: x * avgCharWidth / 4, y * charHeight / 8,
    // rounded like MulDiv. ToPixels converts the rectangle's four edges.
    int ToPixelsX(int x) const;
    int ToPixelsY(int y) const;
    QRect ToPixels(int x, int y, int w, int h) const;
};

// MulDiv's rounding: a * b / c rounded half away from zero.
int MulDivRound(int a, int b, int c);
