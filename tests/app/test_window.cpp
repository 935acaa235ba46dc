#include "app/message_boxes.h"
#include "app/pictures.h"
#include "support/reference.h"
#include "support/window_fixture.h"

#include <QAccessible>
#include <QImage>
#include <QTest>
#include <QTimer>

using namespace kb;
using namespace kb::test;

class TestWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The whole window in the middle of a round, against a reference picture:
    // one check for every picture, colour, line, font and alignment, the green
    // bar over the red one too. What the picture cannot show is checked before.
    void windowLooksAsDesigned() {
        QApplication::setCursorFlashTime(0); // a caret that does not blink
        const QByteArray history = encodeCp932(
            u"\"2026/12/05\",\"20:14:03\",\"１\",12,2,41,25,\"85.7%\",\"0.68/秒\",\"60秒\"\r\n");
        WindowFixture f(QStringLiteral("あ\r\nい\r\nう\r\n"), "60,2\r\n", {}, history); // greyed
        MainWindow& w = f.load();
        // All three lamps show before the first round, the red one on top.
        QCOMPARE(Frame1(w)->childAt(imgStart(w, 1)->geometry().center()), imgStart(w, 1));
        QVERIFY(imgStart(w, 2)->isVisible() && imgStart(w, 3)->isVisible());
        const QString logo = QStringLiteral(":/assets/logo.svg");
        for (qreal ratio : {1.0, 1.5, 2.0}) { // as sharp at every density, and as large
            QCOMPARE(svgPixmap(logo, ratio).size(), pictureSize(logo) * ratio);
            QCOMPARE(svgPixmap(logo, ratio).deviceIndependentSize().toSize(), pictureSize(logo));
        }
        startRound(w);
        const QString q = lblMondai(w)->text();
        answer(w, q + QStringLiteral("さ"));
        answer(w, QStringLiteral("ぬ"));
        f.clock.seconds += 20;
        w.tmrBp_Timer();
        txtKaitou(w)->setText(QStringLiteral("か"));
        QTest::keyClicks(txtKaitou(w), QStringLiteral("k")); // pending, underlined
        const QString differs = differsFromReference(w.grab().toImage(), QStringLiteral("window"));
        QVERIFY2(differs.isEmpty(), qPrintable(differs));
    }

    void focusFollowsTheTabOrder() {
        WindowFixture f;
        MainWindow& w = f.load();
        // Walk the chain as Tab does, skipping what takes no Tab focus; a part of
        // a control goes by the control's name.
        QStringList walked;
        for (QWidget* next = cmdStart(w); walked.size() < 11; next = next->nextInFocusChain())
            if ((next->focusPolicy() & Qt::TabFocus) && !next->focusProxy())
                walked
                    << (next->objectName().isEmpty() ? next->parentWidget() : next)->objectName();
        QCOMPARE(walked,
                 (QStringList{"cmdStart", "cmdHozon", "cmdClear", "cmdHelp", "cmdEnd", "cboJikan",
                              "chkAs", "msgRireki", "txtKaitou", "lstRireki", "cboSet"}));
        // A click on a button takes the focus too, as on any command button.
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::mouseClick(cmdHelp(w), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), cmdHelp(w));
        QCOMPARE(cmdHelp(w)->toolTip(), QStringLiteral("ヘルプファイルを開きます"));
    }

    // The panel's own click hides it; one on the list it holds does not.
    void clickOnThePanelHidesIt() {
        WindowFixture f;
        MainWindow& w = f.load();
        QTest::mouseClick(lstRireki(w)->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(fraRireki(w)->isVisible());
        QTest::mouseClick(fraRireki(w), Qt::LeftButton, {}, QPoint(3, 3));
        QVERIFY(!fraRireki(w)->isVisible());
    }

    void toggleHasAThirdStateAndReportsProgrammaticChanges() {
        PictureToggle t;
        QList<int> changes;
        QObject::connect(&t, &PictureToggle::changed, &t, [&] { changes << t.value(); });
        t.setValue(2);
        QVERIFY(!t.isChecked());
        t.setValue(2); // no change, no event
        t.click();     // from greyed a click turns it on
        t.click();
        QCOMPARE(changes, (QList<int>{2, 1, 0}));
        QVERIFY_THROWS_EXCEPTION(Error, t.setValue(3));
        QVERIFY_THROWS_EXCEPTION(Error, t.setValue(-1));
    }

    // Typing is no pick (test_play checks that); an arrow key steps through the list and is.
    void comboTakesArrowKeysButNotTheWheelAsPicks() {
        PickComboBox c;
        c.addItems({QStringLiteral("10"), QStringLiteral("20"), QStringLiteral("30")});
        c.show();
        int picks = 0;
        QObject::connect(&c, &PickComboBox::picked, &c, [&] { ++picks; });
        c.setFocus();
        QTest::keyClick(&c, Qt::Key_Down);
        QWheelEvent wheel({5, 5}, c.mapToGlobal(QPointF(5, 5)), {}, {0, -120}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&c, &wheel);
        QCOMPARE(c.currentText() + QString::number(picks), QStringLiteral("201"));
    }

    // What a screen reader gets: names for the controls, linked tags, and
    // values with their meaning.
    void screenReaderHearsTheGame() {
        WindowFixture f(QStringLiteral("あ\r\n"));
        MainWindow& w = f.load();
        const auto said = [](QWidget* c, QAccessible::Text t) {
            return QAccessible::queryAccessibleInterface(c)->text(t);
        };
        // On Linux a combo box's name is its text; its tag comes as the label.
        const auto tag = [](QWidget* c) {
            const auto labels =
                QAccessible::queryAccessibleInterface(c)->relations(QAccessible::Label);
            return labels.isEmpty() ? QString() : labels[0].first->text(QAccessible::Name);
        };
        QStringList heard;
        for (QWidget* c :
             std::initializer_list<QWidget*>{txtKaitou(w), chkAs(w), msgRireki(w), lstRireki(w)})
            heard << said(c, QAccessible::Name);
        heard << tag(txtKaitou(w)) << tag(cboJikan(w)) << tag(cboSet(w)) << tag(lblMondai(w));
        QCOMPARE(heard.join(u'|'),
                 QStringLiteral("解答|自動保存|履歴|履歴|　解答|プレイ秒数|モード|　問題"));
        // The question label's name is the question itself, so Qt announces
        // each new question as a change of name.
        startRound(w);
        answer(w, QStringLiteral("あさ"));
        QCOMPARE(said(lblMondai(w), QAccessible::Name) + u',' +
                     said(lblMondai(w), QAccessible::Description),
                 lblMondai(w)->text() + QStringLiteral(",問題"));
        QString scores;
        for (int i = 0; i < 4; ++i)
            scores += said(lblTen(w, i), QAccessible::Name) +
                      said(lblTen(w, i), QAccessible::Description);
        QCOMPARE(scores, QStringLiteral("1語頭0語尾0語中1得点"));
    }

    // Enter takes OK, Escape Cancel; a box with OK alone answers OK to either.
    void messageBoxesAnswerKeys() {
        const auto press = [](MessageBoxes::Buttons buttons, Qt::Key key) {
            QTimer::singleShot(0,
                               [key] { QTest::keyClick(QApplication::activeModalWidget(), key); });
            return QtMessageBoxes().show(nullptr, QStringLiteral("本文"), QStringLiteral("題"),
                                         buttons, MessageBoxes::Icon::Warning);
        };
        QCOMPARE(press(MessageBoxes::Buttons::OkCancel, Qt::Key_Return), MessageBoxes::Answer::Ok);
        QCOMPARE(press(MessageBoxes::Buttons::OkCancel, Qt::Key_Escape),
                 MessageBoxes::Answer::Cancel);
        QCOMPARE(press(MessageBoxes::Buttons::Ok, Qt::Key_Escape), MessageBoxes::Answer::Ok);
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
