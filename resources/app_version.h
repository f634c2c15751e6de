#pragma once

// The tool's version, shown in the main window's title ("Quorrel V2.2.0").
inline constexpr const char kAppVersion[] = "2.2.0";
