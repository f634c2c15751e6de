// Every log record made while a LogCapture lives, from any thread, in the
// order LogPrintf made them.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/log_record.h"

class LogCapture {
public:
    using Line = std::pair<int, std::string>;  // kind, text

    // Installs itself as the process-wide sink; the destructor removes it.
    LogCapture() {
        SetLogSink([this](LogRecord* record) {
            std::lock_guard lock(m_mutex);
            m_lines.emplace_back(record->kind, std::string(record->text, record->length));
            delete record;
        });
    }
    ~LogCapture() { ClearLogSink(); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<Line> Lines() const {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }
    // The texts of this kind.
    std::vector<std::string> Texts(int kind) const {
        std::vector<std::string> texts;
        for (const auto& [k, text] : Lines())
            if (k == kind) texts.push_back(text);
        return texts;
    }
    // Lines of this kind; with text, only those equal to it.
    int Count(int kind, const std::optional<std::string>& text = std::nullopt) const {
        int n = 0;
        for (const auto& [k, t] : Lines()) n += k == kind && (!text || t == *text);
        return n;
    }
    void Clear() {
        std::lock_guard lock(m_mutex);
        m_lines.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<Line> m_lines;
};
