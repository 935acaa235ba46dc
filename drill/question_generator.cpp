#include "question_generator.h"

#include "core/error.h"

#include <cmath>

namespace kb {

std::int16_t drawIndex(RandomSource& random, double timeOfDay, std::int16_t kanaCount) {
    random.reseed(timeOfDay);
    const double r = random.next();
    const double index = std::floor(static_cast<double>(kanaCount) * r + 1.0);
    if (index < 0 || index > kKanaCapacity)
        throw Error(Error::Kind::IndexOutOfRange, QStringLiteral("かな.TXT"));
    return static_cast<std::int16_t>(index);
}

void QuestionGenerator::prepare(const DrillState& state) {
    excludedSet_.clear();
    excludedSet_.reserve(state.excludedCount);
    for (int i = 1; i <= state.excludedCount; ++i)
        excludedSet_.insert(state.excludedWords[static_cast<size_t>(i)]);

    slots_ = std::max<int>(1, state.kanaCount);
    const auto entry = [&](int i) -> const QString& {
        return state.kanaTable[static_cast<size_t>(i)];
    };
    oneExcluded_.assign(static_cast<size_t>(slots_ + 1), false);
    twoExcluded_.assign(static_cast<size_t>((slots_ + 1) * (slots_ + 1)), false);
    oneAllExcluded_ = true;
    twoAllExcluded_ = true;
    for (int a = 1; a <= slots_; ++a) {
        const bool ex = excludedSet_.contains(entry(a));
        oneExcluded_[static_cast<size_t>(a)] = ex;
        oneAllExcluded_ = oneAllExcluded_ && ex;
        for (int b = 1; b <= slots_; ++b) {
            if (a > 46 && b > 46) continue; // never drawn
            const bool pairEx =
                !excludedSet_.isEmpty() && excludedSet_.contains(entry(a) + entry(b));
            twoExcluded_[static_cast<size_t>(a * (slots_ + 1) + b)] = pairEx;
            twoAllExcluded_ = twoAllExcluded_ && pairEx;
        }
    }
}

std::optional<QString> QuestionGenerator::next(const DrillState& state,
                                               const Environment& env) const {
    for (;;) {
        const std::int16_t a = drawIndex(env.random, env.timeOfDay(), state.kanaCount);
        if (env.setText() == kOneEntrySet) {
            if (!oneExcluded_[static_cast<size_t>(a)])
                return state.kanaTable[static_cast<size_t>(a)];
            if (oneAllExcluded_) return std::nullopt;
            continue;
        }
        std::int16_t b = drawIndex(env.random, env.timeOfDay(), state.kanaCount);
        while (a > 46 && b > 46)
            b = drawIndex(env.random, env.timeOfDay(), state.kanaCount);
        if (!twoExcluded_[static_cast<size_t>(a * (slots_ + 1) + b)])
            return state.kanaTable[static_cast<size_t>(a)] +
                   state.kanaTable[static_cast<size_t>(b)];
        if (twoAllExcluded_) return std::nullopt;
    }
}

} // namespace kb
