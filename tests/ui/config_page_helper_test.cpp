// The page framework on a small page of its own, bound to catalogue rows
// whose domains exercise each rule: a sorted combo box, an initial value
// outside its list, a range domain on a combo box, an edit with and without
// an initial value, and an id the catalogue does not know.
#include <QApplication>
#include <QLineEdit>
#include <gtest/gtest.h>

#include "catalogue/lang_text.h"
#include "link/com_device.h"
#include "ui/combo_box.h"
#include "ui/controls.h"
#include "ui/pages/config_page_helper.h"
#include "ui/template_dialog.h"

#include "tests/ui/qt_test_app.h"

namespace {

enum : int {
    IDC_POWER = 1001,      // CONFIG_ID_POWER: sorted box, values "5".."20", initial "20"
    IDC_AUTO_JOIN = 1002,  // CONFIG_ID_AUTO_JOIN: values "0","1", initial "2"
    IDC_WAKEUP = 1003,     // CONFIG_ID_WAKEUP_TIME: range domain, on a combo box
    IDC_DEVICE_ID = 1004,  // CONFIG_ID_DEVICE_ID: edit, initial "13654"
    IDC_TRANSPORT = 1005,  // CONFIG_ID_TRANSPORT_ADDRESS: edit, no initial value
    IDC_UNKNOWN = 1006,    // an id without a catalogue row
    IDC_LABEL_POWER = 1010,
    IDC_LABEL_UNKNOWN = 1011,
    IDC_BAUD = 1012,       // CONFIG_ID_BAUDRATE: labels "600".."115200", values "1".."9"
};

constexpr ControlTemplate kTestPageControls[] = {
    {IDC_LABEL_POWER, ControlKind::Label, "Power", 5, 5, 60, 8, kNoStyle},
    {IDC_POWER, ControlKind::ComboBox, "", 70, 5, 60, 80, kDropDownList | kSorted},
    {IDC_AUTO_JOIN, ControlKind::ComboBox, "", 70, 20, 60, 80, kDropDownList},
    {IDC_WAKEUP, ControlKind::ComboBox, "", 70, 35, 60, 80, kDropDownList},
    {IDC_DEVICE_ID, ControlKind::Edit, "", 70, 50, 60, 12, kNoStyle},
    {IDC_TRANSPORT, ControlKind::Edit, "template", 70, 65, 60, 12, kNoStyle},
    {IDC_LABEL_UNKNOWN, ControlKind::Label, "Kept", 5, 80, 60, 8, kNoStyle},
    {IDC_UNKNOWN, ControlKind::Edit, "", 70, 80, 60, 12, kNoStyle},
    {IDC_BAUD, ControlKind::ComboBox, "", 70, 95, 60, 80, kDropDownList | kSorted},
};
const DialogTemplate kTestPage =
    MakeDialogTemplate(9001, "", 200, 120, 8, kChild, kTestPageControls);

class TestPage : public TemplateDialog, public CConfigPageHelper {
public:
    TestPage() : TemplateDialog(kTestPage) {}

    void BindControls() override {
        m_controls["CONFIG_ID_POWER"] = GetDlgItem(IDC_POWER);
        m_controls["CONFIG_ID_AUTO_JOIN"] = GetDlgItem(IDC_AUTO_JOIN);
        m_controls["CONFIG_ID_WAKEUP_TIME"] = GetDlgItem(IDC_WAKEUP);
        m_controls["CONFIG_ID_DEVICE_ID"] = GetDlgItem(IDC_DEVICE_ID);
        m_controls["CONFIG_ID_TRANSPORT_ADDRESS"] = GetDlgItem(IDC_TRANSPORT);
        m_controls["CONFIG_ID_NOT_IN_CATALOGUE"] = GetDlgItem(IDC_UNKNOWN);
        m_controls["CONFIG_ID_BAUDRATE"] = GetDlgItem(IDC_BAUD);
    }
    void UpdateLabels() override {
        std::string label;
        if (GetParamLabel("CONFIG_ID_POWER", label)) SetDlgItemText(IDC_LABEL_POWER, label);
        if (GetParamLabel("CONFIG_ID_NOT_IN_CATALOGUE", label)) {
            SetDlgItemText(IDC_LABEL_UNKNOWN, label);
        }
    }

protected:
    bool OnInitDialog() override {
        Initialize();
        return true;
    }
};

class ConfigPageHelperTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        TestApp();
        BuildLangTextIndex();
        g_language = 1;
    }

    void SetUp() override {
        m_device.LoadAtCommands();
        m_device.LoadConfigParams();
        m_page.m_device = &m_device;
        m_host.resize(400, 300);
        m_page.Create(&m_host);
    }

    std::vector<std::string> Items(int id) const {
        std::vector<std::string> items;
        ComboBox* combo = m_page.Combo(id);
        for (int i = 0; i < combo->GetCount(); ++i) items.push_back(combo->GetLBText(i));
        return items;
    }
    int Sel(int id) const { return m_page.Combo(id)->GetCurSel(); }
    std::string Text(int id) const { return m_page.GetDlgItemText(id); }

    CComDevice m_device;
    QWidget m_host;
    TestPage m_page;
};

TEST_F(ConfigPageHelperTest, CreationFillsListsInDomainOrderAndSelectsInitialValues) {
    // The sorted style does not reorder what the framework inserts.
    EXPECT_EQ(Items(IDC_POWER), (std::vector<std::string>{"5", "6", "7", "8", "9", "10", "11", "12",
                                                         "13", "14", "15", "16", "17", "18", "19",
                                                         "20"}));
    EXPECT_EQ(Items(IDC_BAUD), (std::vector<std::string>{"600", "1200", "2400", "4800", "9600",
                                                        "19200", "38400", "57600", "115200"}));
    EXPECT_EQ(Sel(IDC_POWER), 15) << "initial value \"20\"";
    EXPECT_EQ(Sel(IDC_BAUD), 8) << "initial value \"9\" is the ninth value";
    EXPECT_EQ(Sel(IDC_AUTO_JOIN), -1) << "initial value \"2\" is not in the list {0, 1}";
    EXPECT_EQ(Items(IDC_AUTO_JOIN).size(), 2u);
    EXPECT_TRUE(Items(IDC_WAKEUP).empty()) << "a range domain has no list";
    EXPECT_EQ(Sel(IDC_WAKEUP), -1);
    EXPECT_EQ(Text(IDC_DEVICE_ID), "13654");
    EXPECT_EQ(Text(IDC_TRANSPORT), "template") << "no initial value: the edit keeps its text";
    EXPECT_EQ(Text(IDC_LABEL_POWER), "Transmit Power");
    EXPECT_EQ(Text(IDC_LABEL_UNKNOWN), "Kept");
    for (int id : {IDC_POWER, IDC_AUTO_JOIN, IDC_WAKEUP, IDC_DEVICE_ID, IDC_UNKNOWN}) {
        EXPECT_TRUE(IsWindowEnabled(m_page.GetDlgItem(id))) << "control " << id;
    }
}

TEST_F(ConfigPageHelperTest, SortedBoxStillSortsItsOwnAdditions) {
    // The framework's explicit positions and a later AddString meet in one box.
    ComboBox* combo = m_page.Combo(IDC_BAUD);
    EXPECT_EQ(combo->AddString("0"), 0);
    EXPECT_EQ(combo->GetLBText(0), "0");
}

TEST_F(ConfigPageHelperTest, SetValuesWithEmptyMapEmptiesEditsKeepsCombosAndAppliesSupport) {
    m_device.m_supportedParams = {"CONFIG_ID_POWER", "CONFIG_ID_DEVICE_ID",
                                  "CONFIG_ID_TRANSPORT_ADDRESS"};
    m_page.SetValues({});
    EXPECT_EQ(Text(IDC_DEVICE_ID), "");
    EXPECT_EQ(Text(IDC_TRANSPORT), "");
    EXPECT_EQ(Sel(IDC_POWER), 15) << "a supported combo keeps its selection";
    EXPECT_EQ(Sel(IDC_BAUD), -1) << "an unsupported combo is cleared";
    EXPECT_TRUE(IsWindowEnabled(m_page.GetDlgItem(IDC_POWER)));
    EXPECT_FALSE(IsWindowEnabled(m_page.GetDlgItem(IDC_AUTO_JOIN)));
    EXPECT_FALSE(IsWindowEnabled(m_page.GetDlgItem(IDC_UNKNOWN)));
    EXPECT_EQ(Text(IDC_LABEL_UNKNOWN), "Kept") << "unbound controls are not touched";

    ParamValueMap out;
    m_page.GetValues(out);
    EXPECT_EQ(out, (ParamValueMap{{"CONFIG_ID_POWER", "20"}}));
}

TEST_F(ConfigPageHelperTest, SetValuesShowsValuesAndGetValuesGivesThemBack) {
    m_device.m_supportedParams = {"CONFIG_ID_POWER",     "CONFIG_ID_AUTO_JOIN",
                                  "CONFIG_ID_WAKEUP_TIME", "CONFIG_ID_DEVICE_ID",
                                  "CONFIG_ID_BAUDRATE",  "CONFIG_ID_NOT_IN_CATALOGUE"};
    // "\xff" is no UTF-8: a value the user did not edit goes back byte for byte.
    const ParamValueMap values = {{"CONFIG_ID_POWER", "7"},
                                  {"CONFIG_ID_AUTO_JOIN", "1"},
                                  {"CONFIG_ID_WAKEUP_TIME", "300"},
                                  {"CONFIG_ID_DEVICE_ID", "12\xff" "3"},
                                  {"CONFIG_ID_BAUDRATE", "42"},
                                  {"CONFIG_ID_NOT_IN_CATALOGUE", "free"},
                                  {"CONFIG_ID_SKY_RATE", "1"}};
    m_page.SetValues(values);
    EXPECT_EQ(Sel(IDC_POWER), 2);
    EXPECT_EQ(Sel(IDC_AUTO_JOIN), 1);
    EXPECT_EQ(Sel(IDC_WAKEUP), -1) << "range domain: no position";
    EXPECT_EQ(Sel(IDC_BAUD), -1) << "value outside the list";
    EXPECT_EQ(Text(IDC_UNKNOWN), "free");

    ParamValueMap out = {{"CONFIG_ID_SKY_RATE", "untouched"}, {"CONFIG_ID_BAUDRATE", "old"}};
    m_page.GetValues(out);
    const ParamValueMap expected = {{"CONFIG_ID_POWER", "7"},
                                    {"CONFIG_ID_AUTO_JOIN", "1"},
                                    {"CONFIG_ID_DEVICE_ID", "12\xff" "3"},
                                    {"CONFIG_ID_NOT_IN_CATALOGUE", "free"},
                                    {"CONFIG_ID_SKY_RATE", "untouched"},
                                    {"CONFIG_ID_BAUDRATE", "old"}};
    EXPECT_EQ(out, expected);
}

TEST_F(ConfigPageHelperTest, GetValuesReadsDisabledAndHiddenControls) {
    m_device.m_supportedParams = {"CONFIG_ID_POWER", "CONFIG_ID_DEVICE_ID"};
    m_page.SetValues({{"CONFIG_ID_POWER", "9"}, {"CONFIG_ID_DEVICE_ID", "77"}});
    ShowWindow(m_page.GetDlgItem(IDC_POWER), false);
    EnableWindow(m_page.GetDlgItem(IDC_DEVICE_ID), false);
    ParamValueMap out;
    m_page.GetValues(out);
    EXPECT_EQ(out, (ParamValueMap{{"CONFIG_ID_POWER", "9"}, {"CONFIG_ID_DEVICE_ID", "77"}}));
}

TEST_F(ConfigPageHelperTest, UpdateControlStatesFollowsTheSupportedSet) {
    struct Row {
        std::set<std::string> supported;
        int control;
        bool enabled;
        std::string text;  // edits
        int sel;           // combos; -2: not a combo
    };
    const Row rows[] = {
        {{"CONFIG_ID_DEVICE_ID"}, IDC_DEVICE_ID, true, "13654", -2},
        {{}, IDC_DEVICE_ID, false, "", -2},
        {{"CONFIG_ID_POWER"}, IDC_POWER, true, "", 15},
        {{}, IDC_POWER, false, "", -1},
        {{}, IDC_UNKNOWN, false, "", -2},
    };
    for (const Row& row : rows) {
        TestPage page;
        page.m_device = &m_device;
        page.Create(&m_host);
        m_device.m_supportedParams = row.supported;
        page.UpdateControlStates();
        QWidget* control = page.GetDlgItem(row.control);
        const std::string where = "control " + std::to_string(row.control) + " with " +
                                  std::to_string(row.supported.size()) + " supported id(s)";
        EXPECT_EQ(IsWindowEnabled(control), row.enabled) << where;
        if (row.sel == -2) {
            EXPECT_EQ(GetWindowText(control), row.text) << where;
        } else {
            EXPECT_EQ(page.Combo(row.control)->GetCurSel(), row.sel) << where;
        }
        EXPECT_FALSE(control->isHidden()) << where << ": visibility is not touched";
    }
}

TEST(GetMapValueTest, GivesTheValueOrEmpty) {
    const ParamValueMap map = {{"A", "1"}, {"B", ""}};
    EXPECT_EQ(GetMapValue(map, "A"), "1");
    EXPECT_EQ(GetMapValue(map, "B"), "");
    EXPECT_EQ(GetMapValue(map, "C"), "");
    EXPECT_EQ(GetMapValue(map, "a"), "") << "keys compare exactly";
}

}  // namespace
