#include "catalogue/param_values.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "catalogue/config_param.h"
#include "catalogue/lang_text.h"

namespace {

const ConfigParam* FindRow(const std::string& configId) {
    for (ConfigParam** row = g_configParams; *row; ++row) {
        if ((*row)->configId == configId) return *row;
    }
    return nullptr;
}

const ParamValues& DomainOf(const std::string& configId) {
    const ConfigParam* row = FindRow(configId);
    if (!row || !row->domain) throw std::runtime_error("no domain for " + configId);
    return *row->domain;
}

// Restores the interface language after each test that changes it.
class WithLanguage : public ::testing::Test {
protected:
    void TearDown() override { g_language = saved_; }
    int saved_ = g_language;
};

// ---------------------------------------------------------------- ranges

struct RangeCase {
    const char* configId;
    const char* value;
    bool valid;
};

TEST(RangeParamValuesTest, AcceptsExactlyTheNumbersInsideItsRanges) {
    const std::vector<std::string> zeroTo65535 = {
        "CONFIG_ID_WAKEUP_TIME", "CONFIG_ID_RELAY_ADDRESS", "CONFIG_ID_TRANSPORT_ADDRESS",
        "CONFIG_ID_DT1",         "CONFIG_ID_DT2",           "CONFIG_ID_DT3",
        "CONFIG_ID_DT4",         "CONFIG_ID_DT5",           "CONFIG_ID_HEART_PERIOD"};
    std::vector<RangeCase> cases = {
        // Three separate carrier-frequency bands.
        {"CONFIG_ID_CARRIER_FREQUENCY", "409", false},
        {"CONFIG_ID_CARRIER_FREQUENCY", "410", true},
        {"CONFIG_ID_CARRIER_FREQUENCY", "433", true},
        {"CONFIG_ID_CARRIER_FREQUENCY", "441", true},
        {"CONFIG_ID_CARRIER_FREQUENCY", "442", false},
        {"CONFIG_ID_CARRIER_FREQUENCY", "469", false},
        {"CONFIG_ID_CARRIER_FREQUENCY", "470", true},
        {"CONFIG_ID_CARRIER_FREQUENCY", "510", true},
        {"CONFIG_ID_CARRIER_FREQUENCY", "511", false},
        {"CONFIG_ID_CARRIER_FREQUENCY", "849", false},
        {"CONFIG_ID_CARRIER_FREQUENCY", "850", true},
        {"CONFIG_ID_CARRIER_FREQUENCY", "950", true},
        {"CONFIG_ID_CARRIER_FREQUENCY", "951", false},
        {"CONFIG_ID_CARRIER_FREQUENCY", "0", false},
        // Beyond 32 bits: 2^32 + 433 must clamp, not wrap into the band.
        {"CONFIG_ID_CARRIER_FREQUENCY", "4294967729", false},
        {"CONFIG_ID_CARRIER_FREQUENCY", "-4294966863", false},
        // Ids end at 65527, not 65535.
        {"CONFIG_ID_DEVICE_ID", "0", true},
        {"CONFIG_ID_DEVICE_ID", "65527", true},
        {"CONFIG_ID_DEVICE_ID", "65528", false},
        {"CONFIG_ID_DEVICE_ID", "65535", false},
        {"CONFIG_ID_DEVICE_ID", "-1", false},
        {"CONFIG_ID_ENTWORK_ID", "65527", true},
        {"CONFIG_ID_ENTWORK_ID", "65528", false},
        // Frame interval starts at 1: texts that read as 0 are refused.
        {"CONFIG_ID_FRAME_INETRVAL", "0", false},
        {"CONFIG_ID_FRAME_INETRVAL", "", false},
        {"CONFIG_ID_FRAME_INETRVAL", "abc", false},
        {"CONFIG_ID_FRAME_INETRVAL", "0x10", false},
        {"CONFIG_ID_FRAME_INETRVAL", "1", true},
        {"CONFIG_ID_FRAME_INETRVAL", "20ms", true},
        {"CONFIG_ID_FRAME_INETRVAL", "65535", true},
        {"CONFIG_ID_FRAME_INETRVAL", "65536", false},
        // strtol-style reading on a range that holds 0.
        {"CONFIG_ID_WAKEUP_TIME", "abc", true},
        {"CONFIG_ID_WAKEUP_TIME", " ", true},
        {"CONFIG_ID_WAKEUP_TIME", "-0", true},
        {"CONFIG_ID_WAKEUP_TIME", "12ab", true},
        {"CONFIG_ID_WAKEUP_TIME", " \t+12", true},
        {"CONFIG_ID_WAKEUP_TIME", "-1", false},
        {"CONFIG_ID_WAKEUP_TIME", "- 1", true},
        {"CONFIG_ID_WAKEUP_TIME", "", false},
        {"CONFIG_ID_WAKEUP_TIME", "99999999999999999999999", false},
    };
    for (const std::string& id : zeroTo65535) {
        cases.push_back({id.c_str(), "65535", true});
        cases.push_back({id.c_str(), "65536", false});
        cases.push_back({id.c_str(), "0", true});
    }
    for (const RangeCase& c : cases) {
        EXPECT_EQ(DomainOf(c.configId).IsValid(c.value), c.valid)
            << c.configId << " value \"" << c.value << "\"";
    }
}

TEST(RangeParamValuesTest, ReadsNumbersLikeStrtolClampedTo32Bits) {
    const std::vector<std::string> inputs = {"",
                                             " ",
                                             "0",
                                             "-0",
                                             "+7",
                                             "12ab",
                                             "abc",
                                             "  \t\n\v\f\r42",
                                             "--5",
                                             "+-5",
                                             "- 5",
                                             "0x1F",
                                             "007",
                                             "2147483647",
                                             "2147483648",
                                             "-2147483648",
                                             "-2147483649",
                                             "4294967729",
                                             "99999999999999999999999999",
                                             "-99999999999999999999999999",
                                             "1 2",
                                             "\xE4\xB8\xAD"
                                             "5"};
    for (const std::string& in : inputs) {
        errno = 0;
        long reference = std::strtol(in.c_str(), nullptr, 10);
        if (reference > INT_MAX) reference = INT_MAX;
        if (reference < INT_MIN) reference = INT_MIN;
        EXPECT_EQ(ReadLeadingDecimal(in), reference) << "input \"" << in << "\"";
    }
}

TEST(RangeParamValuesTest, SameLowBoundReplacesTheEarlierRange) {
    RangeParamValues domain;
    domain.AddRange(10, 20).AddRange(10, 15);
    EXPECT_TRUE(domain.IsValid("15"));
    EXPECT_FALSE(domain.IsValid("16"));
}

TEST(RangeParamValuesTest, OffersNoListOperations) {
    for (ConfigParam** row = g_configParams; *row; ++row) {
        const auto* range = dynamic_cast<const RangeParamValues*>((*row)->domain);
        if (!range) continue;
        std::string out = "untouched";
        EXPECT_EQ(range->GetCount(), -1) << (*row)->configId;
        EXPECT_FALSE(range->GetDisplayText(0, out)) << (*row)->configId;
        EXPECT_FALSE(range->GetValue(0, out)) << (*row)->configId;
        EXPECT_EQ(range->IndexOf("0"), -1) << (*row)->configId;
        EXPECT_EQ(out, "untouched") << (*row)->configId;
    }
}

// ---------------------------------------------------------------- lists

struct DisplayCase {
    const char* configId;
    int language;
    int index;
    std::optional<std::string> text;  // nullopt: no entry at that index
};

using DiscreteDisplayTest = WithLanguage;

TEST_F(DiscreteDisplayTest, ShowsLabelsOfTheInterfaceLanguageWithFallbacks) {
    const std::vector<DisplayCase> cases = {
        // English labels only: the same in both languages.
        {"CONFIG_ID_BAUDRATE", 1, 8, "115200"},
        {"CONFIG_ID_BAUDRATE", 2, 8, "115200"},
        {"CONFIG_ID_BAUDRATE", 2, 0, "600"},
        {"CONFIG_ID_BAUDRATE", 2, 9, std::nullopt},
        {"CONFIG_ID_BAUDRATE", 2, -1, std::nullopt},
        {"CONFIG_ID_DEBUG_LEVEL", 2, 2, "2"},
        {"CONFIG_ID_STOPBITS", 2, 1, "2"},
        {"CONFIG_ID_SKY_RATE", 2, 5, "6 level"},
        // Both label lists.
        {"CONFIG_ID_WORK_MODE", 2, 0, "透传模式"},
        {"CONFIG_ID_WORK_MODE", 2, 3, "Modbus"},
        {"CONFIG_ID_WORK_MODE", 1, 0, "TRNS"},
        {"CONFIG_ID_WORK_MODE", 0, 0, "TRNS"},
        {"CONFIG_ID_WORK_MODE", 3, 0, "TRNS"},
        {"CONFIG_ID_WORK_MODE", 2, 4, std::nullopt},
        {"CONFIG_ID_PARITY", 2, 2, "奇"},
        {"CONFIG_ID_PARITY", 1, 2, "Odd"},
        {"CONFIG_ID_DM3", 2, 4, "GPIO输出高电平"},
        {"CONFIG_ID_DM3", 1, 4, "GPIO outout high"},
        {"CONFIG_ID_CLAA_MODE", 2, 0, "全频段扫描"},
        {"CONFIG_ID_AUTO_JOIN", 2, 1, "打开"},
        // No labels: the values themselves.
        {"CONFIG_ID_SLEEP_TIME", 2, 5, "5"},
        {"CONFIG_ID_POWER", 1, 15, "20"},
        {"CONFIG_ID_POWER", 2, 16, std::nullopt},
        {"CONFIG_ID_CLASS", 2, 1, "B"},
        {"CONFIG_ID_CFM", 1, 1, "1"},
        {"CONFIG_ID_CFM", 1, INT_MIN, std::nullopt},
        {"CONFIG_ID_CFM", 1, INT_MAX, std::nullopt},
    };
    for (const DisplayCase& c : cases) {
        g_language = c.language;
        std::string out = "untouched";
        const bool found = DomainOf(c.configId).GetDisplayText(c.index, out);
        const std::string where = std::string(c.configId) + " language " +
                                  std::to_string(c.language) + " index " + std::to_string(c.index);
        EXPECT_EQ(found, c.text.has_value()) << where;
        EXPECT_EQ(out, c.text.value_or("untouched")) << where;
    }
}

TEST(DiscreteParamValuesTest, GetValueGivesTheStoredValueInsideTheList) {
    struct Case {
        const char* configId;
        int index;
        std::optional<std::string> value;
    };
    const std::vector<Case> cases = {
        {"CONFIG_ID_BAUDRATE", 0, "1"},
        {"CONFIG_ID_BAUDRATE", 8, "9"},
        {"CONFIG_ID_BAUDRATE", 9, std::nullopt},
        {"CONFIG_ID_POWER", 0, "5"},
        {"CONFIG_ID_CLASS", 2, "C"},
        {"CONFIG_ID_CLASS", -1, std::nullopt},
    };
    for (const Case& c : cases) {
        std::string out = "untouched";
        const bool found = DomainOf(c.configId).GetValue(c.index, out);
        EXPECT_EQ(found, c.value.has_value()) << c.configId << " index " << c.index;
        EXPECT_EQ(out, c.value.value_or("untouched")) << c.configId << " index " << c.index;
    }
}

TEST(DiscreteParamValuesTest, IndexOfMatchesValuesExactly) {
    struct Case {
        const char* configId;
        const char* value;
        int index;
    };
    const std::vector<Case> cases = {
        {"CONFIG_ID_AUTO_JOIN", "1", 1},
        {"CONFIG_ID_AUTO_JOIN", "2", -1},          // its own initial value is outside the list
        {"CONFIG_ID_LRWAN_DEVICE_TYPE", "3", -1},  // likewise
        {"CONFIG_ID_LRWAN_DEVICE_TYPE", "2", 2},
        {"CONFIG_ID_CLASS", "A", 0},
        {"CONFIG_ID_CLASS", "a", -1},
        {"CONFIG_ID_BAUDRATE", "9600", -1},  // a label is not a value
        {"CONFIG_ID_POWER", "20", 15},
        {"CONFIG_ID_POWER", "020", -1},
        {"CONFIG_ID_PARITY", "", -1},
        {"CONFIG_ID_PARITY", "1 ", -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DomainOf(c.configId).IndexOf(c.value), c.index)
            << c.configId << " value \"" << c.value << "\"";
    }
}

TEST(DiscreteParamValuesTest, AcceptsAnyTextAsValid) {
    for (ConfigParam** row = g_configParams; *row; ++row) {
        const auto* list = dynamic_cast<const DiscreteParamValues*>((*row)->domain);
        if (!list) continue;
        for (const char* text : {"", "7", "not a value", "-1"}) {
            EXPECT_TRUE(list->IsValid(text)) << (*row)->configId << " value \"" << text << "\"";
        }
    }
}

TEST(DiscreteParamValuesTest, FillingChainsAndAnEmptyListAppendsNothing) {
    DiscreteParamValues list;
    DiscreteParamValues& chained =
        list.AddValues({"x", "y"}).AddValues({}).AddLabels({}).AddLabelsCn({});
    EXPECT_EQ(&chained, &list);
    EXPECT_EQ(list.values, (std::vector<std::string>{"x", "y"}));
    EXPECT_TRUE(list.labelsEn.empty());
    EXPECT_TRUE(list.labelsCn.empty());
}

TEST(ParamValuesTest, BaseAnswersMeanNothingValidAndNoList) {
    const ParamValues base;
    std::string out = "untouched";
    EXPECT_FALSE(base.IsValid("1"));
    EXPECT_EQ(base.GetCount(), -1);
    EXPECT_FALSE(base.GetDisplayText(0, out));
    EXPECT_FALSE(base.GetValue(0, out));
    EXPECT_EQ(base.IndexOf("1"), -1);
    EXPECT_EQ(out, "untouched");
}

// ---------------------------------------------------------------- rows

using ConfigParamLabelTest = WithLanguage;

TEST_F(ConfigParamLabelTest, LabelFollowsTheInterfaceLanguageWithoutFallback) {
    struct Case {
        const char* configId;
        int language;
        const char* label;
    };
    const std::vector<Case> cases = {
        {"CONFIG_ID_VERSION", 1, ""},
        {"CONFIG_ID_VERSION", 2, ""},
        {"CONFIG_ID_AEI", 1, "AppEUI"},
        {"CONFIG_ID_AEI", 2, "AppEUI"},
        {"CONFIG_ID_AKY", 2, "AppKEY"},
        {"CONFIG_ID_CLAA_MODE", 2, "CLAA Mode"},
        {"CONFIG_ID_WORK_MODE", 1, "Work Mode"},
        {"CONFIG_ID_WORK_MODE", 2, "工作模式"},
        {"CONFIG_ID_WORK_MODE", 0, "Work Mode"},
        {"CONFIG_ID_WORK_MODE", 3, "Work Mode"},
    };
    for (const Case& c : cases) {
        g_language = c.language;
        EXPECT_EQ(FindRow(c.configId)->GetLabel(), c.label)
            << c.configId << " language " << c.language;
    }
}

// ---------------------------------------------------------------- catalogue

// A UTF-8 check catches texts stored in another encoding.
bool IsUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t len = c < 0x80           ? 1
                                : (c >> 5) == 0x6  ? 2
                                : (c >> 4) == 0xE  ? 3
                                : (c >> 3) == 0x1E ? 4
                                                   : 0;
        if (len == 0 || i + len > s.size()) return false;
        for (std::size_t k = 1; k < len; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 0x2) return false;
        }
        i += len;
    }
    return true;
}

TEST(CatalogueTest, RowsAreUniqueWithOwnWellFormedDomains) {
    std::set<std::string> configIds, atKeys;
    std::set<const ParamValues*> domains;
    int rows = 0;
    for (ConfigParam** row = g_configParams; *row; ++row, ++rows) {
        const ConfigParam& p = **row;
        EXPECT_TRUE(configIds.insert(p.configId).second) << "duplicate " << p.configId;
        EXPECT_TRUE(atKeys.insert(p.atKey).second) << "duplicate " << p.atKey;
        EXPECT_TRUE(IsUtf8(p.labelCn)) << p.configId;
        if (!p.domain) continue;
        EXPECT_TRUE(domains.insert(p.domain).second) << p.configId << " shares its domain";
        if (const auto* list = dynamic_cast<const DiscreteParamValues*>(p.domain)) {
            EXPECT_FALSE(list->values.empty()) << p.configId;
            for (const auto* labels : {&list->labelsEn, &list->labelsCn}) {
                EXPECT_TRUE(labels->empty() || labels->size() == list->values.size()) << p.configId;
                for (const std::string& label : *labels) EXPECT_TRUE(IsUtf8(label)) << p.configId;
            }
        } else {
            EXPECT_NE(dynamic_cast<const RangeParamValues*>(p.domain), nullptr) << p.configId;
        }
    }
    EXPECT_EQ(rows, kConfigParamCount);
    EXPECT_EQ(g_configParams[kConfigParamCount], nullptr);
}

TEST(CatalogueTest, BuildingAgainLeavesTheCatalogueAsItWas) {
    const std::vector<ConfigParam*> before(g_configParams, g_configParams + kConfigParamCount + 1);
    InitConfigParamCatalogue();
    EXPECT_EQ(std::vector<ConfigParam*>(g_configParams, g_configParams + kConfigParamCount + 1),
              before);
}

}  // namespace
