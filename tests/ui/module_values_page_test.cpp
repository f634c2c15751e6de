// For every firmware flavour, with and without band E: the values the simulated
// module holds, loaded through the device and shown on the pages, come back
// unchanged from the pages, so an immediate write would change nothing.
#include <cctype>

#include "tests/ui/page_test_support.h"

namespace {
const ModuleSimulator::Identity kFlavours[] = {  // model, band, flavour, version, suffix
    {"D", "", "STANDARD", "V1", ""},  {"D", "E", "STANDARD", "V1", ""},
    {"D", "", "STANDARD", "V2", ""},  {"D", "E", "STANDARD", "V2", ""},
    {"D", "", "LRWAN", "V1", ""},     {"D", "E", "LRWAN", "V1", ""},
    {"D", "", "LRWAN", "V1", "CLAA"}, {"D", "E", "LRWAN", "V2", "CLAA"},
    {"D", "", "CLAA", "V1", ""},      {"D", "E", "CLAA", "V1", ""}};

// Other than the factory values, so the pages' rules meet other states: a
// sleep node, a relay device, inputs on some pins.
const std::pair<const char*, const char*> kChangedValues[] = {
    {"+MOD", "1"}, {"+SLE", "1"}, {"+PPT", "0"}, {"+STC", "4"}, {"+WTC", "1234"},
    {"+TYP", "1"}, {"+DM1", "1"}, {"+DM2", "2"}, {"+DM4", "4"}, {"+DT2", "0"},
    {"+IPR", "9"}, {"+PAR", "2"}, {"+STO", "1"}, {"+CLA", "C"}, {"+CAM", "5"},
    {"+AJN", "0"}, {"+PHT", "0"}, {"+LRS", "6"}, {"+TPR", "5"}, {"+LFR", "950"}};

struct ModuleValuesPageTest : ::testing::TestWithParam<ModuleSimulator::Identity> {
    TempAppFolder settings{ShortTimeouts()};
    PageGlobals globals{1};
};

TEST_P(ModuleValuesPageTest, LoadedValuesComeBackUnchanged) {
    const ModuleSimulator::Identity& identity = GetParam();
    ModuleSimulator sim(identity);
    ConfiguredDevice device;
    PageSet pages(device);
    // The network page the main dialog chooses for the module.
    CConfigPageHelper* network = &pages.lora;
    if (identity.flavour == "LRWAN") network = &pages.loraWan;
    if (identity.flavour == "CLAA") network = &pages.claa;
    for (const bool changed : {false, true}) {
        SCOPED_TRACE(identity.versionText() + (changed ? ", changed values" : ", factory values"));
        for (const auto& [key, value] : kChangedValues) {
            if (changed) sim.setValue(key, value);
        }
        ParamValueMap loaded, collected;
        device.Close();
        ASSERT_TRUE(LoadModule(device, sim, loaded));
        ASSERT_EQ(loaded.size(), device.m_supportedParams.size()) << "every supported id is read";
        g_deviceVersion = device.m_versionText;
        for (CConfigPageHelper* page : pages.Filled(network)) page->SetValues(loaded);
        for (CConfigPageHelper* page : pages.Filled(network)) page->GetValues(collected);
        // A LoRaWAN module with the CLAA suffix supports the CLAA mode, which only
        // the CLAA page shows: it is never written back.
        if (!identity.suffix.empty()) loaded.erase("CONFIG_ID_CLAA_MODE");
        for (auto it = collected.begin(); it != collected.end();) {
            it = loaded.count(it->first) ? std::next(it) : collected.erase(it);
        }
        EXPECT_EQ(collected, loaded);
    }
}

// "D_E_LRWAN_V2_CLAA": a failing line names the module it was run against.
std::string ModuleName(const ::testing::TestParamInfo<ModuleSimulator::Identity>& info) {
    const ModuleSimulator::Identity& id = info.param;
    std::string name = id.model;
    for (const std::string* field : {&id.band, &id.flavour, &id.version, &id.suffix}) {
        if (!field->empty()) name += "_" + *field;
    }
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Flavours, ModuleValuesPageTest, ::testing::ValuesIn(kFlavours), ModuleName);
}  // namespace
