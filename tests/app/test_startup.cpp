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
        QTest::addColumn<QByteArray>("content"); // or "<missing>" and the like: see replaceFile
        QTest::addColumn<QString>("says");       // empty: the game starts
        for (const QString& file : {kSettingsFile, kKanaFile, kExclusionFile, kHistoryFile})
            QTest::addRow("%s missing", file.toUtf8().constData())
                << file << QByteArray("<missing>") << QStringLiteral("見つかりません");
        QTest::newRow("history is a directory")
            << kHistoryFile << QByteArray("<dir>") << "読み込めません";
        QTest::newRow("kana never ends") << kKanaFile << QByteArray("<endless>") << "大きすぎ";
        QTest::newRow("a byte over 32 MiB") << kKanaFile << QByteArray(33554433, 'a') << "大きすぎ";
        // Read as an empty item, the end would turn the switch off.
        QTest::newRow("settings cut after the comma")
            << kSettingsFile << QByteArray("60,") << "途中で終わって";
        // The capacities the window asks for.
        const auto lines = [](int n) { return QByteArray(n * 2, 'a').replace("aa", "a\n"); };
        QTest::newRow("100 kana") << kKanaFile << lines(100) << QString();
        QTest::newRow("101 kana") << kKanaFile << lines(101) << "多すぎ";
        QTest::newRow("5000 exclusions") << kExclusionFile << lines(5000) << QString();
        QTest::newRow("5001 exclusions") << kExclusionFile << lines(5001) << "多すぎ";
        QTest::newRow("switch left off: not even a line end is added")
            << kSettingsFile << QByteArray("60,0") << QString();
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
        QVERIFY(!says.isEmpty() || readBytes(file) == content); // nothing stored
        if (says.isEmpty()) return;
        const ShownMessage& m = f.messages.shown[0];
        QCOMPARE(m.title, QStringLiteral("コトバル"));
        QVERIFY2(m.text.contains(file) && m.text.contains(says), qPrintable(m.text));
        QCOMPARE(m.icon, MessageBoxes::Icon::Critical);
    }

    void startupState() {
        WindowFixture f(QStringLiteral("あ\r\nい\r\n"), "  75 , 2 ");
        MainWindow& w = f.load();
        QVERIFY(w.isVisible() && f.messages.shown.isEmpty());
        QCOMPARE(w.windowTitle() + QString::number(w.windowIcon().isNull()), "コトバル0"); // an icon
        // The placeholders are emptied; the selections filled.
        for (QLabel* l : {lblMondai(w), lblOk(w), lblNg(w), lblMoji_T(w), lblByou(w), lblRitu(w),
                          lblTen(w, 0), lblTen(w, 1), lblTen(w, 2), lblTen(w, 3)})
            QVERIFY2(l->text().isEmpty(), qPrintable(l->text()));
        QCOMPARE((QStringList{txtKaitou(w)->text(), cboJikan(w)->currentText(),
                              cboJikan(w)->itemText(0), cboJikan(w)->itemText(17),
                              cboSet(w)->currentText(), cboSet(w)->itemText(1)}),
                 (QStringList{"", "75", "10", "180", "１文字", "２文字"}));
        QVERIFY(cboJikan(w)->count() == 18 && cboSet(w)->count() == 2);
        QTest::keyClick(cboSet(w), Qt::Key_Down); // the list stands on the set shown
        QCOMPARE(cboSet(w)->currentText(), QStringLiteral("２文字"));
        // The switch left its initial off state, so its handler stored the values
        // just read, in the program's own form.
        QCOMPARE(readBytes(kSettingsFile), QByteArray("75,2\r\n"));
    }

    // Six records fit; the seventh scrolls the grid so the last row shows.
    void historyScrollsToItsLastRow() {
        for (int records : {6, 7}) {
            WindowFixture f(QStringLiteral("あ\r\n"), "60,1\r\n", {},
                            kHistoryLine.repeated(records));
            const HistoryGrid* grid = msgRireki(f.load());
            f.window->hide(); // and shown again: the grid keeps its place
            f.window->show();
            QCOMPARE(grid->topRow() > 1, records == 7);
            QVERIFY(grid->rowViewportPosition(records - 1) < grid->viewport()->height());
        }
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
