#pragma once

#include <QString>
#include <string>

// The program keeps its texts as UTF-8 in std::string; Qt wants QString.
inline QString ToQString(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
