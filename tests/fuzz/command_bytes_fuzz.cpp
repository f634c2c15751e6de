// The command window's bytes for any typed text, in hex and as text, with
// and without the line end; and the hex reader on an exact-size buffer.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_check.h"
#include "ui/command_bytes.h"

namespace {

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

}  // namespace

// Input: one byte of flags (bit 0 hex, bit 1 line end), then the typed text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const bool hex = (data[0] & 1) != 0;
    const bool newLine = (data[0] & 2) != 0;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    const std::string bytes = BuildCommandBytes(text, hex, newLine);
    FUZZ_CHECK(bytes.size() <= kMaxCommandBytes);
    std::size_t body = 0;  // the command's own bytes, before any line end
    if (hex) {
        std::string digits;
        for (char c : text) {
            if (c != ' ') digits += c;
        }
        body = std::min(digits.size() / 2, kMaxCommandBytes);
        for (std::size_t i = 0; i < body; ++i) {
            const char hi = digits[2 * i], lo = digits[2 * i + 1];
            if (IsHexDigit(hi) && IsHexDigit(lo)) {
                FUZZ_CHECK(bytes[i] == static_cast<char>(std::stoi(digits.substr(2 * i, 2), nullptr, 16)));
            }
        }
    } else {
        body = std::min(text.size(), kMaxCommandBytes);
        FUZZ_CHECK(bytes.compare(0, body, text, 0, body) == 0);
    }
    const std::string end = newLine ? std::string("\r\n").substr(0, kMaxCommandBytes - body) : "";
    FUZZ_CHECK(bytes.size() == body + end.size());
    FUZZ_CHECK(bytes.compare(body, std::string::npos, end) == 0);

    // Exactly the 256 bytes the reader asks for, so one more shows under ASan.
    std::vector<std::uint8_t> out(kMaxCommandBytes + 1);
    const int length = static_cast<int>(std::min<std::size_t>(text.size(), 1 << 20));
    FUZZ_CHECK(HexTextToBytes(text.c_str(), length, out.data()) == 0);
    const std::size_t pairs = std::min<std::size_t>((text.size() + 1) / 2, kMaxCommandBytes);
    FUZZ_CHECK(out[pairs] == 0);
    FUZZ_CHECK(HexTextToBytes(nullptr, length, out.data()) == 1);
    return 0;
}
