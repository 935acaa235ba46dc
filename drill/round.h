#pragma once

#include "answer_judge.h"
#include "core/history_record.h"
#include "drill_state.h"
#include "question_generator.h"

#include <optional>
#include <QDateTime>
#include <QSet>

namespace kb {

// What an Enter in the answer box decides, before anything is stored.
struct Judged {
    QString question, word;
    Verdict verdict = Verdict::Rejected;
    RoundCounters counters;         // after this word
    bool exclude = false;           // append the question to the exclusion list first
    bool exclusionListFull = false; // it would be excluded, but the list is full
};

// What a tick of the round timer found.
struct RoundTick {
    bool running = false; // false: no round, the tick did nothing
    int barWidth = 0;     // twips
    bool ended = false;   // the time is up: this tick ended the round
};

// The game's rules over the drill state: judging, the countdown, the round's
// clock, what may be saved and what a saved round holds. No widget, file or
// dialog: the window asks, writes what must outlive the process, then commits.
class Round {
public:
    const DrillState& state() const { return state_; }
    // The tables as read at start-up; from now on questions can be drawn.
    void setTables(QStringList kana, QStringList excluded);
    // For tests that set up a state no play would reach quickly.
    DrillState& stateForTests() { return state_; }

    void setTimeLimit(std::int16_t seconds) { state_.timeLimitSeconds = seconds; }
    void setAutoSave(std::int16_t value) { state_.autoSave = value; }

    // Draws the next question and makes it current; nothing when every question
    // of the mode is excluded, and the question is then empty.
    std::optional<QString>
    nextQuestion(RandomSource& random, const std::function<double()>& timeOfDay, QuestionMode mode);
    // Whether the last draw found no question after one was possible: the
    // player is told once, not after every Enter, and again only once a
    // question came up in between (another mode, say).
    bool newlyWithoutQuestion() const { return newlyWithoutQuestion_; }

    // Judges a word against the current question. Throws an overflow error, and
    // then nothing has changed, when a counter would leave int16.
    Judged judge(const QString& word) const;
    // Stores what judge decided, once the exclusion (if any) is written.
    void commit(const Judged& judged);

    // Whether a round of the length in force can start: not below 1 second,
    // which a hand-edited 設定.txt can give.
    bool canStart() const { return state_.timeLimitSeconds >= 1; }
    // The start button: the counters go to zero and the countdown begins.
    void start();
    // One tick of the countdown timer: 0 when no countdown runs, else the lamp
    // to light, 1 to 3. With 3 the countdown is over: draw the first question,
    // then begin the round.
    int countdownTick();
    void begin(std::int32_t wholeSeconds);
    RoundTick roundTick(std::int32_t wholeSeconds, std::int16_t barFullWidth);

    bool autoSaveDue() const { return state_.autoSave == 1; }
    // The last round's counters, unless nothing was judged or a round or its
    // countdown runs.
    bool canSave() const;
    // The ten items a save stores, as the clock and the set selection read now.
    // Throws when the round length is 0.
    HistoryRecord record(const QDateTime& now, const QString& setText) const;

private:
    DrillState state_;
    QuestionGenerator questions_;
    QSet<QString> appendedExclusions_; // questions this run has added to the file
    bool hadQuestion_ = true;          // the start counts as having had one
    bool newlyWithoutQuestion_ = false;
};

// The round length a picked item stands for: its leading decimal digits.
std::int16_t roundLengthOf(const QString& itemText);

} // namespace kb
