#pragma once

#include <array>
#include <cstdint>
#include <QString>
#include <QStringList>
#include <vector>

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
    std::array<std::int16_t, 4> matchCounts{}; // [3] is reset but never counted
};

// Everything the window keeps between events.
struct DrillState : RoundCounters {
    bool countdownActive = false;
    bool roundRunning = false;
    std::int16_t countdownStep = 0;
    std::int32_t clockSeconds = 0;
    std::int32_t roundEndTime = 0;
    std::int16_t remainingSeconds = 0;
    std::int16_t timeLimitSeconds = 0;
    std::int16_t autoSave = 0;
    QStringList kanaTable;
    std::int16_t kanaCount = 0;
    QString currentQuestion;
    QStringList excludedWords;
    std::int16_t excludedCount = 0;

    // Entries are numbered from 1, as the game counts them. An empty list still
    // draws entry 1, which reads as the empty text, as an unfilled slot would.
    QString kana(int i) const { return kanaTable.value(i - 1); }
    QString excluded(int i) const { return excludedWords.value(i - 1); }
};

} // namespace kb
