// Values a module holds, loaded through the device from the simulated
// module, shown on the pages and read back: for every firmware flavour, with
// and without band E, the pages hand back exactly what was loaded, so an
// immediate write would change nothing.
#include <sstream>

#include "tests/ui/page_test_support.h"

namespace {

using namespace page_test;

struct Flavour {
    const char* band;
    const char* flavour;
    const char* version;
    const char* suffix;
    // Loaded ids no page shows for this module, so they are never written
    // back: a LoRaWAN module with the CLAA suffix supports the CLAA mode,
    // which only the CLAA page has.
    std::set<std::string> notShown;
};

const Flavour kFlavours[] = {
    {"", "STANDARD", "V1", "", {}},
    {"E", "STANDARD", "V1", "", {}},
    {"", "STANDARD", "V2", "", {}},
    {"E", "STANDARD", "V2", "", {}},
    {"", "LRWAN", "V1", "", {}},
    {"E", "LRWAN", "V1", "", {}},
    {"", "LRWAN", "V1", "CLAA", {"CONFIG_ID_CLAA_MODE"}},
    {"E", "LRWAN", "V2", "CLAA", {"CONFIG_ID_CLAA_MODE"}},
    {"", "CLAA", "V1", "", {}},
    {"E", "CLAA", "V1", "", {}},
};

// Values other than the factory ones, so the pages' rules meet other
// states: a sleep node, a relay device, inputs on some pins.
const std::pair<const char*, const char*> kChangedValues[] = {
    {"+MOD", "1"}, {"+SLE", "1"}, {"+PPT", "0"}, {"+STC", "4"}, {"+WTC", "1234"},
    {"+TYP", "1"}, {"+DM1", "1"}, {"+DM2", "2"}, {"+DM4", "4"}, {"+DT2", "0"},
    {"+IPR", "9"}, {"+PAR", "2"}, {"+STO", "1"}, {"+CLA", "C"}, {"+CAM", "5"},
    {"+AJN", "0"}, {"+PHT", "0"}, {"+LRS", "6"}, {"+TPR", "5"}, {"+LFR", "950"},
};

std::string Differences(const ParamValueMap& loaded, const ParamValueMap& collected,
                        const std::set<std::string>& notShown) {
    std::ostringstream out;
    for (const auto& [id, value] : loaded) {
        const auto found = collected.find(id);
        if (found == collected.end()) {
            if (notShown.count(id) == 0)
                out << "\n  " << id << ": loaded \"" << value << "\", not collected";
        } else if (found->second != value) {
            out << "\n  " << id << ": loaded \"" << value << "\", collected \"" << found->second
                << "\"";
        }
    }
    for (const auto& [id, value] : collected) {
        if (loaded.count(id) == 0)
            out << "\n  " << id << ": collected \"" << value << "\", never loaded";
    }
    return out.str();
}

class ModuleValuesPageTest : public ::testing::TestWithParam<Flavour> {
protected:
    void SetUp() override { App(); }
    void TearDown() override { g_deviceVersion.clear(); }

    ShortTimeoutSettings settings;
    LanguageScope language{1};
};

TEST_P(ModuleValuesPageTest, LoadedValuesComeBackUnchanged) {
    const Flavour& flavour = GetParam();
    ModuleSimulator::Identity identity;
    identity.band = flavour.band;
    identity.flavour = flavour.flavour;
    identity.version = flavour.version;
    identity.suffix = flavour.suffix;
    ModuleSimulator sim(identity);

    ConfiguredDevice device;
    PageSet pages(device);
    for (const bool changed : {false, true}) {
        SCOPED_TRACE(identity.versionText() + (changed ? ", changed values" : ", factory values"));
        if (changed) {
            for (const auto& [key, value] : kChangedValues) sim.setValue(key, value);
        }
        ParamValueMap loaded;
        device.Close();
        ASSERT_TRUE(LoadModule(device, sim, loaded));
        ASSERT_EQ(loaded.size(), device.m_supportedParams.size()) << "every supported id is read";

        g_deviceVersion = device.m_versionText;
        CConfigPageHelper* network = pages.NetworkPage(device.GetVersionId());
        ASSERT_NE(network, nullptr);
        pages.Distribute(loaded, network);
        const ParamValueMap collected = pages.Collect(network, device.m_supportedParams);
        EXPECT_EQ(Differences(loaded, collected, flavour.notShown), "");
    }
}

std::string FlavourName(const ::testing::TestParamInfo<Flavour>& info) {
    const Flavour& f = info.param;
    return std::string(f.flavour) + f.version + (f.suffix[0] ? std::string("_") + f.suffix : "") +
           (f.band[0] ? std::string("_band") + f.band : "");
}

INSTANTIATE_TEST_SUITE_P(Flavours, ModuleValuesPageTest, ::testing::ValuesIn(kFlavours),
                         FlavourName);

}  // namespace
