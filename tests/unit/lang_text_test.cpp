#include "catalogue/lang_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <vector>

namespace {

// Read during static initialisation, before any test could change it.
const int kLanguageAtStart = g_language;

class LangTextTest : public ::testing::Test {
protected:
    void SetUp() override { BuildLangTextIndex(); }
    void TearDown() override {
        g_language = savedLanguage_;
        BuildLangTextIndex();
    }
    int savedLanguage_ = g_language;
};

TEST_F(LangTextTest, InterfaceLanguageStartsAsChinese) { EXPECT_EQ(kLanguageAtStart, 2); }

TEST_F(LangTextTest, GivesTheTextOfTheInterfaceLanguage) {
    struct Case {
        int id;
        int language;
        const char* text;
    };
    const std::vector<Case> cases = {
        {TEXT_OK, 2, "确定"},
        {TEXT_OK, 1, "OK"},
        {TEXT_OK, 0, "OK"},  // only 2 selects Chinese
        {TEXT_OK, 3, "OK"},
        {TEXT_MENU_ENGLISH, 1, "English"},
        {TEXT_MENU_ENGLISH, 2, "English"},
        {TEXT_MENU_CHINESE, 1, "中文"},
        {TEXT_MENU_CHINESE, 2, "中文"},
        {TEXT_INVALID_VALUE, 2, "无效值"},
        {TEXT_COM_CLOSED, 1, "COM closed"},
        {TEXT_RELAY_NETWORK, 2, "中继网络参数"},
        {TEXT_FIELDS_NOT_MODIFIABLE, 2, "(个别项在当前版本不能修改)"},
    };
    for (const Case& c : cases) {
        g_language = c.language;
        EXPECT_EQ(GetLangText(c.id), c.text) << "id " << c.id << " language " << c.language;
    }
}

TEST_F(LangTextTest, UnknownIdsGiveAnEmptyText) {
    for (int language : {1, 2}) {
        g_language = language;
        for (int id : {41, 42, 43, 44, 0, 83, -1, INT_MIN, INT_MAX}) {
            EXPECT_EQ(GetLangText(id), "") << "id " << id << " language " << language;
        }
    }
}

TEST_F(LangTextTest, EveryIdIsEmptyBeforeTheIndexIsBuilt) {
    g_langTextIndex.clear();
    for (int language : {1, 2}) {
        g_language = language;
        for (int id = -1; id <= 83; ++id) {
            EXPECT_EQ(GetLangText(id), "") << "id " << id << " language " << language;
        }
    }
}

TEST_F(LangTextTest, RowWithoutChineseFallsBackToEnglish) {
    const LangText englishOnly{99, "English only", ""};
    g_langTextIndex[englishOnly.id] = &englishOnly;
    g_language = 2;
    EXPECT_EQ(GetLangText(englishOnly.id), "English only");
    g_langTextIndex.erase(englishOnly.id);
}

TEST_F(LangTextTest, TableHasUniqueIdsAndEndsWithRowZero) {
    std::set<int> ids;
    int rows = 0;
    for (const LangText* row = g_langTexts; row->id != 0; ++row, ++rows) {
        EXPECT_TRUE(ids.insert(row->id).second) << "duplicate id " << row->id;
        EXPECT_TRUE(row->id >= 1 && row->id <= 82 && (row->id < 41 || row->id > 44)) << row->id;
        EXPECT_FALSE(row->english.empty()) << row->id;
        EXPECT_FALSE(row->chinese.empty()) << row->id;
    }
    EXPECT_EQ(rows, kLangTextCount);
    const LangText& end = g_langTexts[kLangTextCount];
    EXPECT_EQ(end.id, 0);
    EXPECT_EQ(end.english, "");
    EXPECT_EQ(end.chinese, "");
    EXPECT_EQ(g_langTextIndex.size(), static_cast<std::size_t>(kLangTextCount));
}

}  // namespace
