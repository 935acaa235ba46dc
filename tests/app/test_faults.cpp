// Faults injected under the real window: a write that fails in each handler,
// sizes at the limits, and bytes the fuzzers found. The window must report, go
// on, and show what the files hold. How each kind of failed write leaves its
// file is test_sequential_file's.

#include "support/window_fixture.h"

#include <QMap>
#include <QTest>

using namespace kb;
using namespace kb::test;

namespace {

QMap<QString, QByteArray> contents() {
    QMap<QString, QByteArray> files;
    for (const QString& name : {kKanaFile, kExclusionFile, kSettingsFile, kHistoryFile})
        files[name] = readBytes(name);
    return files;
}

// The settings the controls show, as the file holds them: "60,2".
QString inForce(const MainWindow& w) {
    return cboJikan(w)->currentText() + u',' + QString::number(chkAs(w)->value());
}

enum class Handler { Answer, Save, AutoSave, Clear, AutoSaveSwitch, RoundLengthPick };

} // namespace

Q_DECLARE_METATYPE(Handler)

class TestFaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A folder in the file's place makes the write fail at open, even as root.
    void failedWriteIsReportedAndUndone_data() {
        QTest::addColumn<Handler>("handler");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("says"); // besides that the file cannot be written
        QTest::addColumn<int>("rowsAfterRetry");
        const QString kept = QStringLiteral("次に起動したときには元の設定に戻ります");
        QTest::newRow("exact answer") << Handler::Answer << kExclusionFile << QString() << 3;
        QTest::newRow("save") << Handler::Save << kHistoryFile << QString() << 4;
        QTest::newRow("auto-save")
            << Handler::AutoSave << kHistoryFile << QStringLiteral("自動保存に失敗しました") << 4;
        QTest::newRow("clear") << Handler::Clear << kHistoryFile << QString() << 1;
        QTest::newRow("auto-save switch") << Handler::AutoSaveSwitch << kSettingsFile << kept << 3;
        QTest::newRow("round length pick")
            << Handler::RoundLengthPick << kSettingsFile << kept << 3;
    }
    void failedWriteIsReportedAndUndone() {
        QFETCH(Handler, handler);
        QFETCH(QString, file);
        QFETCH(QString, says);
        QFETCH(int, rowsAfterRetry);
        // Greyed, so the switch's retry writes what the restored file does not hold.
        WindowFixture f(QStringLiteral("あ\r\n"),
                        handler == Handler::AutoSave ? "10,1\r\n" : "60,2\r\n",
                        QStringLiteral("ん\r\n"), kHistoryLine.repeated(2));
        MainWindow& w = f.load();
        startRound(w);
        answer(w, QStringLiteral("あさ"));
        if (handler != Handler::AutoSave) runOut(w, f.clock); // no save while a round runs
        const auto act = [&] {
            switch (handler) {
            case Handler::Answer:
                return answer(w, QStringLiteral("あ"));
            case Handler::Save:
                return cmdHozon(w)->click();
            case Handler::AutoSave: // the retry saves the same round by hand
                return cmdStart(w)->isEnabled() ? cmdHozon(w)->click() : runOut(w, f.clock);
            case Handler::Clear:
                return cmdClear(w)->click();
            case Handler::AutoSaveSwitch:
                return chkAs(w)->click();
            case Handler::RoundLengthPick:
                return pickRoundLength(w, QString::number(cboJikan(w)->currentText().toInt() + 30));
            }
        };
        const QMap<QString, QByteArray> before = contents();
        const QString settings = inForce(w);
        const int rows = msgRireki(w)->rows();
        const qsizetype shown = f.messages.shown.size();
        QVERIFY(QFile::remove(file) && QDir().mkdir(file));
        act();

        // Reported once (the clear asks first), naming the file; no file changes.
        QCOMPARE(f.messages.shown.size(), shown + (handler == Handler::Clear ? 2 : 1));
        const QString m = f.messages.shown.last().text;
        QVERIFY2(m.contains(QStringLiteral("「%1」に書き込めません").arg(file)) && m.contains(says),
                 qPrintable(m));
        QMap<QString, QByteArray> after = contents();
        after[file] = before[file];
        QVERIFY(after == before && QFileInfo(file).isDir());
        // What the write was for did not happen; a settings choice stays in force,
        // as the controls show it.
        QCOMPARE(msgRireki(w)->rows(), rows);
        QCOMPARE(inForce(w) != settings, file == kSettingsFile);

        // Once the file is back the same action goes through, and the files agree
        // with the window.
        QVERIFY(QDir().rmdir(file));
        writeBytes(file, before[file]);
        act();
        QCOMPARE(f.messages.shown.size(), shown + (handler == Handler::Clear ? 4 : 1));
        QCOMPARE(msgRireki(w)->rows(), rowsAfterRetry);
        QCOMPARE(int(readBytes(kHistoryFile).count('\n')), rowsAfterRetry - 1);
        QCOMPARE(readBytes(kExclusionFile).endsWith(encodeCp932(u"あ\r\n")),
                 handler == Handler::Answer);
        QCOMPARE(readBytes(kSettingsFile), inForce(w).toLatin1() + "\r\n");
    }

    // Found by fuzzing: a control character in an item must not shift the columns.
    // Past 32767 records the grid still loads, saves and numbers its rows.
    void historyShowsWhatItsFileHolds() {
        const QByteArray odd =
            "\"2009\x1f/06/21\",\"21:07:45\",\"\x1f\",1,0,1,1,\"a\x1f\x1f\",\"b\",\"\x1f\"\r\n";
        WindowFixture f(QStringLiteral("あ\r\n"), "60,0\r\n", {},
                        odd + kHistoryLine.repeated(32767));
        MainWindow& w = f.load();
        QCOMPARE(gridRow(w, 1), (QStringList{"1", "2009\x1f/06/21", "21:07:45", "\x1f", "1", "0",
                                             "1", "1", "a\x1f\x1f", "b", "\x1f"}));
        QCOMPARE(gridRow(w, 2).last(), QStringLiteral("60"));
        answer(w, QStringLiteral("あさ"));
        cmdHozon(w)->click();
        QCOMPARE(msgRireki(w)->rows(), 32770);
        QCOMPARE(msgRireki(w)->textAt(32769, 0), QStringLiteral("32769"));
    }

    void exactAnswerIsExcluded_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("listed"); // ん, already excluded
        // Found by fuzzing: quoting these loses what follows the quote; bare they read back.
        QTest::newRow("leading tab and a quote") << QStringLiteral("\tあ\"い") << 0;
        QTest::newRow("leading full-width space and a quote") << QStringLiteral("　あ\"") << 0;
        QTest::newRow("the list full") << QStringLiteral("あ") << 5000;
    }
    void exactAnswerIsExcluded() {
        QFETCH(QString, entry);
        QFETCH(int, listed);
        WindowFixture f(entry + QStringLiteral("\r\n"), "60,0\r\n",
                        QStringLiteral("ん\r\n").repeated(listed));
        MainWindow& w = f.load();
        startRound(w);
        answer(w, entry);
        QCOMPARE(loadList(kExclusionFile, kExclusionCapacity),
                 listed ? QStringList(listed, QStringLiteral("ん")) : QStringList{entry});
        QCOMPARE(f.messages.shown.size(), listed ? 1 : 0);
        const QString m = f.messages.shown.value(0).text;
        QVERIFY2(!listed || (m.contains(kExclusionFile) && m.contains(QStringLiteral("5000"))),
                 qPrintable(m));
    }
};

QTEST_MAIN(TestFaults)
#include "test_faults.moc"
