// Permissions as a player sets them, run as an ordinary user (root ignores them;
// see support/as_user.sh): a read-only file is never replaced or emptied, a
// read-only folder still takes every write, and a rewrite keeps the group.

#include "files/history_table.h"
#include "files/question_log.h"
#include "files/settings.h"
#include "support/window_fixture.h"

#include <QScopeGuard>
#include <QTest>

using namespace kb;
using namespace kb::test;

namespace {

// Each write the game makes, and what its file holds after it.
struct Write {
    const char* name;
    QString file;
    std::function<void()> run;
    QByteArray after;
};

const std::vector<Write> kWrites{
    {"settings rewrite", kSettingsFile, [] { saveSettings(Settings(90, 0)); }, "90,0\r\n"},
    {"history clear", kHistoryFile, [] { clearHistory(kHistoryFile); }, {}},
    {"history append", kHistoryFile, [] { appendHistory(kHistoryFile, HistoryRecord{}); },
     kHistoryLine + "\"\",\"\",\"\",0,0,0,0,\"\",\"\",\"\"\r\n"},
    {"exclusion append", kExclusionFile, [] { appendExclusion(QStringLiteral("a")); },
     "i\r\na\r\n"},
    {"question lines append", kQuestionLogFile,
     [] {
         appendQuestionLines(kQuestionLogFile, {QuestionRecord{"d", "t", "s", "q"}});
     },
     "q\r\n\"d\",\"t\",\"s\",\"q\",0,0,0,0,0,-1,0\r\n"},
    {"question log clear", kQuestionLogFile, [] { clearQuestionLog(kQuestionLogFile); }, {}}};

enum class Action { Save, AutoSave, Clear };

// As when the player shares the files through a group that is not their own.
gid_t sharedGroup() {
    gid_t groups[64];
    const int count = ::getgroups(64, groups);
    for (int i = 0; i < count; ++i)
        if (groups[i] != ::getegid()) return groups[i];
    return gid_t(-1);
}

enum Situation { ReadOnlyFile, ReadOnlyFolder, SharedGroup };

} // namespace

Q_DECLARE_METATYPE(Action)

class TestPermissions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        if (::geteuid() == 0) QSKIP("root ignores permissions: run through support/as_user.sh");
    }

    void writeUnderPermissions_data() {
        QTest::addColumn<int>("write");
        QTest::addColumn<int>("situation");
        const char* situations[] = {"read-only file", "read-only folder", "file of a shared group"};
        for (int s : {ReadOnlyFile, ReadOnlyFolder, SharedGroup})
            for (int i = 0; i < int(kWrites.size()); ++i)
                QTest::addRow("%s, %s", kWrites[size_t(i)].name, situations[s]) << i << s;
    }
    void writeUnderPermissions() {
        QFETCH(int, write);
        QFETCH(int, situation);
        const Write& op = kWrites[size_t(write)];
        const gid_t group = situation == SharedGroup ? sharedGroup() : ::getegid();
        if (group == gid_t(-1)) QSKIP("this user has no supplementary group");
        WindowFixture f({}, "60,1\r\n", QStringLiteral("i\r\n"), kHistoryLine);
        writeBytes(kQuestionLogFile, "q\r\n");
        const QByteArray before = readBytes(op.file);
        const mode_t mode = std::array<mode_t, 3>{0555, 0640, 0664}[size_t(situation)];
        QVERIFY(setMode(op.file, mode, group));
        const QStringList names = QDir().entryList(QDir::AllEntries | QDir::Hidden);
        QVERIFY(situation != ReadOnlyFolder || setMode(f.dir.path(), 0555));
        const auto writable = qScopeGuard([&] { setMode(f.dir.path(), 0755); }); // to remove it
        const QString m = situation == ReadOnlyFile ? errorOf(op.run).message() : QString();
        if (situation != ReadOnlyFile) op.run();
        QVERIFY2(situation != ReadOnlyFile ||
                     m.contains(op.file + QStringLiteral("」に書き込めません。\n読み取り専用")),
                 qPrintable(m));
        QCOMPARE(readBytes(op.file), situation == ReadOnlyFile ? before : op.after);
        QCOMPARE(modeOf(op.file), QString::asprintf("%04o:%u:%u", mode, group, ::geteuid()));
        QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::Hidden), names);
    }

    // A save writes the round's question lines, then its record: lines that cannot be
    // written are reported and the record saved all the same; lines whose record cannot be
    // written are taken back. クリア empties 履歴.txt, then 出題記録.txt, saying which stayed.
    void twoFileSaveAndClear_data() {
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("file"); // made read-only, or "<dir>": a folder for 出題記録.txt
        QTest::addColumn<QString>("says");    // in the last message, "|" between the parts
        QTest::addColumn<QString>("changed"); // h: 履歴.txt, q: 出題記録.txt
        const auto row = [](const char* name, Action a, const QString& file, const char16_t* says,
                            const char* changed) {
            QTest::newRow(name) << a << file << QString::fromUtf16(says) << QString(changed);
        };
        const QString h = kHistoryFile, q = kQuestionLogFile, dir = QStringLiteral("<dir>");
        row("save", Action::Save, {}, u"", "hq");
        row("save, 出題記録.txt read-only", Action::Save, q,
            u"「出題記録.txt」に書き込めません。\n読み取り専用|「履歴.txt」に保存しました", "h");
        row("auto-save, a folder for 出題記録.txt", Action::AutoSave, dir,
            u"「出題記録.txt」に書き込めません|保存しましたが", "h");
        row("save, 履歴.txt read-only", Action::Save, h,
            u"「履歴.txt」に書き込めません。\n読み取り専用|記録も取り消しました", "");
        row("auto-save, 履歴.txt read-only", Action::AutoSave, h,
            u"自動保存に失敗|記録も取り消しました", "");
        row("clear", Action::Clear, {}, u"クリアしました", "hq");
        row("clear, 出題記録.txt read-only", Action::Clear, q,
            u"「履歴.txt」は空にしましたが、「出題記録.txt」は空にできません", "h");
        row("clear, 履歴.txt read-only", Action::Clear, h,
            u"「履歴.txt」に書き込めません|「出題記録.txt」も空にしていません", "");
    }
    void twoFileSaveAndClear() {
        QFETCH(Action, action);
        QFETCH(QString, file);
        QFETCH(QString, says);
        QFETCH(QString, changed);
        WindowFixture f(QStringLiteral("あ\r\n"),
                        action == Action::AutoSave ? "10,1\r\n" : "10,0\r\n", {}, kHistoryLine);
        writeBytes(kQuestionLogFile, "\"2009/06/21\",\"21:07:45\",\"1\",\"a\",1,0,0,0,1,-1,0\r\n");
        MainWindow& w = f.load();
        startRound(w);
        answer(w, QStringLiteral("あさ"));
        if (action != Action::AutoSave) runOut(w, f.clock);
        const QByteArray history = readBytes(kHistoryFile), log = readBytes(kQuestionLogFile);
        QVERIFY(file != u"<dir>" ||
                (QFile::remove(kQuestionLogFile) && QDir().mkdir(kQuestionLogFile)));
        QVERIFY(file.isEmpty() || file == u"<dir>" || setMode(file, 0444));
        const qsizetype shown = f.messages.shown.size();
        if (action == Action::Save) cmdHozon(w)->click();
        if (action == Action::AutoSave) runOut(w, f.clock);
        if (action == Action::Clear) cmdClear(w)->click();
        const QString m =
            f.messages.shown.size() > shown ? f.messages.shown.last().text : QString();
        for (const QString& part : says.split(u'|'))
            QVERIFY2(part.isEmpty() ? m.isEmpty() : m.contains(part), qPrintable(m));
        QCOMPARE(readBytes(kHistoryFile) != history, changed.contains(u'h'));
        if (file == u"<dir>") return;
        const QByteArray logNow = readBytes(kQuestionLogFile);
        QCOMPARE(logNow != log, changed.contains(u'q'));
        // The round showed あ twice: answered, then up until the end.
        if (changed.contains(u'q') && action != Action::Clear)
            QCOMPARE(logNow.count(encodeCp932(u"\"あ\"")), 2);
    }

    // With auto-save on the start stores the settings it read: a read-only file
    // holding them is left alone, one differing in form is reported, and the game
    // starts either way. An unreadable file stops the start, saying what to do.
    // A file the player may write but not read still takes an append; a file a read-only
    // folder does not let be made is refused, saying why.
    void writeOnlyFileAndReadOnlyFolder() {
        WindowFixture f({}, "60,1\r\n", QStringLiteral("i\r\n"));
        QVERIFY(setMode(kExclusionFile, 0200));
        appendExclusion(QStringLiteral("a"));
        QVERIFY(setMode(kExclusionFile, 0600));
        QCOMPARE(readBytes(kExclusionFile), QByteArray("i\r\na\r\n"));
        QVERIFY(QFile::remove(kSettingsFile) && setMode(f.dir.path(), 0555));
        const auto writable = qScopeGuard([&] { setMode(f.dir.path(), 0755); });
        const QString m = errorOf([] { saveSettings(Settings(90, 0)); }).message();
        QVERIFY2(m.contains(u"書き込みが許可されていません"), qPrintable(m));
    }

    void protectedFileAtStart_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("says"); // empty: no message, and the game starts
        QTest::newRow("read-only settings holding what would be written")
            << kSettingsFile << QByteArray("60,1\r\n") << QString();
        QTest::newRow("read-only settings without a line end")
            << kSettingsFile << QByteArray("60,1") << QStringLiteral("読み込んだ設定のまま");
        QTest::newRow("history not readable")
            << kHistoryFile << QByteArray() << QStringLiteral("読み取りを許可");
    }
    void protectedFileAtStart() {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, says);
        WindowFixture f;
        writeBytes(file, bytes);
        QVERIFY(setMode(file, file == kSettingsFile ? 0444 : 0200));
        MainWindow& w = f.make();
        QCOMPARE(w.Form_Load(), file == kSettingsFile);
        QCOMPARE(f.messages.shown.size(), says.isEmpty() ? 0 : 1);
        const QString m = f.messages.shown.value(0).text;
        QVERIFY2(says.isEmpty() || (m.contains(file) && m.contains(says)), qPrintable(m));
        if (file == kSettingsFile) // what was read is in force, the file as it was
            QVERIFY(chkAs(w)->value() == 1 && readBytes(file) == bytes);
    }
};

QTEST_MAIN(TestPermissions)
#include "test_permissions.moc"
