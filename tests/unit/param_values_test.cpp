#include "catalogue/param_values.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <iterator>
#include <set>
#include <stdexcept>
#include <tuple>

#include "catalogue/config_param.h"
#include "catalogue/lang_text.h"
#include "catalogue/profile_keys.h"

static const ConfigParam& Row(const std::string& id) {
    for (ConfigParam** row = g_configParams; *row; ++row) {
        if ((*row)->configId == "CONFIG_ID_" + id) return **row;
    }
    throw std::runtime_error("no row " + id);
}

TEST(RangeParamValues, ReadsLikeStrtolAndAcceptsExactlyItsRanges) {
    // clang-format off
    for (const std::string in : {"", " ", "0", "-0", "+7", "12ab", "abc", "  \t\n\v\f\r42", "--5",
         "+-5", "- 5", "0x1F", "007", "2147483647", "2147483648", "-2147483648", "-2147483649",
         "4294967729", "99999999999999999999999999", "-99999999999999999999999999", "1 2",
         "\xE4\xB8\xAD" "5"}) {
        EXPECT_EQ(ReadLeadingDecimal(in),
                  std::clamp<long>(std::strtol(in.c_str(), nullptr, 10), INT_MIN, INT_MAX)) << in;
    }
    using Values = std::vector<std::string>;
    std::vector<std::tuple<std::string, Values, Values>> cases = {  // id, valid, invalid
        // Three bands; 2^32 + 433 must clamp, not wrap into a band.
        {"CARRIER_FREQUENCY", {"410", "433", "441", "470", "510", "850", "950"},
         {"409", "442", "469", "511", "849", "951", "0", "4294967729", "-4294966863"}},
        {"DEVICE_ID", {"0", "65527"}, {"65528", "65535", "-1"}},  // ids end at 65527, not 65535
        {"ENTWORK_ID", {"65527"}, {"65528"}},
        {"FRAME_INETRVAL", {"1", "20ms", "65535"}, {"0", "", "abc", "0x10", "65536"}},
        // Where 0 is valid, texts without a number are too, except the empty one.
        {"WAKEUP_TIME", {"abc", " ", "-0", "12ab", " \t+12", "- 1"}, {"-1", "", "9999999999"}}};
    // clang-format on
    for (const char* id : {"WAKEUP_TIME", "RELAY_ADDRESS", "TRANSPORT_ADDRESS", "DT1", "DT2", "DT3",
                           "DT4", "DT5", "HEART_PERIOD"}) {
        cases.push_back({id, {"0", "65535"}, {"65536"}});
    }
    for (const auto& [id, valid, invalid] : cases) {
        for (const std::string& v : valid)
            EXPECT_TRUE(Row(id).domain->IsValid(v)) << id << " " << v;
        for (const std::string& v : invalid)
            EXPECT_FALSE(Row(id).domain->IsValid(v)) << id << " " << v;
    }
}

TEST(DiscreteParamValues, ShowLabelsOfTheInterfaceLanguageAndFindValuesExactly) {
    const int savedLanguage = g_language;
    // clang-format off
    const struct { const char* id; int language, index; const char* text; } shown[] = {
        // English labels only: the same in both languages; null: no entry at that index.
        {"BAUDRATE", 1, 8, "115200"}, {"BAUDRATE", 2, 8, "115200"}, {"BAUDRATE", 2, 0, "600"},
        {"BAUDRATE", 2, 9, nullptr}, {"BAUDRATE", 2, -1, nullptr}, {"SKY_RATE", 2, 5, "6 level"},
        // Both lists; only language 2 is Chinese.
        {"WORK_MODE", 2, 0, "透传模式"}, {"WORK_MODE", 2, 3, "Modbus"}, {"WORK_MODE", 1, 0, "TRNS"},
        {"WORK_MODE", 0, 0, "TRNS"}, {"WORK_MODE", 3, 0, "TRNS"}, {"WORK_MODE", 2, 4, nullptr},
        {"PARITY", 2, 2, "奇"}, {"PARITY", 1, 2, "Odd"}, {"DM3", 2, 4, "GPIO输出高电平"},
        {"DM3", 1, 4, "GPIO outout high"}, {"CLAA_MODE", 2, 0, "全频段扫描"},
        // No labels: the values themselves.
        {"SLEEP_TIME", 2, 5, "5"}, {"POWER", 1, 15, "20"}, {"POWER", 2, 16, nullptr},
        {"CLASS", 2, 1, "B"}, {"CFM", 1, INT_MIN, nullptr}, {"CFM", 1, INT_MAX, nullptr}};
    const struct { const char* id; const char* value; int index; } found[] = {
        {"AUTO_JOIN", "1", 1}, {"AUTO_JOIN", "2", -1},  // its initial value is not listed
        {"LRWAN_DEVICE_TYPE", "2", 2}, {"CLASS", "A", 0}, {"CLASS", "a", -1}, {"BAUDRATE", "9", 8},
        {"BAUDRATE", "9600", -1},  // a label is not a value
        {"POWER", "20", 15}, {"POWER", "020", -1}, {"PARITY", "", -1}, {"PARITY", "1 ", -1}};
    // clang-format on
    for (const auto& c : shown) {
        g_language = c.language;
        std::string out = "untouched";
        EXPECT_EQ(Row(c.id).domain->GetDisplayText(c.index, out), c.text != nullptr)
            << c.id << " language " << c.language << " index " << c.index;
        EXPECT_EQ(out, c.text ? c.text : "untouched") << c.id << " index " << c.index;
    }
    for (const auto& c : found) {
        const ParamValues& domain = *Row(c.id).domain;
        EXPECT_EQ(domain.IndexOf(c.value), c.index) << c.id << " \"" << c.value << "\"";
        std::string out = "untouched";
        EXPECT_EQ(domain.GetValue(c.index, out), c.index >= 0) << c.id << " index " << c.index;
        EXPECT_EQ(out, c.index >= 0 ? c.value : "untouched") << c.id << " index " << c.index;
        // A value the list does not know must still be writable back.
        EXPECT_TRUE(domain.IsValid(c.value)) << c.id << " \"" << c.value << "\"";
    }
    for (const auto& [language, label] : {std::pair{2, "工作模式"}, {3, "Work Mode"}}) {
        g_language = language;
        EXPECT_EQ(Row("WORK_MODE").GetLabel(), label) << "language " << language;
    }
    g_language = savedLanguage;
}

TEST(ParamValuesCatalogue, RowsAndKeyListsAreWellFormed) {
    std::set<std::string> ids, atKeys;
    std::set<const ParamValues*> domains;
    for (ConfigParam** row = g_configParams; *row; ++row) {
        const ConfigParam& p = **row;
        EXPECT_TRUE(ids.insert(p.configId).second) << "duplicate " << p.configId;
        EXPECT_TRUE(atKeys.insert(p.atKey).second) << "duplicate " << p.atKey;
        EXPECT_TRUE(!p.domain || domains.insert(p.domain).second) << p.configId << " shares";
        if (const auto* list = dynamic_cast<const DiscreteParamValues*>(p.domain)) {
            EXPECT_FALSE(list->values.empty()) << p.configId;
            for (const auto* labels : {&list->labelsEn, &list->labelsCn}) {
                EXPECT_TRUE(labels->empty() || labels->size() == list->values.size()) << p.configId;
            }
        }
    }
    EXPECT_EQ(ids.size(), static_cast<std::size_t>(kConfigParamCount));
    const std::vector<ConfigParam*> before(g_configParams, std::end(g_configParams));
    InitConfigParamCatalogue();  // a second call must not build again
    EXPECT_EQ(std::vector<ConfigParam*>(g_configParams, std::end(g_configParams)), before);
    // Readers walk each key list up to its empty end entry.
#define KEYS(list) std::pair<const std::string*, std::size_t>(list, std::size(list))
    for (const auto& [list, size] :
         {KEYS(g_commonParamIds), KEYS(g_relayV1ParamIds), KEYS(g_relayV2ParamIds),
          KEYS(g_loraWanParamIds), KEYS(g_ioParamIds), KEYS(g_powerParamIds), KEYS(g_claaParamIds),
          KEYS(g_sleepTimingParamIds)}) {
#undef KEYS
        const std::set<std::string> keys(list, list + size - 1);
        EXPECT_TRUE(list[size - 1].empty() && !keys.count("") && keys.size() == size - 1)
            << "list starting " << list[0] << ": an early end, no end or a key twice";
        EXPECT_TRUE(std::includes(ids.begin(), ids.end(), keys.begin(), keys.end()))
            << "list starting " << list[0] << " names a row the catalogue lacks";
    }
}
