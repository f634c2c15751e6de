#include "ui/log_entry.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "catalogue/log_record.h"

LogClock LogClockNow() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    LogClock clock;
    clock.hour = local.tm_hour;
    clock.minute = local.tm_min;
    clock.second = local.tm_sec;
    clock.millisecond =
        static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    return clock;
}

std::string FormatHexBytes(const char* bytes, int count) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    if (bytes == nullptr || count <= 0) return out;
    out.resize(static_cast<size_t>(count) * 2);
    for (int i = 0; i < count; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        out[2 * i] = kDigits[byte >> 4];
        out[2 * i + 1] = kDigits[byte & 0x0F];
    }
    return out;
}

std::string FormatLogEntry(int kind, const char* text, int length, bool hex,
                           const LogClock& clock) {
    std::string body;
    if (hex) {
        body = FormatHexBytes(text, length);
    } else if (text != nullptr && length > 0) {
        // Every stored byte, a NUL too: the pane draws it as it draws any
        // other control byte, and the text after it stays in view.
        body.assign(text, static_cast<size_t>(std::min(length, kLogTextSize - 1)));
    }
    if (kind == LOG_RAW) return body;

    const char* prefix = nullptr;
    switch (kind) {
        case LOG_SEND:
            prefix = "send:";
            break;
        case LOG_RECV:
            prefix = "recv:";
            break;
        case LOG_ERROR:
            prefix = "error:";
            break;
        default:
            break;
    }
    std::string entry = "\r\n";
    if (prefix != nullptr) {
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "[%02d:%02d:%02d.%03d]\r\n", clock.hour, clock.minute,
                      clock.second, clock.millisecond);
        entry += stamp;
        entry += prefix;
    }
    entry += body;
    entry += "\r\n";
    return entry;
}
