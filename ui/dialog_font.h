#pragma once

#include <QFont>

// The face every dialog template is drawn in, named as a Windows template
// names "MS Shell Dlg": a Latin face and a Chinese face for the glyphs the
// first lacks. The desktop's own default follows its locale (fontconfig
// prefers a Chinese face, with wider digits and brackets, under zh_CN), and
// the dialog units, so every rectangle, follow from this font: pinned, the
// layouts are the same on every desktop that has the two faces, which
// `make` installs. Chinese glyphs come from the second face first, then from
// whatever the system offers.
QFont DialogFont(int pointSize);
