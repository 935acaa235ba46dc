#include "support/controls.h"
#include "support/window_fixture.h"

#include <QTest>

using namespace kb;
using namespace kb::test;

class TestStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // One file at a time, each read where a failure stops the start; what each
    // reader makes of a damaged file is for the file tests.
    void filesAtStartup_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>(
            "content");                    // "<missing>", "<dir>", "<endless>": see replaceFile
        QTest::addColumn<QString>("says"); // empty: the game starts
        for (const QString& file : {kSettingsFile, kKanaFile, kExclusionFile, kHistoryFile})
            QTest::addRow("%s missing", file.toUtf8().constData())
                << file << QByteArray("<missing>") << QStringLiteral("見つかりません");
        QTest::newRow("history is a directory")
            << kHistoryFile << QByteArray("<dir>") << "読み込めません";
        QTest::newRow("kana never ends") << kKanaFile << QByteArray("<endless>") << "大きすぎ";
        // Read as an empty item, the end would turn the switch off.
        QTest::newRow("settings cut after the comma")
            << kSettingsFile << QByteArray("60,") << "途中で終わって";
        QTest::newRow("round length not a number")
            << kSettingsFile << QByteArray("abc,1\r\n") << "使えない値";
        // The capacities the window asks for.
        const auto lines = [](int n) { return QByteArray(n * 2, 'a').replace("aa", "a\n"); };
        QTest::newRow("100 kana") << kKanaFile << lines(100) << QString();
        QTest::newRow("101 kana") << kKanaFile << lines(101) << "多すぎ";
        QTest::newRow("5000 exclusions") << kExclusionFile << lines(5000) << QString();
        QTest::newRow("5001 exclusions") << kExclusionFile << lines(5001) << "多すぎ";
    }
    void filesAtStartup() {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QString, says);
        WindowFixture f;
        QVERIFY(replaceFile(file, content));
        MainWindow& w = f.make();
        QCOMPARE(w.Form_Load(), says.isEmpty());
        QCOMPARE(f.messages.shown.size(), says.isEmpty() ? 0 : 1);
        if (says.isEmpty()) return;
        const ShownMessage& m = f.messages.shown[0];
        QCOMPARE(m.title, QStringLiteral("コトバル"));
        QVERIFY2(m.text.contains(file) && m.text.contains(says), qPrintable(m.text));
        QCOMPARE(m.icon, MessageBoxes::Icon::Critical);
    }

    void startupState() {
        WindowFixture f(QStringLiteral("あ\r\nい\r\n"), "  75 , 2 ");
        MainWindow& w = f.load();
        QVERIFY(w.isVisible());
        QCOMPARE(w.windowTitle(), QStringLiteral("コトバル"));
        QCOMPARE(chkAs(w)->value(), 2);
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
        QVERIFY(f.messages.shown.isEmpty());
        // The switch left its initial off state, so its handler stored the values
        // just read, in the program's own form.
        QCOMPARE(readBytes(kSettingsFile), QByteArray("75,2\r\n"));
    }

    void settingsAreNotRewrittenWhenTheSwitchStaysOff() {
        WindowFixture f(QStringLiteral("あ\r\n"), "60,0");
        f.load();
        QCOMPARE(readBytes(kSettingsFile), QByteArray("60,0")); // not even a line end added
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
        const QByteArray record =
            "\"2009/06/21\",\"21:07:45\",\"1\",1,0,2,1,\"100.0%\",\"0.03\",\"60\"\r\n";
        WindowFixture f(QStringLiteral("あ\r\n"), "60,1\r\n", {}, record.repeated(records));
        MainWindow& w = f.load();
        QCOMPARE(msgRireki(w)->rows(), records + 1);
        QCOMPARE(msgRireki(w)->topRow() > 1, scrolled);
        if (scrolled) // the last row is in view
            QVERIFY(msgRireki(w)->rowViewportPosition(records - 1) <
                    msgRireki(w)->viewport()->height());
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
