#include "files/cp932.h"
#include "files/data_files.h"
#include "files/history_table.h"
#include "files/sequential_file.h"
#include "files/settings.h"
#include "support/fakes.h"

#include <csignal>
#include <QTest>
#include <unistd.h>

using namespace kb;
using namespace kb::test;

Q_DECLARE_METATYPE(Error::Kind)

namespace {

QStringList readAllStrings(const QString& name) {
    SequentialFile f;
    f.openRead(name);
    QStringList items;
    while (!f.atEnd())
        items << f.readString();
    f.close();
    return items;
}

Error::Kind kindOf(const std::function<void()>& body) {
    return errorOf(body).kind();
}

} // namespace

class TestSequentialFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void items_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("items");
        const auto cp = [](const char16_t* s) { return encodeCp932(QString::fromUtf16(s)); };
        QTest::newRow("one per line") << cp(u"あ\r\nい\r\n") << QStringList{"あ", "い"};
        QTest::newRow("commas split a line") << cp(u"あ,い\r\n") << QStringList{"あ", "い"};
        QTest::newRow("quotes are removed") << cp(u"\"あ\"\r\n") << QStringList{"あ"};
        QTest::newRow("quoted comma stays")
            << cp(u"\"あ,い\",う\r\n") << QStringList{"あ,い", "う"};
        QTest::newRow("after the closing quote up to the comma is skipped")
            << cp(u"\"あ\"xyz,い\r\n") << QStringList{"あ", "い"};
        QTest::newRow("last line without line end") << cp(u"あ\r\nい") << QStringList{"あ", "い"};
        QTest::newRow("LF only") << cp(u"あ\nい\n") << QStringList{"あ", "い"};
        QTest::newRow("CR only") << cp(u"あ\rい\r") << QStringList{"あ", "い"};
        QTest::newRow("empty line in the middle")
            << cp(u"あ\r\n\r\nい\r\n") << QStringList{"あ", "", "い"};
        QTest::newRow("two line ends at the end give an empty last item")
            << cp(u"あ\r\n\r\n") << QStringList{"あ", ""};
        QTest::newRow("empty between commas") << cp(u"あ,,い\r\n") << QStringList{"あ", "", "い"};
        QTest::newRow("leading blanks skipped, trailing removed")
            << cp(u"  あ \t\r\n い\r\n") << QStringList{"あ", "い"};
        QTest::newRow("quoted blanks stay") << cp(u"\" あ \"\r\n") << QStringList{" あ "};
        QTest::newRow("unclosed quote runs to the end") << cp(u"\"あい") << QStringList{"あい"};
        // 0x5C (backslash) and 0x7C are trail bytes of ソ and ポ; they are no delimiters.
        QTest::newRow("trail bytes that look like ASCII")
            << cp(u"ソ,ポ,表\r\n") << QStringList{"ソ", "ポ", "表"};
        QTest::newRow("half-width katakana") << cp(u"ｶﾀｶﾅ\r\n") << QStringList{"ｶﾀｶﾅ"};
        // Code page 932 text whose bytes happen to be valid UTF-8 is not refused as UTF-8.
        QTest::newRow("half-width katakana that is valid UTF-8")
            << cp(u"ﾂｱ\r\nﾂｲ\r\n") << QStringList{"ﾂｱ", "ﾂｲ"};
        QTest::newRow("kanji and full-width forms")
            << cp(u"ヴ,漢字,１Ａ") << QStringList{"ヴ", "漢字", "１Ａ"};
    }
    void items() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, items);
        WorkDir dir;
        writeBytes(QStringLiteral("list.txt"), bytes);
        QCOMPARE(readAllStrings(QStringLiteral("list.txt")), items);
    }

    // Numbers read as int16, or fail with the kind given (-1 for none).
    void int16Items_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("error");
        const int none = -1, overflow = int(Error::Kind::Overflow);
        QTest::newRow("plain") << QByteArray("60") << 60 << none;
        QTest::newRow("negative") << QByteArray("-32768") << -32768 << none;
        QTest::newRow("largest") << QByteArray("32767") << 32767 << none;
        QTest::newRow("not a number") << QByteArray("abc") << 0 << none;
        QTest::newRow("empty") << QByteArray("") << 0 << none;
        QTest::newRow("leading digits") << QByteArray("12abc") << 12 << none;
        QTest::newRow("quoted") << QByteArray("\"45\"") << 45 << none;
        QTest::newRow("fraction below a half") << QByteArray("2.4") << 2 << none;
        QTest::newRow("half rounds away from zero") << QByteArray("2.5") << 3 << none;
        QTest::newRow("negative half") << QByteArray("-2.5") << -3 << none;
        QTest::newRow("above int16") << QByteArray("32768") << 0 << overflow;
        QTest::newRow("below int16") << QByteArray("-32769") << 0 << overflow;
        QTest::newRow("huge") << QByteArray("99999999999999999999999") << 0 << overflow;
        QTest::newRow("rounds past the top") << QByteArray("32767.5") << 0 << overflow;
        QTest::newRow("nothing left") << QByteArray("  ") << 0 << int(Error::Kind::EndOfFile);
    }
    void int16Items() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, value);
        QFETCH(int, error);
        WorkDir dir;
        writeBytes(QStringLiteral("n.txt"),
                   error == int(Error::Kind::EndOfFile) ? bytes : bytes + "\r\n");
        SequentialFile f;
        f.openRead(QStringLiteral("n.txt"));
        if (error >= 0)
            QCOMPARE(int(kindOf([&] { f.readInt16(); })), error);
        else
            QCOMPARE(int(f.readInt16()), value);
    }

    void openErrors() {
        WorkDir dir;
        SequentialFile f;
        QCOMPARE(kindOf([&] { f.openRead(QStringLiteral("missing.txt")); }),
                 Error::Kind::FileNotFound);
        QDir().mkdir(QStringLiteral("adir"));
        QCOMPARE(kindOf([&] { f.openRead(QStringLiteral("adir")); }), Error::Kind::CannotRead);
        QCOMPARE(kindOf([&] { f.openAppend(QStringLiteral("adir")); }), Error::Kind::CannotWrite);
        QCOMPARE(kindOf([&] { f.openRewrite(QStringLiteral("adir")); }), Error::Kind::CannotWrite);
    }

    void recordWriterAndLinePrinter() {
        WorkDir dir;
        SequentialFile f;
        f.openRewrite(QStringLiteral("out.txt"));
        f.writeRecord({QStringLiteral("2009/06/21"), std::int16_t(15), std::int16_t(-3),
                       QStringLiteral("60秒")});
        f.printLine(QStringLiteral("あ"));
        f.close();
        QCOMPARE(readBytes(QStringLiteral("out.txt")), QByteArray("\"2009/06/21\",15,-3,\"60") +
                                                           encodeCp932(u"秒") + "\"\r\n" +
                                                           encodeCp932(u"あ") + "\r\n");
    }

    void cp932RoundTrip() {
        // Every double-byte character and every half-width katakana survives bytes -> text ->
        // bytes.
        QByteArray all;
        for (int b = 0xA1; b <= 0xDF; ++b)
            all += char(b);
        // Rows ED and FA..FC repeat characters found elsewhere, so only their bytes round-trip one
        // way.
        for (int lead : {0x81, 0x82, 0x83, 0x84, 0x88, 0x98, 0x9F, 0xE0, 0xEA})
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F) continue;
                const char pair[] = {char(lead), char(trail)};
                const QString s = decodeCp932(pair, 2);
                if (s.size() == 1 && s[0] != QChar(0xFFFD)) all.append(pair, 2);
            }
        QCOMPARE(encodeCp932(decodeCp932(all)), all);
        // The wave dash is 0x8160 whichever of its two Unicode faces is written.
        QCOMPARE(encodeCp932(u"\u301C"), QByteArray("\x81\x60"));
        QCOMPARE(encodeCp932(decodeCp932(QByteArray("\x81\x60"))), QByteArray("\x81\x60"));
        QCOMPARE(decodeCp932(QByteArray("\xB6\xC0\xB6\xC5")), QStringLiteral("ｶﾀｶﾅ"));
        // What the code page cannot hold is written as "?".
        QCOMPARE(encodeCp932(u"a\u00E9b\U0001F600"), QByteArray("a?b?"));
        QCOMPARE(roundTripCp932(u"é"), QStringLiteral("?"));
    }

    void lists() {
        WorkDir dir;
        QString hundred;
        for (int i = 0; i < 100; ++i)
            hundred += QStringLiteral("か\r\n");
        writeCp932(QStringLiteral("l.txt"), hundred);
        QCOMPARE(loadList(QStringLiteral("l.txt"), 100).size(), 100);
        writeCp932(QStringLiteral("l.txt"), hundred + QStringLiteral("き"));
        QCOMPARE(kindOf([&] { loadList(QStringLiteral("l.txt"), 100); }),
                 Error::Kind::IndexOutOfRange);
        writeBytes(QStringLiteral("l.txt"), {});
        QVERIFY(loadList(QStringLiteral("l.txt"), 100).isEmpty());
    }

    void settings_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("autoSave");
        QTest::addColumn<int>("error"); // -1 for none
        QTest::newRow("normal") << QByteArray("60,1\r\n") << 60 << 1 << -1;
        QTest::newRow("third state") << QByteArray("60,2\r\n") << 60 << 2 << -1;
        QTest::newRow("not in the list") << QByteArray("75,0\r\n") << 75 << 0 << -1;
        QTest::newRow("one item per line, trailing junk ignored")
            << QByteArray("90\r\n0\r\nxx") << 90 << 0 << -1;
        QTest::newRow("only one item")
            << QByteArray("60\r\n") << 0 << 0 << int(Error::Kind::EndOfFile);
        QTest::newRow("round length not a number")
            << QByteArray("abc,1\r\n") << 0 << 0 << int(Error::Kind::InvalidValue);
        QTest::newRow("negative round length")
            << QByteArray("-5,1\r\n") << 0 << 0 << int(Error::Kind::InvalidValue);
        QTest::newRow("auto-save 3")
            << QByteArray("60,3\r\n") << 0 << 0 << int(Error::Kind::InvalidValue);
        QTest::newRow("auto-save -1")
            << QByteArray("60,-1\r\n") << 0 << 0 << int(Error::Kind::InvalidValue);
    }
    void settings() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, seconds);
        QFETCH(int, autoSave);
        QFETCH(int, error);
        WorkDir dir;
        writeBytes(kSettingsFile, bytes);
        if (error >= 0) {
            try {
                loadSettings();
                QFAIL("accepted");
            } catch (const Error& e) {
                QCOMPARE(int(e.kind()), error);
                QVERIFY(e.message().contains(kSettingsFile));
            }
            return;
        }
        const Settings s = loadSettings();
        QCOMPARE(int(s.timeLimitSeconds), seconds);
        QCOMPARE(int(s.autoSave), autoSave);
    }

    void settingsRewriteFollowsALink() {
        WorkDir dir;
        saveSettings({90, 1});
        QCOMPARE(readBytes(kSettingsFile), QByteArray("90,1\r\n"));
        // A linked regular file stays linked and gets the new content.
        QFile::remove(kSettingsFile);
        writeBytes(QStringLiteral("real.txt"), "10,0\r\n");
        QVERIFY(::symlink("real.txt", QFile::encodeName(kSettingsFile).constData()) == 0);
        saveSettings({20, 1});
        QVERIFY(QFileInfo(kSettingsFile).isSymLink());
        QCOMPARE(readBytes(QStringLiteral("real.txt")), QByteArray("20,1\r\n"));
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden | QDir::System).size(),
                 2); // no temporary left
    }

    // What is appended reads back the same; a clear leaves zero bytes; a damaged
    // record stops the load.
    void history() {
        WorkDir dir;
        const HistoryRecord r{QStringLiteral("2009/06/21"),
                              QStringLiteral("21:07:45"),
                              QStringLiteral("１"),
                              15,
                              3,
                              40,
                              -25,
                              QStringLiteral("83.3%"),
                              QStringLiteral("0.67/秒"),
                              QStringLiteral("60秒")};
        appendHistory(kHistoryFile, r); // the file does not exist yet
        appendHistory(kHistoryFile, r);
        QVERIFY(loadHistory(kHistoryFile) == std::vector({r, r}));
        clearHistory(kHistoryFile);
        QCOMPARE(QFileInfo(kHistoryFile).size(), 0);
        QVERIFY(loadHistory(kHistoryFile).empty());
        writeBytes(kHistoryFile, "\"a\",\"b\",\"c\",1,2,3\r\n");
        QCOMPARE(kindOf([] { loadHistory(kHistoryFile); }), Error::Kind::EndOfFile);
        writeBytes(kHistoryFile, "\"a\",\"b\",\"c\",1,2,99999,4,\"x\",\"y\",\"z\"\r\n");
        QCOMPARE(kindOf([] { loadHistory(kHistoryFile); }), Error::Kind::Overflow);
    }

    // Every write, failing each way that stops root too (permissions are
    // test_permissions'): an error, the file exactly as it was, nothing left beside it.
    void failedWriteLeavesTheFileAsItWas_data() {
        QTest::addColumn<bool>("rewrite");
        QTest::addColumn<int>("fault");
        const char* faults[] = {"a folder in the way", "a full device", "the disk fills up"};
        for (bool rewrite : {true, false})
            for (int fault = 0; fault < 3; ++fault)
                QTest::addRow("%s, %s", rewrite ? "rewrite" : "append", faults[fault])
                    << rewrite << fault;
    }
    void failedWriteLeavesTheFileAsItWas() {
        QFETCH(bool, rewrite);
        QFETCH(int, fault);
        std::signal(SIGXFSZ, SIG_IGN);
        WorkDir dir;
        const QString name = QStringLiteral("f.txt");
        const QByteArray before = "\"x\"\r\n";
        if (fault == 0) QVERIFY(QDir().mkdir(name));
        if (fault == 1) QVERIFY(QFile::link(QStringLiteral("/dev/full"), name));
        if (fault == 2) writeBytes(name, before);
        {
            // A rewrite goes to a new file first: one byte is too many for it.
            FileSizeLimit limit(fault != 2 ? RLIM_INFINITY
                                : rewrite  ? 1
                                           : rlim_t(before.size()) + 1);
            QVERIFY(limit.active());
            QCOMPARE(kindOf([&] {
                         SequentialFile f;
                         rewrite ? f.openRewrite(name) : f.openAppend(name);
                         f.writeRecord({QStringLiteral("new"), std::int16_t(1)});
                         f.close();
                     }),
                     Error::Kind::CannotWrite);
        }
        if (fault == 0) QVERIFY(QFileInfo(name).isDir());
        if (fault == 1) QCOMPARE(QFileInfo(name).symLinkTarget(), QStringLiteral("/dev/full"));
        if (fault == 2) QCOMPARE(readBytes(name), before);
        QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{name});
    }

    void exclusionLinesReadBackAsTheSameQuestion_data() {
        QTest::addColumn<QString>("question");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("plain kana is a bare line")
            << QStringLiteral("あい") << encodeCp932(u"あい\r\n");
        QTest::newRow("empty question is an empty quoted item")
            << QString() << QByteArray("\"\"\r\n");
        QTest::newRow("comma is quoted")
            << QStringLiteral("あ,い") << encodeCp932(u"\"あ,い\"\r\n");
        QTest::newRow("trailing end-of-file byte is quoted")
            << QStringLiteral("あ\x1A") << encodeCp932(u"\"あ\x1A\"\r\n");
        QTest::newRow("lone CR is quoted")
            << QStringLiteral("あ\rい") << encodeCp932(u"\"あ\rい\"\r\n");
        QTest::newRow("leading blank is quoted")
            << QStringLiteral(" あ") << encodeCp932(u"\" あ\"\r\n");
    }
    void exclusionLinesReadBackAsTheSameQuestion() {
        QFETCH(QString, question);
        QFETCH(QByteArray, line);
        WorkDir dir;
        appendExclusion(question);
        QCOMPARE(readBytes(kExclusionFile), line);
        QCOMPARE(readAllStrings(kExclusionFile), QStringList{question});
    }
};

QTEST_APPLESS_MAIN(TestSequentialFile)
#include "test_sequential_file.moc"
