#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

// What the line carries once a module has gone wrong: it answers nothing any
// more, and sends nothing (Silence), one byte every period (Trickle), garbage
// in place of every answer (Garbage), or bytes as fast as the port takes them
// (Flood).
enum class SimNoise { Silence, Trickle, Garbage, Flood };

// When the noise begins and which bytes it sends when; the simulator writes
// them. Not thread-safe: the simulator calls it under its lock.
class SimLineNoise {
public:
    using Clock = std::chrono::steady_clock;

    // From the nth received unit that starts with fromUnit on ("" and nth 0:
    // at once).
    void arm(SimNoise kind, std::string fromUnit, int nth, std::chrono::milliseconds period,
             Clock::time_point now);
    // Called with every unit the module receives, before it answers.
    void onUnit(const std::string& unit, Clock::time_point now);
    bool active() const { return m_active; }
    SimNoise kind() const { return m_kind; }

    // Bytes to queue now: a trickle byte when one is due, a chunk of flood
    // when the queue has run dry, otherwise nothing.
    std::string take(Clock::time_point now, bool queueEmpty);
    // When take() next has something without being asked for a flood.
    std::optional<Clock::time_point> nextDue() const;

    static constexpr char kTrickleByte = '~';
    static constexpr char kFloodByte = 'Z';

private:
    void start(Clock::time_point now);

    bool m_armed = false;
    bool m_active = false;
    SimNoise m_kind = SimNoise::Silence;
    std::string m_fromUnit;
    int m_left = 0;
    std::chrono::milliseconds m_period{100};
    Clock::time_point m_next{};
};
