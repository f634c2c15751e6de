// The network pages' own rules: the LoRaWAN relay rows follow the module's
// device type and the user's choice, and the LoRaWAN and CLAA pages keep the
// AppEUI hidden yet collected.
#include <QTest>
#include <initializer_list>
#include <sstream>

#include "resources/claa_page_ids.h"
#include "resources/lora_page_ids.h"
#include "resources/lrwan_page_ids.h"
#include "tests/ui/page_test_support.h"
#include "ui/combo_box.h"
#include "ui/controls.h"

namespace {

using namespace page_test;

constexpr int kRelayValues[] = {
    IDC_LRWAN_EDIT_NETWORK_ID, IDC_LRWAN_EDIT_DEVICE_ID, IDC_LRWAN_EDIT_TRANSPORT_ADDRESS,
    IDC_LRWAN_COMBO_SKY_RATE,  IDC_LRWAN_COMBO_POWER,    IDC_LRWAN_EDIT_CARRIER_FREQUENCY};
constexpr int kRelayOthers[] = {IDC_LRWAN_GROUP_RELAY,
                                IDC_LRWAN_STATIC_NETWORK_ID,
                                IDC_LRWAN_STATIC_NETWORK_ID_RANGE,
                                IDC_LRWAN_STATIC_DEVICE_ID,
                                IDC_LRWAN_STATIC_DEVICE_ID_RANGE,
                                IDC_LRWAN_STATIC_TRANSPORT_ADDRESS,
                                IDC_LRWAN_STATIC_TRANSPORT_ADDRESS_RANGE,
                                IDC_LRWAN_STATIC_SKY_RATE,
                                IDC_LRWAN_STATIC_POWER,
                                IDC_LRWAN_STATIC_POWER_UNIT,
                                IDC_LRWAN_STATIC_CARRIER_FREQUENCY,
                                IDC_LRWAN_STATIC_FREQUENCY_RANGE};

// "shown" when the group box, the six rows' labels and notes are visible and
// their six value controls visible and enabled; "hidden" when all are hidden
// and the value controls disabled; otherwise a list of what disagrees.
std::string RelayRows(const TemplateDialog& page) {
    int shown = 0;
    int total = 0;
    std::ostringstream odd;
    for (int id : kRelayValues) {
        const QWidget* control = page.GetDlgItem(id);
        const bool visible = IsWindowVisible(control);
        if (visible != IsWindowEnabled(control)) odd << " " << id << "(visible!=enabled)";
        shown += visible ? 1 : 0;
        ++total;
    }
    for (int id : kRelayOthers) {
        shown += IsWindowVisible(page.GetDlgItem(id)) ? 1 : 0;
        ++total;
    }
    if (!odd.str().empty()) return "inconsistent:" + odd.str();
    if (shown == total) return "shown";
    if (shown == 0) return "hidden";
    return "partly shown (" + std::to_string(shown) + " of " + std::to_string(total) + ")";
}

std::string AppEui(const TemplateDialog& page, int edit, int label) {
    return std::string(IsWindowVisible(page.GetDlgItem(edit)) ? "edit shown" : "edit hidden") +
           (IsWindowEnabled(page.GetDlgItem(edit)) ? ",enabled" : ",disabled") +
           (IsWindowVisible(page.GetDlgItem(label)) ? ", label shown" : ", label hidden");
}

class NetworkPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        g_deviceVersion = "K7R40D_LRWAN_V1.3";
    }
    void TearDown() override { g_deviceVersion.clear(); }

    // The supported set of a module of that identity, as identifying it
    // over the port gives it.
    void Support(const char* band, const char* flavour, const char* version) {
        ModuleSimulator::Identity identity;
        identity.band = band;
        identity.flavour = flavour;
        identity.version = version;
        ModuleSimulator sim(identity);
        device.Close();
        ASSERT_TRUE(IdentifyModule(device, sim)) << identity.versionText();
        // Closing forgets the module; the pages only need its supported set.
        const std::set<std::string> supported = device.m_supportedParams;
        device.Close();
        device.m_supportedParams = supported;
        ASSERT_FALSE(device.m_supportedParams.empty()) << identity.versionText();
    }

    ShortTimeoutSettings settings;
    LanguageScope language{1};
    ConfiguredDevice device;
};

TEST_F(NetworkPageTest, LoraWanPageBeforeFirstValuesShowsEverything) {
    PageSet pages(device);
    CLoraWanSettingDlg& page = pages.loraWan;
    EXPECT_EQ(RelayRows(page), "shown");
    EXPECT_EQ(AppEui(page, IDC_LRWAN_EDIT_AEI, IDC_LRWAN_STATIC_AEI),
              "edit shown,enabled, label shown");
    // The catalogue's initial device type "3" is not in the list.
    EXPECT_EQ(page.Combo(IDC_LRWAN_COMBO_DEVICE_TYPE)->GetCurSel(), -1);
    EXPECT_EQ(page.GetDlgItemText(IDC_LRWAN_GROUP_RELAY), "Relay network");
}

// The rows follow the number in the values, not the list's selection.
TEST_F(NetworkPageTest, RelayRowsFollowLoadedDeviceType) {
    Support("", "LRWAN", "V1");
    PageSet pages(device);
    CLoraWanSettingDlg& page = pages.loraWan;
    struct Row {
        const char* deviceType;  // nullptr: absent from the values
        const char* rows;
        int selection;
    };
    const Row rows[] = {
        {"0", "hidden", 0},  {"1", "shown", 1},       {"2", "shown", 2},
        {"5", "shown", -1},  {"", "hidden", -1},      {"0", "hidden", 0},
        {"x", "hidden", -1}, {nullptr, "hidden", -1}, {" 2", "shown", -1},
    };
    for (const Row& row : rows) {
        ParamValueMap values{{"CONFIG_ID_AEI", "00:11:22:33:44:55:66:77"},
                             {"CONFIG_ID_ENTWORK_ID", "100"}};
        if (row.deviceType != nullptr) values["CONFIG_ID_LRWAN_DEVICE_TYPE"] = row.deviceType;
        page.SetValues(values);
        const std::string name = row.deviceType != nullptr
                                     ? std::string("device type \"") + row.deviceType + "\""
                                     : "no device type";
        EXPECT_EQ(RelayRows(page), row.rows) << name;
        if (row.deviceType != nullptr) {
            EXPECT_EQ(page.Combo(IDC_LRWAN_COMBO_DEVICE_TYPE)->GetCurSel(), row.selection) << name;
        }
        EXPECT_EQ(AppEui(page, IDC_LRWAN_EDIT_AEI, IDC_LRWAN_STATIC_AEI),
                  "edit hidden,disabled, label hidden")
            << name;
        ParamValueMap read;
        page.GetValues(read);
        EXPECT_EQ(read["CONFIG_ID_AEI"], "00:11:22:33:44:55:66:77") << name;
        EXPECT_EQ(read["CONFIG_ID_ENTWORK_ID"], "100") << name << ": hidden rows are still read";
    }
}

// The user's choice in the list moves the rows at once; values in hidden
// rows are still collected.
TEST_F(NetworkPageTest, RelayRowsFollowTheUsersChoice) {
    Support("", "LRWAN", "V1");
    PageSet pages(device);
    CLoraWanSettingDlg& page = pages.loraWan;
    page.SetValues({{"CONFIG_ID_LRWAN_DEVICE_TYPE", "2"}, {"CONFIG_ID_DEVICE_ID", "7"}});
    ComboBox* list = page.Combo(IDC_LRWAN_COMBO_DEVICE_TYPE);
    ASSERT_EQ(RelayRows(page), "shown");

    SetWindowText(page.GetDlgItem(IDC_LRWAN_EDIT_DEVICE_ID), "4242");
    struct Step {
        Qt::Key key;
        int selection;
        const char* rows;
    };
    const Step steps[] = {
        {Qt::Key_Home, 0, "hidden"},  // End-Device
        {Qt::Key_Down, 1, "shown"},   // Relay
        {Qt::Key_Down, 2, "shown"},   // Blind-Spot-Device
        {Qt::Key_Up, 1, "shown"},    {Qt::Key_Up, 0, "hidden"},
    };
    for (const Step& step : steps) {
        QTest::keyClick(list, step.key);
        ASSERT_EQ(list->GetCurSel(), step.selection);
        EXPECT_EQ(RelayRows(page), step.rows) << "after choosing position " << step.selection;
        EXPECT_EQ(AppEui(page, IDC_LRWAN_EDIT_AEI, IDC_LRWAN_STATIC_AEI),
                  "edit hidden,disabled, label hidden");
    }
    ParamValueMap read;
    page.GetValues(read);
    EXPECT_EQ(read["CONFIG_ID_DEVICE_ID"], "4242");
    EXPECT_EQ(read["CONFIG_ID_LRWAN_DEVICE_TYPE"], "0");
}

TEST_F(NetworkPageTest, SelectionBySetValuesDoesNotMoveRowsAsAChoiceWould) {
    Support("", "LRWAN", "V1");
    PageSet pages(device);
    pages.loraWan.SetValues({{"CONFIG_ID_LRWAN_DEVICE_TYPE", "5"}});
    // The list shows none, yet the rows follow the loaded number.
    EXPECT_EQ(pages.loraWan.Combo(IDC_LRWAN_COMBO_DEVICE_TYPE)->GetCurSel(), -1);
    EXPECT_EQ(RelayRows(pages.loraWan), "shown");
}

// Band E leaves power out: shown relay rows enable the emptied list, and
// whatever the user picks there is not handed to a write.
TEST_F(NetworkPageTest, BandEPowerListIsEnabledButNotCollected) {
    Support("E", "LRWAN", "V1");
    ASSERT_EQ(device.m_supportedParams.count("CONFIG_ID_POWER"), 0u);
    PageSet pages(device);
    pages.loraWan.SetValues({{"CONFIG_ID_LRWAN_DEVICE_TYPE", "1"}, {"CONFIG_ID_POWER", "20"}});
    ComboBox* power = pages.loraWan.Combo(IDC_LRWAN_COMBO_POWER);
    EXPECT_TRUE(IsWindowEnabled(power));
    EXPECT_EQ(power->GetCurSel(), -1);
    power->SetCurSel(3);
    const ParamValueMap collected = pages.Collect(&pages.loraWan, device.m_supportedParams);
    EXPECT_EQ(collected.count("CONFIG_ID_POWER"), 0u);
}

TEST_F(NetworkPageTest, ClaaPageKeepsAppEuiHiddenAndCollected) {
    g_deviceVersion = "K7R40D_CLAA_V1.3";
    Support("", "CLAA", "V1");
    PageSet pages(device);
    CClaaSettingDlg& page = pages.claa;
    EXPECT_EQ(AppEui(page, IDC_CLAA_EDIT_AEI, IDC_CLAA_STATIC_AEI),
              "edit shown,enabled, label shown");
    // Mode and response type have no initial value; the class starts on "A".
    EXPECT_EQ(page.Combo(IDC_CLAA_COMBO_MODE)->GetCurSel(), -1);
    EXPECT_EQ(page.Combo(IDC_CLAA_COMBO_CFM)->GetCurSel(), -1);
    EXPECT_EQ(
        page.Combo(IDC_CLAA_COMBO_CLASS)->GetLBText(page.Combo(IDC_CLAA_COMBO_CLASS)->GetCurSel()),
        "A");

    page.SetValues({{"CONFIG_ID_AEI", "AA:BB:CC:DD:EE:FF:00:11"}, {"CONFIG_ID_CLAA_MODE", "2"}});
    EXPECT_EQ(AppEui(page, IDC_CLAA_EDIT_AEI, IDC_CLAA_STATIC_AEI),
              "edit hidden,disabled, label hidden");
    ParamValueMap read;
    page.GetValues(read);
    EXPECT_EQ(read["CONFIG_ID_AEI"], "AA:BB:CC:DD:EE:FF:00:11");
    EXPECT_EQ(read["CONFIG_ID_CLAA_MODE"], "2");
}

// The LoRa page only follows the supported set; its notes come from the
// text table.
TEST_F(NetworkPageTest, LoraPageDisablesWhatTheVersionLacks) {
    struct Row {
        const char* band;
        const char* version;
        std::initializer_list<int> disabled;
    };
    const Row rows[] = {
        {"", "V1", {IDC_LORA_EDIT_NETWORK_ID, IDC_LORA_COMBO_DEVICE_TYPE}},
        {"", "V2", {IDC_LORA_EDIT_RELAY_ADDRESS}},
        {"E", "V2", {IDC_LORA_EDIT_RELAY_ADDRESS, IDC_LORA_COMBO_POWER}},
    };
    const int all[] = {IDC_LORA_EDIT_RELAY_ADDRESS,
                       IDC_LORA_EDIT_NETWORK_ID,
                       IDC_LORA_COMBO_DEVICE_TYPE,
                       IDC_LORA_EDIT_DEVICE_ID,
                       IDC_LORA_EDIT_TRANSPORT_ADDRESS,
                       IDC_LORA_EDIT_CARRIER_FREQUENCY,
                       IDC_LORA_COMBO_POWER,
                       IDC_LORA_COMBO_SKY_RATE};
    for (const Row& row : rows) {
        Support(row.band, "STANDARD", row.version);
        PageSet pages(device);
        pages.lora.SetValues({{"CONFIG_ID_RELAY_ADDRESS", "9"}, {"CONFIG_ID_ENTWORK_ID", "9"}});
        for (int id : all) {
            const bool expectDisabled =
                std::find(row.disabled.begin(), row.disabled.end(), id) != row.disabled.end();
            EXPECT_EQ(IsWindowEnabled(pages.lora.GetDlgItem(id)), !expectDisabled)
                << row.band << row.version << " control " << id;
        }
    }
    PageSet pages(device);
    EXPECT_EQ(pages.lora.GetDlgItemText(IDC_LORA_STATIC_DISABLED_NOTE),
              "(some fields cannot be modified in current version)");
    EXPECT_EQ(pages.lora.GetDlgItemText(IDC_LORA_STATIC_ANTENNA), "(Need corresponding antenna)");
    EXPECT_EQ(pages.lora.GetDlgItemText(IDC_LORA_STATIC_CARRIER_FREQUENCY), "Work Frequency");
}

}  // namespace
