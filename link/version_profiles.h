// The firmware profile table: which configuration ids a module of a given
// model, band, flavour, version and suffix supports. Start-up and the tests
// configure a CComDevice from this one table.
#pragma once

#include <cstddef>

#include "link/com_device.h"

inline constexpr std::size_t kVersionProfileCount = 11;

// Row order matters only for readability: includes and leave-outs are merged
// per pattern, and every leave-out is applied after every include.
extern const VersionProfile g_versionProfiles[kVersionProfileCount];

// Registers every row of g_versionProfiles with device.RegisterVersionParams,
// in table order.
void RegisterVersionProfiles(CComDevice& device);
