#pragma once

#include <string>

// The identity of a radio module as its version reply names it, and the same
// five fields as a firmware profile's pattern (an empty field there means
// "any"). Fields are compared without regard to ASCII case.
struct product_version_id {
    std::string model;    // "D" or "S" (a "T" module is treated as "D")
    std::string band;     // "N", "E" or empty
    std::string flavour;  // "STANDARD", "LRWAN" or "CLAA"
    std::string version;  // "V1" or "V2"
    std::string suffix;   // text between model (and band) and flavour, or empty

    // Key order of the profile maps: model, band, flavour, version, suffix,
    // each compared with ASCII letters folded to lower case, so patterns that
    // differ only in case are one key.
    bool operator<(const product_version_id& other) const;

    // True when every non-empty field of the pattern equals the identity's
    // field without regard to case. An all-empty pattern matches anything.
    static bool Matches(const product_version_id& pattern, const product_version_id& identity);
};

// Upper-cases `reply` in place (ASCII letters; other bytes unchanged) whatever
// the result, then looks for a module identity in it, up to its first NUL.
// Returns 1 and writes all five fields of `out` when one is found ("STD" is
// stored as "STANDARD"); returns 0 and leaves `out` untouched otherwise.
// Answers 1 or 0 for any bytes, in linear time and constant stack.
int ParseProductVersion(std::string& reply, product_version_id& out);
