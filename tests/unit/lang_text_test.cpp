#include "catalogue/lang_text.h"

#include <gtest/gtest.h>

#include <climits>

const int kLanguageAtStart = g_language;  // read during static initialisation

TEST(LangText, LooksUpTheInterfaceLanguageOnlyOnceTheIndexExists) {
    EXPECT_EQ(kLanguageAtStart, 2);
    const int savedLanguage = g_language;
    g_langTextIndex.clear();
    for (g_language = 1; g_language <= 2; ++g_language) {
        for (int id = -1; id <= 83; ++id) EXPECT_EQ(GetLangText(id), "") << "unindexed id " << id;
    }
    BuildLangTextIndex();
    // Ids are unique, every row has both texts, and the table ends where it should.
    EXPECT_EQ(g_langTextIndex.size(), static_cast<std::size_t>(kLangTextCount));
    EXPECT_EQ(g_langTexts[kLangTextCount].id, 0);
    for (const auto& [id, row] : g_langTextIndex)
        EXPECT_FALSE(row->english.empty() || row->chinese.empty()) << "id " << id;
    // clang-format off
    const struct { int id, language; const char* text; } cases[] = {
        {TEXT_OK, 2, "确定"}, {TEXT_OK, 1, "OK"}, {TEXT_OK, 0, "OK"}, {TEXT_OK, 3, "OK"},
        {TEXT_MENU_ENGLISH, 2, "English"}, {TEXT_MENU_CHINESE, 1, "中文"}, {INT_MAX, 2, ""},
        {TEXT_INVALID_VALUE, 2, "无效值"}, {TEXT_COM_CLOSED, 1, "COM closed"}, {INT_MIN, 1, ""},
        {TEXT_RELAY_NETWORK, 2, "中继网络参数"}, {41, 2, ""}, {44, 1, ""}, {0, 2, ""}, {83, 1, ""},
        {TEXT_FIELDS_NOT_MODIFIABLE, 2, "(个别项在当前版本不能修改)"}, {-1, 2, ""}};
    // clang-format on
    for (const auto& c : cases) {
        g_language = c.language;
        EXPECT_EQ(GetLangText(c.id), c.text) << "id " << c.id << " language " << c.language;
    }
    const LangText englishOnly{99, "English only", ""};
    g_langTextIndex[englishOnly.id] = &englishOnly;
    g_language = 2;
    EXPECT_EQ(GetLangText(englishOnly.id), "English only") << "no fall-back to English";
    g_langTextIndex.erase(englishOnly.id);
    g_language = savedLanguage;
}
