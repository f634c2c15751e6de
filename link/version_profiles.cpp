#include "link/version_profiles.h"

#include "catalogue/profile_keys.h"

// "" is "any". A module reporting model "T" is parsed as "D", so it falls
// under the "D" rows. The "N" band has no row of its own.
const VersionProfile g_versionProfiles[kVersionProfileCount] = {
    {"", "", "", "", "", g_commonParamIds, nullptr},
    {"D", "", "STANDARD", "V1", "", g_relayV1ParamIds, nullptr},
    {"D", "", "STANDARD", "V2", "", g_relayV2ParamIds, nullptr},
    {"D", "", "STANDARD", "V1", "", g_ioParamIds, nullptr},
    {"D", "", "STANDARD", "V2", "", g_ioParamIds, nullptr},
    {"D", "", "LRWAN", "", "", g_loraWanParamIds, g_sleepTimingParamIds},
    {"D", "", "LRWAN", "", "CLAA", g_claaParamIds, g_sleepTimingParamIds},
    {"D", "E", "", "", "", nullptr, g_powerParamIds},
    {"S", "", "STANDARD", "V1", "", g_relayV1ParamIds, nullptr},
    {"S", "", "STANDARD", "V2", "", g_relayV2ParamIds, nullptr},
    {"D", "", "CLAA", "", "", g_claaParamIds, g_sleepTimingParamIds},
};

void RegisterVersionProfiles(CComDevice& device)
{
    for (const VersionProfile& row : g_versionProfiles) {
        device.RegisterVersionParams(row.model, row.band, row.flavour, row.version, row.suffix,
                                     row.includeIds, row.excludeIds);
    }
}
