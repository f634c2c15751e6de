#include "platform/leading_int.h"

#include <algorithm>
#include <climits>
#include <cstdint>

int ReadLeadingInt(std::string_view text, std::string_view blanks)
{
    std::size_t pos = text.find_first_not_of(blanks);
    if (pos == std::string_view::npos) {
        return 0;
    }
    bool negative = false;
    if (text[pos] == '-' || text[pos] == '+') {
        negative = text[pos] == '-';
        ++pos;
    }
    // Accumulated as a magnitude capped just beyond INT_MAX, so arbitrarily
    // long digit runs cannot overflow and both ends saturate.
    std::int64_t magnitude = 0;
    constexpr std::int64_t kLimit = static_cast<std::int64_t>(INT_MAX) + 1;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        magnitude = std::min<std::int64_t>(magnitude * 10 + (text[pos] - '0'), kLimit);
    }
    if (negative) {
        return static_cast<int>(-magnitude);
    }
    return static_cast<int>(std::min<std::int64_t>(magnitude, INT_MAX));
}
