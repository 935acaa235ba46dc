#pragma once

#include <cstdint>

namespace kb {

constexpr int kKanaCapacity = 100;
constexpr int kExclusionCapacity = 5000;

// The counters of the current round, kept apart so that judging can form the
// new values on a copy and store them all at once, or not at all.
struct RoundCounters {
    std::int16_t okCount = 0;
    std::int16_t ngCount = 0;
    std::int16_t typedChars = 0;
    std::int16_t score = 0;
    // Accepted words by where the question stood in them.
    std::int16_t headMatches = 0;
    std::int16_t tailMatches = 0;
    std::int16_t insideMatches = 0;

    friend bool operator==(const RoundCounters&, const RoundCounters&) = default;
};

// Between rounds (before the first, or after one ended), the three lamps
// before a round, or the timed round itself.
enum class Phase { Idle, Countdown, Running };

// The two choices 設定.txt keeps.
struct RoundSettings {
    std::int16_t timeLimitSeconds = 0;
    std::int16_t autoSave = 0; // 1 saves at a round's end; 0 and 2 (greyed) do not
};

} // namespace kb
