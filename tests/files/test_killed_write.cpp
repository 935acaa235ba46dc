// A rewrite killed between making its temporary file and renaming it into
// place: the file is old or new, and after the next start the folder holds
// only the player's files. Each case runs the write in a child process that
// kills (or stops) itself at a named point of the rewrite.

#include "files/data_files.h"
#include "files/history_table.h"
#include "files/settings.h"
#include "support/fakes.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <QTest>
#include <sys/wait.h>
#include <unistd.h>

using namespace kb;
using namespace kb::test;

namespace {

const char* stopAt = "";
int stopWith = SIGKILL;
bool withoutUnnamed = false;

// In the order the folder lists them.
const QStringList kPlayersFiles = {kKanaFile, kExclusionFile, kHistoryFile, kSettingsFile};

QStringList folder() {
    return QDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                            QDir::Name);
}

// Runs a settings change or クリア in a child that stops at point; returns the child.
pid_t rewriteStoppingAt(const QString& file, const char* point, bool named, int signal) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    stopAt = point;
    stopWith = signal;
    withoutUnnamed = named;
    try {
        file == kSettingsFile ? saveSettings({90, 0}) : clearHistory(kHistoryFile);
    } catch (...) {
        ::_exit(1);
    }
    ::_exit(0);
}

bool offersUnnamedTemporaries() {
    const int fd = ::open(".", O_TMPFILE | O_WRONLY, 0600);
    return fd >= 0 && ::close(fd) == 0;
}

} // namespace

// The hooks the rewrite calls where a test defines them; the program defines neither.
extern "C" void kbRewriteReached(const char* point) {
    if (std::strcmp(point, stopAt) == 0) ::raise(stopWith);
}
extern "C" bool kbWithoutUnnamedTemporaries() {
    return withoutUnnamed;
}

class TestKilledWrite : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedRewriteLeavesOnlyThePlayersFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("named");
        QTest::addColumn<QString>("point");
        QTest::addColumn<bool>("leftBehind"); // before the next start removes it
        const auto rows = [](const QString& file, const char* what) {
            const auto row = [&](bool named, const char* point, bool left) {
                QTest::addRow("%s, %s temporary, %s", what, named ? "named" : "unnamed", point)
                    << file << named << QString::fromLatin1(point) << left;
            };
            row(false, "unnamed temporary made", false);
            row(false, "temporary written", false);
            row(false, "unnamed temporary linked", true);
            row(true, "named temporary made", true);
            row(true, "temporary written", true);
        };
        rows(kSettingsFile, "settings change");
        rows(kHistoryFile, "clear");
    }
    void killedRewriteLeavesOnlyThePlayersFiles() {
        QFETCH(QString, file);
        QFETCH(bool, named);
        QFETCH(QString, point);
        QFETCH(bool, leftBehind);
        WorkDir dir;
        if (!named && !offersUnnamedTemporaries()) QSKIP("no unnamed temporaries here");
        for (const QString& name : kPlayersFiles)
            writeBytes(name, name == kSettingsFile ? "60,1\r\n" : "a\r\n");
        const QByteArray before = readBytes(file);
        const QByteArray after = file == kSettingsFile ? "90,0\r\n" : "";
        int status = 0;
        const pid_t pid = rewriteStoppingAt(file, point.toLatin1().constData(), named, SIGKILL);
        QCOMPARE(::waitpid(pid, &status, 0), pid);
        QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL, "the point was not reached");
        QCOMPARE(folder().size(), kPlayersFiles.size() + leftBehind);
        removeWriteLeftovers(); // the next start
        QCOMPARE(folder(), kPlayersFiles);
        QVERIFY(readBytes(file) == before || readBytes(file) == after);
    }

    // Two instances may share a folder: one starting while the other is halfway
    // through a rewrite leaves that rewrite's temporary alone.
    void startLeavesAnotherInstancesTemporary_data() {
        QTest::addColumn<bool>("named");
        QTest::addColumn<QString>("point");
        QTest::newRow("unnamed, linked") << false << QStringLiteral("unnamed temporary linked");
        QTest::newRow("named, written") << true << QStringLiteral("temporary written");
    }
    void startLeavesAnotherInstancesTemporary() {
        QFETCH(bool, named);
        QFETCH(QString, point);
        WorkDir dir;
        if (!named && !offersUnnamedTemporaries()) QSKIP("no unnamed temporaries here");
        writeBytes(kSettingsFile, "60,1\r\n");
        int status = 0;
        const pid_t pid =
            rewriteStoppingAt(kSettingsFile, point.toLatin1().constData(), named, SIGSTOP);
        QCOMPARE(::waitpid(pid, &status, WUNTRACED), pid);
        QVERIFY(WIFSTOPPED(status));
        removeWriteLeftovers();
        QCOMPARE(folder().size(), 2);
        ::kill(pid, SIGCONT);
        QCOMPARE(::waitpid(pid, &status, 0), pid);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QCOMPARE(folder(), QStringList{kSettingsFile});
        QCOMPARE(readBytes(kSettingsFile), QByteArray("90,0\r\n"));
    }
};

QTEST_APPLESS_MAIN(TestKilledWrite)
#include "test_killed_write.moc"
