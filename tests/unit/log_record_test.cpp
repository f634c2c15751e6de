#include "catalogue/log_record.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

TEST(LogPrintf, CutsAfter511BytesAndNeverFormatsData) {
    std::vector<std::unique_ptr<LogRecord>> records;  // only this thread logs here
    SetLogSink([&records](LogRecord* record) { records.emplace_back(record); });
    const std::string a511(511, 'a');
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {  // data, stored
        {"", ""}, {"x", "x"}, {a511, a511}, {a511 + "b", a511}, {"100%", "100%"},
        {"%s%n%d %%", "%s%n%d %%"}, {std::string(4000, 'c'), std::string(511, 'c')}};
    // clang-format on
    for (const auto& [data, stored] : cases) {
        records.clear();
        LogPrintf(LOG_RECV, "%s", data.c_str());
        ASSERT_EQ(records.size(), 1u) << "data \"" << data.substr(0, 20) << "\"";
        EXPECT_EQ(records[0]->text, stored) << "data of length " << data.size();
        EXPECT_EQ(records[0]->length, static_cast<int>(stored.size())) << data.size();
    }
    records.clear();
    LogPrintf(LOG_ERROR, "%s %s %s", "Work mode", "invalid value", "9");
    SetLogSink(LogSink());  // an empty function removes the sink
    LogPrintf(LOG_INFO, "%s", "after removal");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0]->kind, LOG_ERROR);
    EXPECT_STREQ(records[0]->text, "Work mode invalid value 9");
}

// Bytes go out whole, in order, as many records as they take, NULs kept; a cut backs up to
// the start of a UTF-8 character it would split, and only then.
TEST(LogBytes, EveryByteInOrderCutBetweenCharacters) {
    std::vector<std::unique_ptr<LogRecord>> records;
    SetLogSink([&records](LogRecord* record) { records.emplace_back(record); });
    const std::string a(511, 'a'), zh = "\xE4\xB8\xAD", four = "\xF0\x9F\x98\x80";
    const std::string zeros("x\0y\0", 4);
    // clang-format off
    const std::pair<std::string, std::vector<size_t>> cases[] = {  // bytes, record lengths
        {"", {}}, {zeros, {4}}, {a, {511}}, {a + "b", {511, 1}},
        {std::string(1200, 'c'), {511, 511, 178}},
        {a.substr(0, 510) + zh + "b", {510, 4}},    // 3-byte character over the cut
        {a.substr(0, 509) + zh + "b", {509, 4}},
        {a.substr(0, 508) + zh + "b", {511, 1}},    // ends just at the cut
        {a.substr(0, 508) + four + "b", {508, 5}},  // 4-byte character over the cut
        {a.substr(0, 510) + zeros + a, {511, 511, 3}},
        {std::string(600, '\x80'), {511, 89}},     // no characters to respect
    };
    // clang-format on
    for (const auto& [bytes, lengths] : cases) {
        records.clear();
        LogBytes(LOG_RAW, bytes.data(), bytes.size());
        std::string joined;
        std::vector<size_t> got;
        for (const auto& record : records) {
            EXPECT_EQ(record->kind, LOG_RAW);
            EXPECT_EQ(record->text[record->length], '\0');
            joined.append(record->text, static_cast<size_t>(record->length));
            got.push_back(static_cast<size_t>(record->length));
        }
        EXPECT_EQ(joined, bytes) << bytes.size() << " bytes";
        EXPECT_EQ(got, lengths) << bytes.size() << " bytes";
    }
    ClearLogSink();
}

// Once ClearLogSink returns, the sink's owner may be destroyed: no call may reach it.
TEST(LogPrintf, RemovalWaitsForPostsInFlight) {
    std::atomic<bool> alive{false}, stop{false};
    std::atomic<int> lateCalls{0}, delivered{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 3; ++t) {
        workers.emplace_back([&stop, t] {
            for (int i = 0; !stop; ++i) LogPrintf(LOG_RECV, "worker %d line %d", t, i);
        });
    }
    // Enough deliveries that posts surely were in flight, within a bound.
    const auto bound = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (int cycle = 0;
         cycle < 300 || (delivered < 300 && std::chrono::steady_clock::now() < bound); ++cycle) {
        alive = true;
        SetLogSink([&](LogRecord* record) {
            std::this_thread::yield();  // widens the window a late call would slip through
            lateCalls += alive ? 0 : 1;
            ++delivered;
            delete record;
        });
        std::this_thread::yield();
        ClearLogSink();
        alive = false;
    }
    stop = true;
    for (std::thread& w : workers) w.join();
    EXPECT_EQ(lateCalls, 0);
    EXPECT_GE(delivered, 300);
}
