#include "catalogue/product_version.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>
#include <vector>

#include "catalogue/version_matcher.h"

namespace {

product_version_id Id(std::string model, std::string band, std::string flavour, std::string version,
                      std::string suffix) {
    return product_version_id{std::move(model), std::move(band), std::move(flavour),
                              std::move(version), std::move(suffix)};
}

std::string Show(const product_version_id& id) {
    return "(" + id.model + "," + id.band + "," + id.flavour + "," + id.version + "," + id.suffix +
           ")";
}

bool SameFields(const product_version_id& a, const product_version_id& b) {
    return a.model == b.model && a.band == b.band && a.flavour == b.flavour &&
           a.version == b.version && a.suffix == b.suffix;
}

// Stands for "the parser must not have written here".
const product_version_id kPrevious = Id("S", "N", "CLAA", "V2", "OLD");

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

struct ParseCase {
    std::string reply;
    int result;
    product_version_id expected;  // ignored when result is 0
};

void ExpectParse(const ParseCase& c) {
    std::string text = c.reply;
    product_version_id out = kPrevious;
    const int result = ParseProductVersion(text, out);
    const std::string where = "reply \"" + c.reply.substr(0, 60) +
                              (c.reply.size() > 60 ? "...\"" : "\"") + " (length " +
                              std::to_string(c.reply.size()) + ")";
    EXPECT_EQ(result, c.result) << where;
    const product_version_id& want = c.result == 1 ? c.expected : kPrevious;
    EXPECT_TRUE(SameFields(out, want)) << where << ": expected " << Show(want).substr(0, 200)
                                       << ", got " << Show(out).substr(0, 200);
    EXPECT_EQ(text, Upper(c.reply)) << where << ": the caller's text must be upper-cased";
}

TEST(ParseProductVersion, ReplyExamples) {
    const std::vector<ParseCase> cases = {
        {"K7R40D_STANDARD_V1.3", 1, Id("D", "", "STANDARD", "V1", "")},
        {"k7r40t-e_std_v2", 1, Id("D", "E", "STANDARD", "V2", "")},
        {"K7R40S-N_LRWAN_V1", 1, Id("S", "N", "LRWAN", "V1", "")},
        {"K7R40D_CLAA_LRWAN_V1", 1, Id("D", "", "LRWAN", "V1", "CLAA")},
        {"K7R40D_X_STANDARD_V1_Y_CLAA_V2", 1, Id("D", "", "CLAA", "V2", "X_STANDARD_V1_Y")},
        {"K7R40D__STANDARD_V2", 1, Id("D", "", "STANDARD", "V2", "")},
        {"K7R40D_STANDARD_V10", 1, Id("D", "", "STANDARD", "V1", "")},
        {"REV K7R40D_LRWAN_V2", 1, Id("D", "", "LRWAN", "V2", "")},
        {"K7R40D_STANDARD_V3", 0, {}},
        {"K7R40D-X_STANDARD_V1", 0, {}},
        {"K7R40D_STANDARD", 0, {}},
        // The first module that matches wins, even if a later one would too.
        {"K7R40X K7R40S_CLAA_V1 K7R40D_LRWAN_V2", 1, Id("S", "", "LRWAN", "V2", "CLAA_V1 K7R40D")},
        // '.' stops at a line end: the flavour must stand on the model's line.
        {"K7R40D_X\r\n_STANDARD_V1", 0, {}},
        {"K7R40D_X_CLAA_V1\nK7R40S_LRWAN_V2", 1, Id("D", "", "CLAA", "V1", "X")},
        {"K7R40D\n_STANDARD_V1 K7R40S_STD_V2", 1, Id("S", "", "STANDARD", "V2", "")},
        // Bytes of a UTF-8 line separator are ordinary bytes to '.'.
        {"K7R40D_\xE2\x80\xA8_STD_V1", 1, Id("D", "", "STANDARD", "V1", "\xE2\x80\xA8")},
        // The search ends at the first NUL.
        {std::string("K7R40D\0_STANDARD_V1", 19), 0, {}},
        {"", 0, {}},
    };
    for (const ParseCase& c : cases) {
        ExpectParse(c);
    }
}

std::string Repeat(const std::string& unit, std::size_t length) {
    std::string text;
    while (text.size() < length) {
        text += unit;
    }
    text.resize(length);
    return text;
}

TEST(ParseProductVersion, LongAdversarialRepliesAnswerWithoutCrashing) {
    constexpr std::size_t kMax = 4095;
    const std::string repeated = Repeat("K7R40D_STANDARD_V1", kMax);
    const std::size_t lastTail = repeated.rfind("_STANDARD_V1");
    const std::string banded = Upper(Repeat("k7r40t-n_lrwan_v2_", kMax));
    const std::size_t lastBandedTail = banded.rfind("_LRWAN_V2");
    const std::string lastOnNewLine = "K7R40D_" + std::string(kMax - 20, 'X') + "\n_CLAA_V1";

    const std::vector<ParseCase> cases = {
        {"K7R40D" + std::string(kMax - 6, '_'), 0, {}},
        {Repeat("K7R40D_", kMax), 0, {}},
        {repeated, 1, Id("D", "", "STANDARD", "V1", repeated.substr(7, lastTail - 7))},
        {Repeat("k7r40t-n_lrwan_v2_", kMax), 1,
         Id("D", "N", "LRWAN", "V2", banded.substr(9, lastBandedTail - 9))},
        {lastOnNewLine, 0, {}},
        {Repeat("\xFF\x80\r_V1STD", kMax), 0, {}},
    };
    for (const ParseCase& c : cases) {
        ExpectParse(c);
    }

    // Any bytes at all: the answer is 1 or 0.
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        std::string text(kMax, '\0');
        for (char& c : text) {
            c = static_cast<char>(random() & 0xFF);
        }
        product_version_id out;
        const int result = ParseProductVersion(text, out);
        EXPECT_TRUE(result == 0 || result == 1);
    }
}

// Texts shaped like version replies, with noise everywhere: a prefix, a
// model, maybe a band, then a body of pieces that the pattern cares about.
class ReplyGenerator {
public:
    explicit ReplyGenerator(unsigned seed) : m_random(seed) {}

    std::string Next() {
        static const std::vector<std::string> kPrefixes = {
            "", "", "", "REV ", "\n", "K7R4", "K7R40", "K7R40X", "_STD_V1 "};
        static const std::vector<std::string> kModels = {"K7R40D", "K7R40S", "K7R40T",
                                                         "K7R40X", "K7R40",  "K7R40D-"};
        static const std::vector<std::string> kBands = {"", "", "-N", "-E", "-X", "-", "N"};
        static const std::vector<std::string> kPieces = {"_",
                                                         "_",
                                                         "_STANDARD_V1",
                                                         "_STD_V2",
                                                         "_LRWAN_V1",
                                                         "_CLAA_V2",
                                                         "_STANDARD",
                                                         "_STAND",
                                                         "_STD",
                                                         "_V1",
                                                         "_V2",
                                                         "_V3",
                                                         "V1",
                                                         "2",
                                                         "X",
                                                         " ",
                                                         "\r",
                                                         "\n",
                                                         "\r\n",
                                                         "K7R40D",
                                                         "K7R40T-E",
                                                         "-N",
                                                         "\xE2\x80\xA8",
                                                         std::string(1, '\0'),
                                                         "\xFF",
                                                         "\x85",
                                                         "STD",
                                                         "CLAA"};
        std::string text = Pick(kPrefixes) + Pick(kModels) + Pick(kBands);
        for (int n = Between(0, 7); n > 0; --n) {
            text += Pick(kPieces);
        }
        return text;
    }

    // One byte replaced, dropped or doubled: probes the edges of each piece.
    std::string Mutate(std::string text) {
        static const std::string kBytes = std::string("_-\r\nXDTV12") + '\0';
        if (text.empty()) {
            return text;
        }
        const auto at = static_cast<std::size_t>(Between(0, static_cast<int>(text.size()) - 1));
        switch (Between(0, 2)) {
            case 0:
                text[at] = kBytes[static_cast<std::size_t>(
                    Between(0, static_cast<int>(kBytes.size()) - 1))];
                break;
            case 1:
                text.erase(at, 1);
                break;
            default:
                text.insert(at, 1, text[at]);
                break;
        }
        return text;
    }

private:
    int Between(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(m_random);
    }
    const std::string& Pick(const std::vector<std::string>& from) {
        return from[static_cast<std::size_t>(Between(0, static_cast<int>(from.size()) - 1))];
    }

    std::mt19937 m_random;
};

std::string Escaped(const std::string& text) {
    std::string escaped;
    for (unsigned char c : text) {
        escaped += (c >= 0x20 && c < 0x7F) ? std::string(1, static_cast<char>(c))
                                           : "\\x" + std::to_string(c);
    }
    return escaped;
}

// The hand matcher must agree with std::regex on every text, including which
// groups the backtracking picks. Texts are short, so std::regex's recursion
// is safe here.
TEST(MatchVersionString, AgreesWithStdRegexOnGeneratedTexts) {
    const std::regex pattern("K7R40(D|S|T)(-N|-E)?(_.*)?_(STANDARD|LRWAN|STD|CLAA)_(V1|V2).*",
                             std::regex::ECMAScript);
    ReplyGenerator generator(20240607);
    int matched = 0;
    int withSuffix = 0;
    for (int i = 0; i < 100000; ++i) {
        const std::string text = i % 2 == 0 ? generator.Next() : generator.Mutate(generator.Next());
        std::smatch m;
        const bool want = std::regex_search(text, m, pattern);
        std::string model = "-", band = "-", flavour = "-", version = "-", suffix = "-";
        const bool got = MatchVersionString(text, model, band, flavour, version, suffix);
        ASSERT_EQ(got, want) << "text \"" << Escaped(text) << "\"";
        if (!want) {
            EXPECT_EQ(model + band + flavour + version + suffix, "-----")
                << "text \"" << Escaped(text) << "\": outputs written on failure";
            continue;
        }
        ++matched;
        withSuffix += m[3].matched ? 1 : 0;
        const std::string wantModel = m[1].str() == "T" ? "D" : m[1].str();
        const std::string wantBand = m[2].matched ? m[2].str().substr(1) : "";
        const std::string wantSuffix = m[3].matched ? m[3].str().substr(1) : "";
        const std::string expected =
            wantModel + "|" + wantBand + "|" + m[4].str() + "|" + m[5].str() + "|" + wantSuffix;
        const std::string actual =
            model + "|" + band + "|" + flavour + "|" + version + "|" + suffix;
        ASSERT_EQ(Escaped(actual), Escaped(expected)) << "text \"" << Escaped(text) << "\"";
    }
    // The generator must exercise both routes of the third group, not only misses.
    EXPECT_GT(matched, 6000);
    EXPECT_GT(withSuffix, 3000);
}

struct MatchCase {
    product_version_id pattern;
    product_version_id identity;
    bool expected;
};

TEST(ProductVersionId, MatchesComparesNonEmptyPatternFieldsWithoutCase) {
    const product_version_id claaLrwan = Id("D", "", "LRWAN", "", "CLAA");
    const product_version_id bandE = Id("D", "E", "", "", "");
    const std::vector<MatchCase> cases = {
        {claaLrwan, Id("D", "", "LRWAN", "V1", "CLAA"), true},
        {claaLrwan, Id("D", "E", "LRWAN", "V2", "CLAA"), true},
        {claaLrwan, Id("D", "", "LRWAN", "V1", ""), false},
        {bandE, Id("D", "E", "STANDARD", "V1", ""), true},
        {bandE, Id("D", "E", "CLAA", "V2", "X"), true},
        {bandE, Id("D", "", "STANDARD", "V1", ""), false},
        {bandE, Id("S", "E", "STANDARD", "V1", ""), false},
        {Id("d", "e", "lrwan", "v1", "claa"), Id("D", "E", "LRWAN", "V1", "CLAA"), true},
        {Id("", "", "", "", ""), Id("", "", "", "", ""), true},
        {Id("", "", "", "", ""), Id("S", "N", "CLAA", "V2", "X"), true},
        {Id("", "", "", "V2", ""), Id("D", "", "STANDARD", "V1", ""), false},
        // A field is compared whole, not as a prefix.
        {Id("", "", "STD", "", ""), Id("D", "", "STANDARD", "V1", ""), false},
        {Id("", "", "", "", "X"), Id("D", "", "STANDARD", "V1", "XY"), false},
    };
    for (const MatchCase& c : cases) {
        EXPECT_EQ(product_version_id::Matches(c.pattern, c.identity), c.expected)
            << "pattern " << Show(c.pattern) << ", identity " << Show(c.identity);
    }
}

TEST(ProductVersionId, OrderIsFieldByFieldWithoutCase) {
    struct OrderCase {
        product_version_id left;
        product_version_id right;
        bool less;
        bool greater;
    };
    const std::vector<OrderCase> cases = {
        {Id("d", "", "lrwan", "", ""), Id("D", "", "LRWAN", "", ""), false, false},
        {Id("", "", "", "", ""), Id("", "", "", "", ""), false, false},
        {Id("", "", "", "", ""), Id("D", "", "", "", ""), true, false},
        // Model decides before band, band before flavour, and so on.
        {Id("D", "N", "", "", ""), Id("S", "", "", "", ""), true, false},
        {Id("D", "E", "LRWAN", "", ""), Id("D", "N", "CLAA", "", ""), true, false},
        {Id("D", "", "CLAA", "V2", ""), Id("D", "", "LRWAN", "V1", ""), true, false},
        {Id("D", "", "CLAA", "V1", "Z"), Id("D", "", "CLAA", "V2", "A"), true, false},
        {Id("D", "", "CLAA", "V1", "a"), Id("D", "", "CLAA", "V1", "B"), true, false},
        // Letters fold to lower case, so '_' (0x5F) sorts before any letter.
        {Id("", "", "", "", "_"), Id("", "", "", "", "A"), true, false},
        {Id("", "", "", "", "_"), Id("", "", "", "", "a"), true, false},
        {Id("", "", "", "", "X"), Id("", "", "", "", "X_"), true, false},
        // Multibyte text sorts by code point.
        {Id("", "", "", "", "z"), Id("", "", "", "", "\xE4\xB8\xAD"), true, false},
    };
    for (const OrderCase& c : cases) {
        EXPECT_EQ(c.left < c.right, c.less) << Show(c.left) << " < " << Show(c.right);
        EXPECT_EQ(c.right < c.left, c.greater) << Show(c.right) << " < " << Show(c.left);
    }
}

}  // namespace
