#pragma once

#include <QFont>

// The face every dialog is drawn in, named once as a Windows template names
// its font: a Latin face, then a Chinese one for the glyphs the first lacks.
// The desktop's default face follows its locale (under zh_CN fontconfig
// offers a Chinese face first, whose letters are narrow beside its digits
// and brackets), and the dialog units, so every rectangle, follow from the
// dialog font's letters: pinned, the layouts are the same under every locale
// on a desktop with both faces, which `make` installs.
QFont DialogFont(int pointSize);
