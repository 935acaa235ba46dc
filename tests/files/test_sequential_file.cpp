// The file layer: how items are read and written, and files as a player leaves
// them after editing by hand: no line end after the last line, an old editor's
// end-of-file byte, UTF-8 from a modern editor, and mistakes that stop the
// start. None of them may lose or garble what the game reads or writes.
// Permissions are in test_permissions, run as an ordinary user.

#include "files/cp932.h"
#include "files/data_files.h"
#include "files/history_table.h"
#include "files/item_reader.h"
#include "files/known_ends.h"
#include "files/question_log.h"
#include "files/question_log_reader.h"
#include "files/record_writer.h"
#include "files/settings.h"
#include "support/fakes.h"

#include <csignal>
#include <QTest>
#include <unistd.h>

using namespace kb;
using namespace kb::test;

namespace {
// How the files ended, shared by reads and appends as the window shares its own.
KnownEnds ends;

const HistoryRecord kRecord{"2009/06/21", "21:07:45", "１",    15,        3,
                            40,           25,         "83.3%", "0.67/秒", "60秒"};
// kRecord as the file holds it.
const QByteArray kLine = encodeCp932(
    u"\"2009/06/21\",\"21:07:45\",\"１\",15,3,40,25,\"83.3%\",\"0.67/秒\",\"60秒\"\r\n");

// What the game reads from a file at start-up, the same way whichever file it is.
QStringList readAtStartup(const QString& name) {
    if (name == kSettingsFile) {
        const Settings s = loadSettings();
        return {QString::number(s.timeLimitSeconds), QString::number(s.autoSave)};
    }
    if (name != kHistoryFile) return loadList(name, name == kKanaFile ? 100 : 5000, &ends);
    // The grid's index must read what the record reader reads.
    QStringList cells, indexed;
    for (const HistoryRecord& r : loadHistory(name, &ends))
        for (const QString& cell : r.cells())
            cells << cell;
    const HistoryIndex index = indexHistory(name, &ends);
    HistoryTexts t;
    for (const HistoryIndex::Record& r : index.records) {
        historyTexts(index.bytes, r.start, t);
        for (const QString& cell : joinRecord(t, r.numbers).cells())
            indexed << cell;
    }
    return indexed == cells ? cells : QStringList{"the index reads otherwise"};
}

// Appends as the game does: the question あ excluded, or kRecord saved with a score of -7.
// Returns the items the next start reads more.
QStringList appendAsTheGame(const QString& name) {
    if (name == kExclusionFile) {
        appendExclusion(QStringLiteral("あ"), &ends);
        return {QStringLiteral("あ")};
    }
    HistoryRecord next = kRecord;
    next.score = -7;
    const auto cells = appendHistory(name, next, &ends).cells();
    return QStringList(cells.begin(), cells.end());
}

// The row's bytes read as one number by read, or failing with the row's error kind.
template <class Read> void readsNumber(Read read) {
    QFETCH(QByteArray, bytes);
    QFETCH(int, value);
    QFETCH(int, error);
    WorkDir dir;
    writeBytes(QStringLiteral("n.txt"), bytes);
    ItemReader f;
    f.open(QStringLiteral("n.txt"));
    if (error >= 0)
        QCOMPARE(int(errorOf([&] { read(f); }).kind()), error);
    else
        QCOMPARE(read(f), value);
}

} // namespace

class TestSequentialFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void items_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("items"); // "|" between them
        const auto row = [](const char* name, const char16_t* text, const char* items) {
            QTest::newRow(name) << encodeCp932(QString::fromUtf16(text))
                                << QString::fromUtf8(items);
        };
        row("one per line", u"あ\r\nい\r\n", "あ|い");
        row("commas split a line", u"あ,い\r\n", "あ|い");
        row("quotes are removed", u"\"あ\"\r\n", "あ");
        row("quoted comma stays", u"\"あ,い\",う\r\n", "あ,い|う");
        row("after the closing quote up to the comma is skipped", u"\"あ\"xyz,い\r\n", "あ|い");
        row("last line without line end", u"あ\r\nい", "あ|い");
        row("LF only", u"あ\nい\n", "あ|い");
        row("CR only", u"あ\rい\r", "あ|い");
        row("empty line in the middle", u"あ\r\n\r\nい\r\n", "あ||い");
        row("two line ends at the end give an empty last item", u"あ\r\n\r\n", "あ|");
        row("empty between commas", u"あ,,い\r\n", "あ||い");
        row("leading blanks skipped, trailing removed", u"  あ \t\r\n い\r\n", "あ|い");
        row("quoted blanks stay", u"\" あ \"\r\n", " あ ");
        row("unclosed quote runs to the end", u"\"あい", "あい");
        // 0x5C (backslash) and 0x7C are trail bytes of ソ and ポ; they are no delimiters.
        row("trail bytes that look like ASCII", u"ソ,ポ,表\r\n", "ソ|ポ|表");
        row("half-width katakana", u"ｶﾀｶﾅ\r\n", "ｶﾀｶﾅ");
        // Code page 932 text whose bytes happen to be valid UTF-8 is not refused as UTF-8.
        row("half-width katakana that is valid UTF-8", u"ﾂｱ\r\nﾂｲ\r\n", "ﾂｱ|ﾂｲ");
        row("kanji and full-width forms", u"ヴ,漢字,１Ａ", "ヴ|漢字|１Ａ");
    }
    void items() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, items);
        WorkDir dir;
        writeBytes(kExclusionFile, bytes);
        QCOMPARE(readAtStartup(kExclusionFile), items.split(QLatin1Char('|')));
    }

    // Numbers read as int16, or fail with the kind given (-1 for none).
    void int16Items_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("error");
        const int none = -1, overflow = int(Error::Kind::Overflow);
        QTest::newRow("plain") << QByteArray("60\r\n") << 60 << none;
        QTest::newRow("negative") << QByteArray("-32768") << -32768 << none;
        QTest::newRow("largest") << QByteArray("32767") << 32767 << none;
        QTest::newRow("not a number") << QByteArray("abc") << 0 << none;
        QTest::newRow("leading digits") << QByteArray("12abc") << 12 << none;
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
        readsNumber([](ItemReader& f) { return int(f.readInt16()); });
    }
    void openErrors() {
        WorkDir dir;
        ItemReader f;
        QCOMPARE(errorOf([&] { f.open(QStringLiteral("missing.txt")); }).kind(),
                 Error::Kind::FileNotFound);
        QDir().mkdir(QStringLiteral("adir")); // in a write's way: failedWriteLeavesTheFileAsItWas
        QCOMPARE(errorOf([&] { f.open(QStringLiteral("adir")); }).kind(), Error::Kind::CannotRead);
    }

    void cp932RoundTrip() {
        // Every half-width katakana and double-byte character survives bytes -> text -> bytes.
        // Rows ED and FA..FC repeat characters found elsewhere, so only their bytes round-trip
        // one way.
        QByteArray all;
        for (int b = 0xA1; b <= 0xDF; ++b)
            all += char(b);
        for (int lead : {0x81, 0x82, 0x83, 0x84, 0x88, 0x98, 0x9F, 0xE0, 0xEA})
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                const char pair[] = {char(lead), char(trail)};
                const QString s = decodeCp932(pair, 2);
                if (trail != 0x7F && s.size() == 1 && s[0] != QChar(0xFFFD)) all.append(pair, 2);
            }
        QCOMPARE(encodeCp932(decodeCp932(all)), all);
        for (const char* pair : {"\x81\x40", "\x9F\x40", "\xE0\x40", "\xFC\x40"}) // lead bounds
            QCOMPARE(decodeCp932(pair, 2).size(), 1);
        // The wave dash is 0x8160 whichever of its two Unicode faces is written.
        QCOMPARE(encodeCp932(u"\u301C"), QByteArray("\x81\x60"));
        QCOMPARE(encodeCp932(decodeCp932(QByteArray("\x81\x60"))), QByteArray("\x81\x60"));
        // What the code page cannot hold is written as "?".
        QCOMPARE(encodeCp932(u"a\u00E9b\U0001F600"), QByteArray("a?b?"));
        QCOMPARE(roundTripCp932(u"é"), QStringLiteral("?"));
    }

    // A write makes the file it does not find; a linked regular file stays linked
    // and gets the rewrite.
    void writesMakeTheirFileAndFollowALink() {
        WorkDir dir;
        saveSettings({90, 1});
        // A file made anew is the player's to write, and no program: not executable.
        QCOMPARE(QFileInfo(kSettingsFile).permissions() & 0x3111, QFile::Permissions(0x2000));
        appendHistory(kHistoryFile, kRecord, &ends);
        QCOMPARE(readBytes(kSettingsFile) + readBytes(kHistoryFile), "90,1\r\n" + kLine);
        QFile::remove(kSettingsFile);
        writeBytes(QStringLiteral("real.txt"), "10,0\r\n");
        QVERIFY(::symlink("real.txt", QFile::encodeName(kSettingsFile).constData()) == 0);
        saveSettings({20, 1});
        QVERIFY(QFileInfo(kSettingsFile).isSymLink());
        QCOMPARE(readBytes(QStringLiteral("real.txt")), QByteArray("20,1\r\n"));
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden | QDir::System).size(),
                 3); // no temporary left
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
        const QByteArray before = "\"x\"\r\n\x1A"; // the marker taken off goes back
        if (fault == 0) QVERIFY(QDir().mkdir(name));
        if (fault == 1) QVERIFY(QFile::link(QStringLiteral("/dev/full"), name));
        if (fault == 2) writeBytes(name, before);
        {
            // A rewrite goes to a new file first: one byte is too many for it.
            const rlim_t room = rewrite ? 1 : rlim_t(before.size()) + 1;
            FileSizeLimit limit(fault == 2 ? room : RLIM_INFINITY);
            QVERIFY(limit.active());
            QCOMPARE(errorOf([&] {
                         RecordWriter f;
                         rewrite ? f.openRewrite(name) : f.openAppend(name);
                         f.writeRecord({QStringLiteral("new"), std::int16_t(1)});
                         f.close();
                     }).kind(),
                     Error::Kind::CannotWrite);
        }
        if (fault == 0) QVERIFY(QFileInfo(name).isDir());
        if (fault == 1) QCOMPARE(QFileInfo(name).symLinkTarget(), QStringLiteral("/dev/full"));
        if (fault == 2) QCOMPARE(readBytes(name), before);
        QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{name});
    }

    // A bare line unless quotes are needed to read back the same question.
    void exclusionLinesReadBackAsTheSameQuestion_data() {
        QTest::addColumn<QString>("question");
        QTest::addColumn<QByteArray>("line");
        const auto row = [](const char* name, const char16_t* question, const char16_t* line) {
            QTest::newRow(name) << QString::fromUtf16(question) << encodeCp932(line);
        };
        row("plain kana is a bare line", u"あい", u"あい\r\n");
        row("empty question is an empty quoted item", u"", u"\"\"\r\n");
        row("comma is quoted", u"あ,い", u"\"あ,い\"\r\n");
        row("trailing end-of-file byte is quoted", u"あ\x1A", u"\"あ\x1A\"\r\n");
        row("lone CR is quoted", u"あ\rい", u"\"あ\rい\"\r\n");
        row("leading blank is quoted", u" あ", u"\" あ\"\r\n");
        row("trailing tab is quoted", u"あ\t", u"\"あ\t\"\r\n");
    }
    void exclusionLinesReadBackAsTheSameQuestion() {
        QFETCH(QString, question);
        QFETCH(QByteArray, line);
        WorkDir dir;
        appendExclusion(question, &ends);
        QCOMPARE(readBytes(kExclusionFile), line);
        QCOMPARE(readAtStartup(kExclusionFile), QStringList{question});
    }

    // The game's appends always start a line of their own, and read back last, whether
    // the file was read at start-up first (the append knows how it ends) or not (the
    // append reads it whole to see).
    void appendReadsBackLast_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("kept"); // what stays of before
        for (const QString& file : {kExclusionFile, kHistoryFile}) {
            const bool history = file == kHistoryFile;
            // The last line, without its line end, and with its last quote left open.
            const QByteArray line = history ? kLine.chopped(2) : encodeCp932(u"い");
            const QByteArray open = history ? kLine.chopped(3) : "\"" + encodeCp932(u"い");
            const auto row = [&](const char* name, QByteArray before, QByteArray kept) {
                QTest::addRow("%s, %s", qPrintable(file), name) << file << before << kept;
            };
            row("no line end after the last line", line, line + "\r\n");
            row("ends with a lone CR", line + "\r", line + "\r");
            row("end-of-file byte after the last line end", line + "\r\n\x1A", line + "\r\n");
            row("end-of-file byte and line ends", line + "\r\n\x1A\r\n\r\n", line + "\r\n");
            row("end-of-file byte right after the text", line + "\x1A", line + "\r\n");
            row("only an end-of-file byte", "\x1A", "");
            // The comma already ended the last item: a line end would add an empty one.
            row("last line ends with a comma", line + ",", line + ",");
            // The reader ends an unclosed quoted item at the end of the file; the append
            // must not become part of it.
            row("last quoted item never closed", open, open + "\"\r\n");
            row("quoted item open over a line end", open + "\r\n", open + "\r\n\"\r\n");
        }
    }
    void appendReadsBackLast() {
        QFETCH(QString, file);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, kept);
        const QByteArray added = file == kHistoryFile ? QByteArray(kLine).replace(",25,", ",-7,")
                                                      : encodeCp932(u"あ\r\n");
        for (bool readFirst : {false, true}) {
            WorkDir dir;
            writeBytes(file, before);
            const QStringList old = readFirst ? readAtStartup(file) : QStringList();
            const QStringList more = appendAsTheGame(file);
            QCOMPARE(readBytes(file), kept + added);
            if (readFirst) QCOMPARE(readAtStartup(file), old + more);
        }
    }

    // UTF-8 is told by its bounds, and refused at its first character of 3 bytes or more;
    // code page 932 is read: C1 is ﾁ, BF ｿ; E0 9F, ED A0, E3 81 and F0 8F are kanji or own.
    void utf8IsToldByItsBounds_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("fault"); // UTF-8 where valid UTF-8 throughout
        QTest::addColumn<int>("offset");
        using F = EncodingCheck::Fault;
        const F u = F::Utf8, lacks = F::Undecodable, none = F::None;
        const std::tuple<const char*, F, int> rows[] = {
            {"61 C1 80 E3 81 82", lacks, 2}, {"61 C2 80 E3 81 82", u, 3},
            {"61 DF BF E3 81 82", u, 3},     {"61 E0 9F BF", none, -1},
            {"61 E0 A0 80", u, 1},           {"61 ED 9F BF", u, 1},
            {"61 ED A0 BF", none, -1},       {"61 EF BF BF", u, 1},
            {"61 F0 8F BF BF", none, -1},    {"61 F0 90 80 80", u, 1},
            {"61 F4 8F BF BF", u, 1},        {"61 F4 90 80 80", lacks, 3},
            {"61 F5 80 80 80", lacks, 3},    {"61 E3 81 41", none, -1},
            {"61 E3 81 82 E3 81", lacks, 5}, {"61 F0 9F 98", lacks, 3},
            {"E0 A0 80 EF BF BF", u, 0}};
        for (const auto& [hex, fault, offset] : rows)
            QTest::newRow(hex) << QByteArray::fromHex(hex) << int(fault) << offset;
    }
    void utf8IsToldByItsBounds() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, fault);
        const EncodingCheck check = checkCp932(bytes);
        QCOMPARE(isValidUtf8(bytes), fault == int(EncodingCheck::Fault::Utf8));
        QCOMPARE(int(check.fault), fault);
        QTEST(int(check.offset), "offset");
    }

    // Some code page 932 text is valid UTF-8 as well: 罎１ is E3 A2 82 50. Alone in
    // a file it would make the next start refuse the file, so it is not appended;
    // after kana, which UTF-8 cannot hold, it is.
    void appendThatWouldReadAsUtf8IsRefused() {
        const QString question = QStringLiteral("罎１");
        WorkDir dir;
        for (const QByteArray& before : {QByteArray(), QByteArray("a\r\n")}) {
            writeBytes(kExclusionFile, before);
            QCOMPARE(errorOf([&] { appendExclusion(question, &ends); }).kind(),
                     Error::Kind::CannotWrite);
            QCOMPARE(readBytes(kExclusionFile), before);
        }
        writeBytes(kExclusionFile, encodeCp932(u"あ\r\n"));
        appendExclusion(question, &ends);
        QCOMPARE(readAtStartup(kExclusionFile), (QStringList{QStringLiteral("あ"), question}));
    }

    // What the start reads, the same with an old editor's end-of-file byte after it.
    void endOfFileByteIsNoData_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("read"); // "|" between items
        const auto cells = kRecord.cells();
        const QString record = QStringList(cells.begin(), cells.end()).join(QLatin1Char('|'));
        const auto row = [](const char* name, const QString& file, const QByteArray& text,
                            const QString& read) { QTest::newRow(name) << file << text << read; };
        row("kana", kKanaFile, encodeCp932(u"あ\r\nい\r\n"), "あ|い");
        row("kana without a last line end", kKanaFile, encodeCp932(u"あ\r\nい"), "あ|い");
        row("kana, all 100", kKanaFile, QByteArray("a\r\n").repeated(100),
            QStringList(100, "a").join(QLatin1Char('|')));
        row("exclusions", kExclusionFile, encodeCp932(u"う\r\n"), "う");
        row("history", kHistoryFile, kLine + kLine, record + QLatin1Char('|') + record);
        row("settings with a blank", kSettingsFile, "60, 1", "60|1");
        row("settings, shortest round, auto-save 2", kSettingsFile, "1,2\r\n", "1|2");
        row("settings not in the list, auto-save 0", kSettingsFile, "75,0\r\n", "75|0");
        row("settings, length no number", kSettingsFile, "abc,1\r\n", "0|1"); // スタート asks
        row("settings one a line, junk after", kSettingsFile, "90\r\n1\r\nxx", "90|1");
    }
    void endOfFileByteIsNoData() {
        QFETCH(QString, file);
        QFETCH(QByteArray, text);
        QFETCH(QString, read);
        WorkDir dir;
        for (const QByteArray& end : {QByteArray(), QByteArray("\x1A"), QByteArray("\x1A\r\n")}) {
            writeBytes(file, text + end);
            QCOMPARE(readAtStartup(file), read.split(QLatin1Char('|')));
        }
    }

    // Every error in reading a file at start-up names the line, the record in the
    // history, and what to do. Another encoding is never extended either.
    void startupErrorsSayWhere_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("record");
        QTest::addColumn<QString>("says");
        const auto row = [](const QString& file, const char* name, const QByteArray& bytes,
                            int line, const char* says, int record = 0) {
            QTest::addRow("%s %s", qPrintable(file), name)
                << file << bytes << line << record << QString::fromUtf8(says);
        };
        const QByteArray bom("\xEF\xBB\xBF");
        const QByteArray utf8Line = decodeCp932(kLine).toUtf8();
        const QByteArray tooBig = QByteArray(kLine).replace(",15,", ",40000,");
        const char *utf8 = "UTF-8", *lacks = "読めないバイト";
        for (const QString& file : {kKanaFile, kExclusionFile}) {
            row(file, "UTF-8 after code page 932", "\x82\xA2\r\n\xE3\x81\x82\r\n", 2, utf8); // い, あ
            row(file, "UTF-8 with a byte-order mark", bom + QStringLiteral("あ\r\n").toUtf8(), 1,
                utf8);
            row(file, "a byte cp932 lacks", encodeCp932(u"あ\rい\r\nう") + "\xFD\r\n", 3, lacks);
            // 0x80 and 0xA0, the lone bytes just past ASCII and before half-width kana.
            row(file, "0xFD eighth in a run of ASCII", "abcdefg\xFD\r\n", 1, lacks);
            row(file, "0x80 after ASCII", "abcdefgh\r\nabcdefghij\x80\r\n", 2, lacks);
            row(file, "0xA0", "\xA0\r\n", 1, lacks);
        }
        row(kSettingsFile, "with a byte-order mark", bom + "60,1\r\n", 1, utf8);
        row(kHistoryFile, "UTF-8", kLine + utf8Line, 2, utf8);
        row(kHistoryFile, "UTF-8 with a byte-order mark", bom + utf8Line, 1, utf8);
        // An append looks at the start as well as the last 16 KiB.
        row(kHistoryFile, "byte-order mark far from the end", bom + kLine.repeated(300), 1, utf8);
        row(kHistoryFile, "cut inside a character", kLine + kLine.chopped(4), 2, lacks);
        row(kHistoryFile, "blank last line", kLine + kLine + "\r\n", 3, "空の行", 3);
        row(kHistoryFile, "record cut short", kLine + kLine.left(30), 2, "10 項目", 2);
        row(kHistoryFile, "number out of range", kLine + kLine + tooBig, 3,
            "-32768～32767 に直して", 3);
        row(kHistoryFile, "number below range",
            kLine + QByteArray(kLine).replace(",15,", ",-32769,"), 2, "-32768～32767 に直して", 2);
        row(kKanaFile, "101st item", QByteArray("a\n").repeated(101), 101, "100 項目以下");
        row(kKanaFile, "blanks after the last line", "a\r\n  ", 2, "空白");
        row(kSettingsFile, "with one item", "60\r\n", 1, "2 つの値");
        row(kSettingsFile, "auto-save above 2", "60\r\n3\r\n", 2, "0、1、2 のどれか");
        row(kSettingsFile, "auto-save below 0", "60,-1\r\n", 1, "0、1、2 のどれか");
    }
    void startupErrorsSayWhere() {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(int, line);
        QFETCH(int, record);
        QFETCH(QString, says);
        WorkDir dir;
        writeBytes(file, bytes);
        const Error e = errorOf([&] { readAtStartup(file); });
        QString where = QStringLiteral("「%1」の %2 行目").arg(file).arg(line);
        if (record > 0) where += QStringLiteral("（%1 件目の記録）").arg(record);
        const QString m = e.message();
        QVERIFY2(m.contains(where) && m.contains(says) && (record > 0 || !m.contains(u"件目")),
                 qPrintable(m));
        if (file == kHistoryFile) // the grid's index stops where the reader does
            QCOMPARE(errorOf([&] { indexHistory(file); }).message(), m);
        if (e.kind() != Error::Kind::NotShiftJis) return;
        QVERIFY2(m.contains(QStringLiteral("Shift_JIS にして保存し直して")), qPrintable(m));
        // Shift_JIS appended to UTF-8 would leave one file in two encodings.
        if (file == kExclusionFile || file == kHistoryFile)
            QCOMPARE(errorOf([&] { appendAsTheGame(file); }).kind(), Error::Kind::NotShiftJis);
        QCOMPARE(readBytes(file), bytes);
    }

    // A round's lines in 出題記録.txt: they start a line of their own, read back item by item
    // as their stored form, and are taken back byte for byte (the file removed when they made
    // it), unless it changed since. Nothing is added to a UTF-8 file.
    void questionLines_data() {
        QTest::addColumn<QByteArray>("before"); // "-": no file
        QTest::addColumn<QByteArray>("kept");   // "-": refused
        const QByteArray line = "\"2026/12/08\",\"21:40:51\",\"1\",\"a\",1,0,0,0,1,-1,0";
        QTest::newRow("no file yet") << QByteArray("-") << QByteArray();
        QTest::newRow("no line end after the last line") << line << line + "\r\n";
        QTest::newRow("end-of-file byte") << line + "\r\n\x1A\r\n" << line + "\r\n";
        QTest::newRow("UTF-8") << QByteArray("\"\xE3\x81\x82\"\r\n") << QByteArray("-");
    }
    void questionLines() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, kept);
        WorkDir dir;
        if (before != "-") writeBytes(kQuestionLogFile, before);
        const QString date = QStringLiteral("2026/12/08"), time = QStringLiteral("21:40:51");
        const std::vector<QuestionRecord> lines{
            {date, time, QStringLiteral("１"), QStringLiteral("あ"), 12345, 1, 0, 2, 1, 2300,
             false},
            {date, time, QStringLiteral("\""), QStringLiteral("ア🙂"), INT32_MAX, 0, 0, 0, 0, -1,
             true}};
        if (kept == "-") { // refused, naming the file
            const Error e = errorOf([&] { appendQuestionLines(kQuestionLogFile, lines); });
            QVERIFY(e.kind() == Error::Kind::NotShiftJis && e.subject() == kQuestionLogFile);
            QCOMPARE(readBytes(kQuestionLogFile), before);
            return;
        }
        const AppendMark mark = appendQuestionLines(kQuestionLogFile, lines);
        QCOMPARE(
            readBytes(kQuestionLogFile),
            kept + encodeCp932(u"\"2026/12/08\",\"21:40:51\",\"１\",\"あ\",12345,1,0,2,1,2300,0\r\n"
                               u"\"2026/12/08\",\"21:40:51\",\"”\",\"ア?\",2147483647,0,0,0,0,"
                               u"-1,1\r\n"));
        const std::vector<QuestionRecord> back = readQuestionLog(kQuestionLogFile).records;
        QVERIFY(back.size() >= lines.size()); // read back as the view reads them
        for (size_t i = 0; i < lines.size(); ++i) {
            QuestionRecord want = lines[i];
            for (QString* text : {&want.date, &want.time, &want.set, &want.question})
                *text = storedText(*text);
            QCOMPARE(back[back.size() - lines.size() + i], want);
        }
        QVERIFY(takeBackQuestionLines(mark));
        QCOMPARE(QFile::exists(kQuestionLogFile), before != "-");
        QCOMPARE(readBytes(kQuestionLogFile), before == "-" ? QByteArray() : before);
        const AppendMark again = appendQuestionLines(kQuestionLogFile, lines);
        writeBytes(kQuestionLogFile, readBytes(kQuestionLogFile) + "x"); // another instance's
        QVERIFY(!takeBackQuestionLines(again));
        QVERIFY(readBytes(kQuestionLogFile).endsWith("-1,1\r\nx"));
    }

    // A rewrite keeps the file's owner, group and mode, as root after a start
    // with sudo, and keeps a second name of the file pointing at the new content.
    void rewriteKeepsOwnerGroupModeAndLinks() {
        WorkDir dir;
        writeBytes(kSettingsFile, "60,1\r\n");
        writeBytes(kHistoryFile, kLine);
        QVERIFY(::link(QFile::encodeName(kHistoryFile).constData(), "second-name.txt") == 0);
        QVERIFY(::link(QFile::encodeName(kSettingsFile).constData(), "third-name.txt") == 0);
        const bool root = ::geteuid() == 0;
        for (const QString& name : {kSettingsFile, kHistoryFile})
            QVERIFY(setMode(name, 0640, root ? 100 : gid_t(-1), root ? 65534 : uid_t(-1)));
        const QString before = modeOf(kSettingsFile);
        saveSettings({900, 0}); // longer: room is claimed first
        clearHistory(kHistoryFile);
        QCOMPARE(readBytes(QStringLiteral("third-name.txt")), QByteArray("900,0\r\n"));
        QCOMPARE(readBytes(QStringLiteral("second-name.txt")), QByteArray());
        for (const QString& name : {kSettingsFile, kHistoryFile})
            QCOMPARE(modeOf(name), before);
        if (!root) QSKIP("owner and group of another user: run as root to check");
    }
};

QTEST_APPLESS_MAIN(TestSequentialFile)
#include "test_sequential_file.moc"
