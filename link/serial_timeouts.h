// The serial port's time-out rules as pure functions, so they can be checked
// without a port.
//
// Read contract (the Win32 COMMTIMEOUTS rules): a read of n bytes ends
//  - when n bytes arrived;
//  - when ReadTotalTimeoutMultiplier x n + ReadTotalTimeoutConstant ms passed
//    since it began (only when either is non-zero);
//  - when, after the first byte, the line stayed quiet longer than
//    ReadIntervalTimeout ms (only when it is non-zero);
//  - at once with what is there, when ReadIntervalTimeout is kMaxDword and
//    both totals are 0;
//  - at the first byte, when ReadIntervalTimeout and ReadTotalTimeoutMultiplier
//    are kMaxDword and the constant lies strictly between 0 and kMaxDword.
// A read ended by a time-out returns what arrived (a short count), not an error.
// A write of n bytes may take WriteTotalTimeoutMultiplier x n +
// WriteTotalTimeoutConstant ms (no limit when both are 0).
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

inline constexpr std::uint32_t kMaxDword = 0xFFFFFFFFu;

struct COMMTIMEOUTS {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
};

// Rates below 115200 get the time 1024 bytes take at the rate added to the
// configured read total constant, capped at 10000 ms; at 115200 and above the
// configured value stays, even above the cap. Both divisions truncate. A rate
// below 8 (no whole byte a second) gets the cap.
std::uint32_t SlowBaudReadTotalConstant(std::uint32_t configured, std::uint32_t baud);

// A driver queue size as the port asks for it: 0 (unknown) and sizes of 8192
// or more become 8192; smaller sizes stay.
std::uint32_t QueueSizeFor(std::uint32_t driverReported);

using SerialClock = std::chrono::steady_clock;

// Milliseconds a write of count bytes may take, saturated at a limit that the
// clock can still add (about 30 years); nullopt: no limit.
std::optional<std::uint64_t> WriteTotalMs(const COMMTIMEOUTS& timeouts, std::uint32_t count);
// When a write of count bytes that begins at start must end; nullopt: never.
std::optional<SerialClock::time_point> WriteDeadline(const COMMTIMEOUTS& timeouts,
                                                     std::uint32_t count,
                                                     SerialClock::time_point start);

// The deadlines of one read, fixed when the read begins.
class ReadDeadline {
public:
    ReadDeadline(const COMMTIMEOUTS& timeouts, std::uint32_t count, SerialClock::time_point start);

    // A byte (or several) arrived at `when`.
    void BytesArrived(SerialClock::time_point when);

    // The read ends when this first byte has arrived, whatever the count.
    bool EndsAtFirstByte() const { return m_endsAtFirstByte; }

    // How long the read may still wait at `now`: nullopt for no limit, zero or
    // less when it is over.
    std::optional<SerialClock::duration> Remaining(SerialClock::time_point now) const;

private:
    std::optional<SerialClock::time_point> m_totalEnd;
    std::optional<SerialClock::duration> m_interval;
    std::optional<SerialClock::time_point> m_lastByte;
    bool m_immediate = false;
    bool m_endsAtFirstByte = false;
};
