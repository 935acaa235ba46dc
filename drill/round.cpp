#include "round.h"

#include "core/int16.h"
#include "core/text_format.h"
#include "round_control.h"

namespace kb {

std::optional<QString> Round::nextQuestion(RandomSource& random,
                                           const std::function<double()>& timeOfDay,
                                           QuestionMode mode) {
    const std::optional<QString> question = questions_.next(state_, {random, timeOfDay, mode});
    state_.currentQuestion = question.value_or(QString());
    newlyWithoutQuestion_ = !question && hadQuestion_;
    hadQuestion_ = question.has_value();
    return question;
}

void Round::setTables(QStringList kana, QStringList excluded) {
    // The loader stops at 100 and 5000 entries, which int16 holds.
    state_.kanaCount = static_cast<std::int16_t>(kana.size());
    state_.kanaTable = std::move(kana);
    state_.excludedCount = static_cast<std::int16_t>(excluded.size());
    state_.excludedWords = std::move(excluded);
    questions_.prepare(state_);
}

Judged Round::judge(const QString& word) const {
    Judged j;
    j.question = state_.currentQuestion;
    j.word = word;
    j.verdict = kb::judge(j.question, word);
    j.counters = countedAfter(state_, j.verdict, word.size());
    // A question is appended once: not when the list held it at start-up or this
    // run added it already, and never past the list's capacity, so the next
    // start can still read it.
    if (j.verdict == Verdict::Exact && !questions_.excluded(j.question) &&
        !appendedExclusions_.contains(j.question)) {
        if (state_.excludedCount + appendedExclusions_.size() >= kExclusionCapacity)
            j.exclusionListFull = true;
        else
            j.exclude = true;
    }
    return j;
}

void Round::commit(const Judged& judged) {
    static_cast<RoundCounters&>(state_) = judged.counters;
    if (judged.exclude) appendedExclusions_.insert(judged.question);
}

void Round::start() {
    state_.typedChars = 0;
    state_.countdownActive = true;
    state_.matchCounts = {};
    state_.okCount = 0;
    state_.ngCount = 0;
    state_.score = 0;
}

int Round::countdownTick() {
    if (!state_.countdownActive) {
        state_.countdownStep = 0;
        return 0;
    }
    // The start button is disabled from the first step to the round's end, and
    // every idle tick in between sets the step back, so it never passes 3.
    state_.countdownStep = static_cast<std::int16_t>(state_.countdownStep + 1);
    if (state_.countdownStep == 3) state_.countdownActive = false;
    return state_.countdownStep;
}

void Round::begin(std::int32_t wholeSeconds) {
    state_.clockSeconds = wholeSeconds;
    state_.roundEndTime = state_.clockSeconds + state_.timeLimitSeconds;
    state_.roundRunning = true;
}

RoundTick Round::roundTick(std::int32_t wholeSeconds, std::int16_t barFullWidth) {
    if (!state_.roundRunning) return {};
    state_.clockSeconds = wholeSeconds;
    state_.remainingSeconds =
        toInt16(static_cast<long long>(state_.roundEndTime) - state_.clockSeconds);
    RoundTick tick;
    tick.running = true;
    tick.barWidth = barWidth(state_.remainingSeconds, state_.timeLimitSeconds, barFullWidth);
    if (state_.remainingSeconds >= 1) return tick;
    state_.roundRunning = false;
    tick.ended = true;
    return tick;
}

bool Round::canSave() const {
    return !(state_.okCount == 0 && state_.ngCount == 0) && !state_.roundRunning &&
           !state_.countdownActive;
}

HistoryRecord Round::record(const QDateTime& now, const QString& setText) const {
    HistoryRecord r;
    r.date = formatDate(now.date());
    r.time = formatTime(now.time());
    r.set = setText.left(1);
    r.okCount = state_.okCount;
    r.ngCount = state_.ngCount;
    r.typedChars = state_.typedChars;
    r.score = state_.score;
    r.rate = rateText(state_.okCount, state_.ngCount);
    r.speed = speedText(state_.typedChars, state_.timeLimitSeconds);
    r.length = QString::number(state_.timeLimitSeconds) + QStringLiteral("秒");
    return r;
}

std::int16_t roundLengthOf(const QString& itemText) {
    const QString text = itemText.trimmed();
    qsizetype n = 0;
    while (n < text.size() && text[n].unicode() >= u'0' && text[n].unicode() <= u'9')
        ++n;
    // Six digits are enough to overflow int16, as the longest item would.
    return toInt16(n == 0 ? 0 : text.left(std::min<qsizetype>(n, 6)).toLongLong(),
                   QStringLiteral("設定.txt"));
}

} // namespace kb
