// The per-question figures of the chart's かな別 view: lines joined with their
// saved rounds, the filters, the sums and medians, and the orders shown.

#include "drill/kana_stats.h"

#include <cmath>
#include <QTest>

using namespace kb;

namespace {

HistoryRecord round(QString time, QString set = "１", QString length = "60秒") {
    return {"2026/12/08", time, set, 0, 0, 0, 0, "50.0%", "1.00/秒", length};
}

// head, tail, inside, rejected, first accepted ms.
QuestionRecord line(QString time, QString question, std::array<int, 5> f, QString set = "１") {
    return {"2026/12/08", time, set, question, 5000, f[0], f[1], f[2], f[3], f[4], false};
}

// Three saved rounds: one-kana in 60 and 30 seconds, two-kana in 60.
KanaStats sample() {
    KanaStats stats({round("10:00:00"), round("10:05:00", "１", "30秒"), round("10:10:00", "２"),
                     round("10:15:00", "１", "x")});
    for (const QuestionRecord& l : {
             line("10:00:00", "か", {1, 0, 0, 0, 4000}), line("10:00:00", "か", {0, 1, 0, 0, 1000}),
             line("10:00:00", "あ", {0, 0, 0, 1, -1}), line("10:05:00", "か", {0, 0, 1, 0, 2000}),
             line("10:05:00", "あ", {0, 0, 0, 0, -1}),
             {"2026/12/09", "10:05:00", "１", "か", 0, 0, 0, 0, 0, -1, false}, // another day's
             line("10:10:00", "かさ", {0, 0, 2, 1, 9000}, "２"),
             line("10:10:00", "か", {0, 0, 0, 0, -1}),  // no such round of set １
             line("10:15:00", "か", {1, 0, 0, 0, 100}), // a round without a length
             line("09:59:59", "か", {1, 0, 0, 0, 100}), // no round at all
         })
        stats.add(l);
    return stats;
}

QString questionsOf(const KanaStats& stats, const KanaTable& table, const std::vector<int>& order) {
    QStringList q;
    for (int i : order)
        q << stats.questions()[table.rows[size_t(i)].question];
    return q.join(u' ');
}

KanaTable tableOf(std::initializer_list<std::pair<QString, std::array<int, 5>>> lines) {
    static KanaStats stats;
    stats = KanaStats({round("10:00:00")});
    for (const auto& [q, f] : lines)
        stats.add(line("10:00:00", q, f));
    return kanaTable(stats, {});
}

} // namespace

Q_DECLARE_METATYPE(ProgressFilter)

class TestKanaStats : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void joinsLinesWithTheirRounds() {
        const KanaStats stats = sample();
        QCOMPARE(stats.lines(), 6);
        QCOMPARE(stats.ignored(), 4);
    }

    void sumsTheRoundsTheFilterShows_data() {
        QTest::addColumn<ProgressFilter>("filter");
        QTest::addColumn<int>("rounds");
        QTest::addColumn<QString>("rows"); // question:appearances:points:median
        QTest::newRow("everything")
            << ProgressFilter{} << 3 << "あ:2:-0.50:— か:3:2.00:2.0 かさ:1:5.00:9.0";
        QTest::newRow("one set") << ProgressFilter{QStringLiteral("１"), {}} << 2
                                 << "あ:2:-0.50:— か:3:2.00:2.0";
        QTest::newRow("one set and length")
            << ProgressFilter{QStringLiteral("１"), 60} << 1 << "あ:1:-1.00:— か:2:1.50:2.5";
        QTest::newRow("one length") << ProgressFilter{{}, 30} << 1 << "あ:1:0.00:— か:1:3.00:2.0";
        QTest::newRow("nothing of that kind")
            << ProgressFilter{QStringLiteral("２"), 30} << 0 << "";
    }
    void sumsTheRoundsTheFilterShows() {
        QFETCH(ProgressFilter, filter);
        QFETCH(int, rounds);
        QFETCH(QString, rows);
        const KanaStats stats = sample();
        const KanaTable table = kanaTable(stats, filter);
        QStringList got;
        for (const KanaRow& r : table.rows)
            got << QStringLiteral("%1:%2:%3:%4")
                       .arg(stats.questions()[r.question],
                            kanaFigureText(r, KanaFigure::Appearances),
                            kanaFigureText(r, KanaFigure::Points),
                            kanaFigureText(r, KanaFigure::MedianSeconds));
        QCOMPARE(got.join(u' '), rows);
        QCOMPARE(table.rounds, rounds);
    }

    void figuresOfOneQuestion() {
        // Four appearances: two heads and an inside word, a miss, one empty.
        const KanaTable t = tableOf({{"う", {2, 0, 1, 0, 3000}}, {"う", {0, 0, 0, 1, -1}},
                                     {"う", {0, 0, 0, 0, -1}}, {"う", {0, 1, 0, 0, 1000}}});
        const KanaRow& r = t.rows.front();
        const std::vector<std::pair<KanaFigure, double>> expected = {
            {KanaFigure::Appearances, 4},  {KanaFigure::Accepted, 1.0},
            {KanaFigure::Points, 6.0 / 4}, {KanaFigure::Head, 50},
            {KanaFigure::Tail, 25},        {KanaFigure::Inside, 25},
            {KanaFigure::Rejected, 20},    {KanaFigure::MedianSeconds, 2.0}};
        for (const auto& [figure, value] : expected)
            QCOMPARE(r.figure(figure), value);
        QVERIFY(
            std::isnan(tableOf({{"え", {0, 0, 0, 0, -1}}}).rows.front().figure(KanaFigure::Head)));
    }

    void ordersRows_data() {
        QTest::addColumn<int>("figure");
        QTest::addColumn<bool>("descending");
        QTest::addColumn<QString>("order");
        QTest::newRow("gojūon: voiced after plain, small kana, katakana, then the rest")
            << int(KanaFigure::Question) << false << "あ い か ん が ゃ ア カ かさ 漢";
        QTest::newRow("weakest first, those asked under three times last")
            << int(KanaFigure::Points) << false << "か が ん あ い ゃ ア カ かさ 漢";
        QTest::newRow("strongest first")
            << int(KanaFigure::Points) << true << "い あ ん か が ア カ かさ 漢 ゃ";
        QTest::newRow("by median, none last")
            << int(KanaFigure::MedianSeconds) << false << "かさ 漢 ア カ ゃ い あ が か ん";
    }
    void ordersRows() {
        QFETCH(int, figure);
        QFETCH(bool, descending);
        QFETCH(QString, order);
        KanaStats stats({round("10:00:00")});
        const auto add = [&](QString q, int times, std::array<int, 5> f) {
            for (int i = 0; i < times; ++i)
                stats.add(line("10:00:00", q, f));
        };
        add("漢", 1, {0, 0, 1, 0, 500});
        add("かさ", 1, {0, 0, 1, 0, 500});
        add("ア", 2, {0, 0, 1, 0, 600});
        add("カ", 1, {0, 0, 1, 0, 650});
        add("ゃ", 1, {1, 0, 0, 0, 700});
        add("ん", 3, {0, 0, 0, 0, -1});
        add("が", 3, {0, 0, 0, 1, 5000});
        add("か", 4, {0, 0, 0, 1, -1});
        add("い", 3, {0, 0, 1, 0, 1000});
        add("あ", 3, {0, 1, 0, 0, 2000});
        const KanaTable table = kanaTable(stats, {});
        QCOMPARE(questionsOf(stats, table, kanaOrder(table, KanaFigure(figure), descending)),
                 order);
    }

    void summaryNamesTheWeakestAndStrongest_data() {
        QTest::addColumn<bool>("withLines");
        QTest::addColumn<int>("bad");
        QTest::addColumn<QStringList>("parts");
        QTest::newRow("no lines yet") << false << 0 << QStringList{"次に保存する回から"};
        QTest::newRow("no lines, some unreadable") << false << 2 << QStringList{"読めない行: 2"};
        // あ, asked twice, is neither weak nor strong yet.
        const QString ka =
            QStringLiteral("か（出題 3 回、1 回あたり 2.00 点・正解 1.00 語、語頭 33%・"
                           "語尾 33%・語中 33%、不正解 0%、最初の正解まで中央値 2.0 秒）");
        QTest::newRow("figures") << true << 1
                                 << QStringList{"表示している回数: 2　問題: 2 種類　苦手な順: " +
                                                ka + "　得意な順: " + ka + "　読めない行: 1"};
    }
    void summaryNamesTheWeakestAndStrongest() {
        QFETCH(bool, withLines);
        QFETCH(int, bad);
        QFETCH(QStringList, parts);
        KanaStats stats = withLines ? sample() : KanaStats();
        stats.setBadLines(bad);
        const QString text = kanaSummary(stats, kanaTable(stats, {QStringLiteral("１"), {}}));
        for (const QString& part : parts)
            QVERIFY2(text.contains(part), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(TestKanaStats)
#include "test_kana_stats.moc"
