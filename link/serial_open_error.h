// Why a serial port did not open, in the few outcomes a user can act on, and
// the log line that says so.
#pragma once

#include <string>

enum class OpenError {
    None,
    PermissionDenied,  // the user is not in the group that owns the node
    Busy,              // another program (or another CSerial) holds the port
    NoSuchDevice,      // unplugged, a wrong name, or not a serial port at all
    SettingsRefused,   // the driver does not do these line settings
    AlreadyOpen,       // Open while a port was open; that port is closed now
    Other,
};

struct OpenFailure {
    OpenError error = OpenError::None;
    int systemError = 0;  // the errno behind it, 0 when none
};

// The one place where the errno of opening or setting up a port becomes an
// outcome.
OpenFailure DecodeSystemError(int error);

// One line in plain words, in Chinese for language 2, else in English.
// group: the group that owns the port's device node, "" when unknown.
std::string DescribeOpenFailure(const OpenFailure& failure, const std::string& group,
                                int language);

// The name of the group that owns the node at path; "" when it cannot be told.
std::string DeviceNodeGroup(const std::string& path);
