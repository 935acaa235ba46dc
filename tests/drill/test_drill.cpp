// The drill's rules without a window, from judging to what a saved round holds.

#include "core/error.h"
#include "drill/round.h"

#include <QMap>
#include <QTest>

using namespace kb;

namespace {

// ok, ng, typed characters, score, then the four match counts: "0 1 0 -1 0 0 0 0".
std::array<std::int16_t*, 8> fields(RoundCounters& c) {
    return {&c.okCount,        &c.ngCount,        &c.typedChars,     &c.score,
            &c.matchCounts[0], &c.matchCounts[1], &c.matchCounts[2], &c.matchCounts[3]};
}

QString counts(RoundCounters c) {
    QStringList v;
    for (const std::int16_t* f : fields(c))
        v << QString::number(*f);
    return v.join(QLatin1Char(' '));
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

// A round of 60 seconds over the tables, the question あ current.
Round roundWith(const QStringList& kana, const QStringList& excluded = {}) {
    Round r;
    r.setTables(kana, excluded);
    r.setTimeLimit(60);
    r.stateForTests().currentQuestion = QStringLiteral("あ");
    return r;
}

// Judges "question=word", or a word to the current question, and stores the outcome.
Judged answer(Round& r, const QString& input) {
    const QStringList qw = input.split(QLatin1Char('='));
    if (qw.size() > 1) r.stateForTests().currentQuestion = qw[0];
    const Judged j = r.judge(qw.last());
    r.commit(j);
    return j;
}

} // namespace

class TestDrill : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The counters after the answers, then per answer whether its question is appended to the
    // exclusion list (x), would be but the list is full (f), or neither (-). An exact answer is
    // appended once a run, unless listed at start or the 5000 are full.
    void answers_data() {
        QTest::addColumn<QString>("answers"); // question=word, in turn
        QTest::addColumn<int>("listed");      // exclusions at start, all ん
        QTest::addColumn<QString>("after");
        QTest::newRow("exact") << "あ=あ" << 0 << "0 0 1 0 0 0 0 0 x";
        QTest::newRow("head") << "あ=あさ" << 0 << "1 0 2 1 1 0 0 0 -";
        QTest::newRow("tail") << "あ=いあ" << 0 << "1 0 2 2 0 1 0 0 -";
        QTest::newRow("inside") << "あ=かあさ" << 0 << "1 0 3 3 0 0 1 0 -";
        QTest::newRow("rejected") << "あい=いあ" << 0 << "0 1 0 -1 0 0 0 0 -";
        QTest::newRow("head wins over tail") << "あ=あいあ" << 0 << "1 0 3 1 1 0 0 0 -";
        QTest::newRow("tail over inside") << "あ=かあいあ" << 0 << "1 0 4 2 0 1 0 0 -";
        QTest::newRow("katakana differs") << "あ=ア" << 0 << "0 1 0 -1 0 0 0 0 -";
        QTest::newRow("case differs") << "a=A" << 0 << "0 1 0 -1 0 0 0 0 -";
        QTest::newRow("empty question: head") << "=いぬ" << 0 << "1 0 2 1 1 0 0 0 -";
        QTest::newRow("surrogate pair: two") << "𠀋=𠀋" << 0 << "0 0 2 0 0 0 0 0 x";
        QTest::newRow("listed at start, the list full") << "ん=ん" << 5000 << "0 0 1 0 0 0 0 0 -";
        QTest::newRow("the list holds 5000") << "あ=あ" << 5000 << "0 0 1 0 0 0 0 0 f";
        QTest::newRow("one place left") << "あ=あ あ=あ い=い" << 4999 << "0 0 3 0 0 0 0 0 x-f";
    }
    void answers() {
        QFETCH(QString, answers);
        QFETCH(int, listed);
        QFETCH(QString, after);
        Round r = roundWith({}, QStringList(listed, QStringLiteral("ん")));
        QString outcomes;
        for (const QString& input : answers.split(QLatin1Char(' '))) {
            const Judged j = answer(r, input);
            outcomes += QLatin1Char(j.exclude ? 'x' : j.exclusionListFull ? 'f' : '-');
        }
        QCOMPARE(counts(r.state()) + QLatin1Char(' ') + outcomes, after);
    }

    // Every counter is checked at the edge of int16.
    void overflow_data() {
        QTest::addColumn<int>("counter"); // as counts() orders them
        QTest::addColumn<int>("before");
        QTest::addColumn<QString>("word"); // to the question あ
        QTest::newRow("characters") << 2 << 32767 << "あ";
        QTest::newRow("score at the top") << 3 << 32765 << "かあさ";
        QTest::newRow("score at the bottom") << 3 << -32768 << "ぬ";
        QTest::newRow("accepted words") << 0 << 32767 << "いあ";
        QTest::newRow("rejected words") << 1 << 32767 << "ぬ";
        QTest::newRow("head matches") << 4 << 32767 << "あさ";
    }
    void overflow() {
        QFETCH(int, counter);
        QFETCH(int, before);
        QFETCH(QString, word);
        Round r = roundWith({});
        *fields(r.stateForTests())[size_t(counter)] = std::int16_t(before);
        QCOMPARE(errorOf([&] { answer(r, word); }), int(Error::Kind::Overflow));
    }

    void drawsCoverTheListEvenlyAndMixTheClockIn() {
        RandomSource random(42);
        QMap<int, int> seen;
        for (int i = 0; i < 1000 * kKanaCapacity; ++i)
            ++seen[drawIndex(random, 3600.25, kKanaCapacity)]; // one clock value still varies
        QCOMPARE(seen.keys().size(), kKanaCapacity);
        QCOMPARE(seen.lastKey(), kKanaCapacity);
        for (int count : seen)
            QVERIFY(count > 850 && count < 1150);
        QCOMPARE(errorOf([&] { drawIndex(random, 1.0, 999); }), int(Error::Kind::IndexOutOfRange));
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
        Round r = roundWith(kana, excluded);
        RandomSource random(7);
        int clockReads = 0, slowest = 0;
        QMap<QString, int> seen;
        for (int i = 0; i < 40000; ++i) {
            clockReads = 0;
            const std::optional<QString> q = r.nextQuestion(
                random, [&] { return ++clockReads, 2.0; }, questionModeOf(set));
            QCOMPARE(r.state().currentQuestion, q.value_or(QString()));
            if (q) ++seen[*q];
            slowest = std::max(slowest, clockReads);
        }
        drawn.sort();
        QCOMPARE(seen.keys(), drawn);
        if (reads > 0) QCOMPARE(slowest, reads);
        if (share > 0) QVERIFY(qAbs(seen.value(drawn.value(0)) / 40000.0 - share) < 0.02);
    }

    void startCountdownAndAutoSave() {
        Round r;
        static_cast<RoundCounters&>(r.stateForTests()) = {1, 2, 3, 4, {5, 6, 7, 8}};
        r.start();
        QCOMPARE(counts(r.state()), QStringLiteral("0 0 0 0 0 0 0 0"));
        for (int countdown = 0; countdown < 2; ++countdown) { // an idle tick sets it back
            for (int lamp = 1; lamp <= 3; ++lamp)
                QCOMPARE(r.countdownTick(), lamp);
            QCOMPARE(r.countdownTick(), 0);
            r.start();
        }
        for (int value : {-1, 0, 1, 2}) { // saved by itself at the round's end only at 1
            r.setAutoSave(std::int16_t(value));
            QCOMPARE(r.autoSaveDue(), value == 1);
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
        Round r;
        r.setTimeLimit(std::int16_t(length));
        r.begin(1000);
        r.setTimeLimit(std::int16_t(lengthNow));
        RoundTick t;
        QCOMPARE(errorOf([&] { t = r.roundTick(1000 + elapsed, 8745); }),
                 width < 0 ? int(Error::Kind::DivisionByZero) : -1);
        if (width < 0) return;
        QCOMPARE(t.barWidth, width);
        QCOMPARE(t.ended, width == 0);
        QCOMPARE(r.roundTick(1000 + elapsed, 8745).running, width > 0);
    }

    // A save needs a judged answer and no round or its countdown going on; it holds the
    // counters, the set's first character and the round length.
    void saves_data() {
        QTest::addColumn<QString>("words"); // to the question あ, once the countdown ticked
        QTest::addColumn<int>("ticks");     // of the countdown; -1: none started
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("canSave");
        QTest::addColumn<QString>("cells"); // after date, time and set; empty: 0 s; -: not read
        QTest::newRow("a round") << "あさ かあ かあさ ぬ" << -1 << 60 << true
                                 << "3|1|7|5|75.0%|0.12/秒|60秒";
        QTest::newRow("one second") << "あさ" << -1 << 1 << true << "1|0|2|1|100.0%|2.00/秒|1秒";
        QTest::newRow("nothing judged") << "" << -1 << 60 << false << "0|0|0|0|0.0%|0.00/秒|60秒";
        QTest::newRow("no round length") << "ぬ" << -1 << 0 << true << "";
        QTest::newRow("during the countdown") << "あさ" << 0 << 60 << false << "-";
        QTest::newRow("during the round") << "あさ" << 3 << 60 << false << "-";
    }
    void saves() {
        QFETCH(QString, words);
        QFETCH(int, ticks);
        QFETCH(int, length);
        QFETCH(bool, canSave);
        QFETCH(QString, cells);
        Round r = roundWith({});
        r.setTimeLimit(std::int16_t(length));
        if (ticks >= 0) r.start();
        for (int i = 0; i < ticks; ++i)
            r.countdownTick();
        if (ticks == 3) r.begin(0);
        for (const QString& word : words.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            answer(r, word);
        QCOMPARE(r.canSave(), canSave);
        if (cells == QLatin1String("-")) return;
        const QDateTime now(QDate(2009, 6, 21), QTime(21, 7, 5));
        std::array<QString, 10> got;
        QCOMPARE(errorOf([&] { got = r.record(now, kTwoEntrySet).cells(); }),
                 cells.isEmpty() ? int(Error::Kind::DivisionByZero) : -1);
        if (!cells.isEmpty())
            QCOMPARE(QStringList(got.begin(), got.end()).join(QLatin1Char('|')),
                     QStringLiteral("2009/06/21|21:07:05|２|") + cells);
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
