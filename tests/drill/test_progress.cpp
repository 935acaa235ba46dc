// The progress chart's figures: reading saved rounds, filtering, averages and the summary line.

#include "drill/progress.h"

#include <algorithm>
#include <QDateTime>
#include <QTest>

using namespace kb;
using Records = std::vector<HistoryRecord>;

Q_DECLARE_METATYPE(HistoryRecord)
Q_DECLARE_METATYPE(Records)
Q_DECLARE_METATYPE(ProgressFilter)
Q_DECLARE_METATYPE(ProgressView)

namespace {

HistoryRecord rec(QString date, QString time = "12:00:00", QString set = "１", int score = 10,
                  QString speed = "0.50/秒", QString length = "60秒", QString rate = "83.3%") {
    return {date, time, set, 0, 0, 0, std::int16_t(score), rate, speed, length};
}

qint64 ms(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s)).toMSecsSinceEpoch();
}

// Rows 4 and 7 cannot be read.
Records mixed() {
    const auto r = [](const char* set, const char* length) {
        return rec("2026/03/01", "12:00:00", set, 1, "1", length);
    };
    return {r("２", "120秒"), r("１", "60秒"), r("２", "60秒"),  r("３", "x"),
            r("１", "120"),   r("２", "30"),   rec("2026/02/30")};
}

} // namespace

class TestProgress : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsFields_data() {
        QTest::addColumn<HistoryRecord>("r");
        QTest::addColumn<qint64>("when"); // -1: unreadable
        QTest::addColumn<double>("rate");
        QTest::addColumn<double>("speed");
        QTest::addColumn<int>("seconds");
        const auto row = [](const QString& name, const HistoryRecord& r, qint64 when,
                            double rate = 83.3, double speed = 0.5, int seconds = 60) {
            QTest::newRow(qPrintable(name)) << r << when << rate << speed << seconds;
        };
        row("as saved", rec("2026/03/05", "07:05:09"), ms(2026, 3, 5, 7, 5, 9));
        row("one digit fields", rec("2026/3/5", "7:5:9"), ms(2026, 3, 5, 7, 5, 9));
        row("no suffixes", rec("2024/02/29", "0:0:0", "１", 1, "1.25", "120", "100"),
            ms(2024, 2, 29), 100, 1.25, 120);
        row("long speed", rec("2026/12/31", "23:59:59", "１", 1, "0.12345678901234567"),
            ms(2026, 12, 31, 23, 59, 59), 83.3, 0.12345678901234567);
        const auto bad = [&](const char* field, QString HistoryRecord::*text, QStringList texts) {
            for (const QString& t : texts) {
                HistoryRecord r = rec("2026/03/05");
                r.*text = t;
                row(QStringLiteral("%1 '%2'").arg(QLatin1String(field), t), r, -1);
            }
        };
        bad("date", &HistoryRecord::date,
            {"", "2026/02/30", "2026/13/01", "26/03/05", "2026/003/05", "2026/03/05/", "2026-03-05",
             " 2026/03/05", "２０２６/03/05"});
        bad("time", &HistoryRecord::time,
            {"", "24:00:00", "12:60:00", "12:00:60", "12:00", "1:0:0 ", "１２:00:00"});
        bad("rate", &HistoryRecord::rate, {"", ".5%", "83.%", "83.3%%", " 83.3%", "-1%"});
        bad("speed", &HistoryRecord::speed, {"-0.50/秒", "0.5.0/秒", "0.50/分", "5e1"});
        bad("length", &HistoryRecord::length, {"0秒", "60.5秒", "99999999999秒", "60 秒"});
    }
    void readsFields() {
        QFETCH(HistoryRecord, r);
        QFETCH(qint64, when);
        const ProgressData data = readProgress({r});
        QCOMPARE(data.unreadable, when < 0 ? 1 : 0);
        QCOMPARE(int(data.points.size()), when < 0 ? 0 : 1);
        QCOMPARE(data.lengths.size(), when < 0 ? 0 : 1);
        if (when < 0) return;
        const ProgressPoint& p = data.points[0];
        QCOMPARE(p.when, when);
        QTEST(p.rate, "rate");
        QTEST(p.speed, "speed");
        QTEST(p.seconds, "seconds");
    }

    void readsAndAddsAcrossTheYear() {
        ProgressData data = readProgress({rec("2025/12/31", "23:59:59", "２", 1, "1", "120秒"),
                                          rec("2026/01/01", "0:00:00", "１", 1, "1", "90秒")});
        addProgress(data, rec("2026/12/31", "25:00:00"), 3);
        addProgress(data, rec("2026/12/31", "23:59:59", "３"), 4);
        addProgress(data, rec("2026/12/31", "23:59:59", "１", 1, "1", "90秒"), 5);
        const auto& p = data.points;
        QCOMPARE(p[1].when - p[0].when, qint64(1000));
        // Ticks a day or more apart show dates alone; closer ones, the time too.
        QCOMPARE(dateAxis(p[0].when, p[1].when).format, "yyyy/MM/dd hh:mm");
        QCOMPARE(dateAxis(p[1].when, p[2].when).format, "MM/dd");
        QCOMPARE(dateAxis(p[2].when - 4 * 86'400'000, p[2].when).format, "MM/dd");
        QCOMPARE(dateAxis(p[2].when - 4 * 86'400'000 + 1, p[2].when).format, "MM/dd hh:mm");
        QCOMPARE(p[2].row, 4);
        QCOMPARE(data.unreadable, 1);
        QCOMPARE(data.sets, (QList<QString>{"２", "１", "３"}));
        QCOMPARE(readProgress(mixed()).sets, (QList<QString>{"２", "１"}));
        QCOMPARE(data.lengths, (QList<int>{60, 90, 120}));
        QCOMPARE(defaultFilter(data), (ProgressFilter{"１", 90}));
        QCOMPARE(defaultFilter(ProgressData()), ProgressFilter());
    }

    void everyDayOfAYear() {
        Records records;
        for (QDate d(2026, 1, 1); d.year() == 2026; d = d.addDays(1))
            records.push_back(rec(d.toString("yyyy/MM/dd"), "0:00:00"));
        for (const ProgressPoint& p : readProgress(records).points)
            QCOMPARE(
                p.when,
                QDateTime(QDate(2026, 1, 1).addDays(p.row - 1), QTime(0, 0)).toMSecsSinceEpoch());
    }

    void filters_data() {
        QTest::addColumn<ProgressFilter>("filter");
        QTest::addColumn<QList<int>>("rows");
        QTest::newRow("all") << ProgressFilter() << QList<int>{1, 2, 3, 5, 6};
        QTest::newRow("set") << ProgressFilter{"２", {}} << QList<int>{1, 3, 6};
        QTest::newRow("length") << ProgressFilter{{}, 120} << QList<int>{1, 5};
        QTest::newRow("both") << ProgressFilter{"１", 60} << QList<int>{2};
        QTest::newRow("none") << ProgressFilter{"３", 60} << QList<int>{};
        QTest::newRow("newest") << defaultFilter(readProgress(mixed())) << QList<int>{6};
    }
    void filters() {
        QFETCH(ProgressFilter, filter);
        const ProgressData data = readProgress(mixed());
        QList<int> rows;
        for (int i : progressSeries(data, ProgressView::Score, filter).points)
            rows << data.points[i].row;
        QTEST(rows, "rows");
    }

    void averagesAndBest_data() {
        QTest::addColumn<QList<int>>("scores");
        QTest::addColumn<QList<double>>("average");
        QTest::addColumn<int>("best");
        QTest::newRow("empty") << QList<int>{} << QList<double>{} << -1;
        QTest::newRow("first of ties")
            << QList<int>{3, 5, -1, 5} << QList<double>{3, 4, 7 / 3.0, 3} << 1;
        QTest::newRow("past ten") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 1}
                                  << QList<double>{1,   1.5, 2,   2.5, 3,   3.5, 4,
                                                   4.5, 5,   5.5, 6.5, 7.5, 7.3}
                                  << 11;
    }
    void averagesAndBest() {
        QFETCH(QList<int>, scores);
        QFETCH(QList<double>, average);
        Records records;
        for (int i = 0; i < scores.size(); ++i)
            records.push_back(rec("2026/03/01", QStringLiteral("1:0:%1").arg(i), "１", scores[i]));
        const ProgressSeries s = progressSeries(readProgress(records), ProgressView::Score, {});
        QCOMPARE(s.average.size(), average.size());
        for (int i = 0; i < average.size(); ++i) {
            QCOMPARE(s.average[i], QPointF(s.values[i].x(), average[i]));
            QCOMPARE(s.rate[i], QPointF(s.values[i].x(), 83.3));
        }
        QTEST(s.best, "best");
        const auto [lo, hi] = std::ranges::minmax(scores.isEmpty() ? QList<int>{0} : scores);
        QCOMPARE(QPointF(s.lowest, s.highest), QPointF(lo, hi));
    }

    void summary_data() {
        QTest::addColumn<Records>("records");
        QTest::addColumn<ProgressView>("view");
        QTest::addColumn<QString>("text");
        const Records four{rec("2026/03/01", "9:00:00", "１", 10, "0.50"),
                           rec("2026/03/02", "9:00:00", "１", 30, "1.25"),
                           rec("2026/03/03", "9:00:00", "１", 30, "1.00"),
                           rec("2026/03/04", "9:00:00", "１", 20, "0.65")};
        const QString score =
            "表示している回数: 4　最高得点: 30（2026/03/02）　最新: 20　直近 10 回の平均: 22.5";
        QTest::newRow("score") << four << ProgressView::Score << score;
        QTest::newRow("speed") << four << ProgressView::Speed
                               << "表示している回数: 4　最高: 1.25 文字/秒（2026/03/02）　最新: "
                                  "0.65 文字/秒　直近 10 回の平均: 0.85 文字/秒";
        Records withBad = four;
        withBad.insert(withBad.begin() + 1, {rec("2026/03/01", "9:00"), rec("x")});
        QTest::newRow("unreadable") << withBad << ProgressView::Score << score + "　読めない行: 2";
        QTest::newRow("empty") << Records{} << ProgressView::Score
                               << "条件に合う記録がありません。";
        QTest::newRow("empty, unreadable") << Records{rec("")} << ProgressView::Speed
                                           << "条件に合う記録がありません。　読めない行: 1";
    }
    void summary() {
        QFETCH(Records, records);
        QFETCH(ProgressView, view);
        const ProgressData data = readProgress(records);
        QTEST(progressSummary(data, progressSeries(data, view, {}), view), "text");
    }

    // Thinning for the screen keeps what a plot of that size shows: each column's first,
    // lowest, highest and last point in order, and one dot per pixel. Speeds span less
    // than 1 here: ten columns of five, the first of each neither low nor high.
    void thinsToWhatThePlotShows() {
        const double speeds[] = {0.75, 0.85, 0.55, 0.65, 0.78}; // pixel rows 2, 3, 0, 1, 2
        QList<QPointF> row, line, dots;
        for (int i = 0; i < 50; ++i) {
            row.append(QPointF(2 * i + 1, speeds[i % 5]));
            if (i % 5 != 3) line.append(row.back());
            if (i % 5 != 4) dots.append(row.back());
        }
        const QRectF range(0, 0.5, 100, 0.4);
        QCOMPARE(thinLine(row, range, 10), line);
        QCOMPARE(thinDots(row, range, 10, 4), dots);
        QCOMPARE(thinLine(row.first(40), range, 10), row.first(40)); // few enough already
        // A peak among ten points a column.
        QList<QPointF> many;
        for (int i = 0; i < 1000; ++i)
            many.append(QPointF(i, i == 505 ? 99 : i == 506 ? -9 : i % 7));
        const QList<QPointF> thin = thinLine(many, QRectF(0, -10, 1000, 110), 100);
        QVERIFY(thin.size() <= 400);
        QVERIFY(thin.contains(QPointF(505, 99)) && thin.contains(QPointF(506, -9)));
    }
};

QTEST_GUILESS_MAIN(TestProgress)
#include "test_progress.moc"
