#include "core/error.h"
#include "drill/answer_judge.h"
#include "drill/question_generator.h"
#include "drill/round_control.h"

#include <map>
#include <QTest>

using namespace kb;

Q_DECLARE_METATYPE(Verdict)

namespace {

DrillState stateWith(const QStringList& kana, const QStringList& excluded = {}) {
    DrillState s;
    s.kanaTable = kana;
    s.kanaCount = std::int16_t(kana.size());
    s.excludedWords = excluded;
    s.excludedCount = std::int16_t(excluded.size());
    return s;
}

QStringList numbered(int n) {
    QStringList list;
    for (int i = 1; i <= n; ++i)
        list << QString::number(i) + QLatin1Char('.');
    return list;
}

} // namespace

class TestDrill : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void verdicts_data() {
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("word");
        QTest::addColumn<Verdict>("verdict");
        QTest::newRow("exact") << "あ"
                               << "あ" << Verdict::Exact;
        QTest::newRow("head") << "あ"
                              << "あさ" << Verdict::Head;
        QTest::newRow("tail") << "あ"
                              << "いあ" << Verdict::Tail;
        QTest::newRow("inside") << "あ"
                                << "かあさ" << Verdict::Inside;
        QTest::newRow("head and tail is head") << "あ"
                                               << "あいあ" << Verdict::Head;
        QTest::newRow("question twice is head") << "あい"
                                                << "あいあい" << Verdict::Head;
        QTest::newRow("tail and inside is tail") << "あ"
                                                 << "かあいあ" << Verdict::Tail;
        QTest::newRow("order of two kana matters") << "あい"
                                                   << "いあ" << Verdict::Rejected;
        QTest::newRow("katakana differs") << "あ"
                                          << "ア" << Verdict::Rejected;
        QTest::newRow("half width differs") << "ア"
                                            << "ｱ" << Verdict::Rejected;
        QTest::newRow("case differs") << "a"
                                      << "A" << Verdict::Rejected;
        QTest::newRow("empty question is found at the head") << ""
                                                             << "いぬ" << Verdict::Head;
        QTest::newRow("longer question than word") << "あいう"
                                                   << "あい" << Verdict::Rejected;
    }
    void verdicts() {
        QFETCH(QString, question);
        QFETCH(QString, word);
        QFETCH(Verdict, verdict);
        QCOMPARE(judge(question, word), verdict);
    }

    void countersFollowTheVerdict() {
        RoundCounters c;
        c = countedAfter(c, Verdict::Head, 2);
        c = countedAfter(c, Verdict::Tail, 2);
        c = countedAfter(c, Verdict::Inside, 3);
        c = countedAfter(c, Verdict::Rejected, 1);
        c = countedAfter(c, Verdict::Exact, 1);
        QCOMPARE(int(c.score), 1 + 2 + 3 - 1);
        QCOMPARE(int(c.okCount), 3);
        QCOMPARE(int(c.ngCount), 1);
        // Rejected words add no characters; exact ones do. Lengths are in 16-bit units.
        QCOMPARE(int(c.typedChars), 2 + 2 + 3 + 1);
        QCOMPARE(int(c.matchCounts[0]), 1);
        QCOMPARE(int(c.matchCounts[1]), 1);
        QCOMPARE(int(c.matchCounts[2]), 1);
        QCOMPARE(int(c.matchCounts[3]), 0);
        QCOMPARE(QStringLiteral("𠀋").size(), 2); // a surrogate pair counts twice
    }

    void overflowChangesNothing() {
        RoundCounters c;
        c.typedChars = 32000;
        c.score = 5;
        const RoundCounters before = c;
        QVERIFY_THROWS_EXCEPTION(Error, c = countedAfter(c, Verdict::Head, 40000));
        QVERIFY_THROWS_EXCEPTION(Error, c = countedAfter(c, Verdict::Exact, 768));
        QCOMPARE(c.typedChars, before.typedChars);
        QCOMPARE(c.score, before.score);
        c.score = -32768;
        QVERIFY_THROWS_EXCEPTION(Error, countedAfter(c, Verdict::Rejected, 1));
    }

    void oneEntryDrawsCoverTheListEvenly() {
        RandomSource random(42);
        std::map<int, int> seen;
        const int n = 71, draws = 71000;
        for (int i = 0; i < draws; ++i)
            ++seen[drawIndex(random, 3600.25, n)]; // the same clock every time still varies
        QCOMPARE(int(seen.size()), n);
        QCOMPARE(seen.begin()->first, 1);
        QCOMPARE(seen.rbegin()->first, n);
        for (const auto& [index, count] : seen)
            QVERIFY2(count > 800 && count < 1200, qPrintable(QString::number(index)));
        QCOMPARE(int(drawIndex(random, 1.0, 0)), 1);
    }

    void twoEntryQuestionsKeepOneEntryWithinTheFirst46() {
        const DrillState s = stateWith(numbered(100));
        QuestionGenerator gen;
        gen.prepare(s);
        RandomSource random(7);
        const QuestionGenerator::Environment env{random, [] { return 10.0; },
                                                 questionModeOf(kTwoEntrySet)};
        bool secondAbove46 = false;
        for (int i = 0; i < 5000; ++i) {
            const QString q = *gen.next(s, env);
            const QStringList parts = q.split(QLatin1Char('.'), Qt::SkipEmptyParts);
            QCOMPARE(parts.size(), 2);
            const int a = parts[0].toInt(), b = parts[1].toInt();
            QVERIFY(a <= 46 || b <= 46);
            secondAbove46 = secondAbove46 || b > 46;
        }
        QVERIFY(secondAbove46); // when a <= 46, b ranges over the whole list
    }

    void exclusionHitRedrawsFromTheStart() {
        // Only "2.1." is allowed; every other pair is excluded, so each hit must
        // draw a fresh a, reading the clock again.
        QStringList excluded;
        for (const QString& a : numbered(2))
            for (const QString& b : numbered(2))
                if (a + b != QStringLiteral("2.1.")) excluded << a + b;
        const DrillState s = stateWith(numbered(2), excluded);
        QuestionGenerator gen;
        gen.prepare(s);
        RandomSource random(3);
        int clockReads = 0;
        const QuestionGenerator::Environment env{random,
                                                 [&] {
                                                     ++clockReads;
                                                     return 0.5;
                                                 },
                                                 QuestionMode::TwoEntries};
        for (int i = 0; i < 50; ++i)
            QCOMPARE(*gen.next(s, env), QStringLiteral("2.1."));
        QVERIFY(clockReads > 200); // about four draws of two entries per question
    }

    void nearlyExhaustedListKeepsChancesAndStopsRedrawing() {
        // Of 60 entries only the pairs 1.1. (a <= 46) and 50.1. (a > 46) are
        // left. A pair with a > 46 comes 60/46 times as often as one without,
        // and the pick that ends the redraws must keep that.
        const QStringList kana = numbered(60);
        QStringList excluded;
        for (int a = 1; a <= 60; ++a)
            for (int b = 1; b <= 60; ++b)
                if ((a <= 46 || b <= 46) && !((a == 1 || a == 50) && b == 1))
                    excluded << kana[a - 1] + kana[b - 1];
        const DrillState s = stateWith(kana, excluded + kana.mid(1, 58));
        QuestionGenerator gen;
        gen.prepare(s);
        RandomSource random(9);
        int clockReads = 0;
        QuestionGenerator::Environment env{random,
                                           [&] {
                                               ++clockReads;
                                               return 2.0;
                                           },
                                           QuestionMode::TwoEntries};
        std::map<QString, int> seen;
        for (int i = 0; i < 6000; ++i) {
            clockReads = 0;
            ++seen[*gen.next(s, env)];
            QVERIFY(clockReads <= 400); // 64 draws of two, a few second entries again
        }
        QCOMPARE(int(seen.size()), 2);
        const double ratio = double(seen["50.1."]) / seen["1.1."];
        QVERIFY2(ratio > 1.15 && ratio < 1.45, qPrintable(QString::number(ratio)));
        // One entry: only 1. and 60. are left, equally likely.
        env.mode = QuestionMode::OneEntry;
        seen.clear();
        for (int i = 0; i < 4000; ++i)
            ++seen[*gen.next(s, env)];
        QCOMPARE(int(seen.size()), 2);
        QVERIFY(seen["1."] > 1800 && seen["60."] > 1800);
    }

    void exclusionIsExactAndWholeQuestion() {
        const DrillState s =
            stateWith({QStringLiteral("あ"), QStringLiteral("い")},
                      {QStringLiteral("あ"), QStringLiteral("あい"), QStringLiteral("イ")});
        QuestionGenerator gen;
        gen.prepare(s);
        RandomSource random(11);
        QuestionGenerator::Environment env{random, [] { return 1.0; },
                                           questionModeOf(kOneEntrySet)};
        QSet<QString> one, two;
        for (int i = 0; i < 400; ++i)
            one.insert(*gen.next(s, env));
        env.mode = questionModeOf(QString()); // any text but "１文字" asks for two entries
        for (int i = 0; i < 400; ++i)
            two.insert(*gen.next(s, env));
        QCOMPARE(one, (QSet<QString>{QStringLiteral("い")}));
        QCOMPARE(two, (QSet<QString>{QStringLiteral("ああ"), QStringLiteral("いあ"),
                                     QStringLiteral("いい")}));
    }

    void everyQuestionExcludedIsReportedNotLooped() {
        const DrillState s = stateWith({QStringLiteral("あ")}, {QStringLiteral("あ")});
        QuestionGenerator gen;
        gen.prepare(s);
        RandomSource random(1);
        QuestionGenerator::Environment env{random, [] { return 1.0; }, QuestionMode::OneEntry};
        QVERIFY(!gen.next(s, env).has_value());
        env.mode = QuestionMode::TwoEntries;
        QCOMPARE(*gen.next(s, env), QStringLiteral("ああ"));
        // An empty list gives the empty question, which an empty exclusion keeps out.
        const DrillState empty = stateWith({}, {QString()});
        gen.prepare(empty);
        QVERIFY(!gen.next(empty, env).has_value());
    }

    void reseedingWithTheSameClockDoesNotRepeat() {
        RandomSource a(5);
        a.reseed(100.0);
        const float first = a.next();
        a.reseed(100.0);
        QVERIFY(a.next() != first);
        RandomSource b(5), c(5);
        b.reseed(1.5);
        c.reseed(1.5);
        QCOMPARE(b.next(), c.next()); // seeded sources are repeatable in tests
    }

    void barWidths_data() {
        QTest::addColumn<int>("remaining");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("width");
        QTest::newRow("full") << 60 << 60 << 8745;
        QTest::newRow("59") << 59 << 60 << 8599;
        QTest::newRow("30") << 30 << 60 << 4372;
        QTest::newRow("1") << 1 << 60 << 145;
        QTest::newRow("0") << 0 << 60 << 0;
        QTest::newRow("late tick") << -1 << 60 << 0;
        QTest::newRow("length shortened mid-round is wider") << 50 << 10 << 43725;
    }
    void barWidths() {
        QFETCH(int, remaining);
        QFETCH(int, limit);
        QFETCH(int, width);
        QCOMPARE(barWidth(std::int16_t(remaining), std::int16_t(limit), 8745), width);
    }

    void statistics() {
        QCOMPARE(speedText(158, 60), QStringLiteral("2.63/秒"));
        QCOMPARE(speedText(0, 60), QStringLiteral("0.00/秒"));
        QCOMPARE(rateText(3, 1), QStringLiteral("75.0%"));
        QCOMPARE(rateText(0, 0), QStringLiteral("0.0%"));
        QCOMPARE(rateText(0, 4), QStringLiteral("0.0%"));
        QCOMPARE(rateText(4, 0), QStringLiteral("100.0%"));
        QVERIFY_THROWS_EXCEPTION(Error, speedText(5, 0));
    }
};

QTEST_APPLESS_MAIN(TestDrill)
#include "test_drill.moc"
