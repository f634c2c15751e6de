#include "catalogue/lang_text.h"

int g_language = 2;

std::map<int, const LangText*> g_langTextIndex;

void BuildLangTextIndex() {
    for (const LangText* row = g_langTexts; row->id != 0; ++row) g_langTextIndex[row->id] = row;
}

std::string GetLangText(int id) {
    const auto found = g_langTextIndex.find(id);
    if (found == g_langTextIndex.end()) return {};
    const LangText& row = *found->second;
    if (g_language == 2 && !row.chinese.empty()) return row.chinese;
    return row.english;
}
