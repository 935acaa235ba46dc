#include "app/answer_box.h"
#include "app/controls.h"
#include "app/history_grid.h"
#include "support/controls.h"
#include "support/window_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <unistd.h>

using namespace kb;
using namespace kb::test;

class TestStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void brokenFilesStopStartupNamingTheFile_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content"); // "<missing>" or "<dir>" for those cases
        QTest::addColumn<QString>("says");
        QTest::newRow("settings missing")
            << kSettingsFile << QByteArray("<missing>") << "見つかりません";
        QTest::newRow("kana missing") << kKanaFile << QByteArray("<missing>") << "見つかりません";
        QTest::newRow("exclusions missing")
            << kExclusionFile << QByteArray("<missing>") << "見つかりません";
        QTest::newRow("history missing")
            << kHistoryFile << QByteArray("<missing>") << "見つかりません";
        QTest::newRow("history is a directory")
            << kHistoryFile << QByteArray("<dir>") << "読み込めません";
        QTest::newRow("settings short")
            << kSettingsFile << QByteArray("60\r\n") << "途中で終わって";
        QTest::newRow("settings empty") << kSettingsFile << QByteArray("") << "途中で終わって";
        QTest::newRow("round length not a number")
            << kSettingsFile << QByteArray("abc,1\r\n") << "使えない値";
        QTest::newRow("auto-save out of range")
            << kSettingsFile << QByteArray("60,5\r\n") << "使えない値";
        QTest::newRow("101 kana") << kKanaFile << QByteArray(101 * 2, 'a').replace("aa", "a\n")
                                  << "多すぎ";
        QTest::newRow("5001 exclusions")
            << kExclusionFile << QByteArray(5001 * 2, 'a').replace("aa", "a\n") << "多すぎ";
        QTest::newRow("history record incomplete")
            << kHistoryFile << QByteArray("\"a\",\"b\",\"c\",1,2\r\n") << "途中で終わって";
        QTest::newRow("history number out of range")
            << kHistoryFile << QByteArray("\"a\",\"b\",\"c\",1,2,3,40000,\"x\",\"y\",\"z\"\r\n")
            << "範囲";
    }
    void brokenFilesStopStartupNamingTheFile() {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QString, says);
        WindowFixture f;
        QVERIFY(replaceFile(file, content));
        MainWindow& w = f.make();
        QVERIFY(!w.Form_Load());
        QCOMPARE(f.messages.shown.size(), 1);
        const ShownMessage& m = f.messages.shown[0];
        QCOMPARE(m.title, QStringLiteral("コトバル"));
        QVERIFY2(m.text.contains(file), qPrintable(m.text));
        QVERIFY2(m.text.contains(says), qPrintable(m.text));
        QCOMPARE(m.icon, MessageBoxes::Icon::Critical);
    }

    void listsAtTheirLimitsLoad() {
        WindowFixture f(
            QString(100, QLatin1Char('a')).replace(QLatin1String("a"), QLatin1String("か\r\n")));
        writeBytes(kExclusionFile, QByteArray(5000 * 2, 'a').replace("aa", "a\n"));
        MainWindow& w = f.load();
        QCOMPARE(int(w.state().kanaCount), 100);
        QCOMPARE(int(w.state().excludedCount), 5000);
    }

    void startupState() {
        WindowFixture f(QStringLiteral("あ\r\nい\r\n"), "75,2\r\n");
        MainWindow& w = f.load();
        QVERIFY(w.isVisible());
        QCOMPARE(w.windowTitle(), QStringLiteral("コトバル"));
        QCOMPARE(int(w.state().timeLimitSeconds), 75);
        QCOMPARE(int(w.state().autoSave), 2);
        QCOMPARE(chkAs(w)->value(), 2);
        QCOMPARE(int(w.barFullWidth()), 8745);
        QCOMPARE(w.helpFilePath(), QStringLiteral("KbHelp.chm"));
        QCOMPARE(int(w.state().kanaCount), 2);
        QCOMPARE(w.state().kana(2), QStringLiteral("い"));
        QVERIFY(w.state().currentQuestion.isEmpty());
        // The placeholders are emptied; the selections filled.
        for (QLabel* l : {lblMondai(w), lblOk(w), lblNg(w), lblMoji_T(w), lblByou(w), lblRitu(w),
                          lblTen(w, 0), lblTen(w, 1), lblTen(w, 2), lblTen(w, 3)})
            QVERIFY2(l->text().isEmpty(), qPrintable(l->text()));
        QVERIFY(txtKaitou(w)->text().isEmpty());
        QCOMPARE(cboJikan(w)->count(), 18);
        QCOMPARE(cboJikan(w)->itemText(0), QStringLiteral("10"));
        QCOMPARE(cboJikan(w)->itemText(17), QStringLiteral("180"));
        QCOMPARE(cboJikan(w)->currentText(), QStringLiteral("75"));
        QCOMPARE(cboSet(w)->count(), 2);
        QCOMPARE(cboSet(w)->itemText(1), QStringLiteral("２文字"));
        QCOMPARE(cboSet(w)->currentText(), QStringLiteral("１文字"));
        QCOMPARE(msgRireki(w)->rows(), 1);
        QCOMPARE(msgRireki(w)->textAt(0, 4), QStringLiteral("ＯＫ"));
        QVERIFY(f.messages.shown.isEmpty());
        // The switch left its initial off state, so its handler wrote the values just read.
        QCOMPARE(readBytes(kSettingsFile), QByteArray("75,2\r\n"));
    }

    void settingsAreNotRewrittenWhenTheSwitchStaysOff() {
        WindowFixture f(QStringLiteral("あ\r\n"), "60,0");
        f.load();
        QCOMPARE(readBytes(kSettingsFile),
                 QByteArray("60,0")); // untouched, not even a line end added
    }

    void autoSaveOnRewritesTheSameValues() {
        WindowFixture f(QStringLiteral("あ\r\n"), "  60 , 1 ");
        f.load();
        QCOMPARE(readBytes(kSettingsFile), QByteArray("60,1\r\n"));
    }

    void historyScrollsToItsLastRow_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<bool>("scrolled");
        QTest::newRow("6 records") << 6 << false;
        QTest::newRow("7 records") << 7 << true;
        QTest::newRow("40 records") << 40 << true;
    }
    void historyScrollsToItsLastRow() {
        QFETCH(int, records);
        QFETCH(bool, scrolled);
        QByteArray history;
        for (int i = 0; i < records; ++i)
            history += "\"2009/06/21\",\"21:07:45\",\"1\",1,0,2,1,\"100.0%\",\"0.03\",\"60\"\r\n";
        WindowFixture f(QStringLiteral("あ\r\n"), "60,1\r\n", {}, history);
        MainWindow& w = f.load();
        QCOMPARE(msgRireki(w)->rows(), records + 1);
        QCOMPARE(msgRireki(w)->topRow() > 1, scrolled && records > 6);
        if (scrolled) // the last row is in view
            QVERIFY(msgRireki(w)->rowViewportPosition(records - 1) <
                    msgRireki(w)->viewport()->height());
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
