#include "ui/device_version.h"

std::string g_deviceVersion;
