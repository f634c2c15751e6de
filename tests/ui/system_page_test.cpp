// The system page: its wake-up state machine reached through SetValues and
// through the user's clicks, what GetValues adds in each state, the
// work-mode list of network and other modules, and the network-only rows.
#include <QAbstractButton>
#include <QTest>
#include <initializer_list>
#include <sstream>

#include "resources/system_page_ids.h"
#include "tests/ui/page_test_support.h"
#include "ui/combo_box.h"
#include "ui/controls.h"

namespace {

using namespace page_test;

constexpr const char* kStandardVersion = "K7R40D_STANDARD_V1.3";
constexpr const char* kLrwanVersion = "K7R40D_LRWAN_V1.3";
constexpr const char* kClaaVersion = "K7R40D_CLAA_V1.3";

// "shown" or "hidden" for a group of controls that must agree ("mixed" when
// they do not), then whether its input is enabled. Labels and notes keep
// whatever enable state they had while hidden, so only the input counts.
std::string StateOf(const TemplateDialog& page, std::initializer_list<int> ids, int input) {
    std::string shown;
    for (int id : ids) {
        const std::string state = IsWindowVisible(page.GetDlgItem(id)) ? "shown" : "hidden";
        if (shown.empty()) {
            shown = state;
        } else if (state != shown) {
            shown = "mixed";
        }
    }
    return shown + (IsWindowEnabled(page.GetDlgItem(input)) ? ",enabled" : ",disabled");
}

// The whole wake-up part of the page in one line, so a failure shows every
// difference at once.
std::string Describe(const CSystemSettingDlg& page) {
    std::ostringstream out;
    out << "check " << StateOf(page, {IDC_SYS_CHECK_WAKEUP_MODE}, IDC_SYS_CHECK_WAKEUP_MODE)
        << (page.IsDlgButtonChecked(IDC_SYS_CHECK_WAKEUP_MODE) ? ",checked" : ",unchecked")
        << " | radios "
        << (IsWindowVisible(page.GetDlgItem(IDC_SYS_RADIO_WAKEUP_NODE)) &&
                    IsWindowVisible(page.GetDlgItem(IDC_SYS_RADIO_SLEEP_NODE))
                ? "shown"
                : "hidden")
        << " wake=" << page.IsDlgButtonChecked(IDC_SYS_RADIO_WAKEUP_NODE)
        << " sleep=" << page.IsDlgButtonChecked(IDC_SYS_RADIO_SLEEP_NODE) << " | preamble "
        << StateOf(page,
                   {IDC_SYS_STATIC_PREAMBLE_TIME, IDC_SYS_COMBO_PREAMBLE_TIME,
                    IDC_SYS_STATIC_PREAMBLE_TIME_RANGE},
                   IDC_SYS_COMBO_PREAMBLE_TIME)
        << " | times "
        << StateOf(page,
                   {IDC_SYS_STATIC_SLEEP_TIME, IDC_SYS_COMBO_SLEEP_TIME,
                    IDC_SYS_STATIC_SLEEP_TIME_RANGE},
                   IDC_SYS_COMBO_SLEEP_TIME)
        << "/"
        << StateOf(page,
                   {IDC_SYS_STATIC_WAKEUP_TIME, IDC_SYS_EDIT_WAKEUP_TIME,
                    IDC_SYS_STATIC_WAKEUP_TIME_RANGE},
                   IDC_SYS_EDIT_WAKEUP_TIME)
        << " | sleep combo " << StateOf(page, {IDC_SYS_COMBO_SLEEP_MODE}, IDC_SYS_COMBO_SLEEP_MODE)
        << " sel " << page.Combo(IDC_SYS_COMBO_SLEEP_MODE)->GetCurSel() << " | auto join "
        << StateOf(page, {IDC_SYS_STATIC_AUTO_JOIN, IDC_SYS_COMBO_AUTO_JOIN},
                   IDC_SYS_COMBO_AUTO_JOIN)
        << " | heart period "
        << StateOf(page,
                   {IDC_SYS_STATIC_HEART_PERIOD, IDC_SYS_EDIT_HEART_PERIOD,
                    IDC_SYS_STATIC_HEART_PERIOD_RANGE},
                   IDC_SYS_EDIT_HEART_PERIOD);
    return out.str();
}

// The rows of the page's state table. The network rows are hidden (and
// their inputs disabled) on any module that is not a network module.
const std::string kOff =
    "check shown,enabled,unchecked | radios hidden wake=%W sleep=%S | preamble hidden,disabled "
    "| times hidden,disabled/hidden,disabled | sleep combo shown,enabled sel %L | auto join "
    "hidden,disabled | heart period hidden,disabled";
const std::string kWakeupNode =
    "check shown,enabled,checked | radios shown wake=1 sleep=0 | preamble shown,enabled | times "
    "shown,disabled/shown,disabled | sleep combo shown,disabled sel %L | auto join "
    "hidden,disabled | heart period hidden,disabled";
const std::string kSleepNode =
    "check shown,enabled,checked | radios shown wake=0 sleep=1 | preamble shown,disabled | times "
    "shown,enabled/shown,enabled | sleep combo shown,disabled sel %L | auto join "
    "hidden,disabled | heart period hidden,disabled";
const std::string kNetwork =
    "check hidden,disabled,unchecked | radios hidden wake=%W sleep=%S | preamble hidden,disabled "
    "| times hidden,disabled/hidden,disabled | sleep combo shown,enabled sel %L | auto join "
    "shown,enabled | heart period shown,enabled";

std::string Fill(std::string text, const std::string& key, const std::string& value) {
    for (auto at = text.find(key); at != std::string::npos; at = text.find(key)) {
        text.replace(at, key.size(), value);
    }
    return text;
}

// A state whose radios are hidden, with their remembered checks and the
// sleep list's selection.
std::string WithRadios(const std::string& state, int wake, int sleep, int selection) {
    return Fill(Fill(Fill(state, "%W", std::to_string(wake)), "%S", std::to_string(sleep)), "%L",
                std::to_string(selection));
}
std::string Off(int wake, int sleep, int selection) {
    return WithRadios(kOff, wake, sleep, selection);
}
std::string WakeupNode(int selection) { return WithRadios(kWakeupNode, 1, 0, selection); }
std::string SleepNode(int selection) { return WithRadios(kSleepNode, 0, 1, selection); }
std::string Network(int wake, int sleep, int selection) {
    return WithRadios(kNetwork, wake, sleep, selection);
}

std::string Entry(const ParamValueMap& map, const std::string& key) {
    const auto found = map.find(key);
    return found == map.end() ? "(none)" : found->second;
}

class SystemPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        g_deviceVersion = kStandardVersion;
        for (const ConfigParam* const* row = g_configParams; *row != nullptr; ++row) {
            device.m_supportedParams.insert((*row)->configId);
        }
        pages = std::make_unique<PageSet>(device);
    }
    void TearDown() override { g_deviceVersion.clear(); }

    CSystemSettingDlg& Page() { return pages->system; }
    ParamValueMap Read() {
        ParamValueMap out;
        Page().GetValues(out);
        return out;
    }
    void Click(int id) {
        auto* button = Page().DlgItem<QAbstractButton>(id);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(IsWindowVisible(button) && IsWindowEnabled(button)) << "button " << id;
        button->click();
    }

    LanguageScope language{1};
    ConfiguredDevice device;
    std::unique_ptr<PageSet> pages;
};

TEST_F(SystemPageTest, CreatedPageIsOffWithFullWorkModeList) {
    EXPECT_EQ(Describe(Page()), Off(0, 0, -1));
    EXPECT_EQ(Page().Combo(IDC_SYS_COMBO_WORK_MODE)->GetCount(), 4);
    EXPECT_EQ(Page().GetDlgItemText(IDC_SYS_CHECK_WAKEUP_MODE), "Wakeup Mode");
    EXPECT_EQ(Page().GetDlgItemText(IDC_SYS_RADIO_WAKEUP_NODE), "Wakeup Node");
    EXPECT_EQ(Page().GetDlgItemText(IDC_SYS_RADIO_SLEEP_NODE), "Sleep Node");
}

// Every row of the state table reached by SetValues, with what reading the
// values gives back for the two ids the wake-up scheme carries.
TEST_F(SystemPageTest, StateTableBySetValues) {
    struct Row {
        const char* name;
        const char* version;
        ParamValueMap values;
        std::string state;
        std::string sleepModeRead;
        std::string preambleRead;
    };
    const Row rows[] = {
        {"sleep 0, preamble 3: wake-up node",
         kStandardVersion,
         {{"CONFIG_ID_SLEEP_MODE", "0"}, {"CONFIG_ID_PREMABLE_TIME", "3"}},
         WakeupNode(-1),
         "0",
         "3"},
        {"sleep 1: sleep node",
         kStandardVersion,
         {{"CONFIG_ID_SLEEP_MODE", "1"},
          {"CONFIG_ID_PREMABLE_TIME", "4"},
          {"CONFIG_ID_SLEEP_TIME", "2"},
          {"CONFIG_ID_WAKEUP_TIME", "50"}},
         SleepNode(-1),
         "1",
         "4"},
        {"sleep 0, preamble 0: off",
         kStandardVersion,
         {{"CONFIG_ID_SLEEP_MODE", "0"}, {"CONFIG_ID_PREMABLE_TIME", "0"}},
         Off(0, 1, 0),
         "0",
         "0"},
        {"sleep 2 (deep), preamble 3: off, preamble read as 0",
         kStandardVersion,
         {{"CONFIG_ID_SLEEP_MODE", "2"}, {"CONFIG_ID_PREMABLE_TIME", "3"}},
         Off(0, 1, 2),
         "2",
         "0"},
        {"no sleep mode, preamble 2 (an imported file): wake-up node",
         kStandardVersion,
         {{"CONFIG_ID_PREMABLE_TIME", "2"}},
         WakeupNode(-1),
         "0",
         "2"},
        {"LoRaWAN module, sleep 0, preamble 3: network",
         kLrwanVersion,
         {{"CONFIG_ID_SLEEP_MODE", "0"}, {"CONFIG_ID_PREMABLE_TIME", "3"}},
         Network(1, 0, 0),
         "0",
         "0"},
        {"CLAA module, sleep 1: network",
         kClaaVersion,
         {{"CONFIG_ID_SLEEP_MODE", "1"}},
         Network(1, 0, 1),
         "1",
         "0"},
    };
    // One page through all rows, so each row also starts from the state the
    // one before left (the radios remember their checks while hidden).
    for (const Row& row : rows) {
        g_deviceVersion = row.version;
        Page().SetValues(row.values);
        EXPECT_EQ(Describe(Page()), row.state) << row.name;
        const ParamValueMap read = Read();
        EXPECT_EQ(Entry(read, "CONFIG_ID_SLEEP_MODE"), row.sleepModeRead) << row.name;
        EXPECT_EQ(Entry(read, "CONFIG_ID_PREMABLE_TIME"), row.preambleRead) << row.name;
    }
}

// The same states reached by the user: the check box and the two radios.
TEST_F(SystemPageTest, StateTableByClicks) {
    Page().SetValues({{"CONFIG_ID_SLEEP_MODE", "2"}, {"CONFIG_ID_PREMABLE_TIME", "0"}});
    ASSERT_EQ(Describe(Page()), Off(0, 0, 2));

    struct Step {
        const char* action;
        int button;
        std::string state;
        std::string sleepModeRead;
        std::string preambleRead;
    };
    const Step steps[] = {
        {"check the box for the first time: sleep node", IDC_SYS_CHECK_WAKEUP_MODE, SleepNode(2),
         "1", "0"},
        {"click Wakeup Node", IDC_SYS_RADIO_WAKEUP_NODE, WakeupNode(2), "0", "0"},
        {"click Sleep Node", IDC_SYS_RADIO_SLEEP_NODE, SleepNode(2), "1", "0"},
        {"click Wakeup Node again", IDC_SYS_RADIO_WAKEUP_NODE, WakeupNode(2), "0", "0"},
        {"uncheck the box: off, the radios remember", IDC_SYS_CHECK_WAKEUP_MODE, Off(1, 0, 2), "2",
         "0"},
        {"check it again: back to the wake-up node", IDC_SYS_CHECK_WAKEUP_MODE, WakeupNode(2), "0",
         "0"},
    };
    // Clicks leave the sleep list's selection alone: disabled while the radios
    // carry the sleep mode, it counts again once the box is unchecked.
    for (const Step& step : steps) {
        Click(step.button);
        EXPECT_EQ(Describe(Page()), step.state) << step.action;
        const ParamValueMap read = Read();
        EXPECT_EQ(Entry(read, "CONFIG_ID_SLEEP_MODE"), step.sleepModeRead) << step.action;
        EXPECT_EQ(Entry(read, "CONFIG_ID_PREMABLE_TIME"), step.preambleRead) << step.action;
    }
}

TEST_F(SystemPageTest, PreambleChosenByTheUserIsRead) {
    Page().SetValues({{"CONFIG_ID_SLEEP_MODE", "0"}, {"CONFIG_ID_PREMABLE_TIME", "1"}});
    Page().Combo(IDC_SYS_COMBO_PREAMBLE_TIME)->SetCurSel(5);
    const ParamValueMap read = Read();
    EXPECT_EQ(Entry(read, "CONFIG_ID_SLEEP_MODE"), "0");
    EXPECT_EQ(Entry(read, "CONFIG_ID_PREMABLE_TIME"), "5");
}

TEST_F(SystemPageTest, UncheckingAfterLoadReenablesSleepListWithoutSelection) {
    Page().SetValues({{"CONFIG_ID_SLEEP_MODE", "1"}});
    Click(IDC_SYS_CHECK_WAKEUP_MODE);
    EXPECT_TRUE(IsWindowEnabled(Page().GetDlgItem(IDC_SYS_COMBO_SLEEP_MODE)));
    EXPECT_EQ(Page().Combo(IDC_SYS_COMBO_SLEEP_MODE)->GetCurSel(), -1);
    EXPECT_EQ(Entry(Read(), "CONFIG_ID_SLEEP_MODE"), "(none)");
}

// The work-mode list: four items for other modules, two ("TRNS", "AT") for
// network modules; a position keeps mapping to the value of that position.
TEST_F(SystemPageTest, WorkModeListFollowsTheModule) {
    struct Step {
        const char* name;
        const char* version;
        const char* workMode;
        int count;
        int selection;
        std::string read;
    };
    const Step steps[] = {
        {"standard module, AT", kStandardVersion, "1", 4, 1, "1"},
        {"standard module, Modbus", kStandardVersion, "3", 4, 3, "3"},
        {"network module after Modbus, TRNS", kLrwanVersion, "0", 2, 0, "0"},
        {"network module, AT", kClaaVersion, "1", 2, 1, "1"},
        {"network module, API: not in the short list", kLrwanVersion, "2", 2, -1, "(none)"},
        {"network module, Modbus: not in the short list", kLrwanVersion, "3", 2, -1, "(none)"},
        // The list is rebuilt before the value is shown, so the first load of
        // another module already shows its API or Modbus mode.
        {"standard module right after a network module, API", kStandardVersion, "2", 4, 2, "2"},
        {"network module again, AT", kLrwanVersion, "1", 2, 1, "1"},
        {"standard module right after a network module, Modbus", kStandardVersion, "3", 4, 3, "3"},
    };
    ComboBox* list = Page().Combo(IDC_SYS_COMBO_WORK_MODE);
    for (const Step& step : steps) {
        g_deviceVersion = step.version;
        Page().SetValues({{"CONFIG_ID_WORK_MODE", step.workMode}});
        EXPECT_EQ(list->GetCount(), step.count) << step.name;
        EXPECT_EQ(list->GetCurSel(), step.selection) << step.name;
        EXPECT_EQ(Entry(Read(), "CONFIG_ID_WORK_MODE"), step.read) << step.name;
    }
    g_deviceVersion = kStandardVersion;
    Page().SetValues({});
    EXPECT_EQ(list->GetLBText(0), "TRNS");
    EXPECT_EQ(list->GetLBText(3), "Modbus");
}

TEST_F(SystemPageTest, ShortListKeepsOrShedsTheSelectionWhenValuesLackTheWorkMode) {
    ComboBox* list = Page().Combo(IDC_SYS_COMBO_WORK_MODE);
    Page().SetValues({{"CONFIG_ID_WORK_MODE", "1"}});
    g_deviceVersion = kLrwanVersion;
    Page().SetValues({});
    EXPECT_EQ(list->GetCount(), 2);
    EXPECT_EQ(list->GetCurSel(), 1);

    g_deviceVersion = kStandardVersion;
    Page().SetValues({{"CONFIG_ID_WORK_MODE", "3"}});
    g_deviceVersion = kLrwanVersion;
    Page().SetValues({});
    EXPECT_EQ(list->GetCount(), 2);
    EXPECT_EQ(list->GetCurSel(), -1);
}

TEST_F(SystemPageTest, ChineseListShowsChineseTransparentMode) {
    LanguageScope chinese(2);
    PageSet chinesePages(device);
    ComboBox* list = chinesePages.system.Combo(IDC_SYS_COMBO_WORK_MODE);
    g_deviceVersion = kLrwanVersion;
    chinesePages.system.SetValues({{"CONFIG_ID_WORK_MODE", "0"}});
    ASSERT_EQ(list->GetCount(), 2);
    EXPECT_EQ(list->GetLBText(0), "透传模式");
    EXPECT_EQ(list->GetLBText(1), "AT");
    EXPECT_EQ(Entry(
                  [&] {
                      ParamValueMap out;
                      chinesePages.system.GetValues(out);
                      return out;
                  }(),
                  "CONFIG_ID_WORK_MODE"),
              "0");
}

// Auto join and heart period belong to network modules whatever the
// supported set says; the framework's rule still empties unsupported ones.
TEST_F(SystemPageTest, NetworkRowsIgnoreTheSupportedSet) {
    device.m_supportedParams.erase("CONFIG_ID_HEART_PERIOD");
    g_deviceVersion = kLrwanVersion;
    Page().SetValues({{"CONFIG_ID_HEART_PERIOD", "60"}, {"CONFIG_ID_AUTO_JOIN", "1"}});
    EXPECT_TRUE(IsWindowEnabled(Page().GetDlgItem(IDC_SYS_EDIT_HEART_PERIOD)));
    EXPECT_EQ(Page().GetDlgItemText(IDC_SYS_EDIT_HEART_PERIOD), "");
    EXPECT_EQ(Page().Combo(IDC_SYS_COMBO_AUTO_JOIN)->GetCurSel(), 1);

    g_deviceVersion = kStandardVersion;
    Page().SetValues({{"CONFIG_ID_AUTO_JOIN", "1"}});
    EXPECT_FALSE(IsWindowVisible(Page().GetDlgItem(IDC_SYS_COMBO_AUTO_JOIN)));
    EXPECT_FALSE(IsWindowEnabled(Page().GetDlgItem(IDC_SYS_COMBO_AUTO_JOIN)));
    // Hidden, yet still read.
    EXPECT_EQ(Entry(Read(), "CONFIG_ID_AUTO_JOIN"), "1");
}

}  // namespace
