#include "catalogue/log_record.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
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

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The bytes of data[0, length) that go into one record: at most
// kLogTextSize - 1, ending before a UTF-8 character that would be cut. A
// run that does not look like UTF-8 is cut where the record is full.
std::size_t PieceLength(const char* data, std::size_t length) {
    constexpr std::size_t kRoom = kLogTextSize - 1;
    if (length <= kRoom) {
        return length;
    }
    // Back up over the continuation bytes at the cut to the lead byte of
    // the character they belong to; at most three, as UTF-8 has.
    std::size_t cut = kRoom;
    while (cut > kRoom - 3 && IsContinuation(static_cast<unsigned char>(data[cut]))) {
        --cut;
    }
    const auto lead = static_cast<unsigned char>(data[cut]);
    const bool leadOfCutCharacter = lead >= 0xC0 && cut < kRoom;
    return leadOfCutCharacter ? cut : kRoom;
}

void Post(std::unique_ptr<LogRecord> record) {
    // The sink may have gone while the line was formatted; then the record
    // is simply dropped.
    std::lock_guard<std::mutex> lock(g_sinkMutex);
    if (g_sink) {
        g_sink(record.release());
    }
}

}  // namespace

void LogBytes(int kind, const char* data, std::size_t length) {
    if (!g_hasSink.load(std::memory_order_acquire) || data == nullptr) {
        return;
    }
    while (length > 0) {
        const std::size_t piece = PieceLength(data, length);
        auto record = std::make_unique<LogRecord>();
        record->kind = kind;
        std::memcpy(record->text, data, piece);
        record->length = static_cast<std::int32_t>(piece);
        Post(std::move(record));
        data += piece;
        length -= piece;
    }
}

void LogRawEnd() {
    if (!g_hasSink.load(std::memory_order_acquire)) {
        return;
    }
    auto record = std::make_unique<LogRecord>();
    record->kind = LOG_RAW;
    Post(std::move(record));
}

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
    Post(std::move(record));
}
