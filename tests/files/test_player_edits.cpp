// Files as a player leaves them after editing by hand: no line end after the
// last line, an old editor's end-of-file byte, UTF-8 from a modern editor, and
// mistakes that stop the start. None of them may lose or garble what the game
// reads or writes. Permissions are in test_permissions, run as an ordinary user.

#include "files/cp932.h"
#include "files/data_files.h"
#include "files/history_table.h"
#include "files/sequential_file.h"
#include "files/settings.h"
#include "support/fakes.h"

#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace kb;
using namespace kb::test;

namespace {

const HistoryRecord kRecord{
    QStringLiteral("2009/06/21"), QStringLiteral("21:07:45"), QStringLiteral("１"),  15, 3, 40, 25,
    QStringLiteral("83.3%"),      QStringLiteral("0.67/秒"),  QStringLiteral("60秒")};

QByteArray recordLine(const HistoryRecord& r = kRecord) {
    return "\"" + encodeCp932(r.date) + "\",\"" + encodeCp932(r.time) + "\",\"" +
           encodeCp932(r.set) + "\"," + QByteArray::number(r.okCount) + ',' +
           QByteArray::number(r.ngCount) + ',' + QByteArray::number(r.typedChars) + ',' +
           QByteArray::number(r.score) + ",\"" + encodeCp932(r.rate) + "\",\"" +
           encodeCp932(r.speed) + "\",\"" + encodeCp932(r.length) + "\"\r\n";
}

QStringList loadAll(const QString& name) {
    return loadList(name, name == kKanaFile ? 100 : 5000);
}

// What the game reads from a file at start-up, the same way whichever file it is.
QStringList readAtStartup(const QString& name) {
    if (name == kSettingsFile) {
        const Settings s = loadSettings();
        return {QString::number(s.timeLimitSeconds), QString::number(s.autoSave)};
    }
    if (name == kHistoryFile) {
        QStringList cells;
        for (const HistoryRecord& r : loadHistory(name))
            for (const QString& cell : r.cells())
                cells << cell;
        return cells;
    }
    return loadAll(name);
}

} // namespace

class TestPlayerEdits : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The game's appends always start a line of their own, and read back last.
    void appendReadsBackLast_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("kept"); // what stays of before
        const QByteArray kana = encodeCp932(u"い");
        const QByteArray rec = recordLine();
        const QByteArray open = rec.chopped(2);
        for (const QString& file : {kExclusionFile, kHistoryFile}) {
            const QByteArray n = file.toUtf8();
            const QByteArray line = file == kHistoryFile ? open : kana;
            QTest::addRow("%s, no line end after the last line", n.data())
                << file << line << line + "\r\n";
            QTest::addRow("%s, ends with a lone CR", n.data())
                << file << line + "\r" << line + "\r";
            QTest::addRow("%s, end-of-file byte after the last line end", n.data())
                << file << line + "\r\n\x1A" << line + "\r\n";
            QTest::addRow("%s, end-of-file byte and line ends", n.data())
                << file << line + "\r\n\x1A\r\n\r\n"
                << line + "\r\n";
            QTest::addRow("%s, end-of-file byte right after the text", n.data())
                << file << line + "\x1A" << line + "\r\n";
            QTest::addRow("%s, only an end-of-file byte", n.data())
                << file << QByteArray("\x1A") << QByteArray();
            // The comma already ended the last item: a line end would add an empty one.
            QTest::addRow("%s, last line ends with a comma", n.data())
                << file << line + "," << line + ",";
            // The reader ends an unclosed quoted item at the end of the file; the append
            // must not become part of it.
            QTest::addRow("%s, last quoted item never closed", n.data())
                << file << (file == kHistoryFile ? rec.chopped(3) : "\"" + kana)
                << (file == kHistoryFile ? rec : "\"" + kana + "\"\r\n");
            QTest::addRow("%s, quoted item open over a line end", n.data())
                << file << (file == kHistoryFile ? open.chopped(1) : "\"" + kana) + "\r\n"
                << (file == kHistoryFile ? open.chopped(1) : "\"" + kana) + "\r\n\"\r\n";
        }
    }
    void appendReadsBackLast() {
        QFETCH(QString, file);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, kept);
        HistoryRecord next = kRecord;
        next.score = -7;
        const QByteArray line = file == kHistoryFile ? recordLine(next) : encodeCp932(u"あ\r\n");
        const auto append = [&] {
            if (file == kHistoryFile)
                appendHistory(file, next);
            else
                appendExclusion(QStringLiteral("あ"));
        };
        {
            // Not read before: the append reads the whole file to see how it ends.
            WorkDir dir;
            writeBytes(file, before);
            append();
            QCOMPARE(readBytes(file), kept + line);
        }
        // Read at start-up first, as the game does: the append knows how it ends.
        WorkDir dir;
        writeBytes(file, before);
        const QStringList old = readAtStartup(file);
        append();
        QCOMPARE(readBytes(file), kept + line);
        if (file == kHistoryFile) {
            const QStringList cells = readAtStartup(file);
            QCOMPARE(cells.mid(0, old.size()), old);
            QCOMPARE(cells.size(), old.size() + 10);
            QCOMPARE(cells[old.size() + 6], QStringLiteral("-7"));
        } else {
            QCOMPARE(readAtStartup(file), old + QStringList{QStringLiteral("あ")});
        }
    }

    // Some code page 932 text is valid UTF-8 as well: 罎１ is E3 A2 82 50. Alone in
    // a file it would make the next start refuse the file, so it is not appended;
    // after kana, which UTF-8 cannot hold, it is.
    void appendThatWouldReadAsUtf8IsRefused() {
        const QString question = decodeCp932(QByteArray("\xE3\xA2\x82\x50"));
        QCOMPARE(question, QStringLiteral("罎１"));
        WorkDir dir;
        for (const QByteArray& before : {QByteArray(), QByteArray("a\r\n")}) {
            writeBytes(kExclusionFile, before);
            QCOMPARE(errorOf([&] { appendExclusion(question); }).kind(), Error::Kind::CannotWrite);
            QCOMPARE(readBytes(kExclusionFile), before);
        }
        writeCp932(kExclusionFile, QStringLiteral("あ\r\n"));
        appendExclusion(question);
        QCOMPARE(readAtStartup(kExclusionFile), (QStringList{QStringLiteral("あ"), question}));
    }

    // An old editor's end-of-file byte reads as if it were not there.
    void endOfFileByteIsNoData_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("kana") << kKanaFile << encodeCp932(u"あ\r\nい\r\n");
        QTest::newRow("kana without a last line end") << kKanaFile << encodeCp932(u"あ\r\nい");
        QTest::newRow("exclusions") << kExclusionFile << encodeCp932(u"う\r\n");
        QTest::newRow("history") << kHistoryFile << recordLine() + recordLine();
        QTest::newRow("settings with a blank") << kSettingsFile << QByteArray("60, 1");
    }
    void endOfFileByteIsNoData() {
        QFETCH(QString, file);
        QFETCH(QByteArray, text);
        WorkDir dir;
        writeBytes(file, text);
        const QStringList plain = readAtStartup(file);
        for (const QByteArray& end : {QByteArray("\x1A"), QByteArray("\x1A\r\n")}) {
            writeBytes(file, text + end);
            QCOMPARE(readAtStartup(file), plain);
        }
    }

    // Another encoding is refused with the line where it shows, and never extended.
    void otherEncodingsAreRefused_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("says");
        const QByteArray bom("\xEF\xBB\xBF");
        const QByteArray utf8Record = QString::fromUtf16(u"\"2009/06/21\",\"21:07:45\",\"１\",1,0,"
                                                         u"1,1,\"100.0%\",\"0.10/秒\",\"60秒\"\r\n")
                                          .toUtf8();
        const QString utf8 = QStringLiteral("UTF-8");
        const QString lacks = QStringLiteral("読めないバイト");
        for (const QString& file : {kKanaFile, kExclusionFile}) {
            const QByteArray n = file.toUtf8();
            QTest::addRow("%s UTF-8", n.data())
                << file << QByteArray("a\r\n") + QStringLiteral("あ\r\n").toUtf8() << 2 << utf8;
            QTest::addRow("%s UTF-8 with a byte-order mark", n.data())
                << file << bom + QStringLiteral("あ\r\n").toUtf8() << 1 << utf8;
            QTest::addRow("%s a byte code page 932 lacks", n.data())
                << file << encodeCp932(u"あ\r\nい\r\nう") + "\xFD\r\n"
                << 3 << lacks;
            // 0x80 and 0xA0, the lone bytes just past ASCII and before half-width kana.
            QTest::addRow("%s UTF-8 of four bytes", n.data())
                << file << QStringLiteral("a\r\n𠮷\r\n").toUtf8() << 2 << utf8;
            QTest::addRow("%s 0xFD eighth in a run of ASCII", n.data())
                << file << QByteArray("abcdefg\xFD\r\n") << 1 << lacks;
            QTest::addRow("%s 0x80 after ASCII", n.data())
                << file << QByteArray("abcdefgh\r\nabcdefghij\x80\r\n") << 2 << lacks;
            QTest::addRow("%s 0xA0", n.data()) << file << QByteArray("\xA0\r\n") << 1 << lacks;
        }
        QTest::newRow("settings with a byte-order mark") << kSettingsFile << bom + "60,1\r\n"
                                                         << 1 << utf8;
        QTest::newRow("history UTF-8") << kHistoryFile << recordLine() + utf8Record << 2 << utf8;
        QTest::newRow("history UTF-8 with a byte-order mark")
            << kHistoryFile << bom + utf8Record << 1 << utf8;
        QTest::newRow("history cut inside a character")
            << kHistoryFile << recordLine() + recordLine().chopped(4) << 2 << lacks;
    }
    void otherEncodingsAreRefused() {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(int, line);
        QFETCH(QString, says);
        WorkDir dir;
        writeBytes(file, bytes);
        const Error e = errorOf([&] { readAtStartup(file); });
        QCOMPARE(e.kind(), Error::Kind::NotShiftJis);
        QCOMPARE(e.line(), line);
        const QString m = e.message();
        QVERIFY2(m.contains(QStringLiteral("「%1」の %2 行目").arg(file).arg(line)), qPrintable(m));
        QVERIFY2(m.contains(says), qPrintable(m));
        QVERIFY2(m.contains(QStringLiteral("Shift_JIS にして保存し直して")), qPrintable(m));

        // Shift_JIS appended to UTF-8 would leave one file in two encodings.
        if (file == kExclusionFile)
            QCOMPARE(errorOf([] { appendExclusion(QStringLiteral("あ")); }).kind(),
                     Error::Kind::NotShiftJis);
        if (file == kHistoryFile)
            QCOMPARE(errorOf([] { appendHistory(kHistoryFile, kRecord); }).kind(),
                     Error::Kind::NotShiftJis);
        QCOMPARE(readBytes(file), bytes);
    }

    // Every error in reading a file at start-up names the line, the record in the
    // history, and what to do.
    void startupErrorsSayWhere_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("record");
        QTest::addColumn<QString>("advice");
        const QByteArray rec = recordLine();
        QTest::newRow("history blank last line") << kHistoryFile << rec + rec + "\r\n"
                                                 << 3 << 3 << QStringLiteral("空の行");
        QTest::newRow("history record cut short")
            << kHistoryFile << rec + rec.left(30) << 2 << 2 << QStringLiteral("10 項目");
        QTest::newRow("history number out of range")
            << kHistoryFile << rec + rec + QByteArray(rec).replace(",15,", ",40000,") << 3 << 3
            << QStringLiteral("-32768～32767 に直して");
        QTest::newRow("kana 101st item")
            << kKanaFile << QByteArray(101 * 2, 'a').replace("aa", "a\n") << 101 << 0
            << QStringLiteral("100 項目以下");
        QTest::newRow("kana blanks after the last line")
            << kKanaFile << QByteArray("a\r\n  ") << 2 << 0 << QStringLiteral("空白");
        QTest::newRow("settings with one item")
            << kSettingsFile << QByteArray("60\r\n") << 1 << 0 << QStringLiteral("60,1");
        QTest::newRow("settings auto-save out of range")
            << kSettingsFile << QByteArray("60\r\n5\r\n") << 2 << 0 << QStringLiteral("0、1、2");
    }
    void startupErrorsSayWhere() {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(int, line);
        QFETCH(int, record);
        QFETCH(QString, advice);
        WorkDir dir;
        writeBytes(file, bytes);
        const QString m = errorOf([&] { readAtStartup(file); }).message();
        QString where = QStringLiteral("「%1」の %2 行目").arg(file).arg(line);
        if (record > 0) where += QStringLiteral("（%1 件目の記録）").arg(record);
        QVERIFY2(m.contains(where), qPrintable(m));
        QVERIFY2(m.contains(advice), qPrintable(m));
    }

    // A rewrite keeps the file's owner, group and mode, as root after a start
    // with sudo, and keeps a second name of the file pointing at the new content.
    void rewriteKeepsOwnerGroupModeAndLinks() {
        WorkDir dir;
        writeBytes(kSettingsFile, "60,1\r\n");
        writeBytes(kHistoryFile, recordLine());
        QVERIFY(::link(QFile::encodeName(kHistoryFile).constData(), "second-name.txt") == 0);
        const bool root = ::geteuid() == 0;
        for (const QString& name : {kSettingsFile, kHistoryFile}) {
            const QByteArray path = QFile::encodeName(name);
            if (root) QVERIFY(::chown(path.constData(), 65534, 100) == 0);
            QVERIFY(::chmod(path.constData(), 0640) == 0);
        }
        struct stat before {};
        QVERIFY(::stat(QFile::encodeName(kSettingsFile).constData(), &before) == 0);
        saveSettings({90, 0});
        clearHistory(kHistoryFile);
        QCOMPARE(readBytes(kSettingsFile), QByteArray("90,0\r\n"));
        QCOMPARE(readBytes(QStringLiteral("second-name.txt")), QByteArray());
        for (const QString& name : {kSettingsFile, kHistoryFile}) {
            struct stat after {};
            QVERIFY(::stat(QFile::encodeName(name).constData(), &after) == 0);
            QCOMPARE(after.st_uid, before.st_uid);
            QCOMPARE(after.st_gid, before.st_gid);
            QCOMPARE(after.st_mode & 07777, mode_t(0640));
        }
        if (!root) QSKIP("owner and group of another user: run as root to check");
    }
};

QTEST_APPLESS_MAIN(TestPlayerEdits)
#include "test_player_edits.moc"
