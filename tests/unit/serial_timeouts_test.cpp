#include "link/serial_timeouts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>


namespace {

using std::chrono::milliseconds;

TEST(SerialTimeouts, SlowRatesGetTheTimeOf1024BytesUpToTheCap)
{
    struct Row {
        std::uint32_t configured;
        std::uint32_t baud;
        std::uint32_t expected;
    };
    const Row rows[] = {
        // The rates of the port options with the default 1000 ms.
        {1000, 600, 10000},  {1000, 1200, 7826},  {1000, 2400, 4413},  {1000, 4800, 2706},
        {1000, 9600, 1853},  {1000, 14400, 1568}, {1000, 19200, 1426}, {1000, 38400, 1213},
        {1000, 56000, 1146}, {1000, 57600, 1142}, {1000, 115200, 1000},
        // The cap below 115200 only; the configured value kept from there on.
        {20000, 57600, 10000}, {20000, 115200, 20000}, {20000, 230400, 20000},
        {0, 9600, 853}, {9990, 9600, 10000},
        // No whole byte a second: the cap, not a division by zero.
        {1000, 7, 10000}, {1000, 0, 10000},
        // No overflow near the top of the range.
        {0xFFFFFFFFu, 9600, 10000},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SlowBaudReadTotalConstant(row.configured, row.baud), row.expected)
            << "configured " << row.configured << " at " << row.baud << " baud";
    }
}

TEST(SerialTimeouts, QueueSizeRule)
{
    const std::pair<std::uint32_t, std::uint32_t> rows[] = {
        {0, 8192}, {65536, 8192}, {8192, 8192}, {8191, 8191}, {4096, 4096}, {1, 1}};
    for (const auto& [reported, expected] : rows) {
        EXPECT_EQ(QueueSizeFor(reported), expected) << "driver reports " << reported;
    }
}

TEST(SerialTimeouts, WriteLimit)
{
    COMMTIMEOUTS t;
    EXPECT_FALSE(WriteTotalMs(t, 100).has_value());
    t.WriteTotalTimeoutConstant = 300;
    EXPECT_EQ(WriteTotalMs(t, 100), 300u);
    t.WriteTotalTimeoutMultiplier = 0xFFFFFFFFu;
    EXPECT_EQ(WriteTotalMs(t, 0xFFFFFFFFu), 0xFFFFFFFFull * 0xFFFFFFFFull + 300);
}

// Remaining time of a read in whole milliseconds after the given events;
// -1 for "no limit".
struct DeadlineRow {
    const char* what;
    COMMTIMEOUTS timeouts;
    std::uint32_t count;
    std::vector<int> byteTimes;  // ms after the start
    int now;                     // ms after the start
    long expected;
    bool endsAtFirstByte;
};

TEST(SerialTimeouts, ReadDeadlines)
{
    const auto make = [](std::uint32_t interval, std::uint32_t multiplier, std::uint32_t constant) {
        COMMTIMEOUTS t;
        t.ReadIntervalTimeout = interval;
        t.ReadTotalTimeoutMultiplier = multiplier;
        t.ReadTotalTimeoutConstant = constant;
        return t;
    };
    const DeadlineRow rows[] = {
        {"total only", make(0, 0, 1000), 10, {}, 400, 600, false},
        {"total with multiplier", make(0, 2, 1000), 10, {}, 0, 1020, false},
        {"interval waits for the first byte", make(150, 0, 1000), 10, {}, 900, 100, false},
        {"interval after a byte", make(150, 0, 1000), 10, {100}, 200, 50, false},
        {"interval restarts at each byte", make(150, 0, 1000), 10, {100, 180}, 200, 130, false},
        {"total still binds after bytes", make(150, 0, 1000), 10, {950}, 960, 40, false},
        {"interval passed", make(150, 0, 1000), 10, {100}, 260, -10, false},
        {"no limits at all", make(0, 0, 0), 10, {}, 5000, -1, false},
        {"interval only, before a byte", make(150, 0, 0), 10, {}, 5000, -1, false},
        {"immediate", make(kMaxDword, 0, 0), 10, {}, 0, 0, false},
        {"first byte ends it", make(kMaxDword, kMaxDword, 500), 10, {}, 100, 400, true},
    };
    const SerialClock::time_point start{};
    for (const DeadlineRow& row : rows) {
        ReadDeadline deadline(row.timeouts, row.count, start);
        for (int t : row.byteTimes) {
            deadline.BytesArrived(start + milliseconds(t));
        }
        const auto left = deadline.Remaining(start + milliseconds(row.now));
        const long actual =
            left ? static_cast<long>(std::chrono::duration_cast<milliseconds>(*left).count()) : -1;
        EXPECT_EQ(actual, row.expected) << row.what;
        EXPECT_EQ(deadline.EndsAtFirstByte(), row.endsAtFirstByte) << row.what;
    }
}

TEST(SerialTimeouts, HugeTotalsDoNotWrapTheClock)
{
    COMMTIMEOUTS t;
    t.ReadTotalTimeoutMultiplier = kMaxDword;
    t.ReadTotalTimeoutConstant = kMaxDword;
    const SerialClock::time_point start = SerialClock::now();
    const auto left = ReadDeadline(t, kMaxDword, start).Remaining(start);
    ASSERT_TRUE(left.has_value());
    EXPECT_GT(*left, std::chrono::hours(24 * 365));
}

}  // namespace
