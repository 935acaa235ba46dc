#include "support/controls.h"
#include "support/window_fixture.h"

#include <QImage>
#include <QTest>

using namespace kb;
using namespace kb::test;

namespace {

// Pixels whose colour differs by more than a little in some channel.
int differingPixels(const QImage& a, const QImage& b, QImage& diff) {
    diff = QImage(a.size(), QImage::Format_RGB32);
    diff.fill(Qt::white);
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 24 || std::abs(qGreen(p) - qGreen(q)) > 24 ||
                std::abs(qBlue(p) - qBlue(q)) > 24) {
                ++count;
                diff.setPixel(x, y, qRgb(255, 0, 0));
            }
        }
    return count;
}

} // namespace

class TestWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The whole window in the middle of a round, against a reference picture:
    // one check for every picture, colour, line, font and alignment. After an
    // intended change, KB_UPDATE_REFERENCE=1 writes the picture anew; look at it
    // before committing it. What the picture cannot show is checked before.
    void windowLooksAsDesigned() {
        QApplication::setCursorFlashTime(0); // a caret that does not blink
        const QByteArray history =
            "\"2026/12/05\",\"20:14:03\",\"\x82\x50\",12,2,41,25,\"85.7%\",\"0.68/"
            "\x95\x62\",\"60\x95\x62\"\r\n";
        WindowFixture f(QStringLiteral("あ\r\nい\r\nう\r\n"), "60,1\r\n", {}, history);
        MainWindow& w = f.load();
        QCOMPARE(w.size(), QSize(631, 452)); // the client area
        // The red lamp lies on top of the other two.
        QCOMPARE(Frame1(w)->childAt(imgStart(w, 1)->geometry().center()), imgStart(w, 1));
        QVERIFY(imgStart(w, 2)->isVisible() && imgStart(w, 3)->isVisible());
        // Green covers red: at full width the bar shows no red at all.
        const QPoint barEnd = shpJikanK(w)->mapTo(&w, QPoint(shpJikanK(w)->width() - 2, 2));
        QCOMPARE(QColor(w.grab().toImage().pixel(barEnd)), QColor(0, 255, 0));
        startRound(w);
        const QString q = w.state().currentQuestion;
        answer(w, q + QStringLiteral("さ"));
        answer(w, QStringLiteral("ぬ"));
        f.clock.seconds += 20;
        w.tmrBp_Timer();
        txtKaitou(w)->setText(QStringLiteral("か"));
        const QImage shot = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QString reference = QStringLiteral(KB_REFERENCE_DIR "/window.png");
        if (qEnvironmentVariableIsSet("KB_UPDATE_REFERENCE")) {
            QVERIFY(shot.save(reference));
            QSKIP("reference picture written");
        }
        const QImage expected = QImage(reference).convertToFormat(QImage::Format_RGB32);
        QVERIFY2(!expected.isNull(), "no reference picture: run with KB_UPDATE_REFERENCE=1");
        QCOMPARE(shot.size(), expected.size());
        QImage diff;
        const int differing = differingPixels(shot, expected, diff);
        // The same machine renders the same pixels; a line 20 px too long is 20 of them.
        if (differing > 8) {
            const QString saved = QDir::tempPath() + QStringLiteral("/kotobaru-window-");
            shot.save(saved + QStringLiteral("actual.png"));
            diff.save(saved + QStringLiteral("diff.png"));
            QFAIL(qPrintable(
                QStringLiteral("%1 pixels differ; see %2*.png").arg(differing).arg(saved)));
        }
    }

    void focusFollowsTheTabOrder() {
        WindowFixture f;
        MainWindow& w = f.load();
        w.activateWindow();
        const QList<QWidget*> order = {cmdStart(w),  cmdHozon(w),  cmdClear(w), cmdHelp(w),
                                       cmdEnd(w),    cboJikan(w),  chkAs(w),    msgRireki(w),
                                       txtKaitou(w), lstRireki(w), cboSet(w)};
        // Walk the chain as Tab does, skipping what takes no Tab focus.
        QWidget* current = order[0];
        for (qsizetype i = 1; i < order.size(); ++i) {
            QWidget* next = current->nextInFocusChain();
            while (!(next->focusPolicy() & Qt::TabFocus) || next->focusProxy())
                next = next->nextInFocusChain();
            QVERIFY2(next == order[i] || next->parentWidget() == order[i],
                     next->metaObject()->className()); // names the widget that came instead
            current = next;
        }
        // Labels and pictures take no focus.
        QCOMPARE(lblMondai(w)->focusPolicy(), Qt::NoFocus);
        QCOMPARE(imgStart(w, 1)->focusPolicy(), Qt::NoFocus);
    }

    void clickOnThePanelHidesItWhileOtherClicksDoNothing() {
        WindowFixture f;
        MainWindow& w = f.load();
        const DrillState before = w.state();
        for (QWidget* c : std::initializer_list<QWidget*>{lblMondai(w), imgStart(w, 1), Image1(w),
                                                          lblOk(w), Label2(w, 0)})
            QTest::mouseClick(c, Qt::LeftButton);
        QTest::mouseClick(msgRireki(w)->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseClick(lstRireki(w)->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(fraRireki(w)->isVisible());
        QVERIFY(imgStart(w, 1)->isVisible());
        QCOMPARE(w.state().score, before.score);
        QVERIFY(f.messages.shown.isEmpty());
        QTest::mouseClick(fraRireki(w), Qt::LeftButton, {}, QPoint(3, 3));
        QVERIFY(!fraRireki(w)->isVisible());
        QVERIFY(!lstRireki(w)->isVisible());
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

    // Typing is no pick (test_play checks that); an arrow key steps through the list and is.
    void comboTakesArrowKeysAsPicks() {
        PickComboBox c;
        c.addItems({QStringLiteral("10"), QStringLiteral("20")});
        c.show();
        int picks = 0;
        QObject::connect(&c, &PickComboBox::picked, &c, [&] { ++picks; });
        c.setFocus();
        QTest::keyClick(&c, Qt::Key_Down);
        QCOMPARE(picks, 1);
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
