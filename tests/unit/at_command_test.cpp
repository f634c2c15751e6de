#include "link/at_command.h"

#include <gtest/gtest.h>

#include <set>

static const AtCommand* Find(const std::string& key) {
    for (const AtCommand* const* row = g_atCommands; *row; ++row) {
        if ((*row)->key == key) return *row;
    }
    return nullptr;
}

TEST(AtCommand, TableBuildsQueryAndSetLines) {
    std::set<std::string> keys;
    for (const AtCommand* const* row = g_atCommands; *row; ++row) keys.insert((*row)->key);
    EXPECT_EQ(keys.size(), static_cast<std::size_t>(kAtCommandCount)) << "duplicates or no end";
    const AtCommand* const before = g_atCommands[3];
    InitAtCommandTable();  // a second call must not build again
    EXPECT_EQ(g_atCommands[3], before);
    // clang-format off
    const struct { const char* key; std::string value, query, set; } cases[] = {
        {"AT_MOD", "1", "AT+MOD?", "AT+MOD=1"}, {"AT_DBL", "5", "AT+DBL?", "AT+DBL=5"},
        {"AT_REBOOT", "", "AT", "AT+SRS"}, {"AT_FACTORY", "", "AT", "AT+FAC"},
        {"AT_VER", "", "AT+VER", "AT"}, {"AT_GMR", "", "AT+GMR", "AT"},
        // Two keys, one module command; values go in byte for byte, unquoted.
        {"AT_YTP", "3", "AT+TYP?", "AT+TYP=3"}, {"AT_LRWAN_TYP", "3", "AT+TYP?", "AT+TYP=3"},
        {"AT_AKY", " a b ", "AT+AKY?", "AT+AKY= a b "}, {"AT_AKY", "k=v", "AT+AKY?", "AT+AKY=k=v"},
        {"AT_AKY", "100%s", "AT+AKY?", "AT+AKY=100%s"}};
    // clang-format on
    for (const auto& c : cases) {
        const AtCommand* row = Find(c.key);
        ASSERT_NE(row, nullptr) << c.key;
        EXPECT_EQ(row->BuildQuery(), c.query + "\r\n") << c.key;
        EXPECT_EQ(row->BuildSet(c.value), c.set + "\r\n")
            << c.key << " with value \"" << c.value << "\"";
    }
    EXPECT_EQ(Find("AT_NID")->FormatReplyLine("13654"), "+NID:13654");
}

TEST(AtCommand, TakesValuesOutOfReplies) {
    // clang-format off
    const struct { const char *text, *tag, *strict, *loose; } cases[] = {
        {"\r\n+MOD:1\r\n\r\nOK\r\n", "+MOD", "1", "1"}, {"+NID:300", "+NID", "300", "300"},
        {"\r\nSW VER:K7R40D_STANDARD_V1.2\r\nOK\r\n", "SW VER", "K7R40D_STANDARD_V1.2",
         "K7R40D_STANDARD_V1.2"},
        {"\r\n+NID: 200\r\n\r\nOK\r\n", "+NID", " 200", " 200"}, {"x+TYP:7", "+TYP", "7", "7"},
        {"+TID:5\r\n+TID:6\r\n", "+TID", "5", "5"}, {"ABC\r\nDEF", "", "ABC", "ABC"},
        {"+MOD:\r\n", "+MOD", "", ""}, {"+MOD:1\r2\n3\r\n", "+MOD", "1\r2\n3", "1\r2\n3"},
        // No tag (a null strict value): the loose value runs from the start of the text.
        {"\r\nOK\r\n", "+MOD", nullptr, ""}, {"1\r\nOK\r\n", "+MOD", nullptr, "1"},
        {"\r\n+mod:1\r\n", "+MOD", nullptr, ""}, {"+MOD\r\n:1", "+MOD", nullptr, "+MOD"},
        {"", "+MOD", nullptr, ""}, {nullptr, "+MOD", nullptr, ""}};
    // clang-format on
    for (const auto& c : cases) {
        const AtCommand row("AT_TEST", "", "", c.tag);
        std::string strict = "untouched", loose = "untouched";
        const std::string where = ::testing::PrintToString(c.text) + " tag " + c.tag;
        EXPECT_EQ(row.ParseReply(c.text, strict), c.strict != nullptr) << where;
        EXPECT_EQ(strict, c.strict ? c.strict : "untouched") << where;
        EXPECT_TRUE(row.ParseReplyLoose(c.text, loose)) << where;
        EXPECT_EQ(loose, c.loose) << where;
    }
}
