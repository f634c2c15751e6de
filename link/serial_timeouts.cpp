#include "link/serial_timeouts.h"

#include <algorithm>

namespace {

constexpr std::uint32_t kSlowBaudCapMs = 10000;
constexpr std::uint32_t kQueueSize = 8192;
// Multiplier x count can exceed what the clock's nanoseconds hold; a limit of
// about 30 years is as good as none.
constexpr std::uint64_t kFarestMs = 1'000'000'000'000;

}  // namespace

std::uint32_t SlowBaudReadTotalConstant(std::uint32_t configured, std::uint32_t baud)
{
    if (baud >= 115200) {
        return configured;
    }
    const std::uint32_t bytesPerSecond = baud / 8;
    if (bytesPerSecond == 0) {
        return kSlowBaudCapMs;
    }
    const std::uint64_t raised = std::uint64_t{configured} + 1024000u / bytesPerSecond;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(raised, kSlowBaudCapMs));
}

std::uint32_t QueueSizeFor(std::uint32_t driverReported)
{
    return (driverReported == 0 || driverReported >= kQueueSize) ? kQueueSize : driverReported;
}

std::optional<std::uint64_t> WriteTotalMs(const COMMTIMEOUTS& timeouts, std::uint32_t count)
{
    if (timeouts.WriteTotalTimeoutMultiplier == 0 && timeouts.WriteTotalTimeoutConstant == 0) {
        return std::nullopt;
    }
    const std::uint64_t totalMs =
        std::uint64_t{timeouts.WriteTotalTimeoutMultiplier} * count +
        timeouts.WriteTotalTimeoutConstant;
    return std::min(totalMs, kFarestMs);
}

std::optional<SerialClock::time_point> WriteDeadline(const COMMTIMEOUTS& timeouts,
                                                     std::uint32_t count,
                                                     SerialClock::time_point start)
{
    const std::optional<std::uint64_t> totalMs = WriteTotalMs(timeouts, count);
    if (!totalMs) {
        return std::nullopt;
    }
    return start + std::chrono::milliseconds(*totalMs);
}

ReadDeadline::ReadDeadline(const COMMTIMEOUTS& timeouts, std::uint32_t count,
                           SerialClock::time_point start)
{
    const std::uint32_t interval = timeouts.ReadIntervalTimeout;
    const std::uint32_t multiplier = timeouts.ReadTotalTimeoutMultiplier;
    const std::uint32_t constant = timeouts.ReadTotalTimeoutConstant;
    if (interval == kMaxDword && multiplier == 0 && constant == 0) {
        m_immediate = true;
        return;
    }
    if (interval == kMaxDword && multiplier == kMaxDword && constant != 0 &&
        constant != kMaxDword) {
        m_endsAtFirstByte = true;
        m_totalEnd = start + std::chrono::milliseconds(constant);
        return;
    }
    if (multiplier != 0 || constant != 0) {
        const std::uint64_t totalMs = std::uint64_t{multiplier} * count + constant;
        m_totalEnd = start + std::chrono::milliseconds(std::min(totalMs, kFarestMs));
    }
    if (interval != 0) {
        m_interval = std::chrono::milliseconds(interval);
    }
}

void ReadDeadline::BytesArrived(SerialClock::time_point when)
{
    m_lastByte = when;
}

std::optional<SerialClock::duration> ReadDeadline::Remaining(SerialClock::time_point now) const
{
    if (m_immediate) {
        return SerialClock::duration::zero();
    }
    std::optional<SerialClock::duration> left;
    if (m_totalEnd) {
        left = *m_totalEnd - now;
    }
    if (m_interval && m_lastByte) {
        const SerialClock::duration quiet = *m_lastByte + *m_interval - now;
        left = left ? std::min(*left, quiet) : quiet;
    }
    return left;
}
