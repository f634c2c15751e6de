#include "catalogue/log_record.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// Collects what the sink receives; the records are owned from then on.
class LogCollector {
public:
    LogCollector() {
        SetLogSink([this](LogRecord* record) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_records.emplace_back(record);
        });
    }
    ~LogCollector() { ClearLogSink(); }

    std::vector<std::unique_ptr<LogRecord>> Take() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return std::move(m_records);
    }

private:
    std::mutex m_mutex;
    std::vector<std::unique_ptr<LogRecord>> m_records;
};

TEST(LogPrintf, StoresAtMost511BytesAndTheirCount) {
    struct Case {
        std::string data;
        std::string stored;
    };
    const std::string long511(511, 'a');
    const std::vector<Case> cases = {
        {"", ""},
        {"x", "x"},
        {long511, long511},
        {long511 + "b", long511},
        {std::string(4000, 'c'), std::string(511, 'c')},
        // Data is never a format: its percent signs stay as they are.
        {"100%", "100%"},
        {"%s%n%d %%", "%s%n%d %%"},
    };
    LogCollector collector;
    for (const Case& c : cases) {
        LogPrintf(LOG_RECV, "%s", c.data.c_str());
        auto records = collector.Take();
        ASSERT_EQ(records.size(), 1u) << "data of length " << c.data.size();
        const LogRecord& r = *records[0];
        EXPECT_EQ(r.kind, LOG_RECV);
        EXPECT_EQ(std::string(r.text), c.stored) << "data of length " << c.data.size();
        EXPECT_EQ(r.length, static_cast<int>(c.stored.size()))
            << "data of length " << c.data.size();
    }
}

TEST(LogPrintf, FormatsArgumentsAndKeepsTheKind) {
    LogCollector collector;
    LogPrintf(LOG_INFO, "open %s success", "ttyUSB0");
    LogPrintf(LOG_ERROR, "%s %s %s", "Work mode", "invalid value", "9");
    LogPrintf(LOG_SEND, "%s", "");
    auto records = collector.Take();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0]->kind, LOG_INFO);
    EXPECT_STREQ(records[0]->text, "open ttyUSB0 success");
    EXPECT_EQ(records[1]->kind, LOG_ERROR);
    EXPECT_STREQ(records[1]->text, "Work mode invalid value 9");
    EXPECT_EQ(records[2]->length, 0);
}

TEST(LogPrintf, NothingReachesARemovedSink) {
    int calls = 0;
    SetLogSink([&calls](LogRecord* record) {
        ++calls;
        delete record;
    });
    LogPrintf(LOG_INFO, "%s", "one");
    ClearLogSink();
    LogPrintf(LOG_INFO, "%s", "two");
    SetLogSink(LogSink());  // an empty function removes the sink as well
    LogPrintf(LOG_INFO, "%s", "three");
    EXPECT_EQ(calls, 1);
}

// Workers keep logging while the sink is installed and removed again and
// again; after each removal the sink's owner is "destroyed", and a call that
// reached the sink after that would be a call into a dead window.
TEST(LogPrintf, RemovalWaitsForPostsInFlight) {
    std::atomic<bool> alive{false};
    std::atomic<int> lateCalls{0};
    std::atomic<int> delivered{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> workers;
    for (int t = 0; t < 3; ++t) {
        workers.emplace_back([&stop, t] {
            for (int i = 0; !stop.load(); ++i) {
                LogPrintf(LOG_RECV, "worker %d line %d", t, i);
            }
        });
    }
    for (int cycle = 0; cycle < 300; ++cycle) {
        alive.store(true);
        SetLogSink([&](LogRecord* record) {
            if (!alive.load()) {
                ++lateCalls;
            }
            ++delivered;
            delete record;
        });
        std::this_thread::yield();
        ClearLogSink();
        alive.store(false);
    }
    stop.store(true);
    for (std::thread& w : workers) {
        w.join();
    }
    EXPECT_EQ(lateCalls.load(), 0);
    EXPECT_GT(delivered.load(), 0);
}

}  // namespace
