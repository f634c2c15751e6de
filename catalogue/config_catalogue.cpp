// The parameter catalogue: every module parameter the tool knows.
#include "catalogue/config_param.h"

ConfigParam* g_configParams[kConfigParamCount + 1] = {};

namespace {

// Each row gets a domain object of its own, also where rows share a list or
// range, so every maker returns a fresh object.
using DomainMaker = ParamValues* (*)();

DiscreteParamValues& NewList() { return *new DiscreteParamValues(); }

ParamValues* Range0To65535() { return &(new RangeParamValues())->AddRange(0, 65535); }
ParamValues* Range1To65535() { return &(new RangeParamValues())->AddRange(1, 65535); }
// Ids and PAN ids stop short of 65535: the top values are reserved by the firmware.
ParamValues* Range0To65527() { return &(new RangeParamValues())->AddRange(0, 65527); }
ParamValues* CarrierFrequencyMHz() {
    return &(new RangeParamValues())->AddRange(410, 441).AddRange(470, 510).AddRange(850, 950);
}

ParamValues* WorkModeList() {
    return &NewList()
                .AddValues({"0", "1", "2", "3"})
                .AddLabels({"TRNS", "AT", "API", "Modbus"})
                .AddLabelsCn({"透传模式", "AT", "API", "Modbus"});
}
ParamValues* DebugLevelList() {
    return &NewList().AddValues({"0", "1", "2"}).AddLabels({"0", "1", "2"});
}
ParamValues* SleepModeList() {
    return &NewList()
                .AddValues({"0", "1", "2"})
                .AddLabels({"None", "Timing", "Deep"})
                .AddLabelsCn({"不休眠", "定时休眠", "深度休眠"});
}
ParamValues* ZeroToFiveList() {
    return &NewList().AddValues({"0", "1", "2", "3", "4", "5"});
}
ParamValues* BaudRateList() {
    return &NewList()
                .AddValues({"1", "2", "3", "4", "5", "6", "7", "8", "9"})
                .AddLabels(
                    {"600", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"});
}
ParamValues* ParityList() {
    return &NewList()
                .AddValues({"0", "1", "2"})
                .AddLabels({"None", "Even", "Odd"})
                .AddLabelsCn({"无", "偶", "奇"});
}
ParamValues* StopBitsList() {
    return &NewList().AddValues({"0", "1"}).AddLabels({"1", "2"});
}
ParamValues* PowerList() {
    return &NewList().AddValues({"5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16",
                                 "17", "18", "19", "20"});
}
ParamValues* SkyRateList() {
    return &NewList()
                .AddValues({"1", "2", "3", "4", "5", "6"})
                .AddLabels({"1 level", "2 level", "3 level", "4 level", "5 level", "6 level"});
}
ParamValues* DataDisplayList() {
    return &NewList()
                .AddValues({"0", "1"})
                .AddLabels({"not diaplay", "diaplay"})
                .AddLabelsCn({"不显示", "显示"});
}
ParamValues* SendCompleteList() {
    return &NewList()
                .AddValues({"0", "1"})
                .AddLabels({"not notify", "notify"})
                .AddLabelsCn({"不通知", "通知"});
}
ParamValues* DeviceTypeList() {
    return &NewList()
                .AddValues({"1", "2"})
                .AddLabels({"Relay", "End-Device"})
                .AddLabelsCn({"中继器", "终端"});
}
ParamValues* LoraWanDeviceTypeList() {
    return &NewList()
                .AddValues({"0", "1", "2"})
                .AddLabels({"End-Device", "Relay", "Blind-Spot-Device"})
                .AddLabelsCn({"终端", "中继器", "盲区终端"});
}
ParamValues* ClassList() {
    return &NewList().AddValues({"A", "B", "C"});
}
ParamValues* ResponseTypeList() {
    return &NewList().AddValues({"0", "1"});
}
ParamValues* IoModeList() {
    return &NewList()
                .AddValues({"0", "1", "2", "3", "4"})
                .AddLabels({"not used", "analog input", "GPIO input", "GPIO output low",
                            "GPIO outout high"})
                .AddLabelsCn(
                    {"不使用", "模拟量输入", "GPIO输入", "GPIO输出低电平", "GPIO输出高电平"});
}
ParamValues* ClaaModeList() {
    return &NewList()
                .AddValues({"0", "1", "2", "3", "4", "5"})
                .AddLabels({"ALL", "CLAAModeA", "CLAAModeB", "CLAAModeC", "CLAAModeD", "CLAAModeE"})
                .AddLabelsCn({"全频段扫描", "CLAAModeA", "CLAAModeB", "CLAAModeC", "CLAAModeD",
                              "CLAAModeE"});
}
ParamValues* OnOffList() {
    return &NewList()
                .AddValues({"0", "1"})
                .AddLabels({"Close", "Open"})
                .AddLabelsCn({"关闭", "打开"});
}

struct CatalogueRow {
    const char* configId;
    const char* atKey;
    const char* labelEn;
    const char* labelCn;
    const char* defaultValue;
    DomainMaker makeDomain;  // null: free text
};

constexpr CatalogueRow kRows[kConfigParamCount] = {
    {"CONFIG_ID_VERSION", "AT_VER", "", "", "", nullptr},
    {"CONFIG_ID_WORK_MODE", "AT_MOD", "Work Mode", "工作模式", "", WorkModeList},
    {"CONFIG_ID_DEBUG_LEVEL", "AT_DBL", "Debug Level", "调试等级", "1", DebugLevelList},
    {"CONFIG_ID_SLEEP_MODE", "AT_SLE", "Sleep Mode", "休眠模式", "", SleepModeList},
    {"CONFIG_ID_PREMABLE_TIME", "AT_PPT", "Premable Time", "前导码时间", "", ZeroToFiveList},
    {"CONFIG_ID_SLEEP_TIME", "AT_STC", "Sleep Time", "休眠时间", "", ZeroToFiveList},
    {"CONFIG_ID_WAKEUP_TIME", "AT_WTC", "Wakeup Time", "唤醒时间", "", Range0To65535},
    {"CONFIG_ID_BAUDRATE", "AT_IPR", "BaudRate", "波特率", "9", BaudRateList},
    {"CONFIG_ID_PARITY", "AT_PAR", "Parity", "校验位", "", ParityList},
    {"CONFIG_ID_STOPBITS", "AT_STO", "StopBits", "停止位", "", StopBitsList},
    {"CONFIG_ID_FRAME_INETRVAL", "AT_ITV", "Frame Interval", "数据帧间隔", "20", Range1To65535},
    {"CONFIG_ID_RELAY_ADDRESS", "AT_RID", "Relay Address", "中继地址", "1000", Range0To65535},
    {"CONFIG_ID_DEVICE_ID", "AT_NID", "Device ID", "设备ID", "13654", Range0To65527},
    {"CONFIG_ID_TRANSPORT_ADDRESS", "AT_TID", "Transport Address", "透传地址", "", Range0To65535},
    {"CONFIG_ID_CARRIER_FREQUENCY", "AT_LFR", "Work Frequency", "载波频率", "433",
     CarrierFrequencyMHz},
    {"CONFIG_ID_POWER", "AT_TPR", "Transmit Power", "发射功率", "20", PowerList},
    {"CONFIG_ID_SKY_RATE", "AT_LRS", "Date Rate", "空中速率", "3", SkyRateList},
    {"CONFIG_ID_DATA_DISPLAY_MODE", "AT_DDM", "Data Display Mode", "信号强度展示", "",
     DataDisplayList},
    {"CONFIG_ID_SEND_COMPLETE", "AT_INF", "Send Complete Notification", "发送完成通知", "",
     SendCompleteList},
    {"CONFIG_ID_ENTWORK_ID", "AT_PID", "PAN ID", "网络号", "13654", Range0To65527},
    {"CONFIG_ID_DEVICE_TYPE", "AT_YTP", "Device Type", "设备类型", "2", DeviceTypeList},
    {"CONFIG_ID_LRWAN_DEVICE_TYPE", "AT_LRWAN_TYP", "Device Type", "设备类型", "3",
     LoraWanDeviceTypeList},
    {"CONFIG_ID_DEI", "AT_DEI", "DeviceEUI", "设备EUI", "00:00:00:00:00:00:00:00", nullptr},
    {"CONFIG_ID_AEI", "AT_AEI", "AppEUI", "AppEUI", "00:00:00:00:00:00:00:00", nullptr},
    {"CONFIG_ID_AKY", "AT_AKY", "AppKEY", "AppKEY",
     "9A:C3:5E:71:D0:2B:8F:46:E5:17:A9:3C:60:DB:84:F2", nullptr},
    {"CONFIG_ID_CLASS", "AT_CLA", "Device Class", "设备Class", "A", ClassList},
    {"CONFIG_ID_CFM", "AT_CFM", "Response Type", "消息应答类型", "", ResponseTypeList},
    {"CONFIG_ID_DM1", "AT_DM1", "IO Mode", "IO模式", "", IoModeList},
    {"CONFIG_ID_DM2", "AT_DM2", "IO Mode", "IO模式", "", IoModeList},
    {"CONFIG_ID_DM3", "AT_DM3", "IO Mode", "IO模式", "", IoModeList},
    {"CONFIG_ID_DM4", "AT_DM4", "IO Mode", "IO模式", "", IoModeList},
    {"CONFIG_ID_DM5", "AT_DM5", "IO Mode", "IO模式", "", IoModeList},
    {"CONFIG_ID_DT1", "AT_DT1", "Interval", "采集间隔", "", Range0To65535},
    {"CONFIG_ID_DT2", "AT_DT2", "Interval", "采集间隔", "", Range0To65535},
    {"CONFIG_ID_DT3", "AT_DT3", "Interval", "采集间隔", "", Range0To65535},
    {"CONFIG_ID_DT4", "AT_DT4", "Interval", "采集间隔", "", Range0To65535},
    {"CONFIG_ID_DT5", "AT_DT5", "Interval", "采集间隔", "", Range0To65535},
    {"CONFIG_ID_CLAA_MODE", "AT_CAM", "CLAA Mode", "CLAA Mode", "", ClaaModeList},
    {"CONFIG_ID_AUTO_JOIN", "AT_AJN", "Auto Join", "自动加网", "2", OnOffList},
    {"CONFIG_ID_HEART_PERIOD", "AT_PHT", "Heart Period", "心跳周期", "", Range0To65535},
};

void BuildCatalogue() {
    int slot = 0;
    for (const CatalogueRow& row : kRows) {
        ParamValues* domain = row.makeDomain ? row.makeDomain() : nullptr;
        ConfigParam* param =
            CreateConfigParam(row.configId, row.atKey, row.labelEn, row.labelCn, row.defaultValue);
        param->domain = domain;
        g_configParams[slot++] = param;
    }
    g_configParams[slot] = nullptr;
}

// Static initialisation across files runs in no fixed order; building from
// here guarantees the catalogue exists before main(), and any file that needs
// it earlier calls InitConfigParamCatalogue() itself.
[[maybe_unused]] const bool g_catalogueBuilt = (InitConfigParamCatalogue(), true);

}  // namespace

void InitConfigParamCatalogue() {
    // A function-local static is built exactly once, even under concurrent calls.
    [[maybe_unused]] static const bool built = (BuildCatalogue(), true);
}
