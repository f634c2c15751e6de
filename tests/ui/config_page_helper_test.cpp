// The page framework on a small page of its own, bound to catalogue rows whose
// domains exercise each rule.
#include <optional>

#include "tests/ui/page_test_support.h"

namespace {
// clang-format off
enum { IDC_POWER = 1001, IDC_JOIN, IDC_WAKE, IDC_BAUD, IDC_ID, IDC_ADDR, IDC_NONE, IDC_LABEL };
constexpr ControlTemplate kControls[] = {
    {IDC_LABEL, ControlKind::Label, "Power", 5, 5, 60, 8, kNoStyle},
    {IDC_POWER, ControlKind::ComboBox, "", 70, 5, 60, 80, kDropDownList | kSorted},
    {IDC_JOIN, ControlKind::ComboBox, "", 70, 20, 60, 80, kDropDownList},
    {IDC_WAKE, ControlKind::ComboBox, "", 70, 35, 60, 80, kDropDownList},
    {IDC_BAUD, ControlKind::ComboBox, "", 70, 95, 60, 80, kDropDownList | kSorted},
    {IDC_ID, ControlKind::Edit, "", 70, 50, 60, 12, kNoStyle},
    {IDC_ADDR, ControlKind::Edit, "template", 70, 65, 60, 12, kNoStyle},
    {IDC_NONE, ControlKind::Edit, "", 70, 80, 60, 12, kNoStyle}};
// Power: values "5".."20", initial "20"; auto join: "0", "1", initial "2"; wake-up
// time: a range; baud rate: "600".."115200" for values "1".."9", initial "9";
// device id: initial "13654"; transport address: no initial value; last: no row.
const std::pair<int, std::string> kBindings[] = {
    {IDC_POWER, "CONFIG_ID_POWER"}, {IDC_JOIN, "CONFIG_ID_AUTO_JOIN"},
    {IDC_WAKE, "CONFIG_ID_WAKEUP_TIME"}, {IDC_BAUD, "CONFIG_ID_BAUDRATE"},
    {IDC_ID, "CONFIG_ID_DEVICE_ID"}, {IDC_ADDR, "CONFIG_ID_TRANSPORT_ADDRESS"},
    {IDC_NONE, "CONFIG_ID_NOT_IN_CATALOGUE"}};
// clang-format on
const DialogTemplate kTestPage = MakeDialogTemplate(9001, "", 200, 120, 8, kChild, kControls);

struct TestPage : TemplateDialog, CConfigPageHelper {
    TestPage(CComDevice& device, QWidget* host) : TemplateDialog(kTestPage) {
        m_device = &device;
        Create(host);
    }
    void BindControls() override {
        for (auto& [id, key] : kBindings) m_controls[key] = GetDlgItem(id);
    }
    void UpdateLabels() override {
        std::string label;
        if (GetParamLabel("CONFIG_ID_POWER", label)) SetDlgItemText(IDC_LABEL, label);
    }
    bool OnInitDialog() override { return Initialize(), true; }
    // Each bound control: "+" enabled or "-" disabled, a combo's selection or an edit's text.
    std::string Describe() const {
        std::string out;
        for (auto& [id, key] : kBindings) {
            out += IsWindowEnabled(GetDlgItem(id)) ? " +" : " -";
            out += Combo(id) ? std::to_string(Combo(id)->GetCurSel()) : GetDlgItemText(id);
        }
        return out;
    }
};

struct ConfigPageHelperTest : ::testing::Test {
    PageGlobals globals{1};
    ConfiguredDevice device;
    QWidget host;
};

TEST_F(ConfigPageHelperTest, CreationFillsListsInDomainOrderAndShowsInitialValues) {
    TestPage page(device, &host);
    std::string lists;
    for (int id : {IDC_POWER, IDC_JOIN, IDC_WAKE, IDC_BAUD}) {
        for (int i = 0; i < page.Combo(id)->GetCount(); ++i)
            lists += page.Combo(id)->GetLBText(i) + " ";
        lists += "| ";
    }
    // Sorted boxes keep the domain's order; a range domain has no list.
    EXPECT_EQ(lists,
              "5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 | Close Open | | "
              "600 1200 2400 4800 9600 19200 38400 57600 115200 | ");
    EXPECT_EQ(page.Describe(), " +15 +-1 +-1 +8 +13654 +template +");
    std::string label;
    EXPECT_FALSE(page.GetParamLabel("CONFIG_ID_NOT_IN_CATALOGUE", label));
    EXPECT_EQ(page.GetDlgItemText(IDC_LABEL), "Transmit Power");
}

// SetValues (or UpdateControlStates alone) against the supported set, then what
// GetValues adds to a map that already holds entries.
TEST_F(ConfigPageHelperTest, ValuesAndSupportedSet) {
    const std::string power = "CONFIG_ID_POWER", join = "CONFIG_ID_AUTO_JOIN",
                      wake = "CONFIG_ID_WAKEUP_TIME", baud = "CONFIG_ID_BAUDRATE",
                      id = "CONFIG_ID_DEVICE_ID", addr = "CONFIG_ID_TRANSPORT_ADDRESS",
                      none = "CONFIG_ID_NOT_IN_CATALOGUE", bad = "12\3773";  // not UTF-8
    const ParamValueMap before = {{"CONFIG_ID_SKY_RATE", "untouched"}, {baud, "old"}};
    struct Row {
        const char* name;
        std::set<std::string> supported;
        std::optional<ParamValueMap> values;  // none: UpdateControlStates only
        bool hideAndDisable;                  // power hidden, device id disabled
        std::string shown;
        ParamValueMap read;  // besides the entries already there
    };
    // clang-format off
    const Row rows[] = {
        {"UpdateControlStates: unsupported controls disabled and emptied", {power, id},
         std::nullopt, false, " +15 --1 --1 --1 +13654 - -", {{power, "20"}, {id, "13654"}}},
        {"SetValues of an empty map: edits emptied, combos kept", {power, id, addr},
         ParamValueMap{}, false, " +15 --1 --1 --1 + + -", {{power, "20"}}},
        {"values shown, read back byte for byte; no position for a range or an unlisted value",
         {power, join, wake, id, baud, none}, ParamValueMap{{power, "7"}, {join, "1"},
         {wake, "300"}, {id, bad}, {baud, "42"}, {none, "free"}, {"CONFIG_ID_SKY_RATE", "1"}},
         false, " +2 +1 +-1 +-1 +" + bad + " - +free",
         {{power, "7"}, {join, "1"}, {id, bad}, {none, "free"}}},
        {"hidden and disabled controls are still read", {power, id},
         ParamValueMap{{power, "9"}, {id, "77"}}, true, " +4 --1 --1 --1 -77 - -",
         {{power, "9"}, {id, "77"}}}};
    // clang-format on
    for (const Row& row : rows) {
        TestPage page(device, &host);
        device.m_supportedParams = row.supported;
        row.values ? page.SetValues(*row.values) : page.UpdateControlStates();
        if (row.hideAndDisable) {
            ShowWindow(page.GetDlgItem(IDC_POWER), false);
            EnableWindow(page.GetDlgItem(IDC_ID), false);
        }
        EXPECT_EQ(page.Describe(), row.shown) << row.name;
        ParamValueMap read = before, expected = row.read;
        page.GetValues(read);
        expected.insert(before.begin(), before.end());
        EXPECT_EQ(read, expected) << row.name;
    }
}
}  // namespace
