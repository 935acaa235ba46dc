// Permissions as a player sets them, run as an ordinary user (root ignores
// them; see support/as_user.sh): a read-only file is never replaced or
// emptied, a read-only folder still takes every write, and a rewrite keeps the
// file's group.

#include "files/history_table.h"
#include "files/sequential_file.h"
#include "files/settings.h"
#include "support/controls.h"
#include "support/window_fixture.h"

#include <grp.h>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace kb;
using namespace kb::test;

namespace {

enum class Op { SettingsRewrite, HistoryClear, HistoryAppend, ExclusionAppend };

const QByteArray kSettings = "60,1\r\n";
const QByteArray kHistory =
    "\"2009/06/21\",\"21:07:45\",\"1\",1,0,2,1,\"100.0%\",\"0.03\",\"60\"\r\n";

void writeFiles() {
    writeBytes(kSettingsFile, kSettings);
    writeBytes(kHistoryFile, kHistory);
    writeBytes(kExclusionFile, "i\r\n");
}

QString targetOf(Op op) {
    switch (op) {
    case Op::SettingsRewrite:
        return kSettingsFile;
    case Op::HistoryClear:
    case Op::HistoryAppend:
        return kHistoryFile;
    case Op::ExclusionAppend:
        return kExclusionFile;
    }
    return {};
}

// Runs op and returns what the file should hold after it.
QByteArray run(Op op) {
    switch (op) {
    case Op::SettingsRewrite:
        saveSettings({90, 0});
        return "90,0\r\n";
    case Op::HistoryClear:
        clearHistory(kHistoryFile);
        return {};
    case Op::HistoryAppend: {
        HistoryRecord r;
        r.date = QStringLiteral("d");
        appendHistory(kHistoryFile, r);
        return kHistory + "\"d\",\"\",\"\",0,0,0,0,\"\",\"\",\"\"\r\n";
    }
    case Op::ExclusionAppend:
        appendExclusion(QStringLiteral("a"));
        return "i\r\na\r\n";
    }
    return {};
}

mode_t modeOf(const QString& name) {
    struct stat st {};
    return ::stat(QFile::encodeName(name).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Makes a folder read-only for the length of a scope, so it can be removed after.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& path) : path_(QFile::encodeName(path)) {
        ::chmod(path_.constData(), 0555);
    }
    ~ReadOnlyFolder() { ::chmod(path_.constData(), 0755); }

private:
    QByteArray path_;
};

} // namespace

Q_DECLARE_METATYPE(Op)

class TestPermissions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        if (::geteuid() == 0) QSKIP("root ignores permissions: run through support/as_user.sh");
    }

    void ops_data() {
        QTest::addColumn<Op>("op");
        QTest::newRow("settings rewrite") << Op::SettingsRewrite;
        QTest::newRow("history clear") << Op::HistoryClear;
        QTest::newRow("history append") << Op::HistoryAppend;
        QTest::newRow("exclusion append") << Op::ExclusionAppend;
    }

    void readOnlyFileIsKept_data() { ops_data(); }
    void readOnlyFileIsKept() {
        QFETCH(Op, op);
        WorkDir dir;
        writeFiles();
        const QString target = targetOf(op);
        const QByteArray before = readBytes(target);
        QVERIFY(::chmod(QFile::encodeName(target).constData(), 0444) == 0);
        try {
            run(op);
            QFAIL("a read-only file was written");
        } catch (const Error& e) {
            QCOMPARE(e.kind(), Error::Kind::CannotWrite);
            QVERIFY2(e.message().contains(target), qPrintable(e.message()));
            QVERIFY2(e.message().contains(QStringLiteral("読み取り専用")), qPrintable(e.message()));
        }
        QCOMPARE(readBytes(target), before);
        QCOMPARE(modeOf(target), mode_t(0444));
    }

    void readOnlyFolderStillTakesWrites_data() { ops_data(); }
    void readOnlyFolderStillTakesWrites() {
        QFETCH(Op, op);
        WorkDir dir;
        writeFiles();
        const QString target = targetOf(op);
        QVERIFY(::chmod(QFile::encodeName(target).constData(), 0640) == 0);
        const QStringList names = QDir().entryList(QDir::AllEntries | QDir::Hidden);
        QByteArray expected;
        {
            ReadOnlyFolder folder(dir.path());
            expected = run(op);
        }
        QCOMPARE(readBytes(target), expected);
        QCOMPARE(modeOf(target), mode_t(0640));
        QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::Hidden), names);
    }

    // As when the player shares the files through a group that is not their own.
    void rewriteKeepsASupplementaryGroup() {
        gid_t groups[64];
        const int count = ::getgroups(64, groups);
        gid_t other = ::getegid();
        for (int i = 0; i < count; ++i)
            if (groups[i] != ::getegid()) other = groups[i];
        if (other == ::getegid()) QSKIP("this user has no supplementary group");
        WorkDir dir;
        writeFiles();
        for (const QString& name : {kSettingsFile, kHistoryFile}) {
            const QByteArray path = QFile::encodeName(name);
            QVERIFY(::chown(path.constData(), uid_t(-1), other) == 0);
            QVERIFY(::chmod(path.constData(), 0664) == 0);
        }
        saveSettings({90, 0});
        clearHistory(kHistoryFile);
        for (const QString& name : {kSettingsFile, kHistoryFile}) {
            struct stat st {};
            QVERIFY(::stat(QFile::encodeName(name).constData(), &st) == 0);
            QCOMPARE(st.st_gid, other);
            QCOMPARE(st.st_mode & 07777, mode_t(0664));
        }
        QCOMPARE(readBytes(kSettingsFile), QByteArray("90,0\r\n"));
    }

    // With auto-save on, the start stores the settings it read. A read-only file
    // that already holds them is left alone; one that differs only in form is
    // reported, and either way the game starts.
    void startWithReadOnlySettings_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<bool>("reported");
        QTest::newRow("holds what would be written") << QByteArray("60,1\r\n") << false;
        QTest::newRow("no line end") << QByteArray("60,1") << true;
    }
    void startWithReadOnlySettings() {
        QFETCH(QByteArray, settings);
        QFETCH(bool, reported);
        WindowFixture f(QStringLiteral("あ\r\n"), settings);
        QVERIFY(::chmod(QFile::encodeName(kSettingsFile).constData(), 0444) == 0);
        MainWindow& w = f.make();
        QVERIFY(w.Form_Load());
        QCOMPARE(int(w.state().autoSave), 1);
        QCOMPARE(f.messages.shown.size(), reported ? 1 : 0);
        if (reported) {
            const QString m = f.messages.shown[0].text;
            QVERIFY2(m.contains(kSettingsFile) && m.contains(QStringLiteral("読み取り専用")),
                     qPrintable(m));
            QVERIFY2(m.contains(QStringLiteral("読み込んだ設定のまま")), qPrintable(m));
        }
        QCOMPARE(readBytes(kSettingsFile), settings);
    }

    // What a file handed to another user by an old rewrite looked like: the start
    // says which file and what to do.
    void unreadableFileStopsTheStartSayingWhy() {
        WindowFixture f;
        QVERIFY(::chmod(QFile::encodeName(kHistoryFile).constData(), 0200) == 0);
        MainWindow& w = f.make();
        QVERIFY(!w.Form_Load());
        QCOMPARE(f.messages.shown.size(), 1);
        const QString m = f.messages.shown[0].text;
        QVERIFY2(m.contains(kHistoryFile) && m.contains(QStringLiteral("読み取りを許可")),
                 qPrintable(m));
    }

    void choiceOnReadOnlySettingsStaysInForce() {
        WindowFixture f(QStringLiteral("あ\r\n"), "60,0\r\n");
        MainWindow& w = f.load();
        QVERIFY(::chmod(QFile::encodeName(kSettingsFile).constData(), 0444) == 0);
        pickRoundLength(w, QStringLiteral("90"));
        QCOMPARE(f.messages.shown.size(), 1);
        const QString m = f.messages.shown[0].text;
        QVERIFY2(m.contains(QStringLiteral("読み取り専用")), qPrintable(m));
        QVERIFY2(m.contains(QStringLiteral("次に起動したときには元の設定に戻ります")),
                 qPrintable(m));
        QCOMPARE(int(w.state().timeLimitSeconds), 90);
        QCOMPARE(cboJikan(w)->currentText(), QStringLiteral("90"));
        QCOMPARE(readBytes(kSettingsFile), QByteArray("60,0\r\n"));
    }
};

QTEST_MAIN(TestPermissions)
#include "test_permissions.moc"
