#include "core/error.h"
#include "core/int16.h"
#include "core/text_format.h"

#include <QTest>

using namespace kb;

class TestTextFormat : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Per cent to one decimal, characters per second to two.
    void figures_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("of");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two of three") << 2 << 3 << "66.7%";
        QTest::newRow("one of sixteen rounds half up") << 1 << 16 << "6.3%";
        QTest::newRow("none") << 0 << 5 << "0.0%";
        QTest::newRow("all") << 7 << 7 << "100.0%";
        QTest::newRow("one of 2000 rounds up from .05") << 1 << 2000 << "0.1%";
        QTest::newRow("one of 3 rounds down") << 1 << 3 << "33.3%";
        QTest::newRow("158 in 60") << 158 << 60 << "2.63/秒";
        // 0.075 is 0.07499999… as a double; the 15-digit text rounds it up.
        QTest::newRow("3 in 40 is not 0.07") << 3 << 40 << "0.08/秒";
        QTest::newRow("large") << 32767 << 10 << "3276.70/秒";
        QTest::newRow("carry into the integer") << 1999 << 200 << "10.00/秒"; // 9.995
        QTest::newRow("negative") << -1 << 2 << "-0.50/秒";
        QTest::newRow("negative rounding to zero") << -1 << 1000 << "0.00/秒";
    }
    void figures() {
        QFETCH(int, count);
        QFETCH(int, of);
        QFETCH(QString, expected);
        const double value = static_cast<double>(count) / of;
        QCOMPARE(expected.endsWith(u'%') ? formatRate(value) : formatSpeed(value), expected);
    }

    void dateAndTime() {
        QCOMPARE(formatDate(QDate(2009, 6, 21)), QStringLiteral("2009/06/21"));
        QCOMPARE(formatDate(QDate(987, 1, 2)), QStringLiteral("0987/01/02"));
        QCOMPARE(formatTime(QTime(21, 7, 45)), QStringLiteral("21:07:45"));
        QCOMPARE(formatTime(QTime(0, 0, 0)), QStringLiteral("00:00:00"));
        QCOMPARE(formatTime(QTime(23, 59, 58)), QStringLiteral("23:59:58")); // every digit > 8
    }

    void int16Limits() {
        QCOMPARE(addInt16(32766, 1), std::int16_t(32767));
        QCOMPARE(addInt16(-32767, -1), std::int16_t(-32768));
        QVERIFY_THROWS_EXCEPTION(Error, addInt16(32767, 1));
        QVERIFY_THROWS_EXCEPTION(Error, addInt16(-32768, -1));
        try {
            toInt16(40000, QStringLiteral("履歴.txt"));
            QFAIL("no overflow");
        } catch (const Error& e) {
            QCOMPARE(e.kind(), Error::Kind::Overflow);
            QVERIFY(e.message().contains(QStringLiteral("履歴.txt")));
        }
    }
};

QTEST_APPLESS_MAIN(TestTextFormat)
#include "test_text_format.moc"
