#include "tests/support/sim_line_noise.h"

#include <algorithm>

namespace {
// Large enough to keep a pseudo-terminal's buffer full between two polls.
constexpr std::size_t kFloodChunk = 4096;
}  // namespace

void SimLineNoise::arm(SimNoise kind, std::string fromUnit, int nth,
                       std::chrono::milliseconds period, Clock::time_point now) {
    m_kind = kind;
    m_fromUnit = std::move(fromUnit);
    m_left = nth;
    m_period = period;
    m_active = false;
    m_armed = true;
    if (m_fromUnit.empty() && m_left <= 0) start(now);
}

void SimLineNoise::onUnit(const std::string& unit, Clock::time_point now) {
    if (!m_armed || m_active || unit.compare(0, m_fromUnit.size(), m_fromUnit) != 0) return;
    if (--m_left <= 0) start(now);
}

void SimLineNoise::start(Clock::time_point now) {
    m_active = true;
    m_next = now;
}

std::string SimLineNoise::take(Clock::time_point now, bool queueEmpty) {
    if (!m_active) return {};
    if (m_kind == SimNoise::Flood) {
        return queueEmpty ? std::string(kFloodChunk, kFloodByte) : std::string();
    }
    if (m_kind != SimNoise::Trickle || m_next > now) return {};
    // A late thread sends one byte, not a burst: a trickle never bunches up.
    m_next = std::max(m_next + m_period, now);
    return std::string(1, kTrickleByte);
}

std::optional<SimLineNoise::Clock::time_point> SimLineNoise::nextDue() const {
    if (m_active && m_kind == SimNoise::Trickle) return m_next;
    return std::nullopt;
}
