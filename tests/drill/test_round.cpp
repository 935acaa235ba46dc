// The round's rules, without a window: which answers exclude their question,
// the countdown, the round's clock and end, what may be saved and what a saved
// round holds.

#include "core/error.h"
#include "drill/round.h"

#include <QTest>

using namespace kb;

namespace {

// A round over the kana given, nothing excluded at start but the count given,
// with the question made current as a draw would.
Round roundWith(const QString& question, int excludedAtStart = 0) {
    Round r;
    r.setTables({question}, QStringList(excludedAtStart, QStringLiteral("ん")));
    r.setTimeLimit(60);
    RandomSource random(1);
    r.nextQuestion(
        random, [] { return 1.0; }, QuestionMode::OneEntry);
    return r;
}

} // namespace

class TestRound : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // An exact answer is appended once per run, and never past the list's 5000.
    void exactAnswersExcludeOnceAndWithinTheLimit_data() {
        QTest::addColumn<int>("excludedAtStart");
        QTest::addColumn<QStringList>("answers"); // to the question あ, in turn
        QTest::addColumn<QString>("excludes");    // per answer: x excluded, f full, - neither
        QTest::newRow("first exact answer") << 0 << QStringList{"あ"} << "x";
        QTest::newRow("the same question again in this run")
            << 0 << QStringList{"あ", "あ"} << "x-";
        QTest::newRow("other verdicts never")
            << 0 << QStringList{"あさ", "かあ", "かあさ", "ぬ"} << "----";
        QTest::newRow("the list holds 5000") << 5000 << QStringList{"あ"} << "f";
        QTest::newRow("one place left") << 4999 << QStringList{"あ", "あ"} << "x-";
    }
    void exactAnswersExcludeOnceAndWithinTheLimit() {
        QFETCH(int, excludedAtStart);
        QFETCH(QStringList, answers);
        QFETCH(QString, excludes);
        Round r = roundWith(QStringLiteral("あ"), excludedAtStart);
        for (int i = 0; i < answers.size(); ++i) {
            const Judged j = r.judge(answers[i]);
            const QChar want = excludes[i];
            QCOMPARE(j.exclude, want == QLatin1Char('x'));
            QCOMPARE(j.exclusionListFull, want == QLatin1Char('f'));
            r.commit(j);
        }
        // A second question when one place was left: the list is full now.
        if (excludedAtStart == 4999) {
            r.stateForTests().currentQuestion = QStringLiteral("い");
            QVERIFY(r.judge(QStringLiteral("い")).exclusionListFull);
        }
    }

    void judgingFormsTheCountersButCommitStoresThem() {
        Round r = roundWith(QStringLiteral("あ"));
        const Judged j = r.judge(QStringLiteral("かあさ"));
        QCOMPARE(j.verdict, Verdict::Inside);
        QCOMPARE(int(j.counters.score), 3);
        QCOMPARE(int(r.state().score), 0); // nothing stored until commit
        r.commit(j);
        QCOMPARE(int(r.state().score), 3);
        QCOMPARE(int(r.state().typedChars), 3);
    }

    void countdownLightsThreeLampsThenTheRoundBegins() {
        Round r = roundWith(QStringLiteral("あ"));
        QCOMPARE(r.countdownTick(), 0); // idle ticks do nothing
        r.start();
        QVERIFY(r.state().countdownActive);
        QCOMPARE(r.countdownTick(), 1);
        QCOMPARE(r.countdownTick(), 2);
        QVERIFY(r.state().countdownActive);
        QCOMPARE(r.countdownTick(), 3);
        QVERIFY(!r.state().countdownActive);
        QVERIFY(!r.canSave()); // nothing judged yet
        r.begin(1000);
        QVERIFY(r.state().roundRunning);
        QCOMPARE(r.state().roundEndTime, 1060);
        QCOMPARE(r.countdownTick(), 0); // and the next countdown starts from red again
        QCOMPARE(int(r.state().countdownStep), 0);
    }

    void startSetsTheCountersBackToZero() {
        Round r = roundWith(QStringLiteral("あ"));
        for (const QString& word :
             {QStringLiteral("あさ"), QStringLiteral("ぬ"), QStringLiteral("あ")})
            r.commit(r.judge(word));
        QVERIFY(r.state().typedChars > 0);
        r.start();
        QCOMPARE(
            int(r.state().okCount + r.state().ngCount + r.state().score + r.state().typedChars), 0);
        for (std::int16_t c : r.state().matchCounts)
            QCOMPARE(int(c), 0);
    }

    // The bar narrows by whole seconds left over the round length in force; the
    // first tick with no second left ends the round, however late it comes.
    void roundTicks_data() {
        QTest::addColumn<int>("lengthNow"); // the length may change after the start
        QTest::addColumn<int>("elapsed");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("ended");
        QTest::newRow("first second") << 60 << 0 << 8745 << false;
        QTest::newRow("one second left") << 60 << 59 << 145 << false;
        QTest::newRow("time is up") << 60 << 60 << 0 << true;
        QTest::newRow("a late tick") << 60 << 61 << 0 << true;
        QTest::newRow("shortened midway: the end stays, the bar overflows")
            << 10 << 5 << 48097 << false;
    }
    void roundTicks() {
        QFETCH(int, lengthNow);
        QFETCH(int, elapsed);
        QFETCH(int, width);
        QFETCH(bool, ended);
        Round r = roundWith(QStringLiteral("あ"));
        QVERIFY(!r.roundTick(1000, 8745).running); // no round yet
        r.start();
        for (int i = 0; i < 3; ++i)
            r.countdownTick();
        r.begin(1000);
        r.setTimeLimit(static_cast<std::int16_t>(lengthNow));
        const RoundTick t = r.roundTick(1000 + elapsed, 8745);
        QVERIFY(t.running);
        QCOMPARE(t.barWidth, width);
        QCOMPARE(t.ended, ended);
        QCOMPARE(r.state().roundRunning, !ended);
    }

    void saveNeedsAJudgedAnswerAndNoRoundGoingOn_data() {
        QTest::addColumn<QString>("answer"); // "" for none
        QTest::addColumn<QString>("phase");
        QTest::addColumn<bool>("canSave");
        QTest::newRow("nothing judged") << ""
                                        << "idle" << false;
        QTest::newRow("only an exact answer") << "あ"
                                              << "idle" << false;
        QTest::newRow("one rejected answer") << "ぬ"
                                             << "idle" << true;
        QTest::newRow("during the countdown") << "あさ"
                                              << "countdown" << false;
        QTest::newRow("during the round") << "あさ"
                                          << "round" << false;
    }
    void saveNeedsAJudgedAnswerAndNoRoundGoingOn() {
        QFETCH(QString, answer);
        QFETCH(QString, phase);
        QFETCH(bool, canSave);
        Round r = roundWith(QStringLiteral("あ"));
        if (phase != QLatin1String("idle")) r.start();
        if (phase == QLatin1String("round")) {
            for (int i = 0; i < 3; ++i)
                r.countdownTick();
            r.begin(0);
        }
        if (!answer.isEmpty()) r.commit(r.judge(answer));
        QCOMPARE(r.canSave(), canSave);
    }

    void autoSaveOnlyWhenExactlyOne() {
        Round r;
        for (int value : {0, 1, 2}) {
            r.setAutoSave(static_cast<std::int16_t>(value));
            QCOMPARE(r.autoSaveDue(), value == 1);
        }
    }

    void recordHoldsTheRoundAsSavedNow() {
        Round r = roundWith(QStringLiteral("あ"));
        for (const QString& word : {QStringLiteral("あさ"), QStringLiteral("かあ"),
                                    QStringLiteral("かあさ"), QStringLiteral("ぬ")})
            r.commit(r.judge(word));
        const QDateTime now(QDate(2009, 6, 21), QTime(21, 7, 5));
        const std::array<QString, 10> cells = r.record(now, QStringLiteral("２文字")).cells();
        QCOMPARE(QStringList(cells.begin(), cells.end()),
                 (QStringList{"2009/06/21", "21:07:05", "２", "3", "1", "7", "5", "75.0%",
                              "0.12/秒", "60秒"}));
        QCOMPARE(r.record(now, QString()).set, QString());
        r.setTimeLimit(0); // no round length: no speed
        try {
            r.record(now, QString());
            QFAIL("a speed over 0 seconds");
        } catch (const Error& e) {
            QCOMPARE(e.kind(), Error::Kind::DivisionByZero);
        }
    }

    void roundLengthIsTheItemsLeadingDigits_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("seconds"); // -1: overflow
        QTest::newRow("an item") << "60" << 60;
        QTest::newRow("blanks around") << " 90 " << 90;
        QTest::newRow("digits then text") << "12abc" << 12;
        QTest::newRow("no digits") << "abc" << 0;
        QTest::newRow("full-width digits are no digits") << "１２" << 0;
        QTest::newRow("the largest") << "32767" << 32767;
        QTest::newRow("too large") << "32768" << -1;
        QTest::newRow("many digits") << "99999999999" << -1;
    }
    void roundLengthIsTheItemsLeadingDigits() {
        QFETCH(QString, item);
        QFETCH(int, seconds);
        if (seconds >= 0) {
            QCOMPARE(int(roundLengthOf(item)), seconds);
            return;
        }
        QVERIFY_THROWS_EXCEPTION(Error, roundLengthOf(item));
    }
};

QTEST_APPLESS_MAIN(TestRound)
#include "test_round.moc"
