#include "ui/log_sink_bridge.h"

#include <memory>

#include "catalogue/log_record.h"
#include "ui/posted_message.h"

LogSinkBridge::LogSinkBridge(QObject* target) {
    SetLogSink([target](LogRecord* record) {
        PostLogRecord(target, std::unique_ptr<LogRecord>(record));
    });
}

LogSinkBridge::~LogSinkBridge() {
    // ClearLogSink waits for a sink call in progress, so no thread can post
    // to the target once this returns.
    ClearLogSink();
}
