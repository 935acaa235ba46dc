#include "app/application.h"
#include "app/chart/chart_window.h"
#include "app/history_grid.h"
#include "core/question_record.h"
#include "support/reference.h"
#include "support/window_fixture.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QToolTip>
#include <QValueAxis>
#include <QXYSeries>

using namespace kb;
using namespace kb::test;

namespace {

QByteArray historyOf(int rounds) {
    QByteArray bytes;
    for (int i = 0; i < rounds; ++i)
        bytes += encodeCp932(QStringLiteral("\"2026/03/%1\",\"10:00:00\",\"%2\",%3,1,%4,%3,"
                                            "\"90.0%\",\"0.50/秒\",\"60秒\"\r\n")
                                 .arg(i % 28 + 1, 2, 10, QLatin1Char('0'))
                                 .arg(i % 2 ? QStringLiteral("２") : QStringLiteral("１"))
                                 .arg(10 + i)
                                 .arg(30 + i));
    return bytes;
}

QMenu* openMenu() {
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

QWidget* chartWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == QStringLiteral("成績グラフ")) return w;
    return nullptr;
}

QString summaryOf(QWidget* chart) {
    return chart->findChild<QLabel*>(QStringLiteral("lblSummary"))->text();
}

HistoryRecord recordOf(const QString& date, const QString& set, int score,
                       const QString& length = QStringLiteral("60秒")) {
    return {date, "12:00:00", set, 5, 1, 30, std::int16_t(score), "83.3%", "0.50/秒", length};
}

} // namespace

class TestProgressChart : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() {
        if (QMenu* menu = openMenu()) menu->close();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->windowTitle() == QStringLiteral("成績グラフ")) w->close();
    }

    // Qt's own texts, the answer box's edit menu and the chart's file dialog
    // among them, are Japanese from the first menu on; start-up loads nothing.
    void qtTextsAreJapaneseFromTheFirstMenu() {
        setUpApplication();
        QCOMPARE(QGuiApplication::desktopFileName(), "jp.kotobaru.kotobaru"); // icon, grouping
        const auto undo = [] { return QLineEdit::tr("&Undo"); };
        QCOMPARE(undo(), QStringLiteral("&Undo"));
        WindowFixture f;
        MainWindow& w = f.load();
        w.show();
        QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(),
                                  txtKaitou(w)->mapToGlobal(QPoint()));
        QApplication::sendEvent(txtKaitou(w), &request);
        QMenu* menu = openMenu();
        QVERIFY(menu);
        QVERIFY2(undo() != QStringLiteral("&Undo") && menu->actions()[0]->text().startsWith(undo()),
                 qPrintable(menu->actions()[0]->text()));
    }

    void gridOpensItsMenu_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("right button") << 0;
        QTest::newRow("Menu key") << 1;
        QTest::newRow("Shift+F10") << 2;
    }
    void gridOpensItsMenu() {
        QFETCH(int, how);
        WindowFixture f({}, "60,1\r\n", {}, historyOf(3));
        f.chartModule = QStringLiteral(KB_CHART_MODULE);
        MainWindow& w = f.load();
        w.show();
        HistoryGrid* grid = msgRireki(w);
        grid->setFocus();
        const QPoint at = grid->viewport()->rect().center();
        if (how == 0) {
            // QTest's right click sends no menu request: the window system does that.
            QContextMenuEvent request(QContextMenuEvent::Mouse, at,
                                      grid->viewport()->mapToGlobal(at));
            QApplication::sendEvent(grid->viewport(), &request);
        } else {
            QTest::keyClick(grid, how == 1 ? Qt::Key_Menu : Qt::Key_F10,
                            how == 1 ? Qt::NoModifier : Qt::ShiftModifier);
        }
        QMenu* menu = openMenu();
        QVERIFY(menu);
        const QPoint opened = grid->viewport()->mapFromGlobal(menu->pos());
        QVERIFY(how == 0 ? opened == at : grid->viewport()->rect().contains(opened));
        QCOMPARE(menu->actions().size(), 1);
        QCOMPARE(menu->actions()[0]->text(), QStringLiteral("成績グラフ…"));
        menu->actions()[0]->trigger();
        QWidget* chart = chartWindow();
        QVERIFY(chart);
        QVERIFY(summaryOf(chart).startsWith(QStringLiteral("表示している回数: 2")));
        QVERIFY(!chart->isModal());
        QTest::keyClick(chart, Qt::Key_Escape);
        QVERIFY(!chart->isVisible());
    }

    // A left click on the grid still changes nothing of the window.
    void leftClickOnTheGridChangesNothing() {
        WindowFixture f({}, "60,1\r\n", {}, historyOf(12));
        f.chartModule = QStringLiteral(KB_CHART_MODULE);
        MainWindow& w = f.load();
        w.show();
        HistoryGrid* grid = msgRireki(w);
        const auto state = [&] {
            QStringList s{QString::number(grid->topRow()), QString::number(grid->rows()),
                          QString::number(grid->selectionModel()->selectedIndexes().size())};
            for (QWidget* c : w.findChildren<QWidget*>())
                s << c->objectName() + u':' + QString::number(c->isVisible()) +
                         QString::number(c->isEnabled());
            return s;
        };
        const QStringList before = state();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->viewport()->rect().center());
        QCOMPARE(state(), before);
        QVERIFY(!openMenu());
        QVERIFY(!chartWindow());
    }

    // A picture that cannot be written is told through the game's message boxes, naming the file.
    // Before any test that ends the game: its QCoreApplication::exit() ends every later event
    // loop at once, the file dialog's too.
    void failedSaveNamesTheFile() {
        FakeMessages messages;
        ChartWindow chart(nullptr, messages);
        chart.setRecords({recordOf(QStringLiteral("2025/12/30"), QStringLiteral("１"), 7)});
        WorkDir dir;
        const QString png = dir.path() + QStringLiteral("/no/such/folder/chart.png");
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->selectFile(png);
            static_cast<QDialog*>(dialog)->accept(); // as the Save button does
        });
        chart.findChild<QPushButton*>(QStringLiteral("cmdSavePng"))->click();
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY(messages.shown[0].text.contains(png));
        QCOMPARE(messages.shown[0].title, QStringLiteral("成績グラフ"));
        QCOMPARE(messages.shown[0].icon, MessageBoxes::Icon::Warning);
    }

    // The open chart follows every save and clear, and goes with the game.
    void chartFollowsTheHistoryAndEndsWithTheGame() {
        WindowFixture f({}, "60,1\r\n", {}, historyOf(2));
        f.chartModule = QStringLiteral(KB_CHART_MODULE);
        MainWindow& w = f.load();
        w.openProgressChart();
        QWidget* chart = chartWindow();
        QVERIFY(chart);
        // Both records are set "１" then "２": the newest, "２", is chosen.
        QVERIFY(summaryOf(chart).startsWith(QStringLiteral("表示している回数: 1")));
        auto* mode = chart->findChild<QComboBox*>(QStringLiteral("cboMode"));
        auto* length = chart->findChild<QComboBox*>(QStringLiteral("cboLength"));
        mode->setCurrentIndex(0), length->setCurrentIndex(0);
        startRound(w);
        answer(w, QStringLiteral("あさ"));
        runOut(w, f.clock); // saved automatically: settings "60,1"
        QCOMPARE(mode->currentText() + length->currentText() + QString::number(length->count()),
                 QStringLiteral("すべてすべて2")); // the choices outlive the save; one length
        QVERIFY(summaryOf(chart).startsWith(QStringLiteral("表示している回数: 3")));
        w.cmdClear_Click();
        auto* pages = chart->findChild<QStackedWidget*>();
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("lblEmpty"));
        QPointer<QWidget> alive(chart);
        cmdEnd(w)->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!alive);
    }

    // かな別 reads 出題記録.txt when it is turned to, and again after a save; a
    // file it cannot read is told in the view, and the chart goes on.
    void kanaViewReadsQuestionLinesWhenShown() {
        WorkDir dir;
        FakeMessages messages;
        ChartWindow chart(nullptr, messages);
        chart.setQuestionLog(kQuestionLogFile);
        chart.setRecords({recordOf(QStringLiteral("2026/01/01"), QStringLiteral("１"), 4)});
        const QString line =
            QStringLiteral("\"2026/01/01\",\"12:00:00\",\"１\",\"か\",3000,0,0,0,1,-1,0\r\n");
        writeBytes(kQuestionLogFile, line.toUtf8());
        chart.findChild<QComboBox*>(QStringLiteral("cboView"))->setCurrentIndex(2);
        QVERIFY(summaryOf(&chart).contains(kQuestionLogFile) &&
                summaryOf(&chart).contains(u"UTF-8"));
        QCOMPARE(chart.findChild<QStackedWidget*>()->currentWidget()->objectName(), "lblEmpty");
        QVERIFY(!chart.findChild<QWidget*>(QStringLiteral("cmdSavePng"))->isEnabled());
        QVERIFY(messages.shown.isEmpty());
        const QString head =
            QStringLiteral("\"2026/01/01\",\"12:00:00\",\"１\",\"あ\",2000,1,0,1,0,800,0\r\n");
        const QString pair = QString(head).replace(u'あ', u'カ'); // after the gojūon columns
        writeBytes(kQuestionLogFile,
                   encodeCp932(line + line + line + head + head + head + pair) + "broken\r\n");
        chart.appendRecord(recordOf(QStringLiteral("2026/01/02"), QStringLiteral("１"), 4));
        for (const char* part : {"kanaGrid", "kanaTable"}) // named for a screen reader
            QVERIFY(!chart.findChild<QWidget*>(part)->accessibleName().isEmpty());
        const QString differs =
            differsFromReference(chart.grab().toImage(), QStringLiteral("kana-view"));
        QVERIFY2(differs.isEmpty(), qPrintable(differs));
        const QString said = QAccessible::queryAccessibleInterface(
                                 chart.findChild<QLabel*>(QStringLiteral("lblSummary")))
                                 ->text(QAccessible::Name);
        QVERIFY2(said.contains(QStringLiteral("苦手な順: か（出題 3 回、1 回あたり -1.00 点")),
                 qPrintable(said));
        QVERIFY(said.endsWith(QStringLiteral("読めない行: 1")));
    }

    void missingOrBrokenModuleLeavesTheGamePlaying() {
        WindowFixture f;
        f.chartModule = f.dir.path() + QStringLiteral("/kotobaru-chart.so");
        writeBytes(f.chartModule, "not a module");
        MainWindow& w = f.load();
        w.openProgressChart();
        QCOMPARE(f.messages.shown.size(), 1);
        QVERIFY(f.messages.shown[0].text.contains(f.chartModule));
        QVERIFY(!chartWindow());
        w.msgRireki_ContextMenu({});
        QMenu* menu = openMenu();
        QVERIFY(menu);
        QCOMPARE(menu->actions()[0]->text(),
                 QStringLiteral("成績グラフ（インストールされていません）"));
        QVERIFY(!menu->actions()[0]->isEnabled());
        menu->close();
        startRound(w); // the game plays on
        QVERIFY(roundRuns(w));
    }

    void chartChoosesFiltersSavesPngAndSpeaks() {
        FakeMessages messages;
        ChartWindow chart(nullptr, messages);
        chart.setRecords({recordOf(QStringLiteral("2025/12/30"), QStringLiteral("１"), 7),
                          recordOf(QStringLiteral("2025/12/31"), QStringLiteral("２"), -4,
                                   QStringLiteral("30秒")),
                          recordOf(QStringLiteral("2026/01/01"), QStringLiteral("１"), 4),
                          recordOf(QStringLiteral("bad"), QStringLiteral("１"), 4)});
        auto* mode = chart.findChild<QComboBox*>(QStringLiteral("cboMode"));
        auto* length = chart.findChild<QComboBox*>(QStringLiteral("cboLength"));
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        // Set １, 60秒 (the newest round's); scores 7 and 4: the best a red star, a blue dot.
        const QString differs =
            differsFromReference(chart.grab().toImage(), QStringLiteral("chart"));
        QVERIFY2(differs.isEmpty(), qPrintable(differs));
        auto* view = chart.findChild<QChartView*>(QStringLiteral("chartView"));
        QCOMPARE(summaryOf(&chart),
                 QStringLiteral("表示している回数: 2　最高得点: 7（2025/12/30）　最新: 4　"
                                "直近 10 回の平均: 5.5　読めない行: 1"));
        chart.findChild<QComboBox*>(QStringLiteral("cboView"))->setCurrentIndex(1);
        QVERIFY(summaryOf(&chart).contains(QStringLiteral("文字/秒")));
        mode->setCurrentIndex(0);
        QVERIFY(summaryOf(&chart).startsWith(QStringLiteral("表示している回数: 2")));
        length->setCurrentIndex(0);
        QVERIFY(summaryOf(&chart).startsWith(QStringLiteral("表示している回数: 3")));
        // One round alone: no two labels of an axis alike (scores are whole, times shown).
        mode->setCurrentIndex(mode->findText(QStringLiteral("２")));
        chart.findChild<QComboBox*>(QStringLiteral("cboView"))->setCurrentIndex(0);
        auto* scores = qobject_cast<QValueAxis*>(view->chart()->axes(Qt::Vertical)[0]);
        QVERIFY(scores->max() - scores->min() >= scores->tickCount() - 1);
        auto* dates = qobject_cast<QDateTimeAxis*>(view->chart()->axes(Qt::Horizontal)[0]);
        QVERIFY(dates->format().endsWith(u"hh:mm")); // the rule's bounds: test_progress
        mode->setCurrentIndex(0);
        chart.findChild<QComboBox*>(QStringLiteral("cboView"))->setCurrentIndex(1);

        // The mouse resting on a round, not beside it, shows its row as the grid shows it.
        auto* dots = qobject_cast<QXYSeries*>(view->chart()->series()[1]);
        const auto where = [&](int i, QPoint by = {}) {
            return view->chart()->mapToPosition(dots->at(i), dots).toPoint() + by;
        };
        const auto rest = [&](QPoint at) {
            QHelpEvent event(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
            QApplication::sendEvent(view->viewport(), &event);
            return QToolTip::isVisible();
        };
        QVERIFY(!rest(where(1, {12, 0})) && !rest(where(1, {0, 12})) && !rest({1, 1}));
        QVERIFY(rest(where(1, {4, -5})));
        QVERIFY2(QToolTip::text().contains(QStringLiteral("\">2</td>")) &&
                     QToolTip::text().contains(QStringLiteral("2025/12/31")),
                 qPrintable(QToolTip::text()));
        WorkDir dir;
        const QString png = dir.path() + QStringLiteral("/chart.png");
        QVERIFY(chart.savePng(png));
        QCOMPARE(QImage(png).size(), view->size());

        // A screen reader finds the window's and the chart's names and purposes, and reads
        // the summary as it stands.
        const auto said = [](QWidget* w, QAccessible::Text t) {
            return QAccessible::queryAccessibleInterface(w)->text(t);
        };
        QCOMPARE(said(&chart, QAccessible::Name), QStringLiteral("成績グラフ"));
        for (QWidget* w : std::initializer_list<QWidget*>{&chart, view})
            QVERIFY(!said(w, QAccessible::Name).isEmpty() &&
                    !said(w, QAccessible::Description).isEmpty());
        chart.setRecords({});
        auto* summary = chart.findChild<QLabel*>(QStringLiteral("lblSummary"));
        QCOMPARE(said(summary, QAccessible::Name), QStringLiteral("条件に合う記録がありません。"));
        QVERIFY(summary->focusPolicy() & Qt::TabFocus);
        QVERIFY(!chart.findChild<QWidget*>(QStringLiteral("cmdSavePng"))->isEnabled());
    }
};

QTEST_MAIN(TestProgressChart)
#include "test_progress_chart.moc"
