#include "link/serial_timeouts.h"
#include "link/serial_line_speed.h"

#include <gtest/gtest.h>

#include <vector>

using std::chrono::milliseconds;

TEST(SerialTimeouts, SlowRatesQueueSizesAndWriteLimits) {
    // clang-format off
    const std::uint32_t rows[][3] = {  // configured, baud, read total constant
        // The rates of the port options with the default 1000 ms.
        {1000, 600, 10000}, {1000, 1200, 7826}, {1000, 2400, 4413}, {1000, 4800, 2706},
        {1000, 9600, 1853}, {1000, 14400, 1568}, {1000, 19200, 1426}, {1000, 38400, 1213},
        {1000, 56000, 1146}, {1000, 57600, 1142}, {1000, 115200, 1000},
        // The cap below 115200 only; the configured value kept from there on.
        {20000, 57600, 10000}, {20000, 115200, 20000}, {20000, 230400, 20000},
        {0, 9600, 853}, {9990, 9600, 10000},
        // No whole byte a second: the cap, not a division by zero; no overflow at the top.
        {1000, 7, 10000}, {1000, 0, 10000}, {kMaxDword, 9600, 10000}};
    const std::uint32_t sizes[][2] = {{0, 8192}, {65536, 8192}, {8192, 8192}, {8191, 8191}, {1, 1}};
    // clang-format on
    for (const auto& [configured, baud, expected] : rows) {
        EXPECT_EQ(SlowBaudReadTotalConstant(configured, baud), expected)
            << "configured " << configured << " at " << baud << " baud";
    }
    for (const auto& [size, expected] : sizes) EXPECT_EQ(QueueSizeFor(size), expected) << size;
    EXPECT_FALSE(WriteTotalMs(COMMTIMEOUTS{}, 100).has_value());
    EXPECT_EQ(WriteTotalMs(COMMTIMEOUTS{0, 0, 0, 0, 300}, 100), 300u);
}

// A write total multiplier of 4294967295 (or -1 in the file) and a write of
// 2148 bytes or more would take the deadline past what the clock can add.
TEST(SerialTimeouts, WriteDeadlinesSaturate) {
    const SerialClock::time_point now = SerialClock::now();
    const std::uint32_t counts[] = {2147, 2148, 4096, kMaxDword};
    for (std::uint32_t count : counts) {
        const COMMTIMEOUTS huge{0, 0, 0, kMaxDword, kMaxDword};
        const auto ahead = WriteDeadline(huge, count, now).value_or(now) - now;
        EXPECT_GT(std::chrono::duration_cast<std::chrono::hours>(ahead).count(), 24 * 365 * 10)
            << count << " bytes";
    }
    EXPECT_EQ(WriteDeadline(COMMTIMEOUTS{0, 0, 0, 2, 300}, 100, now), now + milliseconds(500));
    EXPECT_FALSE(WriteDeadline(COMMTIMEOUTS{}, 100, now).has_value());
}

TEST(SerialTimeouts, ReadDeadlines) {
    // clang-format off
    // Reads of 10 bytes; times in ms after the start; remaining in whole ms, -1 for no limit.
    const struct { const char* what; COMMTIMEOUTS timeouts; std::vector<int> byteTimes; int now;
                   long remaining; bool endsAtFirstByte; } rows[] = {
        {"total only", {0, 0, 1000}, {}, 400, 600, false},
        {"total with multiplier", {0, 2, 1000}, {}, 0, 1020, false},
        {"interval waits for the first byte", {150, 0, 1000}, {}, 900, 100, false},
        {"interval after a byte", {150, 0, 1000}, {100}, 200, 50, false},
        {"interval restarts at each byte", {150, 0, 1000}, {100, 180}, 200, 130, false},
        {"total still binds after bytes", {150, 0, 1000}, {950}, 960, 40, false},
        {"interval passed", {150, 0, 1000}, {100}, 260, -10, false},
        {"no limits at all", {0, 0, 0}, {}, 5000, -1, false},
        {"interval only, before a byte", {150, 0, 0}, {}, 5000, -1, false},
        {"immediate", {kMaxDword, 0, 0}, {}, 0, 0, false},
        {"first byte ends it", {kMaxDword, kMaxDword, 500}, {}, 100, 400, true}};
    // clang-format on
    const SerialClock::time_point start{};
    for (const auto& row : rows) {
        ReadDeadline deadline(row.timeouts, 10, start);
        for (int ms : row.byteTimes) deadline.BytesArrived(start + milliseconds(ms));
        const auto left = deadline.Remaining(start + milliseconds(row.now));
        const long ms = left ? std::chrono::duration_cast<milliseconds>(*left).count() : -1;
        EXPECT_EQ(ms, row.remaining) << row.what;
        EXPECT_EQ(deadline.EndsAtFirstByte(), row.endsAtFirstByte) << row.what;
    }
    // Huge totals must not wrap the clock.
    const SerialClock::time_point now = SerialClock::now();
    const auto left = ReadDeadline({0, kMaxDword, kMaxDword}, kMaxDword, now).Remaining(now);
    EXPECT_GT(left.value_or(milliseconds(0)), std::chrono::hours(24 * 365));
}

TEST(SerialLineSpeed, ARateTheDriverRoundsStillCountsAsTaken) {
    // clang-format off
    const struct { std::uint32_t asked, got; bool taken; } rows[] = {
        {115200, 115200, true}, {115200, 115384, true}, {57600, 57553, true},
        {9600, 9888, true}, {9600, 9900, false}, {56000, 38400, false}, {9600, 0, false}};
    // clang-format on
    for (const auto& row : rows) {
        EXPECT_EQ(RateIsClose(row.asked, row.got), row.taken) << row.asked << " ran at " << row.got;
    }
}
