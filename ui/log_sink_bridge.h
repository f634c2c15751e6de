#pragma once

class QObject;

// Installs the process-wide log sink so that every LogRecord, from whatever
// thread, is posted to target as WM_LOG_MESSAGE; removes it on destruction.
// Keep it as a member of the target so that it is removed before the target
// goes away.
class LogSinkBridge {
public:
    explicit LogSinkBridge(QObject* target);
    ~LogSinkBridge();
    LogSinkBridge(const LogSinkBridge&) = delete;
    LogSinkBridge& operator=(const LogSinkBridge&) = delete;
};
