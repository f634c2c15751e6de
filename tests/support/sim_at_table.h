#pragma once

#include <map>
#include <string>

// The simulated module's own command vocabulary. It is written down here again,
// independently of the tool's table, so that a mistake in the tool's table shows
// up as a failing exchange instead of being mirrored by the simulator.
struct SimAtRow {
    const char* key;       // the name tests may use, e.g. "AT_MOD"
    const char* queryCmd;  // "+MOD?"; "" when the module has no query form
    const char* setCmd;    // "+MOD"; "" when the module has no set form
    const char* replyTag;  // "+MOD"; "" when the reply carries no value
};

// Every row, in the module's command order.
const SimAtRow* SimAtRows(int& count);

// The row whose key ("AT_MOD") or set command ("+MOD") is given; null when none.
const SimAtRow* FindSimAtRow(const std::string& keyOrCommand);

// The row whose query command equals cmd, compared without regard to ASCII case.
const SimAtRow* FindSimAtQuery(const std::string& cmd);

// The row whose set command equals cmd, compared without regard to ASCII case.
const SimAtRow* FindSimAtSet(const std::string& cmd);

// Parameter values of a module fresh from the factory, keyed by reply tag
// ("+MOD"). The device-type value depends on the firmware flavour.
std::map<std::string, std::string> SimFactoryValues(const std::string& flavour);
