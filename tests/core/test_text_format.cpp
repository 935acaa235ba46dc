#include "core/error.h"
#include "core/int16.h"
#include "core/text_format.h"

#include <QTest>

using namespace kb;

class TestTextFormat : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rate_data() {
        QTest::addColumn<int>("ok");
        QTest::addColumn<int>("judged");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two of three") << 2 << 3 << "66.7%";
        QTest::newRow("one of sixteen rounds half up") << 1 << 16 << "6.3%";
        QTest::newRow("five of six") << 5 << 6 << "83.3%";
        QTest::newRow("three of four") << 3 << 4 << "75.0%";
        QTest::newRow("none") << 0 << 5 << "0.0%";
        QTest::newRow("all") << 7 << 7 << "100.0%";
        QTest::newRow("one of eight is an exact half") << 1 << 8 << "12.5%";
        QTest::newRow("one of 2000 rounds up from .05") << 1 << 2000 << "0.1%";
        QTest::newRow("one of 3 rounds down") << 1 << 3 << "33.3%";
    }
    void rate() {
        QFETCH(int, ok);
        QFETCH(int, judged);
        QFETCH(QString, expected);
        QCOMPARE(formatRate(static_cast<double>(ok) / judged), expected);
    }

    void speed_data() {
        QTest::addColumn<int>("chars");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("expected");
        QTest::newRow("158 in 60") << 158 << 60 << "2.63/秒";
        // 0.075 is 0.07499999… as a double; the 15-digit text rounds it up.
        QTest::newRow("3 in 40 is not 0.07") << 3 << 40 << "0.08/秒";
        QTest::newRow("40 in 60") << 40 << 60 << "0.67/秒";
        QTest::newRow("nothing") << 0 << 60 << "0.00/秒";
        QTest::newRow("large") << 32767 << 10 << "3276.70/秒";
        QTest::newRow("carry into the integer") << 1999 << 200 << "10.00/秒"; // 9.995
    }
    void speed() {
        QFETCH(int, chars);
        QFETCH(int, seconds);
        QFETCH(QString, expected);
        QCOMPARE(formatSpeed(static_cast<double>(chars) / seconds), expected);
    }

    void negativeFigures() {
        QCOMPARE(formatFixed(-0.5, 2), QStringLiteral("-0.50"));
        QCOMPARE(formatFixed(-0.001, 2), QStringLiteral("0.00"));
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
