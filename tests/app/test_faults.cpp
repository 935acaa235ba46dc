// Faults injected under the real window: a write that fails in each handler,
// sizes at the limits, and bytes the fuzzers found. The window must report, go
// on, and show what the files hold. How each kind of failed write leaves its
// file is test_sequential_file's.

#include "files/settings.h"
#include "support/controls.h"
#include "support/window_fixture.h"

#include <QMap>
#include <QSet>
#include <QTest>

using namespace kb;
using namespace kb::test;

namespace {

QByteArray record(int ok, int ng, int chars, int score) {
    return "\"2009/06/21\",\"21:07:45\",\"" + encodeCp932(u"１") + "\"," + QByteArray::number(ok) +
           ',' + QByteArray::number(ng) + ',' + QByteArray::number(chars) + ',' +
           QByteArray::number(score) + ",\"50.0%\",\"0.10/" + encodeCp932(u"秒") + "\",\"60" +
           encodeCp932(u"秒") + "\"\r\n";
}

QMap<QString, QByteArray> contents() {
    QMap<QString, QByteArray> files;
    for (const QString& name : {kKanaFile, kExclusionFile, kSettingsFile, kHistoryFile})
        files[name] = readBytes(name);
    return files;
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
                        QStringLiteral("ん\r\n"), record(1, 1, 2, 0) + record(3, 0, 9, 6));
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
                return w.state().roundRunning ? runOut(w, f.clock) : cmdHozon(w)->click();
            case Handler::Clear:
                return cmdClear(w)->click();
            case Handler::AutoSaveSwitch:
                return chkAs(w)->click();
            case Handler::RoundLengthPick:
                return pickRoundLength(w, w.state().timeLimitSeconds == 90 ? QStringLiteral("120")
                                                                           : QStringLiteral("90"));
            }
        };
        const QMap<QString, QByteArray> before = contents();
        const DrillState state = w.state();
        const int rows = msgRireki(w)->rows();
        const qsizetype shown = f.messages.shown.size();
        QFile::remove(file);
        QVERIFY(QDir().mkdir(file));
        act();

        // Reported once (the clear asks first), naming the file; no other file changes.
        QCOMPARE(f.messages.shown.size(), shown + (handler == Handler::Clear ? 2 : 1));
        const ShownMessage& m = f.messages.shown.last();
        QCOMPARE(m.title, QStringLiteral("コトバル"));
        QVERIFY2(m.text.contains(QStringLiteral("「%1」に書き込めません").arg(file)) &&
                     m.text.contains(says),
                 qPrintable(m.text));
        QVERIFY(QFileInfo(file).isDir());
        QMap<QString, QByteArray> after = contents();
        after[file] = before[file];
        QVERIFY(after == before);
        // What the write was for did not happen; a settings choice stays in force.
        QCOMPARE(msgRireki(w)->rows(), rows);
        QCOMPARE(w.state().typedChars, state.typedChars);
        QCOMPARE(w.state().autoSave != state.autoSave ||
                     w.state().timeLimitSeconds != state.timeLimitSeconds,
                 file == kSettingsFile);
        QCOMPARE(chkAs(w)->value(), int(w.state().autoSave));
        QCOMPARE(cboJikan(w)->currentText(), QString::number(w.state().timeLimitSeconds));
        if (handler == Handler::AutoSave) // the round ended all the same
            QVERIFY(!w.state().roundRunning && cmdStart(w)->isEnabled() &&
                    !lblRitu(w)->text().isEmpty());

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
        const Settings s = loadSettings();
        QCOMPARE(s.timeLimitSeconds, w.state().timeLimitSeconds);
        QCOMPARE(s.autoSave, w.state().autoSave);
    }

    void clearIntoAFullDeviceEmptiesTheTable() {
        // Emptying needs no room, so this clear succeeds; the table must follow.
        WindowFixture f(QStringLiteral("あ\r\n"), "60,0\r\n", {}, record(1, 0, 1, 1));
        MainWindow& w = f.load();
        QFile::remove(kHistoryFile);
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), kHistoryFile));
        cmdClear(w)->click();
        QCOMPARE(msgRireki(w)->rows(), 1);
        QCOMPARE(f.messages.shown.last().title, QStringLiteral("クリア終了"));
    }

    void historyCellsHoldTheirItemsWhateverTheBytes() {
        // Found by fuzzing: a control character in an item must not shift the columns.
        WindowFixture f(
            QStringLiteral("あ\r\n"), "60,0\r\n", {},
            "\"2009\x1f/06/21\",\"21:07:45\",\"\x1f\",1,0,1,1,\"a\x1f\x1f\",\"b\",\"\x1f\"\r\n" +
                record(2, 0, 2, 2));
        MainWindow& w = f.load();
        const QStringList cells{"1", "2009\x1f/06/21", "21:07:45", "\x1f", "1", "0", "1",
                                "1", "a\x1f\x1f",      "b",        "\x1f"};
        for (int c = 0; c <= 10; ++c)
            QCOMPARE(msgRireki(w)->textAt(1, c), cells[c]);
        QCOMPARE(msgRireki(w)->textAt(2, 4), QStringLiteral("2"));
    }

    void excludedEntriesComeBackAsTheyWere_data() {
        QTest::addColumn<QString>("entry");
        // Found by fuzzing: quoting these loses what follows the quote; bare they read back.
        QTest::newRow("leading tab and a quote") << QStringLiteral("\tあ\"い");
        QTest::newRow("leading full-width space and a quote") << QStringLiteral("　あ\"");
    }
    void excludedEntriesComeBackAsTheyWere() {
        QFETCH(QString, entry);
        WindowFixture f(entry + QStringLiteral("\r\n"), "60,0\r\n");
        MainWindow& w = f.load();
        startRound(w);
        QCOMPARE(lblMondai(w)->text(), entry);
        answer(w, entry);
        QVERIFY(f.messages.shown.isEmpty());
        QCOMPARE(loadList(kExclusionFile, kExclusionCapacity), QStringList{entry});
    }

    void exactAnswerThatOverflowsIsNotExcluded() {
        // Its 40000 characters overflow the count: the file is written only after
        // the verdict is formed.
        const QString huge(40000, QChar(u'ぬ'));
        WindowFixture f(huge + QStringLiteral("\r\n"), "60,0\r\n");
        MainWindow& w = f.load();
        startRound(w);
        answer(w, huge);
        QCOMPARE(f.messages.shown.size(), 1);
        QVERIFY(f.messages.shown[0].text.contains(QStringLiteral("範囲")));
        QCOMPARE(readBytes(kExclusionFile), QByteArray());
        QCOMPARE(int(w.state().typedChars), 0);
    }

    void exclusionListTakesAppendsUpTo5000() {
        // The program's own appends must never make the list too long to start.
        WindowFixture f(QStringLiteral("あ\r\nい\r\n"), "60,0\r\n",
                        QStringLiteral("ん\r\n").repeated(4999));
        MainWindow& w = f.load();
        startRound(w);
        QSet<QString> answered;
        for (int guard = 0; answered.size() < 2 && guard < 200; ++guard) {
            answered.insert(w.state().currentQuestion);
            answer(w, w.state().currentQuestion);
            f.clock.tod += 0.37; // questions are drawn from the time of day
        }
        QCOMPARE(answered.size(), 2);
        QCOMPARE(f.messages.shown.size(), 1); // the second one: the list is full
        const QString m = f.messages.shown[0].text;
        QVERIFY2(m.contains(kExclusionFile) && m.contains(QStringLiteral("5000")), qPrintable(m));
        QCOMPARE(int(readBytes(kExclusionFile).count('\n')), 5000);
    }

    void historyPast32767RecordsLoadsAndSaves() {
        WindowFixture f(QStringLiteral("あ\r\n"), "60,0\r\n", {},
                        record(1, 0, 2, 1).repeated(32768));
        MainWindow& w = f.load();
        QCOMPARE(msgRireki(w)->rows(), 32769);
        answer(w, QStringLiteral("あさ"));
        cmdHozon(w)->click();
        QVERIFY(f.messages.shown.isEmpty());
        QCOMPARE(msgRireki(w)->rows(), 32770);
        QCOMPARE(msgRireki(w)->textAt(32769, 0), QStringLiteral("32769"));
        QCOMPARE(int(readBytes(kHistoryFile).count('\n')), 32769);
    }
};

QTEST_MAIN(TestFaults)
#include "test_faults.moc"
