#include "round.h"

#include "core/clock.h"
#include "core/int16.h"
#include "core/text_format.h"
#include "round_control.h"

#include <algorithm>

namespace kb {
namespace {

template <typename F> Figure figure(F form) {
    try {
        return {form(), std::nullopt};
    } catch (const Error& e) {
        return {QString(), e};
    }
}

} // namespace

const QString& Figure::value() const {
    if (error) throw *error;
    return text;
}

void Round::setTables(QStringList kana, const QStringList& excluded) {
    questions_.prepare(std::move(kana), excluded);
}

QuestionChange Round::nextQuestion(QuestionMode mode) {
    const std::optional<QString> q = questions_.next({random_, clock_, mode});
    question_ = q.value_or(QString());
    // Said once, not after every Enter, and again only once a question came up
    // in between (another mode, say).
    const QuestionChange change{question_, !q && hadQuestion_};
    hadQuestion_ = q.has_value();
    if (phase_ == Phase::Running) questionShown();
    return change;
}

// Only the round's own questions are kept: a word judged before it, during the
// countdown or after its end belongs to no question the round showed.
void Round::questionShown() {
    closeShownQuestion();
    if (question_.isEmpty()) return; // none left to show
    QuestionRecord r;
    r.question = question_;
    shown_.push_back(r);
    shownSince_ = clock_.monotonicMs();
}

void Round::closeShownQuestion() {
    if (shownSince_ < 0) return;
    shown_.back().shownMs = msSinceShown();
    shownSince_ = -1;
}

std::int32_t Round::msSinceShown() const {
    const std::int64_t ms = clock_.monotonicMs() - shownSince_;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(ms, 0, INT32_MAX));
}

void Round::tally(Verdict verdict) {
    if (phase_ != Phase::Running || shownSince_ < 0) return;
    QuestionRecord& r = shown_.back();
    switch (verdict) {
    case Verdict::Exact:
        r.excluded = true;
        return;
    case Verdict::Rejected:
        ++r.rejected;
        return;
    case Verdict::Head:
        ++r.head;
        break;
    case Verdict::Tail:
        ++r.tail;
        break;
    case Verdict::Inside:
        ++r.inside;
        break;
    }
    if (r.firstAcceptedMs < 0) r.firstAcceptedMs = msSinceShown();
}

Answered Round::answer(const QString& word, QuestionMode mode, ExclusionWriter& exclusions) {
    Answered a;
    a.question = question_;
    a.verdict = judge(question_, word);
    a.counters = countedAfter(counters_, a.verdict, word.size());
    if (a.verdict == Verdict::Exact) {
        // A question is appended once: not when the list held it at start-up or
        // this run added it already, and never past the list's capacity, so the
        // next start can still read it.
        if (!questions_.excluded(a.question) && !appendedExclusions_.contains(a.question)) {
            a.exclusionListFull =
                questions_.listedExclusions() + appendedExclusions_.size() >= kExclusionCapacity;
            a.excluded = !a.exclusionListFull;
        }
        if (a.excluded) exclusions.appendExclusion(a.question);
    } else {
        // A rejected word leaves the box empty before the line takes its text.
        a.logLine = a.question + QStringLiteral(" _ ") +
                    (a.verdict == Verdict::Rejected ? QString() : word);
    }
    counters_ = a.counters;
    tally(a.verdict);
    if (a.excluded) appendedExclusions_.insert(a.question);
    a.next = nextQuestion(mode);
    return a;
}

bool Round::start() {
    if (settings_.timeLimitSeconds < 1) return false;
    counters_ = {};
    shown_.clear();
    shownSince_ = -1;
    phase_ = Phase::Countdown;
    // A one-second round can end before the countdown timer's next tick.
    countdownStep_ = 0;
    return true;
}

CountdownStep Round::countdownTick(QuestionMode mode) {
    if (phase_ != Phase::Countdown) return {};
    CountdownStep step;
    step.lamp = ++countdownStep_;
    if (step.lamp < 3) return step;
    phase_ = Phase::Idle;
    step.first = nextQuestion(mode);
    return step;
}

void Round::begin() {
    roundEndTime_ = clock_.wholeSeconds() + settings_.timeLimitSeconds;
    phase_ = Phase::Running;
    questionShown(); // the countdown's question, now in front of the player
}

RoundTick Round::roundTick(std::int16_t barFullWidth) {
    if (phase_ != Phase::Running) return {};
    const std::int16_t remaining =
        toInt16(static_cast<long long>(roundEndTime_) - clock_.wholeSeconds());
    RoundTick tick;
    tick.running = true;
    tick.barWidth = barWidth(remaining, settings_.timeLimitSeconds, barFullWidth);
    if (remaining >= 1) return tick;
    closeShownQuestion();
    phase_ = Phase::Idle;
    tick.ended = summary();
    tick.autoSave = settings_.autoSave == 1;
    return tick;
}

RoundSummary Round::summary() const {
    const RoundCounters& c = counters_;
    return {figure([&] { return speedText(c.typedChars, settings_.timeLimitSeconds); }),
            figure([&] { return rateText(c.okCount, c.ngCount); }), QString::number(c.typedChars)};
}

bool Round::canSave() const {
    return phase_ == Phase::Idle && !(counters_.okCount == 0 && counters_.ngCount == 0);
}

std::optional<HistoryRecord> Round::toSave(const QString& setText) const {
    if (!canSave()) return std::nullopt;
    return toSave(setText, summary());
}

std::optional<HistoryRecord> Round::toSave(const QString& setText,
                                           const RoundSummary& figures) const {
    if (!canSave()) return std::nullopt;
    const RoundCounters& c = counters_;
    const QDateTime now = clock_.localNow();
    HistoryRecord r;
    r.date = formatDate(now.date());
    r.time = formatTime(now.time());
    r.set = setText.left(1);
    r.okCount = c.okCount;
    r.ngCount = c.ngCount;
    r.typedChars = c.typedChars;
    r.score = c.score;
    r.rate = figures.rate.value();
    r.speed = figures.speed.value();
    r.length = QString::number(settings_.timeLimitSeconds) + QStringLiteral("秒");
    return r;
}

std::vector<QuestionRecord> Round::questionLines(const HistoryRecord& saved) const {
    std::vector<QuestionRecord> lines = shown_;
    for (QuestionRecord& line : lines) {
        line.date = saved.date;
        line.time = saved.time;
        line.set = saved.set;
    }
    return lines;
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
