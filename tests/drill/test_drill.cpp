// The drill's rules without a window, from judging to what a saved round holds.

#include "core/error.h"
#include "drill/round.h"
#include "support/fake_clock.h"

#include <QMap>
#include <QTest>

using namespace kb;
using kb::test::FakeClock;

namespace {

using Counter = std::int16_t RoundCounters::*;
const QList<std::pair<const char*, Counter>> kCounters{
    {"ok", &RoundCounters::okCount},          {"ng", &RoundCounters::ngCount},
    {"typed", &RoundCounters::typedChars},    {"score", &RoundCounters::score},
    {"head", &RoundCounters::headMatches},    {"tail", &RoundCounters::tailMatches},
    {"inside", &RoundCounters::insideMatches}};

// The counters that are not 0, by name: "ok 1 typed 2 score 1 head 1".
QString named(const RoundCounters& c) {
    QStringList s;
    for (const auto& [name, field] : kCounters)
        if (c.*field) s << QStringLiteral("%1 %2").arg(name).arg(c.*field);
    return s.join(QLatin1Char(' '));
}

// The kind of error f throws; -1 when it throws none.
template <typename F> int errorOf(F f) try {
    f();
    return -1;
} catch (const Error& e) {
    return int(e.kind());
}

// Every question the mode draws from the entries "1." to "n.", but those left.
QStringList allQuestions(int n, QuestionMode mode, const QStringList& left = {}) {
    QStringList kana, all;
    for (int i = 1; i <= n; ++i)
        kana << QString::number(i) + QLatin1Char('.');
    if (mode == QuestionMode::OneEntry) all = kana;
    for (int a = 1; a <= n && mode == QuestionMode::TwoEntries; ++a)
        for (int b = 1; b <= n; ++b)
            if (a <= kCommonEntries || b <= kCommonEntries) all << kana[a - 1] + kana[b - 1];
    for (const QString& q : left)
        all.removeOne(q);
    return all;
}

// The exclusion list as the test keeps it; it refuses writes as a full disk would.
struct ExclusionList final : ExclusionWriter {
    QStringList written;
    bool refuse = false;
    void appendExclusion(const QString& question) override {
        if (refuse) throw Error(Error::Kind::CannotWrite, QStringLiteral("不要.TXT"));
        written << question;
    }
};

// A round of 60 seconds over its tables, played through its public events.
struct Game {
    FakeClock clock;
    RandomSource random{7};
    ExclusionList list;
    Round round{random, clock};

    explicit Game(const QStringList& kana = {}, const QStringList& excluded = {}) {
        round.setTables(kana, excluded);
        round.setTimeLimit(60);
    }
    // Draws one-entry questions until q is current; q must be in the kana table.
    void ask(const QString& q) {
        for (int draws = 0; round.question() != q; ++draws) {
            if (draws == 1000) qFatal("the question never came up");
            round.nextQuestion(QuestionMode::OneEntry);
        }
    }
    // Answers "question=word", or a word to the current question.
    Answered answer(const QString& input) {
        const QStringList qw = input.split(QLatin1Char('='));
        if (qw.size() > 1) ask(qw[0]);
        return round.answer(qw.last(), QuestionMode::OneEntry, list);
    }
};

// The questions of "question=word" inputs, for the kana table.
QStringList questionsOf(const QStringList& inputs) {
    QStringList qs;
    for (const QString& input : inputs)
        if (input.contains(QLatin1Char('='))) qs << input.section(QLatin1Char('='), 0, 0);
    qs.removeDuplicates();
    return qs;
}

} // namespace

class TestDrill : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The counters after the answers, then per answer whether its question is appended to the
    // exclusion list (x), would be but the list is full (f), or neither (-). An exact answer is
    // appended once a run, and not once the 5000 are full.
    void answers_data() {
        QTest::addColumn<QString>("answers"); // question=word, in turn
        QTest::addColumn<int>("listed");      // exclusions at start, all ん
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("appended");
        const auto row = [](const char* name, const char* answers, int listed, const char* after,
                            const char* appended) {
            QTest::newRow(name) << QString(answers) << listed << QString(after)
                                << QString(appended);
        };
        row("exact", "あ=あ", 0, "typed 1", "x");
        row("head", "あ=あさ", 0, "ok 1 typed 2 score 1 head 1", "-");
        row("tail", "あ=いあ", 0, "ok 1 typed 2 score 2 tail 1", "-");
        row("inside", "あ=かあさ", 0, "ok 1 typed 3 score 3 inside 1", "-");
        row("rejected", "あい=いあ", 0, "ng 1 score -1", "-");
        row("head wins over tail", "あ=あいあ", 0, "ok 1 typed 3 score 1 head 1", "-");
        row("tail over inside", "あ=かあいあ", 0, "ok 1 typed 4 score 2 tail 1", "-");
        row("katakana differs", "あ=ア", 0, "ng 1 score -1", "-");
        row("case differs", "a=A", 0, "ng 1 score -1", "-");
        row("before any question: head", "いぬ", 0, "ok 1 typed 2 score 1 head 1", "-");
        row("surrogate pair: two", "𠀋=𠀋", 0, "typed 2", "x");
        row("the list holds 5000", "あ=あ", 5000, "typed 1", "f");
        row("one place left", "あ=あ あ=あ い=い", 4999, "typed 3", "x-f");
    }
    void answers() {
        QFETCH(QString, answers);
        QFETCH(int, listed);
        QFETCH(QString, after);
        QFETCH(QString, appended);
        const QStringList inputs = answers.split(QLatin1Char(' '));
        Game g(questionsOf(inputs), QStringList(listed, QStringLiteral("ん")));
        QString outcomes;
        QStringList excluded;
        for (const QString& input : inputs) {
            const Answered a = g.answer(input);
            outcomes += QLatin1Char(a.excluded ? 'x' : a.exclusionListFull ? 'f' : '-');
            if (a.excluded) excluded << a.question;
            QCOMPARE(a.counters, g.round.counters());
            QCOMPARE(a.next.question, g.round.question());
        }
        QCOMPARE(named(g.round.counters()), after);
        QCOMPARE(outcomes, appended);
        QCOMPARE(g.list.written, excluded);
    }

    // Every counter is checked at the edge of int16.
    void overflow_data() {
        QTest::addColumn<QString>("counter"); // at its edge before the word
        QTest::addColumn<int>("before");
        QTest::addColumn<QString>("word"); // to the question あ
        QTest::newRow("characters") << "typed" << 32767 << "あ";
        QTest::newRow("score at the top") << "score" << 32765 << "かあさ";
        QTest::newRow("score at the bottom") << "score" << -32768 << "ぬ";
        QTest::newRow("accepted words") << "ok" << 32767 << "いあ";
        QTest::newRow("rejected words") << "ng" << 32767 << "ぬ";
        QTest::newRow("head matches") << "head" << 32767 << "あさ";
        QTest::newRow("tail matches") << "tail" << 32767 << "いあ";
        QTest::newRow("inside matches") << "inside" << 32767 << "かあさ";
    }
    void overflow() {
        QFETCH(QString, counter);
        QFETCH(int, before);
        QFETCH(QString, word);
        RoundCounters c;
        for (const auto& [name, field] : kCounters)
            if (counter == QLatin1String(name)) c.*field = std::int16_t(before);
        QCOMPARE(errorOf([&] { countedAfter(c, judge(u"あ", word), word.size()); }),
                 int(Error::Kind::Overflow));
    }

    // Judged, written, then stored: a word that overflows a counter or an exclusion that is
    // not written leaves everything as it was, the question too, and play goes on.
    void failedAnswerChangesNothing_data() {
        QTest::addColumn<bool>("refuse"); // the exclusion list refuses the write
        QTest::addColumn<int>("error");
        QTest::newRow("too many characters") << false << int(Error::Kind::Overflow);
        QTest::newRow("exclusion not written") << true << int(Error::Kind::CannotWrite);
    }
    void failedAnswerChangesNothing() {
        QFETCH(bool, refuse);
        QFETCH(int, error);
        Game g({QStringLiteral("あ"), QStringLiteral("い")});
        g.ask(QStringLiteral("あ")); // a head word of 2 characters, or of 32767
        g.answer(QStringLiteral("あ") + QString(refuse ? 1 : 32766, QChar(u'さ')));
        g.ask(QStringLiteral("あ"));
        const RoundCounters before = g.round.counters();
        const int clockReads = g.clock.todReads;
        g.list.refuse = refuse;
        QCOMPARE(errorOf([&] { g.answer(QStringLiteral("あ")); }), error);
        QCOMPARE(named(g.round.counters()), named(before));
        QCOMPARE(g.round.question(), QStringLiteral("あ"));
        QCOMPARE(g.clock.todReads, clockReads); // no question drawn
        QVERIFY(g.list.written.isEmpty());
        g.list.refuse = false; // play goes on; a refused exclusion is tried again
        const Answered next = g.answer(refuse ? QStringLiteral("あ") : QStringLiteral("い"));
        QCOMPARE(next.excluded, refuse);
        QCOMPARE(g.list.written.size(), refuse ? 1 : 0);
    }

    void drawsCoverTheListEvenly() {
        RandomSource random(42);
        QMap<int, int> seen;
        for (int i = 0; i < 1000 * kKanaCapacity; ++i)
            ++seen[drawIndex(random, 3600.25, kKanaCapacity)]; // one clock value still varies
        QCOMPARE(seen.keys().size(), kKanaCapacity);
        QCOMPARE(seen.lastKey(), kKanaCapacity);
        for (int count : seen)
            QVERIFY(count > 850 && count < 1150);
        QCOMPARE(errorOf([&] { drawIndex(random, 1.0, 999); }), int(Error::Kind::IndexOutOfRange));
    }

    void drawsMixTheClockIn() {
        RandomSource a(5), b(5); // the same seed: only the clock tells them apart
        QList<int> first, other;
        for (int i = 0; i < 8; ++i)
            first << drawIndex(a, 1.5, 100), other << drawIndex(b, 2.5, 100);
        QVERIFY(first != other);
    }

    // Exclusions match whole questions exactly; entries past the first 46 pair only with those.
    // With nearly all excluded, 64 draws and a pick among those left keep the redraws' chances.
    void questions_data() {
        QTest::addColumn<QStringList>("kana");
        QTest::addColumn<QStringList>("excluded");
        QTest::addColumn<QString>("set");
        QTest::addColumn<QStringList>("drawn"); // in order; empty: none left, none current
        QTest::addColumn<int>("reads");         // by the slowest question; 0: not fixed
        QTest::addColumn<double>("share");      // of drawn[0]; 0: not fixed
        const QStringList ai{"あ", "い"}, some{"あ", "イ", "あい"}, a{"あ"}, none, empty{""};
        const QStringList pairs{"ああ", "いあ", "いい"};
        const auto one = QuestionMode::OneEntry, two = QuestionMode::TwoEntries;
        const auto kana = [](int n) { return allQuestions(n, QuestionMode::OneEntry); };
        QTest::newRow("one entry") << ai << some << "１文字" << QStringList{"い"} << 0 << 0.0;
        QTest::newRow("any other set is two") << ai << some << "" << pairs << 0 << 0.0;
        QTest::newRow("every question excluded") << a << a << "１文字" << none << 0 << 0.0;
        QTest::newRow("empty list: empty question") << none << none << "" << empty << 0 << 0.0;
        QTest::newRow("which an empty exclusion bars") << none << empty << "" << none << 0 << 0.0;
        QTest::newRow("50 entries") << kana(50) << none << "" << allQuestions(50, two) << 0 << 0.0;
        const QStringList ends{"1.", "100."}, common{"2.3.", "45.44."}, past{"46.1.", "50.1."};
        QTest::newRow("nearly all of one")
            << kana(100) << allQuestions(100, one, ends) << "１文字" << ends << 65 << 0.5;
        QTest::newRow("nearly all common")
            << kana(46) << allQuestions(46, two, common) << "２文字" << common << 129 << 0.5;
        // A pair past the common entries draws b from 46, not 60: 60/46 times as likely.
        QTest::newRow("nearly all, past common")
            << kana(60) << allQuestions(60, two, past) << "２文字" << past << 0 << 46.0 / 106;
    }
    void questions() {
        QFETCH(QStringList, kana);
        QFETCH(QStringList, excluded);
        QFETCH(QString, set);
        QFETCH(QStringList, drawn);
        QFETCH(int, reads);
        QFETCH(double, share);
        Game g(kana, excluded);
        g.clock.tod = 2.0;
        int slowest = 0;
        QMap<QString, int> seen;
        for (int i = 0; i < 40000; ++i) {
            g.clock.todReads = 0;
            const QuestionChange q = g.round.nextQuestion(questionModeOf(set));
            QCOMPARE(g.round.question(), q.question);
            QCOMPARE(q.noneLeft, drawn.isEmpty() && i == 0); // said once
            if (!drawn.isEmpty()) ++seen[q.question];
            slowest = std::max(slowest, g.clock.todReads);
        }
        drawn.sort();
        QCOMPARE(seen.keys(), drawn);
        if (reads > 0) QCOMPARE(slowest, reads);
        if (share > 0) QVERIFY(qAbs(seen.value(drawn.value(0)) / 40000.0 - share) < 0.02);
    }

    // The start sets every counter to zero, unless no round length is in force.
    void startZeroesTheCounters() {
        Game g({QStringLiteral("あ")});
        g.answer(QStringLiteral("あ=かあ"));
        g.round.setTimeLimit(0);
        QVERIFY(!g.round.start());
        QCOMPARE(named(g.round.counters()), QStringLiteral("ok 1 typed 2 score 2 tail 1"));
        g.round.setTimeLimit(60);
        QVERIFY(g.round.start());
        QCOMPARE(named(g.round.counters()), QString());
    }

    // Three lamps, one a tick; the third draws the first question, and the round's clock
    // starts once it is shown. Lamps begin at the first again even when a one-second
    // round ended before the countdown timer ticked in between.
    void countdownLightsThreeLampsThenTheRoundRuns() {
        Game g({QStringLiteral("あ")});
        g.round.setTimeLimit(1);
        QCOMPARE(g.round.countdownTick(QuestionMode::OneEntry).lamp, 0);
        for (int round = 0; round < 2; ++round) {
            g.round.start();
            for (int lamp = 1; lamp <= 3; ++lamp) {
                const CountdownStep step = g.round.countdownTick(QuestionMode::OneEntry);
                QCOMPARE(step.lamp, lamp);
                QCOMPARE(step.first.has_value(), lamp == 3);
            }
            QCOMPARE(g.round.question(), QStringLiteral("あ"));
            g.round.begin();
            QCOMPARE(g.round.phase(), Phase::Running);
            ++g.clock.seconds;
            QVERIFY(g.round.roundTick(8745).ended);
        }
    }

    // The bar: whole seconds left over the length in force. No second left ends the round,
    // and in these rows only that empties the bar.
    void roundTicks_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("lengthNow"); // may change after the start
        QTest::addColumn<int>("elapsed");
        QTest::addColumn<int>("width"); // of 8745 twips; -1: no length to divide by
        QTest::newRow("one second left") << 60 << 60 << 59 << 145;
        QTest::newRow("time is up") << 60 << 60 << 60 << 0;
        QTest::newRow("late tick: none below empty") << 10000 << 10000 << 10001 << 0;
        QTest::newRow("one twip left") << 5000 << 5000 << 4999 << 1;
        QTest::newRow("a one-second round") << 1 << 1 << 0 << 8745;
        QTest::newRow("shortened: the end stays") << 60 << 10 << 5 << 48097;
        QTest::newRow("no round length") << 0 << 0 << 0 << -1;
    }
    void roundTicks() {
        QFETCH(int, length);
        QFETCH(int, lengthNow);
        QFETCH(int, elapsed);
        QFETCH(int, width);
        Game g;
        g.round.setTimeLimit(std::int16_t(length));
        g.round.begin();
        g.round.setTimeLimit(std::int16_t(lengthNow));
        g.clock.seconds += elapsed;
        RoundTick t;
        QCOMPARE(errorOf([&] { t = g.round.roundTick(8745); }),
                 width < 0 ? int(Error::Kind::DivisionByZero) : -1);
        if (width < 0) return;
        QCOMPARE(t.barWidth, width);
        QCOMPARE(t.ended.has_value(), width == 0);
        QCOMPARE(g.round.roundTick(8745).running, width > 0);
    }

    // The tick that ends a round forms its figures, and saves by itself only at 1.
    void roundEnd_data() {
        QTest::addColumn<QString>("words"); // to the question あ
        QTest::addColumn<int>("autoSave");
        QTest::addColumn<QString>("shown"); // characters, rate, speed
        QTest::newRow("a round, saved") << "あさ かあ かあさ ぬ" << 1 << "7 75.0% 0.12/秒";
        QTest::newRow("only exact words, off") << "あ あ" << 0 << "2 0.0% 0.03/秒";
        QTest::newRow("greyed") << "ぬ" << 2 << "0 0.0% 0.00/秒";
        QTest::newRow("-1") << "あさ" << -1 << "2 100.0% 0.03/秒";
    }
    void roundEnd() {
        QFETCH(QString, words);
        QFETCH(int, autoSave);
        QFETCH(QString, shown);
        Game g({QStringLiteral("あ")});
        g.round.setAutoSave(std::int16_t(autoSave));
        g.round.begin();
        for (const QString& word : words.split(QLatin1Char(' ')))
            g.answer(QStringLiteral("あ=") + word);
        g.clock.seconds += 60;
        const RoundTick t = g.round.roundTick(8745);
        const RoundSummary& end = t.ended.value();
        QCOMPARE(end.typedChars + u' ' + end.rate.value() + u' ' + end.speed.value(), shown);
        QCOMPARE(t.autoSave, autoSave == 1);
    }

    // A save needs a judged answer and no round or its countdown going on; it holds the
    // counters, the set's first character and the round length.
    void saves_data() {
        QTest::addColumn<QString>("words"); // to the question あ, once the countdown ticked
        QTest::addColumn<int>("ticks");     // of the countdown; -1: none started
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("cells"); // after date, time and set; empty: 0 s; -: none
        QTest::newRow("a round") << "あさ かあ かあさ ぬ" << -1 << 60
                                 << "3|1|7|5|75.0%|0.12/秒|60秒";
        QTest::newRow("one second") << "あさ" << -1 << 1 << "1|0|2|1|100.0%|2.00/秒|1秒";
        QTest::newRow("nothing judged") << "あ" << -1 << 60 << "-";
        QTest::newRow("no round length") << "ぬ" << -1 << 0 << "";
        QTest::newRow("during the countdown") << "あさ" << 0 << 60 << "-";
        QTest::newRow("during the round") << "あさ" << 3 << 60 << "-";
    }
    void saves() {
        QFETCH(QString, words);
        QFETCH(int, ticks);
        QFETCH(int, length);
        QFETCH(QString, cells);
        Game g({QStringLiteral("あ")});
        g.ask(QStringLiteral("あ"));
        g.clock.now = QDateTime(QDate(2009, 6, 21), QTime(21, 7, 5));
        if (ticks >= 0) g.round.start();
        for (int i = 0; i < ticks; ++i)
            g.round.countdownTick(QuestionMode::OneEntry);
        if (ticks == 3) g.round.begin();
        g.round.setTimeLimit(std::int16_t(length));
        for (const QString& word : words.split(QLatin1Char(' ')))
            g.answer(word);
        std::optional<HistoryRecord> got;
        QCOMPARE(errorOf([&] { got = g.round.toSave(kTwoEntrySet); }),
                 cells.isEmpty() ? int(Error::Kind::DivisionByZero) : -1);
        QCOMPARE(got.has_value(), !cells.isEmpty() && cells != QLatin1String("-"));
        if (!got) return;
        const auto all = got->cells();
        QCOMPARE(QStringList(all.begin(), all.end()).join(QLatin1Char('|')),
                 QStringLiteral("2009/06/21|21:07:05|２|") + cells);
    }

    // Per question the round showed, from the judging the counters come from: ms shown, head,
    // tail, inside, rejected, ms to the first accepted word, excluded. The countdown's question
    // counts from the round's start; words outside the round count for no question.
    void questionLines_data() {
        QTest::addColumn<QString>("events"); // ms after the start: a word to あ, or the end
        QTest::addColumn<QString>("lines");
        QTest::newRow("head") << "1500:あさ 60000:end"
                              << "1500 1 0 0 0 1500 0|58500 0 0 0 0 -1 0";
        QTest::newRow("tail, inside, rejected")
            << "700:いあ 1000:かあさ 3500:ぬ 60000:end"
            << "700 0 1 0 0 700 0|300 0 0 1 0 300 0|2500 0 0 0 1 -1 0|56500 0 0 0 0 -1 0";
        QTest::newRow("exact") << "250:あ 1000:ぬ 60000:end"
                               << "250 0 0 0 0 -1 1|750 0 0 0 1 -1 0|59000 0 0 0 0 -1 0";
        QTest::newRow("shown at the end") << "59999:あさ 60400:end"
                                          << "59999 1 0 0 0 59999 0|401 0 0 0 0 -1 0";
        QTest::newRow("no word, before or after") << "-2500:あさ 60000:end 61000:かあ"
                                                  << "60000 0 0 0 0 -1 0";
    }
    void questionLines() {
        QFETCH(QString, events);
        QFETCH(QString, lines);
        Game g({QStringLiteral("あ")});
        QStringList script =
            (QStringLiteral("-3000:lamp -2000:lamp -1000:lamp 0:begin ") + events).split(u' ');
        std::stable_sort(script.begin(), script.end(), [](const QString& a, const QString& b) {
            return a.section(u':', 0, 0).toInt() < b.section(u':', 0, 0).toInt();
        });
        g.round.start();
        for (const QString& event : script) {
            const int ms = event.section(u':', 0, 0).toInt() + 10000; // from 10 s before
            g.clock.seconds = 990 + ms / 1000;
            g.clock.extraMs = ms % 1000;
            const QString what = event.section(u':', 1);
            if (what == u"lamp")
                g.round.countdownTick(QuestionMode::OneEntry);
            else if (what == u"begin")
                g.round.begin();
            else if (what == u"end")
                QVERIFY(g.round.roundTick(8745).ended);
            else
                g.answer(what);
        }
        const HistoryRecord saved = g.round.toSave(kTwoEntrySet).value();
        QStringList got;
        for (const QuestionRecord& r : g.round.questionLines(saved)) {
            QCOMPARE(r.date + r.time + r.set + r.question,
                     QStringLiteral("2009/06/2121:07:45２あ"));
            QStringList figures;
            for (int n : {r.shownMs, r.head, r.tail, r.inside, r.rejected, r.firstAcceptedMs,
                          int(r.excluded)})
                figures << QString::number(n);
            got << figures.join(u' ');
        }
        QCOMPARE(got.join(u'|'), lines);
        g.round.start(); // the next round starts with none
        QVERIFY(g.round.questionLines(saved).empty());
    }

    void roundLengthIsTheItemsLeadingDigits_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("seconds"); // -1: overflow
        QTest::newRow("blanks around") << " 90 " << 90;
        QTest::newRow("one digit, then text") << "5秒" << 5;
        QTest::newRow("a sign is no digit") << "-5" << 0;
        QTest::newRow("full-width digits are no digits") << "１２" << 0;
        QTest::newRow("six digits at most") << "0000012" << 1;
        QTest::newRow("the largest") << "32767" << 32767;
        QTest::newRow("too large") << "32768" << -1;
    }
    void roundLengthIsTheItemsLeadingDigits() {
        QFETCH(QString, item);
        QFETCH(int, seconds);
        int got = -1;
        QCOMPARE(errorOf([&] { got = roundLengthOf(item); }),
                 seconds < 0 ? int(Error::Kind::Overflow) : -1);
        QCOMPARE(got, seconds);
    }
};

QTEST_APPLESS_MAIN(TestDrill)
#include "test_drill.moc"
