// The version matcher against std::regex, the behaviour it replaces, on texts
// short enough for std::regex's recursion; on longer ones, that it finishes
// and reports groups the pattern allows. The reply parser built on it runs
// on every input too.
#include <cstdint>
#include <regex>
#include <string>

#include "catalogue/product_version.h"
#include "catalogue/version_matcher.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

constexpr std::size_t kRegexCompareMax = 64;

bool OneOf(const std::string& s, std::initializer_list<const char*> choices)
{
    for (const char* c : choices) {
        if (s == c) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string model = "-", band = "-", flavour = "-", version = "-", suffix = "-";
    const bool found = MatchVersionString(text, model, band, flavour, version, suffix);
    if (found) {
        FUZZ_CHECK(OneOf(model, {"D", "S"}));
        FUZZ_CHECK(OneOf(band, {"", "N", "E"}));
        FUZZ_CHECK(OneOf(flavour, {"STANDARD", "LRWAN", "STD", "CLAA"}));
        FUZZ_CHECK(OneOf(version, {"V1", "V2"}));
        FUZZ_CHECK(suffix.size() < size);
    } else {
        FUZZ_CHECK(model == "-" && band == "-" && flavour == "-" && version == "-" &&
                   suffix == "-");
    }

    if (size <= kRegexCompareMax) {
        static const std::regex pattern(
            "K7R40(D|S|T)(-N|-E)?(_.*)?_(STANDARD|LRWAN|STD|CLAA)_(V1|V2).*");
        std::smatch m;
        const bool want = std::regex_search(text, m, pattern);
        FUZZ_CHECK(found == want);
        if (want) {
            FUZZ_CHECK(model == (m[1] == "T" ? std::string("D") : m[1].str()));
            FUZZ_CHECK(band == (m[2].matched ? m[2].str().substr(1) : std::string()));
            FUZZ_CHECK(suffix == (m[3].matched ? m[3].str().substr(1) : std::string()));
            FUZZ_CHECK(flavour == m[4].str());
            FUZZ_CHECK(version == m[5].str());
        }
    }

    std::string reply = text;
    product_version_id id;
    const int parsed = ParseProductVersion(reply, id);
    FUZZ_CHECK(parsed == 0 || parsed == 1);
    return 0;
}
