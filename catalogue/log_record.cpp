#include "catalogue/log_record.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <mutex>
#include <utility>

namespace {

// The lock is held while the sink runs, so removal waits for a post in
// flight and a sink is never called after ClearLogSink has returned.
std::mutex g_sinkMutex;
LogSink g_sink;
// Lets LogPrintf skip all work without the lock while nobody listens.
std::atomic<bool> g_hasSink{false};

}  // namespace

void SetLogSink(LogSink sink) {
    std::lock_guard<std::mutex> lock(g_sinkMutex);
    g_sink = std::move(sink);
    g_hasSink.store(static_cast<bool>(g_sink), std::memory_order_release);
}

void ClearLogSink() { SetLogSink(nullptr); }

void LogPrintf(int kind, const char* format, ...) {
    if (!g_hasSink.load(std::memory_order_acquire)) {
        return;
    }
    auto record = std::make_unique<LogRecord>();
    record->kind = kind;
    if (format != nullptr) {
        va_list args;
        va_start(args, format);
        const int wanted = std::vsnprintf(record->text, sizeof record->text, format, args);
        va_end(args);
        if (wanted < 0) {
            record->text[0] = '\0';
        } else {
            record->length = wanted < kLogTextSize ? wanted : kLogTextSize - 1;
        }
    }
    // The sink may have gone while the line was formatted; then the record
    // is simply dropped.
    std::lock_guard<std::mutex> lock(g_sinkMutex);
    if (g_sink) {
        g_sink(record.release());
    }
}
