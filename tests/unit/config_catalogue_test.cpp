// The catalogue as the module's documentation lists it: every row, label,
// initial value and domain, written out here so that a reader can check them
// line by line against the parameter table.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "catalogue/config_param.h"
#include "catalogue/lang_text.h"

namespace {

using Texts = std::vector<std::string>;

struct Row {
    const char* id;  // after "CONFIG_ID_"
    const char* atKey;
    const char* labelEn;
    const char* labelCn;
    const char* initial;
    const char* domain;  // a list below, "low..high" ranges, or "" for free text
};

// clang-format off
const Row kRows[] = {
    {"VERSION", "AT_VER", "", "", "", ""},
    {"WORK_MODE", "AT_MOD", "Work Mode", "工作模式", "", "A"},
    {"DEBUG_LEVEL", "AT_DBL", "Debug Level", "调试等级", "1", "B"},
    {"SLEEP_MODE", "AT_SLE", "Sleep Mode", "休眠模式", "", "C"},
    {"PREMABLE_TIME", "AT_PPT", "Premable Time", "前导码时间", "", "D"},
    {"SLEEP_TIME", "AT_STC", "Sleep Time", "休眠时间", "", "D"},
    {"WAKEUP_TIME", "AT_WTC", "Wakeup Time", "唤醒时间", "", "0..65535"},
    {"BAUDRATE", "AT_IPR", "BaudRate", "波特率", "9", "E"},
    {"PARITY", "AT_PAR", "Parity", "校验位", "", "F"},
    {"STOPBITS", "AT_STO", "StopBits", "停止位", "", "G"},
    {"FRAME_INETRVAL", "AT_ITV", "Frame Interval", "数据帧间隔", "20", "1..65535"},
    {"RELAY_ADDRESS", "AT_RID", "Relay Address", "中继地址", "1000", "0..65535"},
    {"DEVICE_ID", "AT_NID", "Device ID", "设备ID", "13654", "0..65527"},
    {"TRANSPORT_ADDRESS", "AT_TID", "Transport Address", "透传地址", "", "0..65535"},
    {"CARRIER_FREQUENCY", "AT_LFR", "Work Frequency", "载波频率", "433", "410..441, 470..510, 850..950"},
    {"POWER", "AT_TPR", "Transmit Power", "发射功率", "20", "H"},
    {"SKY_RATE", "AT_LRS", "Date Rate", "空中速率", "3", "I"},
    {"DATA_DISPLAY_MODE", "AT_DDM", "Data Display Mode", "信号强度展示", "", "J"},
    {"SEND_COMPLETE", "AT_INF", "Send Complete Notification", "发送完成通知", "", "K"},
    {"ENTWORK_ID", "AT_PID", "PAN ID", "网络号", "13654", "0..65527"},
    {"DEVICE_TYPE", "AT_YTP", "Device Type", "设备类型", "2", "L"},
    {"LRWAN_DEVICE_TYPE", "AT_LRWAN_TYP", "Device Type", "设备类型", "3", "M"},
    {"DEI", "AT_DEI", "DeviceEUI", "设备EUI", "00:00:00:00:00:00:00:00", ""},
    {"AEI", "AT_AEI", "AppEUI", "AppEUI", "00:00:00:00:00:00:00:00", ""},
    {"AKY", "AT_AKY", "AppKEY", "AppKEY", "9A:C3:5E:71:D0:2B:8F:46:E5:17:A9:3C:60:DB:84:F2", ""},
    {"CLASS", "AT_CLA", "Device Class", "设备Class", "A", "N"},
    {"CFM", "AT_CFM", "Response Type", "消息应答类型", "", "O"},
    {"DM1", "AT_DM1", "IO Mode", "IO模式", "", "P"},
    {"DM2", "AT_DM2", "IO Mode", "IO模式", "", "P"},
    {"DM3", "AT_DM3", "IO Mode", "IO模式", "", "P"},
    {"DM4", "AT_DM4", "IO Mode", "IO模式", "", "P"},
    {"DM5", "AT_DM5", "IO Mode", "IO模式", "", "P"},
    {"DT1", "AT_DT1", "Interval", "采集间隔", "", "0..65535"},
    {"DT2", "AT_DT2", "Interval", "采集间隔", "", "0..65535"},
    {"DT3", "AT_DT3", "Interval", "采集间隔", "", "0..65535"},
    {"DT4", "AT_DT4", "Interval", "采集间隔", "", "0..65535"},
    {"DT5", "AT_DT5", "Interval", "采集间隔", "", "0..65535"},
    {"CLAA_MODE", "AT_CAM", "CLAA Mode", "CLAA Mode", "", "Q"},
    {"AUTO_JOIN", "AT_AJN", "Auto Join", "自动加网", "2", "R"},
    {"HEART_PERIOD", "AT_PHT", "Heart Period", "心跳周期", "", "0..65535"},
};

struct List {
    Texts values, labelsEn, labelsCn;  // an empty label list: none
};

const std::map<std::string, List> kLists = {
    {"A", {{"0", "1", "2", "3"}, {"TRNS", "AT", "API", "Modbus"}, {"透传模式", "AT", "API", "Modbus"}}},
    {"B", {{"0", "1", "2"}, {"0", "1", "2"}, {}}},
    {"C", {{"0", "1", "2"}, {"None", "Timing", "Deep"}, {"不休眠", "定时休眠", "深度休眠"}}},
    {"D", {{"0", "1", "2", "3", "4", "5"}, {}, {}}},
    {"E", {{"1", "2", "3", "4", "5", "6", "7", "8", "9"},
           {"600", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"}, {}}},
    {"F", {{"0", "1", "2"}, {"None", "Even", "Odd"}, {"无", "偶", "奇"}}},
    {"G", {{"0", "1"}, {"1", "2"}, {}}},
    {"H", {{"5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16", "17", "18", "19", "20"}, {}, {}}},
    {"I", {{"1", "2", "3", "4", "5", "6"}, {"1 level", "2 level", "3 level", "4 level", "5 level", "6 level"}, {}}},
    {"J", {{"0", "1"}, {"not diaplay", "diaplay"}, {"不显示", "显示"}}},
    {"K", {{"0", "1"}, {"not notify", "notify"}, {"不通知", "通知"}}},
    {"L", {{"1", "2"}, {"Relay", "End-Device"}, {"中继器", "终端"}}},
    {"M", {{"0", "1", "2"}, {"End-Device", "Relay", "Blind-Spot-Device"}, {"终端", "中继器", "盲区终端"}}},
    {"N", {{"A", "B", "C"}, {}, {}}},
    {"O", {{"0", "1"}, {}, {}}},
    {"P", {{"0", "1", "2", "3", "4"},
           {"not used", "analog input", "GPIO input", "GPIO output low", "GPIO outout high"},
           {"不使用", "模拟量输入", "GPIO输入", "GPIO输出低电平", "GPIO输出高电平"}}},
    {"Q", {{"0", "1", "2", "3", "4", "5"},
           {"ALL", "CLAAModeA", "CLAAModeB", "CLAAModeC", "CLAAModeD", "CLAAModeE"},
           {"全频段扫描", "CLAAModeA", "CLAAModeB", "CLAAModeC", "CLAAModeD", "CLAAModeE"}}},
    {"R", {{"0", "1"}, {"Close", "Open"}, {"关闭", "打开"}}},
};
// clang-format on

std::string Joined(const Texts& texts) {
    std::string out;
    for (const std::string& t : texts) out += (out.empty() ? "" : ", ") + t;
    return out;
}

// The domain in the words of the tables above, so a mismatch reads as one.
std::string Described(const ParamValues* domain) {
    if (domain == nullptr) return "free text";
    if (const auto* list = dynamic_cast<const DiscreteParamValues*>(domain)) {
        return "values {" + Joined(list->values) + "} labels {" + Joined(list->labelsEn) + "} {" +
               Joined(list->labelsCn) + "}";
    }
    if (const auto* range = dynamic_cast<const RangeParamValues*>(domain)) {
        Texts bounds;
        for (const auto& [low, high] : range->ranges)
            bounds.push_back(std::to_string(low) + ".." + std::to_string(high));
        return Joined(bounds);
    }
    return "unknown domain";
}

std::string Expected(const std::string& domain) {
    if (domain.empty()) return "free text";
    const auto list = kLists.find(domain);
    if (list == kLists.end()) return domain;
    return "values {" + Joined(list->second.values) + "} labels {" + Joined(list->second.labelsEn) +
           "} {" + Joined(list->second.labelsCn) + "}";
}

}  // namespace

TEST(ConfigCatalogue, EveryRowInOrderWithItsLabelsInitialValueAndDomain) {
    ASSERT_EQ(std::size(kRows), std::size_t(kConfigParamCount));
    ASSERT_EQ(g_configParams[kConfigParamCount], nullptr);
    const int savedLanguage = g_language;
    for (int i = 0; i < kConfigParamCount; ++i) {
        const Row& want = kRows[i];
        const ConfigParam* got = g_configParams[i];
        ASSERT_NE(got, nullptr) << "row " << i + 1;
        SCOPED_TRACE("row " + std::to_string(i + 1) + " " + want.id);
        EXPECT_EQ(got->configId, std::string("CONFIG_ID_") + want.id);
        EXPECT_EQ(got->atKey, want.atKey);
        EXPECT_EQ(got->GetDefaultValue(), want.initial);
        g_language = 1;
        EXPECT_EQ(got->GetLabel(), want.labelEn);
        g_language = 2;
        EXPECT_EQ(got->GetLabel(), want.labelCn);
        EXPECT_EQ(Described(got->domain), Expected(want.domain));
    }
    g_language = savedLanguage;
}
