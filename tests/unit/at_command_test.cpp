#include "link/at_command.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

const AtCommand* Row(const std::string& key) {
    for (const AtCommand* const* row = g_atCommands; *row != nullptr; ++row) {
        if ((*row)->key == key) {
            return *row;
        }
    }
    return nullptr;
}

// Readers walk the table up to its null end, so the end must be exactly there.
TEST(AtCommandTable, EndsWithNullAfterDistinctKeys) {
    std::set<std::string> keys;
    int rows = 0;
    for (const AtCommand* const* row = g_atCommands; *row != nullptr; ++row) {
        keys.insert((*row)->key);
        ++rows;
    }
    EXPECT_EQ(rows, kAtCommandCount);
    EXPECT_EQ(keys.size(), static_cast<std::size_t>(kAtCommandCount));
    InitAtCommandTable();  // a second call must not rebuild the rows
    EXPECT_EQ(Row("AT_MOD"), g_atCommands[3]);
}

TEST(AtCommand, BuildsQueryAndSetLines) {
    struct Case {
        std::string key;
        std::string value;
        std::string query;
        std::string set;
    };
    const std::vector<Case> cases = {
        {"AT_MOD", "1", "AT+MOD?\r\n", "AT+MOD=1\r\n"},
        {"AT_DBL", "5", "AT+DBL?\r\n", "AT+DBL=5\r\n"},
        {"AT_LFR", "433", "AT+LFR?\r\n", "AT+LFR=433\r\n"},
        {"AT_REBOOT", "", "AT\r\n", "AT+SRS\r\n"},
        {"AT_FACTORY", "", "AT\r\n", "AT+FAC\r\n"},
        {"AT_VER", "", "AT+VER\r\n", "AT\r\n"},
        {"AT_GMR", "", "AT+GMR\r\n", "AT\r\n"},
        // The value goes in unchanged: no quoting, trimming or escaping.
        {"AT_AKY", " a b ", "AT+AKY?\r\n", "AT+AKY= a b \r\n"},
        {"AT_AKY", "k=v==", "AT+AKY?\r\n", "AT+AKY=k=v==\r\n"},
        {"AT_AKY", "100%s", "AT+AKY?\r\n", "AT+AKY=100%s\r\n"},
        // Two keys, one module command.
        {"AT_YTP", "3", "AT+TYP?\r\n", "AT+TYP=3\r\n"},
        {"AT_LRWAN_TYP", "3", "AT+TYP?\r\n", "AT+TYP=3\r\n"},
    };
    for (const Case& c : cases) {
        const AtCommand* row = Row(c.key);
        ASSERT_NE(row, nullptr) << c.key;
        EXPECT_EQ(row->BuildQuery(), c.query) << c.key;
        EXPECT_EQ(row->BuildSet(c.value), c.set) << c.key << " with value \"" << c.value << "\"";
    }
    EXPECT_EQ(Row("AT_NID")->FormatReplyLine("13654"), "+NID:13654");
    EXPECT_EQ(Row("AT_VER")->FormatReplyLine("x"), "SW VER:x");
}

TEST(AtCommand, TakesValuesOutOfReplies) {
    struct Case {
        std::string text;
        std::string tag;
        bool strictFound;
        std::string strictValue;  // when found
        std::string looseValue;
    };
    const std::vector<Case> cases = {
        {"\r\n+MOD:1\r\n\r\nOK\r\n", "+MOD", true, "1", "1"},
        {"\r\nSW VER:K7R40D_STANDARD_V1.2\r\nOK\r\n", "SW VER", true, "K7R40D_STANDARD_V1.2",
         "K7R40D_STANDARD_V1.2"},
        {"\r\n+NID: 200\r\n\r\nOK\r\n", "+NID", true, " 200", " 200"},
        {"+NID:300", "+NID", true, "300", "300"},
        {"\r\nOK\r\n", "+MOD", false, "", ""},
        {"1\r\nOK\r\n", "+MOD", false, "", "1"},
        {"+TID:5\r\n+TID:6\r\n", "+TID", true, "5", "5"},
        {"ABC\r\nDEF", "", true, "ABC", "ABC"},
        {"\r\n+mod:1\r\n", "+MOD", false, "", ""},  // the tag is case-sensitive
        {"+MOD\r\n:1", "+MOD", false, "", "+MOD"},  // the colon must follow the tag
        {"+MOD:\r\n", "+MOD", true, "", ""},
        {"+MOD:1\r2\n3\r\n", "+MOD", true, "1\r2\n3", "1\r2\n3"},  // only CR LF ends it
        {"", "+MOD", false, "", ""},
        {"x+TYP:7", "+TYP", true, "7", "7"},
    };
    for (const Case& c : cases) {
        const AtCommand row("AT_TEST", "", "", c.tag);
        std::string strict = "untouched";
        std::string loose = "untouched";
        const bool found = row.ParseReply(c.text.c_str(), strict);
        EXPECT_TRUE(row.ParseReplyLoose(c.text.c_str(), loose));
        const std::string where = "text \"" + c.text + "\", tag \"" + c.tag + "\"";
        EXPECT_EQ(found, c.strictFound) << where;
        EXPECT_EQ(strict, c.strictFound ? c.strictValue : "untouched") << where;
        EXPECT_EQ(loose, c.looseValue) << where;
    }
}

TEST(AtCommand, NullTextReadsAsEmpty) {
    const AtCommand row("AT_TEST", "", "", "+MOD");
    std::string value = "untouched";
    EXPECT_FALSE(row.ParseReply(nullptr, value));
    EXPECT_EQ(value, "untouched");
    EXPECT_TRUE(row.ParseReplyLoose(nullptr, value));
    EXPECT_EQ(value, "");
}

}  // namespace
