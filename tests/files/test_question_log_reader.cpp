// Reading 出題記録.txt for the chart's per-question view: the program's own
// lines, and lines a hand edit or a crash left, which are counted and skipped
// without losing the good lines around them.

#include "files/cp932.h"
#include "files/question_log_reader.h"
#include "support/fakes.h"

#include <QTest>

using namespace kb;
using namespace kb::test;

namespace {

const QString kFile = QStringLiteral("出題記録.txt");
const QByteArray kGood =
    encodeCp932(u"\"2026/12/08\",\"21:40:51\",\"１\",\"あ\",12345,1,0,2,1,2390,0");

// kGood with one item replaced.
QByteArray with(int item, const char* text) {
    QList<QByteArray> items = kGood.split(',');
    items[item] = text;
    return items.join(',');
}

} // namespace

class TestQuestionLogReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsGoodLinesAndCountsBadOnes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("good");
        QTest::addColumn<int>("bad");
        const QByteArray crlf = kGood + "\r\n";
        QTest::newRow("the program's line") << crlf << 1 << 0;
        QTest::newRow("lines ended by LF, lone CR or nothing")
            << kGood + "\n" + kGood + "\r" + kGood << 3 << 0;
        QTest::newRow("blank lines are no lines") << "\r\n" + crlf + "  \r\n\r\n" + crlf << 2 << 0;
        QTest::newRow("texts without quotes")
            << encodeCp932(u"2026/12/08,21:40:51,２,かさ,1,0,0,0,0,-1,1") << 1 << 0;
        QTest::newRow("32-bit limits, none")
            << with(4, "2147483647") + "\n" + with(9, "-1") + "\n" + with(4, "0") << 3 << 0;
        QTest::newRow("ten items, twelve") << kGood.chopped(2) + "\r\n" + kGood + ",0" << 0 << 2;
        for (int item = 4; item <= 8; ++item) // the time shown and the four counts
            QTest::addRow("item %d at -1", item + 1) << with(item, "-1") << 0 << 1;
        // A number past 32 bits, a long run of digits, a first word before -1, excluded
        // neither 0 nor 1, a fraction, no number.
        for (const auto& [item, text] : {std::pair{4, "2147483648"}, {9, "99999999999999999999"},
                                         {9, "-2"}, {10, "2"}, {6, "1.5"}, {7, ""}})
            QTest::addRow("item %d '%s'", item + 1, text) << with(item, text) << 0 << 1;
        // Each field of the date and time at its first value out of range.
        for (const char* date :
             {"0000/12/08", "2026/00/08", "2026/13/08", "2026/12/00", "2026/12/32", "2026/1/8"})
            QTest::addRow("date %s", date) << with(0, date) << 0 << 1;
        for (const char* time : {"24:00:00", "23:60:00", "23:59:60"})
            QTest::addRow("time %s", time) << with(1, time) << 0 << 1;
        for (const auto& [item, text] : {std::pair{0, "0001/01/01"}, {0, "9999/12/31"},
                                         {1, "00:00:00"}, {1, "23:59:59"}}) // first and last
            QTest::addRow("item %d '%s'", item + 1, text) << with(item, text) << 1 << 0;
        QTest::newRow("no question") << with(3, "\"\"") << 0 << 1;
        QTest::newRow("bad lines among good ones")
            << crlf + with(5, "x") + "\r\n" + crlf + "garbage\r\n" + crlf << 3 << 2;
    }
    void readsGoodLinesAndCountsBadOnes() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, good);
        QFETCH(int, bad);
        WorkDir dir;
        writeBytes(kFile, bytes);
        const QuestionLog log = readQuestionLog(kFile);
        QCOMPARE(int(log.records.size()), good);
        QCOMPARE(log.badLines, bad);
    }

    void readsEveryItem() {
        WorkDir dir;
        // Questions of up to seven bytes are told apart by every byte, the last too.
        writeBytes(kFile, kGood + "\r\n" + with(10, "1") + "\r\n" +
                              with(3, encodeCp932(u"あいうa").constData()) + "\r\n" +
                              with(3, encodeCp932(u"あいうb").constData()));
        const QuestionLog log = readQuestionLog(kFile);
        QCOMPARE(log.records[2].question + log.records[3].question,
                 QStringLiteral("あいうaあいうb"));
        QuestionRecord r{"2026/12/08", "21:40:51", "１", "あ", 12345, 1, 0, 2, 1, 2390, false};
        QCOMPARE(log.records.size(), size_t(4));
        QVERIFY(log.records[0] == r);
        r.excluded = true;
        QVERIFY(log.records[1] == r);
    }

    // Missing is normal: the first save makes it.
    void aMissingFileIsEmpty() {
        WorkDir dir;
        const QuestionLog log = readQuestionLog(kFile);
        QVERIFY(log.records.empty());
        QCOMPARE(log.badLines, 0);
    }

    void aUtf8FileIsRefusedWithItsNameAndLine() {
        WorkDir dir;
        writeBytes(
            kFile,
            kGood + "\r\n" +
                QStringLiteral("\"2026/12/08\",\"21:40:51\",\"１\",\"あ\",1,1,0,0,0,1,0").toUtf8());
        try {
            readQuestionLog(kFile);
            QFAIL("read a UTF-8 file");
        } catch (const Error& e) {
            QCOMPARE(e.kind(), Error::Kind::NotShiftJis);
            QVERIFY(e.message().contains(kFile));
            QCOMPARE(e.line(), 2);
        }
    }
};

QTEST_GUILESS_MAIN(TestQuestionLogReader)
#include "test_question_log_reader.moc"
