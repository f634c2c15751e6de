#include "catalogue/profile_keys.h"

const std::string g_commonParamIds[11] = {
    "CONFIG_ID_WORK_MODE",
    "CONFIG_ID_DEBUG_LEVEL",
    "CONFIG_ID_SLEEP_MODE",
    "CONFIG_ID_PREMABLE_TIME",
    "CONFIG_ID_SLEEP_TIME",
    "CONFIG_ID_WAKEUP_TIME",
    "CONFIG_ID_BAUDRATE",
    "CONFIG_ID_PARITY",
    "CONFIG_ID_STOPBITS",
    "CONFIG_ID_FRAME_INETRVAL",
    "",
};

const std::string g_relayV1ParamIds[9] = {
    "CONFIG_ID_RELAY_ADDRESS",     "CONFIG_ID_DEVICE_ID",     "CONFIG_ID_TRANSPORT_ADDRESS",
    "CONFIG_ID_CARRIER_FREQUENCY", "CONFIG_ID_POWER",         "CONFIG_ID_SKY_RATE",
    "CONFIG_ID_DATA_DISPLAY_MODE", "CONFIG_ID_SEND_COMPLETE", "",
};

const std::string g_relayV2ParamIds[10] = {
    "CONFIG_ID_ENTWORK_ID",        "CONFIG_ID_DEVICE_TYPE",
    "CONFIG_ID_DEVICE_ID",         "CONFIG_ID_TRANSPORT_ADDRESS",
    "CONFIG_ID_CARRIER_FREQUENCY", "CONFIG_ID_POWER",
    "CONFIG_ID_SKY_RATE",          "CONFIG_ID_DATA_DISPLAY_MODE",
    "CONFIG_ID_SEND_COMPLETE",     "",
};

const std::string g_loraWanParamIds[17] = {
    "CONFIG_ID_DEI",
    "CONFIG_ID_AEI",
    "CONFIG_ID_AKY",
    "CONFIG_ID_CLASS",
    "CONFIG_ID_CFM",
    "CONFIG_ID_DATA_DISPLAY_MODE",
    "CONFIG_ID_SEND_COMPLETE",
    "CONFIG_ID_AUTO_JOIN",
    "CONFIG_ID_HEART_PERIOD",
    "CONFIG_ID_ENTWORK_ID",
    "CONFIG_ID_LRWAN_DEVICE_TYPE",
    "CONFIG_ID_DEVICE_ID",
    "CONFIG_ID_TRANSPORT_ADDRESS",
    "CONFIG_ID_SKY_RATE",
    "CONFIG_ID_POWER",
    "CONFIG_ID_CARRIER_FREQUENCY",
    "",
};

const std::string g_ioParamIds[11] = {
    "CONFIG_ID_DM1",
    "CONFIG_ID_DM2",
    "CONFIG_ID_DM3",
    "CONFIG_ID_DM4",
    "CONFIG_ID_DM5",
    "CONFIG_ID_DT1",
    "CONFIG_ID_DT2",
    "CONFIG_ID_DT3",
    "CONFIG_ID_DT4",
    "CONFIG_ID_DT5",
    "",
};

const std::string g_powerParamIds[2] = {"CONFIG_ID_POWER", ""};

const std::string g_claaParamIds[11] = {
    "CONFIG_ID_DEI",
    "CONFIG_ID_AEI",
    "CONFIG_ID_AKY",
    "CONFIG_ID_CLASS",
    "CONFIG_ID_CFM",
    "CONFIG_ID_DATA_DISPLAY_MODE",
    "CONFIG_ID_SEND_COMPLETE",
    "CONFIG_ID_CLAA_MODE",
    "CONFIG_ID_AUTO_JOIN",
    "CONFIG_ID_HEART_PERIOD",
    "",
};

const std::string g_sleepTimingParamIds[4] = {
    "CONFIG_ID_WAKEUP_TIME",
    "CONFIG_ID_PREMABLE_TIME",
    "CONFIG_ID_SLEEP_TIME",
    "",
};
