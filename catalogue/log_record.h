#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// Log kinds: the value of LogRecord::kind.
enum LogKind : std::int32_t {
    LOG_SEND = 0,   // a line sent to the module
    LOG_RECV = 1,   // a reply received from the module
    LOG_ERROR = 2,  // a failure or a rejected value
    LOG_INFO = 3,   // the tool's own steps
    LOG_RAW = 4,    // raw bytes while the command window is open
};

// Message number under which the main window receives a record.
constexpr int WM_LOG_MESSAGE = 0x4CB;

constexpr int kLogTextSize = 512;

// One log line on its way to the main window.
struct LogRecord {
    std::int32_t kind = 0;
    char text[kLogTextSize] = {};  // at most 511 bytes, always NUL-terminated
    std::int32_t length = 0;       // bytes stored in text (0 to 511); may hold NULs
};

// Receives each record; owns it from then on and frees it with `delete`.
// It is called with the sink lock held, so it must be quick (post the record,
// do not handle it) and must not call LogPrintf, SetLogSink or ClearLogSink.
using LogSink = std::function<void(LogRecord*)>;

// Installs the process-wide sink (an empty function clears it). Safe against
// concurrent LogPrintf calls on other threads.
void SetLogSink(LogSink sink);

// Removes the sink. When it returns, no LogPrintf is inside the old sink and
// none will call it again, so whatever the sink refers to may be destroyed.
void ClearLogSink();

// Formats one line (cut after 511 bytes) and hands it to the sink; any
// thread. Without a sink it returns at once, without formatting. Text that is
// data must be passed as the argument of "%s", never as the format.
void LogPrintf(int kind, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Hands bytes to the sink as they are, NUL bytes included, cut into as many
// records as they need, in order; any thread. A cut never falls inside a
// UTF-8 character that ends within reach, so the pieces show the same text
// one record would have. Nothing for a length of 0.
void LogBytes(int kind, const char* data, std::size_t length);

// Tells the log that the raw bytes have ended for now (the receive thread
// has stopped): an empty LOG_RAW record, which shows nothing, but lets a
// character that the last read left unfinished show as it is.
void LogRawEnd();
