#include "ui/command_bytes.h"

#include <algorithm>

namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

}  // namespace

int HexTextToBytes(const char* text, int length, std::uint8_t* out) {
    if (text == nullptr || out == nullptr) return 1;
    int pairs = 0;
    for (int at = 0; at < length && pairs < static_cast<int>(kMaxCommandBytes); at += 2) {
        const int high = HexDigitValue(text[at]);
        const int low = at + 1 < length ? HexDigitValue(text[at + 1]) : 0;
        out[pairs++] = static_cast<std::uint8_t>(high << 4 | low);
    }
    out[pairs] = 0;
    return 0;
}

std::string BuildCommandBytes(const std::string& text, bool hex, bool newLine) {
    std::string bytes;
    if (hex) {
        std::string digits = text;
        digits.erase(std::remove(digits.begin(), digits.end(), ' '), digits.end());
        std::uint8_t buffer[kMaxCommandBytes + 1] = {};
        const int length =
            static_cast<int>(std::min<std::size_t>(digits.size(), 2 * kMaxCommandBytes));
        HexTextToBytes(digits.c_str(), length, buffer);
        bytes.assign(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length / 2));
    } else {
        bytes = text.substr(0, kMaxCommandBytes);
    }
    if (newLine) {
        for (const char c : {'\r', '\n'}) {
            if (bytes.size() < kMaxCommandBytes) bytes += c;
        }
    }
    return bytes;
}
