#include "catalogue/profile_keys.h"

#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "catalogue/config_param.h"

namespace {

struct KeyList {
    const char* name;
    const std::string* ids;
    std::size_t arraySize;
};

#define KEY_LIST(list) \
    KeyList { #list, list, std::size(list) }
const std::vector<KeyList> kLists = {
    KEY_LIST(g_commonParamIds),  KEY_LIST(g_relayV1ParamIds),     KEY_LIST(g_relayV2ParamIds),
    KEY_LIST(g_loraWanParamIds), KEY_LIST(g_ioParamIds),          KEY_LIST(g_powerParamIds),
    KEY_LIST(g_claaParamIds),    KEY_LIST(g_sleepTimingParamIds),
};
#undef KEY_LIST

std::vector<std::string> Walk(const std::string* list) {
    std::vector<std::string> ids;
    for (; !list->empty(); ++list) ids.push_back(*list);
    return ids;
}

TEST(ProfileKeysTest, EveryListEndsAtItsLastEntryAndNamesCatalogueRowsOnce) {
    std::set<std::string> catalogue;
    for (ConfigParam** row = g_configParams; *row; ++row) catalogue.insert((*row)->configId);
    for (const KeyList& list : kLists) {
        const std::vector<std::string> ids = Walk(list.ids);
        EXPECT_EQ(ids.size() + 1, list.arraySize)
            << list.name << " ends early or lacks its end marker";
        std::set<std::string> seen;
        for (const std::string& id : ids) {
            EXPECT_TRUE(catalogue.count(id))
                << list.name << ": " << id << " is not in the catalogue";
            EXPECT_TRUE(seen.insert(id).second) << list.name << ": " << id << " twice";
        }
    }
}

TEST(ProfileKeysTest, PowerListHoldsOnlyThePower) {
    EXPECT_EQ(Walk(g_powerParamIds), std::vector<std::string>{"CONFIG_ID_POWER"});
}

}  // namespace
