#pragma once

#include <string>

// Local time of day as the log pane stamps an entry.
struct LogClock {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// The local time now, read on the thread that shows the entry.
LogClock LogClockNow();

// Two upper-case hexadecimal digits per byte, no separators; "" for a null
// pointer or a count of 0 or less.
std::string FormatHexBytes(const char* bytes, int count);

// One log entry as the pane shows it, with "\r\n" line breaks: kinds 0 to 2
// get a time stamp and a prefix, kind 4 is the body alone, every other kind
// is framed like an information line. The body is the `length` bytes of
// text, NULs included, or FormatHexBytes over them with hex.
std::string FormatLogEntry(int kind, const char* text, int length, bool hex, const LogClock& clock);
