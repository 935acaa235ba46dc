// Permissions as a player sets them, run as an ordinary user (root ignores them;
// see support/as_user.sh): a read-only file is never replaced or emptied, a
// read-only folder still takes every write, and a rewrite keeps the group.

#include "files/history_table.h"
#include "files/settings.h"
#include "support/window_fixture.h"

#include <algorithm>
#include <QScopeGuard>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace kb;
using namespace kb::test;

namespace {

enum class Op { SettingsRewrite, HistoryClear, HistoryAppend, ExclusionAppend };

const QByteArray kHistory =
    "\"2009/06/21\",\"21:07:45\",\"1\",1,0,2,1,\"100.0%\",\"0.03\",\"60\"\r\n";

void writeFiles() {
    writeBytes(kSettingsFile, "60,1\r\n");
    writeBytes(kHistoryFile, kHistory);
    writeBytes(kExclusionFile, "i\r\n");
}

// Runs op and returns what its file should hold after it.
QByteArray run(Op op) {
    switch (op) {
    case Op::SettingsRewrite:
        saveSettings({90, 0});
        return "90,0\r\n";
    case Op::HistoryClear:
        clearHistory(kHistoryFile);
        return {};
    case Op::HistoryAppend:
        appendHistory(kHistoryFile, HistoryRecord{});
        return kHistory + "\"\",\"\",\"\",0,0,0,0,\"\",\"\",\"\"\r\n";
    case Op::ExclusionAppend:
        appendExclusion(QStringLiteral("a"));
        return "i\r\na\r\n";
    }
    return {};
}

struct stat statOf(const QString& name) {
    struct stat st {};
    ::stat(QFile::encodeName(name).constData(), &st);
    return st;
}

bool setMode(const QString& name, mode_t mode) {
    return ::chmod(QFile::encodeName(name).constData(), mode) == 0;
}

} // namespace

Q_DECLARE_METATYPE(Op)

class TestPermissions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        if (::geteuid() == 0) QSKIP("root ignores permissions: run through support/as_user.sh");
    }

    void writeUnderPermissions_data() {
        QTest::addColumn<Op>("op");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("folder"); // the folder is read-only, else the file
        for (bool folder : {false, true}) {
            const char* what = folder ? "read-only folder" : "read-only file";
            QTest::addRow("settings rewrite, %s", what)
                << Op::SettingsRewrite << kSettingsFile << folder;
            QTest::addRow("history clear, %s", what) << Op::HistoryClear << kHistoryFile << folder;
            QTest::addRow("history append, %s", what)
                << Op::HistoryAppend << kHistoryFile << folder;
            QTest::addRow("exclusion append, %s", what)
                << Op::ExclusionAppend << kExclusionFile << folder;
        }
    }
    void writeUnderPermissions() {
        QFETCH(Op, op);
        QFETCH(QString, file);
        QFETCH(bool, folder);
        WorkDir dir;
        writeFiles();
        QByteArray expected = readBytes(file);
        const mode_t mode = folder ? 0640 : 0444;
        QVERIFY(setMode(file, mode));
        const QStringList names = QDir().entryList(QDir::AllEntries | QDir::Hidden);
        QVERIFY(!folder || setMode(dir.path(), 0555));
        const auto writable = qScopeGuard([&] { setMode(dir.path(), 0755); }); // to remove it
        if (folder) {
            expected = run(op);
        } else {
            const Error e = errorOf([&] { run(op); });
            QCOMPARE(e.kind(), Error::Kind::CannotWrite);
            QVERIFY2(e.message().contains(file) &&
                         e.message().contains(QStringLiteral("読み取り専用")),
                     qPrintable(e.message()));
        }
        QCOMPARE(readBytes(file), expected);
        QCOMPARE(statOf(file).st_mode & 07777, mode);
        QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::Hidden), names);
    }

    // As when the player shares the files through a group that is not their own.
    void rewriteKeepsASupplementaryGroup() {
        gid_t groups[64];
        const int count = ::getgroups(64, groups);
        const gid_t* other =
            std::find_if(groups, groups + count, [](gid_t g) { return g != ::getegid(); });
        if (other == groups + count) QSKIP("this user has no supplementary group");
        WorkDir dir;
        writeFiles();
        for (const QString& name : {kSettingsFile, kHistoryFile})
            QVERIFY(::chown(QFile::encodeName(name).constData(), uid_t(-1), *other) == 0 &&
                    setMode(name, 0664));
        saveSettings({90, 0});
        clearHistory(kHistoryFile);
        for (const QString& name : {kSettingsFile, kHistoryFile})
            QVERIFY(statOf(name).st_gid == *other && (statOf(name).st_mode & 07777) == 0664);
        QCOMPARE(readBytes(kSettingsFile), QByteArray("90,0\r\n"));
    }

    // With auto-save on the start stores the settings it read: a read-only file
    // holding them is left alone, one differing in form is reported, and the game
    // starts either way. An unreadable file stops the start, saying what to do.
    void protectedFileAtStart_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("says"); // empty: no message, and the game starts
        QTest::newRow("read-only settings holding what would be written")
            << kSettingsFile << QByteArray("60,1\r\n") << 0444 << QStringList();
        QTest::newRow("read-only settings without a line end")
            << kSettingsFile << QByteArray("60,1") << 0444
            << QStringList{"読み取り専用", "読み込んだ設定のまま"};
        QTest::newRow("history not readable")
            << kHistoryFile << QByteArray() << 0200 << QStringList{"読み取りを許可"};
    }
    void protectedFileAtStart() {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(int, mode);
        QFETCH(QStringList, says);
        WindowFixture f;
        writeBytes(file, bytes);
        QVERIFY(setMode(file, mode_t(mode)));
        MainWindow& w = f.make();
        QCOMPARE(w.Form_Load(), file == kSettingsFile);
        QCOMPARE(f.messages.shown.size(), says.isEmpty() ? 0 : 1);
        const QString m = f.messages.shown.value(0).text;
        for (const QString& part : says)
            QVERIFY2(m.contains(file) && m.contains(part), qPrintable(m));
        if (file == kSettingsFile) // what was read is in force, the file as it was
            QVERIFY(w.state().autoSave == 1 && readBytes(file) == bytes);
    }
};

QTEST_MAIN(TestPermissions)
#include "test_permissions.moc"
