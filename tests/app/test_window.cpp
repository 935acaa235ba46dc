#include "app/answer_box.h"
#include "app/controls.h"
#include "app/history_grid.h"
#include "support/window_fixture.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QToolButton>

using namespace kb;
using namespace kb::test;

namespace {

QWidget* frontMostAt(QWidget* container, QPoint p) {
    QWidget* w = container->childAt(p);
    // childAt descends into children; step back up to the container's direct child.
    while (w && w->parentWidget() != container)
        w = w->parentWidget();
    return w;
}

} // namespace

class TestWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void clientAreaIs631By452() {
        WindowFixture f;
        MainWindow& w = f.load();
        QCOMPARE(w.size(), QSize(631, 452));
    }

    // One check that every control sits in its container at its place (in pixels at 96 dpi).
    void controlsSitAtTheirPlaces() {
        WindowFixture f;
        MainWindow& w = f.load();
        struct Place {
            const char* name;
            QWidget* control;
            QWidget* container;
            QRect rect;
        };
        const Place places[] = {
            {"Image1", w.Image1, &w, {15, 10, 317, 61}},
            {"cmdStart", w.cmdStart, &w, {345, 10, 56, 61}},
            {"cmdHozon", w.cmdHozon, &w, {400, 10, 56, 61}},
            {"cmdClear", w.cmdClear, &w, {455, 10, 56, 61}},
            {"cmdHelp", w.cmdHelp, &w, {510, 10, 56, 61}},
            {"cmdEnd", w.cmdEnd, &w, {565, 10, 56, 61}},
            {"Frame1", w.Frame1, &w, {9, 87, 616, 358}},
            {"imgStart(1)", w.imgStart[1], w.Frame1, {12, 18, 32, 32}},
            {"imgStart(3)", w.imgStart[3], w.Frame1, {12, 18, 32, 32}},
            {"cboJikan", w.cboJikan, w.Frame1, {60, 30, 71, 27}},
            {"chkAs", w.chkAs, w.Frame1, {140, 30, 28, 28}},
            {"Frame2(0)", w.Frame2[0], w.Frame1, {178, 9, 422, 49}},
            {"shpJikanK", w.shpJikanK, w.Frame1, {15, 63, 583, 5}},
            {"shpJikanB", w.shpJikanB, w.Frame1, {15, 63, 583, 5}},
            {"lblMondai", w.lblMondai, w.Frame1, {40, 70, 132, 65}},
            {"Frame2(1)", w.Frame2[1], w.Frame1, {178, 68, 255, 69}},
            {"cboSet", w.cboSet, w.Frame1, {530, 73, 71, 23}},
            {"fraRireki", w.fraRireki, w.Frame1, {440, 100, 161, 106}},
            {"txtKaitou", w.txtKaitou, w.Frame1, {40, 140, 393, 67}},
            {"msgRireki", w.msgRireki, w.Frame1, {15, 215, 586, 131}},
            {"lblOk", w.lblOk, w.Frame2[0], {10, 12, 54, 31}},
            {"lblByou", w.lblByou, w.Frame2[0], {300, 12, 112, 31}},
            {"lblTen(3)", w.lblTen[3], w.Frame2[1], {190, 30, 56, 31}},
            {"lstRireki", w.lstRireki, w.fraRireki, {10, 15, 141, 82}},
        };
        for (const Place& p : places) {
            QCOMPARE(p.control->parentWidget(), p.container);
            QVERIFY2(p.control->geometry() == p.rect, p.name);
        }
    }

    void focusFollowsTheTabOrder() {
        WindowFixture f;
        MainWindow& w = f.load();
        w.activateWindow();
        const QList<QWidget*> order = {w.cmdStart,  w.cmdHozon,  w.cmdClear, w.cmdHelp,
                                       w.cmdEnd,    w.cboJikan,  w.chkAs,    w.msgRireki,
                                       w.txtKaitou, w.lstRireki, w.cboSet};
        // Walk the chain as Tab does, skipping what takes no Tab focus.
        QWidget* current = order[0];
        for (qsizetype i = 1; i < order.size(); ++i) {
            QWidget* next = current->nextInFocusChain();
            while (!(next->focusPolicy() & Qt::TabFocus) || next->focusProxy())
                next = next->nextInFocusChain();
            QVERIFY2(next == order[i] || next->parentWidget() == order[i],
                     qPrintable(QStringLiteral("after %1 comes %2")
                                    .arg(i)
                                    .arg(QString::fromLatin1(next->metaObject()->className()))));
            current = next;
        }
        // Labels and pictures take no focus.
        QCOMPARE(w.lblMondai->focusPolicy(), Qt::NoFocus);
        QCOMPARE(w.imgStart[1]->focusPolicy(), Qt::NoFocus);
    }

    void clickOnThePanelHidesItWhileOtherClicksDoNothing() {
        WindowFixture f;
        MainWindow& w = f.load();
        const DrillState before = w.state();
        for (QWidget* c : std::initializer_list<QWidget*>{w.lblMondai, w.imgStart[1], w.Image1,
                                                          w.lblOk, w.Label2[0]})
            QTest::mouseClick(c, Qt::LeftButton);
        QTest::mouseClick(w.msgRireki->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseClick(w.lstRireki->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(w.fraRireki->isVisible());
        QVERIFY(w.imgStart[1]->isVisible());
        QCOMPARE(w.state().score, before.score);
        QVERIFY(f.messages.shown.isEmpty());
        QTest::mouseClick(w.fraRireki, Qt::LeftButton, {}, QPoint(3, 3));
        QVERIFY(!w.fraRireki->isVisible());
        QVERIFY(!w.lstRireki->isVisible());
    }

    void barAndPicturesAreStacked() {
        WindowFixture f;
        MainWindow& w = f.load();
        const QPoint barPoint = w.shpJikanK->geometry().center();
        QCOMPARE(frontMostAt(w.Frame1, barPoint), w.shpJikanK); // green covers red at full width
        QCOMPARE(frontMostAt(w.Frame1, w.imgStart[1]->geometry().center()),
                 w.imgStart[1]); // red lamp on top
        QVERIFY(w.imgStart[2]->isVisible() && w.imgStart[3]->isVisible());
        // Rendered, the bar shows only green at full width.
        const QImage image = w.grab().toImage();
        const QPoint inWindow = w.shpJikanK->mapTo(&w, QPoint(w.shpJikanK->width() - 2, 2));
        QCOMPARE(QColor(image.pixel(inWindow)), QColor(0, 255, 0));
    }

    void toggleHasAThirdStateAndReportsProgrammaticChanges() {
        PictureToggle t;
        int changes = 0;
        QObject::connect(&t, &PictureToggle::changed, &t, [&] { ++changes; });
        t.setValue(2);
        QCOMPARE(changes, 1);
        QVERIFY(!t.isChecked());
        t.setValue(2);
        QCOMPARE(changes, 1); // no change, no event
        t.click();            // from greyed a click turns it on
        QCOMPARE(t.value(), 1);
        t.click();
        QCOMPARE(t.value(), 0);
        QCOMPARE(changes, 3);
        QVERIFY_THROWS_EXCEPTION(Error, t.setValue(3));
    }

    void comboReportsPicksButNotTyping() {
        PickComboBox c;
        c.addItems({QStringLiteral("10"), QStringLiteral("20"), QStringLiteral("30")});
        c.show();
        int picks = 0;
        QObject::connect(&c, &PickComboBox::picked, &c, [&] { ++picks; });
        c.setFocus();
        QTest::keyClicks(&c, QStringLiteral("45"));
        QTest::keyClick(&c, Qt::Key_Return);
        QCOMPARE(picks, 0);
        c.setEditText(QString());
        QTest::keyClick(&c, Qt::Key_Down);
        QCOMPARE(picks, 1);
        Q_EMIT c.activated(2); // what the list popup sends when an item is clicked
        QCOMPARE(picks, 2);
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
