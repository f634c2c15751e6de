// The pages' own rules: the system page's wake-up state table reached through
// SetValues and through clicks, and its work-mode list; the LoRaWAN relay rows
// and the hidden AppEUI of the network pages; the IO page's interval rule.
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include "resources/claa_page_ids.h"
#include "resources/io_page_ids.h"
#include "resources/lrwan_page_ids.h"
#include "resources/system_page_ids.h"
#include "tests/ui/page_test_support.h"

namespace {
using NetworkPageTest = PageTest;
using IoPageTest = PageTest;
constexpr const char *kStd = "K7R40D_STANDARD_V1.3", *kLrwan = "K7R40D_LRWAN_V1.3",
                     *kClaa = "K7R40D_CLAA_V1.3";
const std::string kSleep = "CONFIG_ID_SLEEP_MODE", kPre = "CONFIG_ID_PREMABLE_TIME";

// The wake-up check box, the two radios, preamble, sleep and wake-up times, the
// sleep list, auto join and heart period: each input first, then its labels.
// clang-format off
const std::pair<std::string, std::vector<int>> kParts[] = {
    {"check", {IDC_SYS_CHECK_WAKEUP_MODE}}, {"wake", {IDC_SYS_RADIO_WAKEUP_NODE}},
    {"sleep", {IDC_SYS_RADIO_SLEEP_NODE}},
    {"pre", {IDC_SYS_COMBO_PREAMBLE_TIME, IDC_SYS_STATIC_PREAMBLE_TIME,
             IDC_SYS_STATIC_PREAMBLE_TIME_RANGE}},
    {"st", {IDC_SYS_COMBO_SLEEP_TIME, IDC_SYS_STATIC_SLEEP_TIME, IDC_SYS_STATIC_SLEEP_TIME_RANGE}},
    {"wt", {IDC_SYS_EDIT_WAKEUP_TIME, IDC_SYS_STATIC_WAKEUP_TIME,
            IDC_SYS_STATIC_WAKEUP_TIME_RANGE}},
    {"list", {IDC_SYS_COMBO_SLEEP_MODE}},
    {"join", {IDC_SYS_COMBO_AUTO_JOIN, IDC_SYS_STATIC_AUTO_JOIN}},
    {"heart", {IDC_SYS_EDIT_HEART_PERIOD, IDC_SYS_STATIC_HEART_PERIOD,
               IDC_SYS_STATIC_HEART_PERIOD_RANGE}}};
// clang-format on

class SystemPageTest : public PageTest {
protected:
    // Per part: "v" all visible, "h" all hidden, "?" mixed; "e"/"d" for the input
    // (not radios); a button's check; the sleep list's selection. Then GetValues'
    // sleep mode and preamble.
    std::string Describe() {
        std::string out;
        for (const auto& [name, ids] : kParts) {
            size_t shown = 0;
            for (int id : ids) shown += IsWindowVisible(page.GetDlgItem(id));
            out += name + (shown == 0 ? " h" : shown == ids.size() ? " v" : " ?");
            QWidget* input = page.GetDlgItem(ids[0]);
            if (!qobject_cast<QRadioButton*>(input)) out += IsWindowEnabled(input) ? "e" : "d";
            if (qobject_cast<QAbstractButton*>(input)) out += std::to_string(GetCheck(input));
            if (name == "list") out += std::to_string(page.Combo(ids[0])->GetCurSel());
            out += " ";
        }
        return out + "-> " + Value(page, kSleep) + " " + Value(page, kPre);
    }
    // Each step sets the module's version (nullptr: unchanged), then clicks a
    // button or, with none, shows the values.
    // clang-format off
    struct Step { const char* what; const char* version; int click; ParamValueMap values;
                  std::string state; };
    // clang-format on
    void RunSteps(const std::vector<Step>& steps) {
        for (const Step& step : steps) {
            if (step.version != nullptr) g_deviceVersion = step.version;
            auto* button = page.DlgItem<QAbstractButton>(step.click);
            ASSERT_TRUE(!button || (IsWindowVisible(button) && IsWindowEnabled(button)));
            button ? button->click() : page.SetValues(step.values);
            EXPECT_EQ(Describe(), step.state) << step.what;
        }
    }
    CSystemSettingDlg& page = pages.system;
};

// One page through all rows, so each also starts from the state the one before
// left (the radios keep their checks while hidden).
TEST_F(SystemPageTest, StateTableBySetValues) {
    // clang-format off
    RunSteps({
        {"sleep 0, preamble 3: wake-up node", kStd, 0, {{kSleep, "0"}, {kPre, "3"}},
         "check ve1 wake v1 sleep v0 pre ve st vd wt vd list vd-1 join hd heart hd -> 0 3"},
        {"sleep 1: sleep node", kStd, 0, {{kSleep, "1"}, {kPre, "4"}},
         "check ve1 wake v0 sleep v1 pre vd st ve wt ve list vd-1 join hd heart hd -> 1 4"},
        {"sleep 0, preamble 0: off", kStd, 0, {{kSleep, "0"}, {kPre, "0"}},
         "check ve0 wake h0 sleep h1 pre hd st hd wt hd list ve0 join hd heart hd -> 0 0"},
        {"sleep 2 (deep), preamble 3: off, preamble read as 0", kStd, 0,
         {{kSleep, "2"}, {kPre, "3"}},
         "check ve0 wake h0 sleep h1 pre hd st hd wt hd list ve2 join hd heart hd -> 2 0"},
        {"no sleep mode, preamble 2 (an imported file): wake-up node", kStd, 0, {{kPre, "2"}},
         "check ve1 wake v1 sleep v0 pre ve st vd wt vd list vd-1 join hd heart hd -> 0 2"},
        {"LoRaWAN module, sleep 0, preamble 3: network rows", kLrwan, 0,
         {{kSleep, "0"}, {kPre, "3"}},
         "check hd0 wake h1 sleep h0 pre hd st hd wt hd list ve0 join ve heart ve -> 0 0"},
        {"CLAA module, sleep 1: network rows", kClaa, 0, {{kSleep, "1"}},
         "check hd0 wake h1 sleep h0 pre hd st hd wt hd list ve1 join ve heart ve -> 1 0"}});
    // clang-format on
}

// Clicks leave the sleep list's selection alone: disabled while the radios
// carry the sleep mode, it counts again once the box is unchecked.
TEST_F(SystemPageTest, StateTableByClicks) {
    const int check = IDC_SYS_CHECK_WAKEUP_MODE, wake = IDC_SYS_RADIO_WAKEUP_NODE,
              sleep = IDC_SYS_RADIO_SLEEP_NODE;
    // clang-format off
    RunSteps({
        {"load deep sleep: off", nullptr, 0, {{kSleep, "2"}, {kPre, "0"}},
         "check ve0 wake h0 sleep h0 pre hd st hd wt hd list ve2 join hd heart hd -> 2 0"},
        {"check the box the first time: sleep node", nullptr, check, {},
         "check ve1 wake v0 sleep v1 pre vd st ve wt ve list vd2 join hd heart hd -> 1 0"},
        {"click Wakeup Node", nullptr, wake, {},
         "check ve1 wake v1 sleep v0 pre ve st vd wt vd list vd2 join hd heart hd -> 0 0"},
        {"click Sleep Node", nullptr, sleep, {},
         "check ve1 wake v0 sleep v1 pre vd st ve wt ve list vd2 join hd heart hd -> 1 0"},
        {"click Wakeup Node again", nullptr, wake, {},
         "check ve1 wake v1 sleep v0 pre ve st vd wt vd list vd2 join hd heart hd -> 0 0"},
        {"uncheck the box: off, the radios remember", nullptr, check, {},
         "check ve0 wake h1 sleep h0 pre hd st hd wt hd list ve2 join hd heart hd -> 2 0"},
        {"check it again: back to the wake-up node", nullptr, check, {},
         "check ve1 wake v1 sleep v0 pre ve st vd wt vd list vd2 join hd heart hd -> 0 0"},
        {"load a sleep node", nullptr, 0, {{kSleep, "1"}},
         "check ve1 wake v0 sleep v1 pre vd st ve wt ve list vd-1 join hd heart hd -> 1 0"},
        {"uncheck: no selection in the sleep list, no sleep mode read", nullptr, check, {},
         "check ve0 wake h0 sleep h1 pre hd st hd wt hd list ve-1 join hd heart hd -> (none) 0"}});
    // clang-format on
}

// Four items for other modules, two ("TRNS", "AT") for network modules; a position
// keeps its value, and the list is rebuilt before the value is shown.
TEST_F(SystemPageTest, WorkModeListFollowsTheModule) {
    // {version, work mode (nullptr: absent from the values), items, selection, mode read}
    // clang-format off
    const std::tuple<const char*, const char*, int, int, const char*> rows[] = {
        {kStd, "1", 4, 1, "1"}, {kLrwan, nullptr, 2, 1, "1"}, {kStd, "3", 4, 3, "3"},
        {kLrwan, nullptr, 2, -1, "(none)"}, {kLrwan, "0", 2, 0, "0"}, {kClaa, "1", 2, 1, "1"},
        {kLrwan, "2", 2, -1, "(none)"}, {kLrwan, "3", 2, -1, "(none)"}, {kStd, "2", 4, 2, "2"},
        {kLrwan, "1", 2, 1, "1"}, {kStd, "3", 4, 3, "3"}};
    // clang-format on
    ComboBox* list = page.Combo(IDC_SYS_COMBO_WORK_MODE);
    for (const auto& [version, mode, count, selection, read] : rows) {
        g_deviceVersion = version;
        page.SetValues(mode ? ParamValueMap{{"CONFIG_ID_WORK_MODE", mode}} : ParamValueMap{});
        EXPECT_EQ(std::to_string(list->GetCount()) + " " + std::to_string(list->GetCurSel()) + " " +
                      Value(page, "CONFIG_ID_WORK_MODE"),
                  std::to_string(count) + " " + std::to_string(selection) + " " + read)
            << version << " " << (mode ? mode : "absent");
    }
    EXPECT_EQ(list->GetLBText(0) + " " + list->GetLBText(3), "TRNS Modbus");
}

// clang-format off
const std::vector<int> kRelayValues = {
    IDC_LRWAN_EDIT_NETWORK_ID, IDC_LRWAN_EDIT_DEVICE_ID, IDC_LRWAN_EDIT_TRANSPORT_ADDRESS,
    IDC_LRWAN_COMBO_SKY_RATE, IDC_LRWAN_COMBO_POWER, IDC_LRWAN_EDIT_CARRIER_FREQUENCY};
const std::vector<int> kRelayOthers = {
    IDC_LRWAN_GROUP_RELAY, IDC_LRWAN_STATIC_NETWORK_ID, IDC_LRWAN_STATIC_NETWORK_ID_RANGE,
    IDC_LRWAN_STATIC_DEVICE_ID, IDC_LRWAN_STATIC_DEVICE_ID_RANGE, IDC_LRWAN_STATIC_POWER,
    IDC_LRWAN_STATIC_TRANSPORT_ADDRESS, IDC_LRWAN_STATIC_TRANSPORT_ADDRESS_RANGE,
    IDC_LRWAN_STATIC_SKY_RATE, IDC_LRWAN_STATIC_POWER_UNIT, IDC_LRWAN_STATIC_CARRIER_FREQUENCY,
    IDC_LRWAN_STATIC_FREQUENCY_RANGE};
// clang-format on

// "shown" when all controls are visible and the value controls enabled,
// "hidden" when all are hidden and the value controls disabled, else "mixed".
std::string State(const TemplateDialog& page, const std::vector<int>& values,
                  const std::vector<int>& others) {
    std::set<std::string> states;
    for (int id : values) {
        const QWidget* c = page.GetDlgItem(id);
        const bool visible = IsWindowVisible(c);
        states.insert(visible != IsWindowEnabled(c) ? "mixed" : visible ? "shown" : "hidden");
    }
    for (int id : others) states.insert(IsWindowVisible(page.GetDlgItem(id)) ? "shown" : "hidden");
    return states.size() == 1 ? *states.begin() : "mixed";
}

std::string Rows(const CLoraWanSettingDlg& page) {
    return "relay " + State(page, kRelayValues, kRelayOthers) + ", AppEUI " +
           State(page, {IDC_LRWAN_EDIT_AEI}, {IDC_LRWAN_STATIC_AEI});
}

// The rows follow the number in the values, not the list's selection; hidden
// rows and the hidden AppEUI are still read.
TEST_F(NetworkPageTest, RelayRowsFollowLoadedDeviceType) {
    g_deviceVersion = "K7R40D_LRWAN_V1.3";
    EXPECT_EQ(Rows(pages.loraWan), "relay shown, AppEUI shown");
    const std::tuple<const char*, const char*, int> rows[] = {
        {"0", "hidden", 0}, {"1", "shown", 1},  {"2", "shown", 2},   {"5", "shown", -1},
        {"", "hidden", -1}, {"0", "hidden", 0}, {"x", "hidden", -1}, {" 2", "shown", -1}};
    for (const auto& [type, relay, selection] : rows) {
        pages.loraWan.SetValues({{"CONFIG_ID_AEI", "00:11:22:33:44:55:66:77"},
                                 {"CONFIG_ID_ENTWORK_ID", "100"},
                                 {"CONFIG_ID_LRWAN_DEVICE_TYPE", type}});
        EXPECT_EQ(Rows(pages.loraWan) + " " + Value(pages.loraWan, "CONFIG_ID_AEI") + " " +
                      Value(pages.loraWan, "CONFIG_ID_ENTWORK_ID"),
                  "relay " + std::string(relay) + ", AppEUI hidden 00:11:22:33:44:55:66:77 100")
            << "device type \"" << type << "\"";
        EXPECT_EQ(pages.loraWan.Combo(IDC_LRWAN_COMBO_DEVICE_TYPE)->GetCurSel(), selection) << type;
    }
    pages.claa.SetValues({});  // the CLAA page hides its AppEUI too (collected: see the round trip)
    EXPECT_EQ(State(pages.claa, {IDC_CLAA_EDIT_AEI}, {IDC_CLAA_STATIC_AEI}), "hidden");
}

TEST_F(NetworkPageTest, RelayRowsFollowTheUsersChoice) {
    g_deviceVersion = "K7R40D_LRWAN_V1.3";
    CLoraWanSettingDlg& page = pages.loraWan;
    page.SetValues({{"CONFIG_ID_LRWAN_DEVICE_TYPE", "2"}, {"CONFIG_ID_DEVICE_ID", "7"}});
    SetWindowText(page.GetDlgItem(IDC_LRWAN_EDIT_DEVICE_ID), "4242");
    ComboBox* list = page.Combo(IDC_LRWAN_COMBO_DEVICE_TYPE);
    // End-Device, Relay, Blind-Spot-Device.
    // clang-format off
    const std::tuple<Qt::Key, int, const char*> steps[] = {
        {Qt::Key_Home, 0, "hidden"}, {Qt::Key_Down, 1, "shown"}, {Qt::Key_Down, 2, "shown"},
        {Qt::Key_Up, 1, "shown"}, {Qt::Key_Up, 0, "hidden"}};
    // clang-format on
    for (const auto& [key, selection, relay] : steps) {
        QTest::keyClick(list, key);
        ASSERT_EQ(list->GetCurSel(), selection);
        EXPECT_EQ(Rows(page), "relay " + std::string(relay) + ", AppEUI hidden") << selection;
    }
    EXPECT_EQ(Value(page, "CONFIG_ID_DEVICE_ID"), "4242") << "a hidden row's edit is still read";
    EXPECT_EQ(Value(page, "CONFIG_ID_LRWAN_DEVICE_TYPE"), "0");
}

// "+" for an enabled interval edit, "-" for a disabled one, pins D1 to D5.
std::string Intervals(const CIOConfigDialog& page) {
    std::string out;
    for (int id :
         {IDC_IO_EDIT_DT1, IDC_IO_EDIT_DT2, IDC_IO_EDIT_DT3, IDC_IO_EDIT_DT4, IDC_IO_EDIT_DT5}) {
        out += IsWindowEnabled(page.GetDlgItem(id)) ? '+' : '-';
    }
    return out;
}

TEST_F(IoPageTest, IntervalFollowsLoadedModes) {
    // Modes of D1..D5: 0 not used, 1 analog in, 2 GPIO in, 3 and 4 GPIO out, 7 unknown.
    const std::pair<std::string, const char*> rows[] = {
        {"01234", "-++--"}, {"12121", "+++++"}, {"70000", "-----"}};
    for (const auto& [modes, intervals] : rows) {
        ParamValueMap values;
        for (char pin = '1'; pin <= '5'; ++pin) {
            values[std::string("CONFIG_ID_DM") + pin] = modes.substr(pin - '1', 1);
            values[std::string("CONFIG_ID_DT") + pin] = std::string(2, pin);
        }
        pages.io.SetValues(values);
        EXPECT_EQ(Intervals(pages.io) + " " + Value(pages.io, "CONFIG_ID_DT1"),
                  intervals + std::string(" 11"))
            << "modes " << modes;
    }
}

TEST_F(IoPageTest, IntervalFollowsTheUsersModeChange) {
    pages.io.SetValues({{"CONFIG_ID_DM3", "3"}, {"CONFIG_ID_DT3", "77"}});
    ComboBox* mode = pages.io.Combo(IDC_IO_COMBO_DM3);
    // clang-format off
    const std::tuple<Qt::Key, int, char> steps[] = {
        {Qt::Key_Up, 2, '+'}, {Qt::Key_Up, 1, '+'}, {Qt::Key_Home, 0, '-'}, {Qt::Key_End, 4, '-'},
        {Qt::Key_Up, 3, '-'}, {Qt::Key_Home, 0, '-'}, {Qt::Key_Down, 1, '+'}};
    // clang-format on
    for (const auto& [key, selection, interval] : steps) {
        QTest::keyClick(mode, key);
        ASSERT_EQ(mode->GetCurSel(), selection);
        EXPECT_EQ(Intervals(pages.io)[2], interval) << "mode position " << selection;
    }
    QTest::keyClicks(pages.io.DlgItem<QLineEdit>(IDC_IO_EDIT_DT3), "a5");  // digits only
    EXPECT_EQ(Value(pages.io, "CONFIG_ID_DM3") + " " + Value(pages.io, "CONFIG_ID_DT3"), "1 775");
}
}  // namespace
