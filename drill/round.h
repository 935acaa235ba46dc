#pragma once

#include "answer_judge.h"
#include "core/error.h"
#include "core/history_record.h"
#include "core/question_record.h"
#include "drill_state.h"
#include "question_generator.h"

#include <optional>
#include <QSet>
#include <vector>

namespace kb {

class Clock;

// Where a question answered exactly goes for good: the exclusion file in the
// game, a list in a test. Throws when the question cannot be stored.
class ExclusionWriter {
public:
    virtual ~ExclusionWriter() = default;
    virtual void appendExclusion(const QString& question) = 0;
};

// A question put in front of the player.
struct QuestionChange {
    QString question;      // empty when none is left
    bool noneLeft = false; // tell the player: none is left, where one was before
};

// What one Enter in the answer box did, all of it stored.
struct Answered {
    QString question; // the one the word was judged against
    Verdict verdict = Verdict::Rejected;
    RoundCounters counters;         // after this word
    bool excluded = false;          // the question went to the exclusion list
    bool exclusionListFull = false; // it would have, but the list is full: tell the player
    std::optional<QString> logLine; // the answer list's new line; none for an exact word
    QuestionChange next;
};

// A statistic as text, or the error that kept it from being formed.
struct Figure {
    QString text;
    std::optional<Error> error;
    // The text; throws the error instead when there is none.
    const QString& value() const;
};

// The statistics of a round's end, formed once for its labels and its save.
struct RoundSummary {
    Figure speed; // "2.63/秒"
    Figure rate;  // "75.0%"
    QString typedChars;
};

// What a tick of the countdown timer did.
struct CountdownStep {
    int lamp = 0; // the lamp to light, 1 to 3; 0: no countdown runs, the tick did nothing
    // With the third lamp, the round's first question; begin() follows once it is shown.
    std::optional<QuestionChange> first;
};

// What a tick of the round timer did.
struct RoundTick {
    bool running = false;              // false: no round, the tick did nothing
    int barWidth = 0;                  // twips
    std::optional<RoundSummary> ended; // the time is up: this tick ended the round
    bool autoSave = false;             // and the round is to be saved by itself
};

// The game's rules over the drill's state: judging, drawing questions, the
// countdown, the round's clock and what a save holds. No widget, file or
// dialog: each event is one call that answers with what changed, and what
// must outlive the process goes through the writer given, before anything is
// stored.
class Round {
public:
    Round(RandomSource& random, const Clock& clock) : random_(random), clock_(clock) {}

    // The tables as read at start-up; from now on questions can be drawn.
    void setTables(QStringList kana, const QStringList& excluded);
    void setTimeLimit(std::int16_t seconds) { settings_.timeLimitSeconds = seconds; }
    void setAutoSave(std::int16_t value) { settings_.autoSave = value; }

    Phase phase() const { return phase_; }
    const RoundSettings& settings() const { return settings_; }
    const RoundCounters& counters() const { return counters_; }
    const QString& question() const { return question_; }

    // An Enter on a word, in any phase: judged against the question, the
    // question written to the exclusion list when the word is exactly it, the
    // counters stored and the next question drawn. Throws, and then nothing has
    // changed, when a counter would leave int16 or the exclusion is not written.
    Answered answer(const QString& word, QuestionMode mode, ExclusionWriter& exclusions);
    // Draws the next question and makes it current.
    QuestionChange nextQuestion(QuestionMode mode);

    // The start button: false, and nothing changes, when the round length in
    // force is below 1 second, which a hand-edited 設定.txt can give. Else the
    // counters go to zero and the countdown begins.
    bool start();
    // One tick of the countdown timer; the third lamp also draws the first question.
    CountdownStep countdownTick(QuestionMode mode);
    // Starts the round's clock, once the first question is in front of the
    // player: a message box may stand between.
    void begin();
    RoundTick roundTick(std::int16_t barFullWidth);

    // The statistics as the counters stand now.
    RoundSummary summary() const;
    // What a save stores: the counters, the set's first character, the length in
    // force, and the figures given or else formed now. Nothing while nothing was
    // judged, or a round or its countdown runs. Throws a figure's error.
    std::optional<HistoryRecord> toSave(const QString& setText) const;
    std::optional<HistoryRecord> toSave(const QString& setText, const RoundSummary& figures) const;
    // What each question did while the last round ran, in the order they were
    // shown, under the saved record's date, time and set. Kept until the next
    // start, so a second save of the round writes them again with its record.
    std::vector<QuestionRecord> questionLines(const HistoryRecord& saved) const;

private:
    bool canSave() const;
    // A question comes up while the round runs: the one before it is done.
    void questionShown();
    void closeShownQuestion();
    void tally(Verdict verdict);
    std::int32_t msSinceShown() const;

    RandomSource& random_;
    const Clock& clock_;
    QuestionGenerator questions_; // holds the tables
    RoundSettings settings_;
    Phase phase_ = Phase::Idle;
    std::int16_t countdownStep_ = 0; // the lamp lit during the countdown
    std::int32_t roundEndTime_ = 0;  // whole seconds
    RoundCounters counters_;
    QString question_;
    QSet<QString> appendedExclusions_;  // questions this run has added to the list
    bool hadQuestion_ = true;           // the start counts as having had one
    std::vector<QuestionRecord> shown_; // this round's questions, date, time and set left empty
    std::int64_t shownSince_ = -1;      // when the last of shown_ came up; -1: none is up
};

// The round length a picked item stands for: its leading decimal digits.
std::int16_t roundLengthOf(const QString& itemText);

} // namespace kb
