#pragma once

#include <string>

// Version text of the module last recognised by a load; empty until then.
// Written on the UI thread after the wait dialog has joined its worker, read by
// the main dialog and the system page.
extern std::string g_deviceVersion;
