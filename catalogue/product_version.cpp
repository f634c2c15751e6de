#include "catalogue/product_version.h"

#include <algorithm>
#include <cstring>

#include "catalogue/version_matcher.h"

namespace {

unsigned char FoldCase(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

// Only ASCII letters fold; in UTF-8 every other byte compares as itself and
// byte order equals code point order, so a multibyte character sorts whole.
int CompareNoCase(const std::string& a, const std::string& b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char x = FoldCase(a[i]);
        const unsigned char y = FoldCase(b[i]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

constexpr std::string product_version_id::*kFieldOrder[] = {
    &product_version_id::model, &product_version_id::band, &product_version_id::flavour,
    &product_version_id::version, &product_version_id::suffix};

}  // namespace

bool product_version_id::operator<(const product_version_id& other) const {
    for (auto field : kFieldOrder) {
        const int c = CompareNoCase(this->*field, other.*field);
        if (c != 0) {
            return c < 0;
        }
    }
    return false;
}

bool product_version_id::Matches(const product_version_id& pattern,
                                 const product_version_id& identity) {
    for (auto field : kFieldOrder) {
        const std::string& wanted = pattern.*field;
        if (!wanted.empty() && CompareNoCase(wanted, identity.*field) != 0) {
            return false;
        }
    }
    return true;
}

int ParseProductVersion(std::string& reply, product_version_id& out) {
    // ASCII only: UTF-8 never puts an ASCII byte inside a multibyte character,
    // so this can neither split nor reject any text.
    for (char& c : reply) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    const std::string text(reply.c_str(), std::strlen(reply.c_str()));
    product_version_id found;
    if (!MatchVersionString(text, found.model, found.band, found.flavour, found.version,
                            found.suffix)) {
        return 0;
    }
    if (found.flavour == "STD") {
        found.flavour = "STANDARD";
    }
    out = std::move(found);
    return 1;
}
