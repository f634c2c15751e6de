#include "catalogue/version_matcher.h"

#include <array>
#include <string_view>

namespace {

constexpr std::string_view kModelPrefix = "K7R40";
constexpr std::size_t kNone = std::string_view::npos;

// The bytes that ECMAScript's '.' refuses when std::regex runs over chars.
// (U+2028 and U+2029 arrive as three UTF-8 bytes each, all of which '.' takes.)
bool IsLineTerminator(char c) { return c == '\n' || c == '\r'; }

struct Tail {
    std::string_view flavour;
    std::string_view version;
};

// Whether "_(STANDARD|LRWAN|STD|CLAA)_(V1|V2)" matches at `pos`. The flavours
// are tried in the pattern's order; at most one of them can fit anyway.
bool MatchTail(std::string_view text, std::size_t pos, Tail* tail) {
    static constexpr std::array<std::string_view, 4> kFlavours = {"STANDARD", "LRWAN", "STD",
                                                                  "CLAA"};
    if (pos >= text.size() || text[pos] != '_') {
        return false;
    }
    const std::string_view rest = text.substr(pos + 1);
    for (std::string_view flavour : kFlavours) {
        if (!rest.starts_with(flavour)) {
            continue;
        }
        const std::string_view after = rest.substr(flavour.size());
        if (after.size() >= 3 && after[0] == '_' && after[1] == 'V' &&
            (after[2] == '1' || after[2] == '2')) {
            if (tail != nullptr) {
                *tail = Tail{flavour, after.substr(1, 2)};
            }
            return true;
        }
    }
    return false;
}

// The last position in [from, end of from's line) at which the tail matches,
// or kNone. Greedy "(_.*)?" followed by the tail ends at exactly this point:
// ".*" runs to the end of the line and gives back one byte at a time.
struct LineScan {
    std::size_t from = 0;
    std::size_t lineEnd = 0;  // first terminator at or after the scanned start, or size
    std::size_t lastTail = kNone;
};

LineScan ScanLine(std::string_view text, std::size_t from) {
    LineScan scan;
    scan.from = from;
    scan.lineEnd = from;
    while (scan.lineEnd < text.size() && !IsLineTerminator(text[scan.lineEnd])) {
        ++scan.lineEnd;
    }
    for (std::size_t r = scan.lineEnd; r > from; --r) {
        if (MatchTail(text, r - 1, nullptr)) {
            scan.lastTail = r - 1;
            break;
        }
    }
    return scan;
}

}  // namespace

bool MatchVersionString(const std::string& text, std::string& model, std::string& band,
                        std::string& flavour, std::string& version, std::string& suffix) {
    const std::string_view view(text);
    // Candidates come in increasing order, so one scan serves every candidate
    // whose group start lies on the same line: the search stays linear.
    bool scanned = false;
    LineScan scan;
    for (std::size_t p = view.find(kModelPrefix); p != kNone; p = view.find(kModelPrefix, p + 1)) {
        std::size_t q = p + kModelPrefix.size();
        if (q >= view.size() || (view[q] != 'D' && view[q] != 'S' && view[q] != 'T')) {
            continue;
        }
        const char modelChar = view[q++];
        // Taking the band is the only choice that can succeed: without it the
        // next byte would be '-', and the pattern needs '_' there.
        std::size_t bandPos = kNone;
        if (q + 1 < view.size() && view[q] == '-' && (view[q + 1] == 'N' || view[q + 1] == 'E')) {
            bandPos = q + 1;
            q += 2;
        }
        if (q >= view.size() || view[q] != '_') {
            continue;
        }
        if (!scanned || q < scan.from || q >= scan.lineEnd) {
            scan = ScanLine(view, q);
            scanned = true;
        }
        if (scan.lastTail == kNone || scan.lastTail < q) {
            continue;
        }
        Tail tail;
        MatchTail(view, scan.lastTail, &tail);
        model = modelChar == 'T' ? "D" : std::string(1, modelChar);
        band = bandPos == kNone ? std::string() : std::string(1, view[bandPos]);
        flavour = std::string(tail.flavour);
        version = std::string(tail.version);
        // The third group is taken when the tail stands past its own '_';
        // when the tail starts at q the group gave way and the suffix is empty.
        suffix = scan.lastTail > q ? std::string(view.substr(q + 1, scan.lastTail - q - 1))
                                   : std::string();
        return true;
    }
    return false;
}
