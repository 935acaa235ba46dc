#include "question_generator.h"

#include "core/clock.h"
#include "core/error.h"

#include <algorithm>
#include <cmath>

namespace kb {
namespace {

// Redraws after an excluded question before one draw picks among the questions
// left. Only a list that excludes nearly every question of the mode gets there.
constexpr int kRedraws = 64;

} // namespace

std::int16_t drawIndex(RandomSource& random, double timeOfDay, std::int16_t kanaCount) {
    random.reseed(timeOfDay);
    const double r = random.next();
    const double index = std::floor(static_cast<double>(kanaCount) * r + 1.0);
    if (index < 0 || index > kKanaCapacity)
        throw Error(Error::Kind::IndexOutOfRange, QStringLiteral("かな.TXT"));
    return static_cast<std::int16_t>(index);
}

void QuestionGenerator::prepare(QStringList kanaTable, QStringList exclusions) {
    kana_ = std::move(kanaTable);
    excluded_ = std::move(exclusions);
    excludedSet_ = QSet<QString>(excluded_.cbegin(), excluded_.cend());

    slots_ = std::max<int>(1, kanaCount());
    std::vector<QString> entries(static_cast<size_t>(slots_ + 1));
    for (int i = 1; i <= slots_; ++i)
        entries[static_cast<size_t>(i)] = kana(i);
    const auto entry = [&](int i) -> const QString& { return entries[static_cast<size_t>(i)]; };
    // Up to 10,000 pairs are looked up at every start: one buffer serves them all.
    QString pair;
    oneExcluded_.assign(static_cast<size_t>(slots_ + 1), false);
    twoExcluded_.assign(static_cast<size_t>((slots_ + 1) * (slots_ + 1)), false);
    oneAllExcluded_ = true;
    twoAllExcluded_ = true;
    oneLeft_.clear();
    twoLeft_.clear();
    twoLeftChance_.clear();
    double chance = 0;
    for (int a = 1; a <= slots_; ++a) {
        const bool ex = excludedSet_.contains(entry(a));
        oneExcluded_[static_cast<size_t>(a)] = ex;
        oneAllExcluded_ = oneAllExcluded_ && ex;
        if (!ex) oneLeft_.push_back(static_cast<std::int16_t>(a));
        // b comes from the whole list, or from its common entries when a is above them.
        const double chanceOfPair =
            1.0 / slots_ / (a > kCommonEntries ? std::min(slots_, kCommonEntries) : slots_);
        for (int b = 1; b <= slots_; ++b) {
            if (a > kCommonEntries && b > kCommonEntries) continue; // never drawn
            bool pairEx = false;
            if (!excludedSet_.isEmpty()) {
                pair.resize(0);
                pair.append(entry(a)).append(entry(b));
                pairEx = excludedSet_.contains(pair);
            }
            twoExcluded_[static_cast<size_t>(a * (slots_ + 1) + b)] = pairEx;
            twoAllExcluded_ = twoAllExcluded_ && pairEx;
            if (!pairEx) {
                twoLeft_.emplace_back(static_cast<std::int16_t>(a), static_cast<std::int16_t>(b));
                chance += chanceOfPair;
                twoLeftChance_.push_back(chance);
            }
        }
    }
}

std::optional<QString> QuestionGenerator::next(const Environment& env) const {
    const auto entry = [&](int i) { return kana(i); };
    // One more draw picks among the questions left. Every redraw would end in
    // each of them with the same chance as this pick, so no chance changes.
    const auto drawLeft = [&] {
        env.random.reseed(env.clock.timeOfDay());
        return static_cast<double>(env.random.next());
    };
    for (int draw = 1;; ++draw) {
        const std::int16_t a = drawIndex(env.random, env.clock.timeOfDay(), kanaCount());
        if (env.mode == QuestionMode::OneEntry) {
            if (!oneExcluded_[static_cast<size_t>(a)]) return entry(a);
            if (oneAllExcluded_) return std::nullopt;
            if (draw >= kRedraws) {
                const auto i =
                    static_cast<size_t>(drawLeft() * static_cast<double>(oneLeft_.size()));
                return entry(oneLeft_[std::min(i, oneLeft_.size() - 1)]);
            }
            continue;
        }
        std::int16_t b = drawIndex(env.random, env.clock.timeOfDay(), kanaCount());
        while (a > kCommonEntries && b > kCommonEntries)
            b = drawIndex(env.random, env.clock.timeOfDay(), kanaCount());
        if (!twoExcluded_[static_cast<size_t>(a * (slots_ + 1) + b)]) return entry(a) + entry(b);
        if (twoAllExcluded_) return std::nullopt;
        if (draw >= kRedraws) {
            const double at = drawLeft() * twoLeftChance_.back();
            const auto it = std::upper_bound(twoLeftChance_.begin(), twoLeftChance_.end(), at);
            const auto& [left, right] = twoLeft_[std::min(
                static_cast<size_t>(it - twoLeftChance_.begin()), twoLeft_.size() - 1)];
            return entry(left) + entry(right);
        }
    }
}

} // namespace kb
