// The answer box with fcitx5 and Mozc, the keys sent by the X server as a
// keyboard sends them. Runs under support/with_fcitx5.sh.
#include "app/input_method.h"
#include "support/window_fixture.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>

using namespace kb;
using namespace kb::test;

namespace {

QDBusMessage fcitx(const char* method) {
    return QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        "org.fcitx.Fcitx5", "/controller", "org.fcitx.Fcitx.Controller1", method));
}

// fcitx5's own view of the focused field: 1 off, 2 on.
int fcitxState() { return fcitx("State").arguments().value(0).toInt(); }

void xdotool(const QStringList& arguments) { QCOMPARE(QProcess::execute("xdotool", arguments), 0); }

constexpr int kOff = 1, kOn = 2;

} // namespace

class TestInputMethod : public QObject {
    Q_OBJECT
    std::unique_ptr<SystemInputMethod> method;
    std::unique_ptr<WindowFixture> f;

    AnswerBox* box() { return txtKaitou(*f->window); }

private Q_SLOTS:
    void initTestCase() {
        method = connectSystemInputMethod();
        QVERIFY(method);
        f = std::make_unique<WindowFixture>(QStringLiteral("あ\r\n")); // the question is always あ
        f->inputMethod = method.get();
        MainWindow& w = f->load();
        startRound(w);
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }

    // The method's Enter ends its conversion; only the next one judges.
    void focusTurnsTheMethodOnAndItComposes() {
        box()->setFocus();
        QTRY_COMPARE_WITH_TIMEOUT(fcitxState(), kOn, 20000); // Mozc's first start is slow
        xdotool({"type", "--delay", "50", "asa"});
        xdotool({"key", "Return"});
        QTRY_COMPARE_WITH_TIMEOUT(box()->text(), QStringLiteral("あさ"), 20000);
        QCOMPARE(lstRireki(*f->window)->count(), 0);
        xdotool({"key", "Return"});
        QTRY_COMPARE(lstRireki(*f->window)->count(), 1);
        QCOMPARE(lstRireki(*f->window)->item(0)->text(), QStringLiteral("あ _ あさ"));
    }

    // Focus that leaves for another control, or another window, and comes back.
    void focusComingBackTurnsItOnAgain() {
        for (bool otherWindow : {false, true}) {
            fcitx("Deactivate");
            QTRY_COMPARE(fcitxState(), kOff);
            QLineEdit elsewhere;
            if (otherWindow) {
                elsewhere.show();
                elsewhere.activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
                f->window->activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(f->window.get()));
            } else {
                cboJikan(*f->window)->setFocus();
                QTRY_VERIFY(!box()->hasFocus());
                box()->setFocus();
            }
            QTRY_COMPARE(fcitxState(), kOn);
        }
    }
};

QTEST_MAIN(TestInputMethod)
#include "test_input_method.moc"
