#pragma once

#include <string_view>

// The leading decimal number of a text: any of `blanks` first, one optional
// sign, then digits up to the first non-digit; no digits read as 0. The result
// saturates at INT_MAX / INT_MIN. Written out rather than calling strtol so
// that the user's locale cannot change which texts count as numbers.
int ReadLeadingInt(std::string_view text, std::string_view blanks);
