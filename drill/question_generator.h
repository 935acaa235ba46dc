#pragma once

#include "drill_state.h"
#include "random_source.h"

#include <optional>
#include <QSet>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace kb {

class Clock;

// The set selection's items. Only the first, compared exactly, draws questions
// of one entry; every other text, the second and an empty one included, draws two.
inline const QString kOneEntrySet = QStringLiteral("１文字");
inline const QString kTwoEntrySet = QStringLiteral("２文字");
enum class QuestionMode { OneEntry, TwoEntries };
inline QuestionMode questionModeOf(const QString& setText) {
    return setText == kOneEntrySet ? QuestionMode::OneEntry : QuestionMode::TwoEntries;
}
// Of the two entries of a question, one comes from the first 46: the list's
// common kana stand at its head, so every question holds one of them.
constexpr int kCommonEntries = 46;

// floor(kanaCount * r + 1) in double precision: 1..kanaCount, and 1 when the list is empty.
std::int16_t drawIndex(RandomSource& random, double timeOfDay, std::int16_t kanaCount);

// Draws questions as the game does, redrawing from the start on every
// exclusion hit. Which questions are excluded is worked out once per table, so
// a draw costs no string work, and a list that excludes every question is
// noticed at once instead of spinning. When the redraws go on and on, because
// the list leaves few questions, one draw picks among those left with the
// chances the redraws would give them, so a question never takes long.
class QuestionGenerator {
public:
    // The tables as loaded; they never change afterwards. Entries are numbered
    // from 1, as the game counts them.
    void prepare(QStringList kanaTable, QStringList exclusions);

    struct Environment {
        RandomSource& random;
        const Clock& clock; // its time of day is read at every draw
        QuestionMode mode;
    };
    // The next question, or nothing when every question of the mode is excluded.
    std::optional<QString> next(const Environment& env) const;

    bool excluded(const QString& question) const { return excludedSet_.contains(question); }
    // The lines of the exclusion list as loaded, repeated ones too.
    qsizetype listedExclusions() const { return excluded_.size(); }

private:
    // An empty list still draws entry 1, which reads as the empty text, as an
    // unfilled slot would.
    QString kana(int i) const { return kana_.value(i - 1); }
    // The loader stops at 100 entries, which int16 holds.
    std::int16_t kanaCount() const { return static_cast<std::int16_t>(kana_.size()); }

    QStringList kana_;
    QStringList excluded_;
    int slots_ = 1;                 // indexes 1..slots_ can be drawn
    std::vector<bool> oneExcluded_; // by a
    std::vector<bool> twoExcluded_; // by a * (slots_ + 1) + b
    bool oneAllExcluded_ = false;
    bool twoAllExcluded_ = false;
    std::vector<std::int16_t> oneLeft_;                          // a not excluded
    std::vector<std::pair<std::int16_t, std::int16_t>> twoLeft_; // (a, b) not excluded
    std::vector<double> twoLeftChance_; // running sum of their chances, in twoLeft_ order
    QSet<QString> excludedSet_;
};

} // namespace kb
