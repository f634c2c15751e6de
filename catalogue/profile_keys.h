#pragma once

#include <string>

// Configuration ids from which the firmware profiles are put together. Each
// list ends with an empty string; readers walk it up to that entry.
// The arrays are filled during static initialisation: their addresses may be
// taken at any time, their contents read once main() has started.
extern const std::string g_commonParamIds[11];
extern const std::string g_relayV1ParamIds[9];
extern const std::string g_relayV2ParamIds[10];
extern const std::string g_loraWanParamIds[17];
extern const std::string g_ioParamIds[11];
extern const std::string g_powerParamIds[2];
extern const std::string g_claaParamIds[11];
extern const std::string g_sleepTimingParamIds[4];
