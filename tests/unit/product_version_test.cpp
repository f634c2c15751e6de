#include "catalogue/product_version.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>

#include "catalogue/version_matcher.h"

using namespace std::string_literals;
using ::testing::PrintToString;

// "model,band,flavour,version,suffix"
static product_version_id Id(const std::string& fields) {
    std::vector<std::string> f(1);
    for (char c : fields) c == ',' ? f.emplace_back() : f.back() += c;
    f.resize(5);
    return {f[0], f[1], f[2], f[3], f[4]};
}

static std::string Show(const product_version_id& i) {
    return i.model + "," + i.band + "," + i.flavour + "," + i.version + "," + i.suffix;
}

static std::string Repeat(const std::string& unit, std::size_t length) {
    std::string text;
    while (text.size() < length) text += unit;
    return text.substr(0, length);
}

// expected "" means 0, and then the previous module's fields must still be there.
static void ExpectParse(const std::string& reply, const std::string& expected) {
    const std::string previous = "S,N,CLAA,V2,OLD";
    std::string text = reply, upper = reply;
    product_version_id out = Id(previous);
    const std::string where = PrintToString(reply.substr(0, 60));
    EXPECT_EQ(ParseProductVersion(text, out), expected.empty() ? 0 : 1) << where;
    EXPECT_EQ(Show(out), expected.empty() ? previous : expected) << where;
    for (char& c : upper) c = (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
    EXPECT_EQ(text, upper) << where << ": the caller's text must be upper-cased";
}

TEST(ParseProductVersion, ReplyExamplesAndLongAdversarialReplies) {
    const std::size_t kMax = 4095;  // the longest reply; long ones overflow std::regex's stack
    const std::string repeated = Repeat("K7R40D_STANDARD_V1", kMax);
    const std::string banded = Repeat("K7R40T-N_LRWAN_V2_", kMax);
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {  // reply, identity ("" for 0)
        {"K7R40D_STANDARD_V1.3", "D,,STANDARD,V1,"}, {"k7r40t-e_std_v2", "D,E,STANDARD,V2,"},
        {"K7R40S-N_LRWAN_V1", "S,N,LRWAN,V1,"}, {"K7R40D_CLAA_LRWAN_V1", "D,,LRWAN,V1,CLAA"},
        {"K7R40D_X_STANDARD_V1_Y_CLAA_V2", "D,,CLAA,V2,X_STANDARD_V1_Y"},
        {"K7R40D__STANDARD_V2", "D,,STANDARD,V2,"}, {"K7R40D_STANDARD_V10", "D,,STANDARD,V1,"},
        {"REV K7R40D_LRWAN_V2", "D,,LRWAN,V2,"}, {"K7R40D_STANDARD_V3", ""},
        {"K7R40D-X_STANDARD_V1", ""}, {"K7R40D_STANDARD", ""}, {"", ""},
        // The leftmost model that matches wins, even if a later one would too.
        {"K7R40X K7R40S_CLAA_V1 K7R40D_LRWAN_V2", "S,,LRWAN,V2,CLAA_V1 K7R40D"},
        // '.' stops at a line end, not at the bytes of a UTF-8 line separator.
        {"K7R40D_X\r\n_STANDARD_V1", ""}, {"K7R40D_X_CLAA_V1\nK7R40S_LRWAN_V2", "D,,CLAA,V1,X"},
        {"K7R40D\n_STANDARD_V1 K7R40S_STD_V2", "S,,STANDARD,V2,"},
        {"K7R40D_\xE2\x80\xA8_STD_V1", "D,,STANDARD,V1,\xE2\x80\xA8"},
        {"K7R40D\0_STANDARD_V1"s, ""},  // the search ends at the first NUL
        {"K7R40D" + std::string(kMax - 6, '_'), ""}, {Repeat("K7R40D_", kMax), ""},
        {repeated, "D,,STANDARD,V1," + repeated.substr(7, repeated.rfind("_STANDARD") - 7)},
        {Repeat("k7r40t-n_lrwan_v2_", kMax),
         "D,N,LRWAN,V2," + banded.substr(9, banded.rfind("_LRWAN") - 9)},
        {"K7R40D_" + std::string(kMax - 20, 'X') + "\n_CLAA_V1", ""},
        {Repeat("\xFF\x80\r_V1STD", kMax), ""}};
    // clang-format on
    for (const auto& [reply, identity] : cases) ExpectParse(reply, identity);
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        std::string text(kMax, '\0');
        for (char& c : text) c = static_cast<char>(random());
        product_version_id out;
        EXPECT_LE(unsigned(ParseProductVersion(text, out)), 1u);
    }
}

// Short texts shaped like replies, half of them with one byte changed, dropped or doubled.
TEST(MatchVersionString, AgreesWithStdRegexOnGeneratedTexts) {
    using Pieces = std::vector<std::string>;
    // clang-format off
    const Pieces prefixes = {"", "", "", "REV ", "\n", "K7R4", "K7R40", "K7R40X", "_STD_V1 "};
    const Pieces models = {"K7R40D", "K7R40S", "K7R40T", "K7R40X", "K7R40", "K7R40D-"};
    const Pieces bands = {"", "", "-N", "-E", "-X", "-", "N"};
    const Pieces pieces = {
        "_", "_", "_STANDARD_V1", "_STD_V2", "_LRWAN_V1", "_CLAA_V2", "_STANDARD", "_STAND",
        "_STD", "_V1", "_V2", "_V3", "V1", "2", "X", " ", "\r", "\n", "\r\n", "K7R40D",
        "K7R40T-E", "-N", "\xE2\x80\xA8", "\0"s, "\xFF", "\x85", "STD", "CLAA"};
    const std::string bytes = "_-\r\nXDTV12\0"s;
    // clang-format on
    std::mt19937 random(20240607);
    const auto below = [&random](std::size_t n) { return std::size_t(random() % n); };
    const auto pick = [&below](const Pieces& from) { return from[below(from.size())]; };
    const std::regex pattern("K7R40(D|S|T)(-N|-E)?(_.*)?_(STANDARD|LRWAN|STD|CLAA)_(V1|V2).*");
    int matched = 0, withSuffix = 0;
    for (int i = 0; i < 100000; ++i) {
        std::string text = pick(prefixes) + pick(models) + pick(bands);
        for (std::size_t n = below(8); n > 0; --n) text += pick(pieces);
        const std::size_t at = below(text.size());
        if (i % 6 == 1) text[at] = bytes[below(bytes.size())];
        if (i % 6 == 3) text.erase(at, 1);
        if (i % 6 == 5) text.insert(at, 1, text[at]);
        std::smatch m;
        std::string want = "-,-,-,-,-";  // the outputs stay untouched on a miss
        if (std::regex_search(text, m, pattern)) {
            want = (m[1] == "T" ? "D" : m[1].str()) + "," + m[2].str().substr(m[2].matched) + "," +
                   m[4].str() + "," + m[5].str() + "," + m[3].str().substr(m[3].matched);
            ++matched;
            withSuffix += m[3].matched;
        }
        product_version_id g = Id("-,-,-,-,-");
        const bool found =
            MatchVersionString(text, g.model, g.band, g.flavour, g.version, g.suffix);
        ASSERT_EQ(found, !m.empty()) << PrintToString(text);
        ASSERT_EQ(Show(g), want) << PrintToString(text);
    }
    // Both routes of the third group must be exercised, not only misses.
    EXPECT_GT(matched, 6000);
    EXPECT_GT(withSuffix, 3000);
}

TEST(ProductVersionId, MatchesAndOrderIgnoreCase) {
    // clang-format off
    const struct { const char* pattern; const char* identity; bool matches; } matches[] = {
        // Only non-empty pattern fields count, each compared whole.
        {"D,,LRWAN,,CLAA", "D,,LRWAN,V1,CLAA", true}, {"D,,LRWAN,,CLAA", "D,E,LRWAN,V2,CLAA", true},
        {"D,,LRWAN,,CLAA", "D,,LRWAN,V1,", false}, {"D,E,,,", "D,E,STANDARD,V1,", true},
        {"D,E,,,", "D,E,CLAA,V2,X", true}, {"D,E,,,", "D,,STANDARD,V1,", false},
        {"D,E,,,", "S,E,STANDARD,V1,", false}, {"d,e,lrwan,v1,claa", "D,E,LRWAN,V1,CLAA", true},
        {",,,,", ",,,,", true}, {",,,,", "S,N,CLAA,V2,X", true},
        {",,,V2,", "D,,STANDARD,V1,", false}, {",,STD,,", "D,,STANDARD,V1,", false},
        {",,,,X", "D,,STANDARD,V1,XY", false}};
    // Strictly ascending; each field decides only when the ones before are equal.
    const std::vector<std::string> ascending = {",,,,", ",,,,_", ",,,,A", ",,,,a_", ",,,,z",
        ",,,,\xE4\xB8\xAD", "D,,CLAA,V1,a", "D,,CLAA,V1,B", "D,,CLAA,V1,Z", "D,,CLAA,V2,A",
        "D,,LRWAN,V1,", "D,E,LRWAN,,", "D,N,,,", "D,N,CLAA,,", "S,,,,"};
    // clang-format on
    for (const auto& c : matches) {
        EXPECT_EQ(product_version_id::Matches(Id(c.pattern), Id(c.identity)), c.matches)
            << "pattern " << c.pattern << ", identity " << c.identity;
    }
    for (std::size_t i = 0; i < ascending.size(); ++i) {
        for (std::size_t j = 0; j < ascending.size(); ++j) {
            EXPECT_EQ(Id(ascending[i]) < Id(ascending[j]), i < j)
                << PrintToString(ascending[i]) << " < " << PrintToString(ascending[j]);
        }
    }
    EXPECT_FALSE(Id("d,,lrwan,,") < Id("D,,LRWAN,,"));  // equal without case: one map key
    EXPECT_FALSE(Id("D,,LRWAN,,") < Id("d,,lrwan,,"));
}
