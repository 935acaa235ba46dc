// The answer box with ibus and Mozc, the keys sent by the X server as a
// keyboard sends them. Runs under support/with_ibus.sh, whose player has the
// keyboard's own engine on.
#include "app/input_method.h"
#include "support/window_fixture.h"

#include <csignal>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QProcess>

using namespace kb;
using namespace kb::test;

namespace {

const QString kPlayers = QStringLiteral("xkb:us::eng"), kMozc = QStringLiteral("mozc-jp");

QString ibusOutput(const QString& command);

// The desktop's engine, as the player's panel would show it.
QString ibusEngine() {
    return ibusOutput(QStringLiteral("engine"));
}

void xdotool(const QStringList& arguments) {
    QCOMPARE(QProcess::execute("xdotool", arguments), 0);
}

// An ibus that takes its name on the bus at address and never answers.
int silentIBus(const char* address) {
    const QDBusConnection bus =
        QDBusConnection::connectToBus(QString::fromLatin1(address), "silent");
    if (!bus.interface()->registerService(QStringLiteral("org.freedesktop.IBus"))) return 1;
    fputs("ready\n", stdout);
    fflush(stdout);
    raise(SIGSTOP);
    return 0;
}

// What Mozc last announced of its input mode and from which engine, as a panel shows it.
class MozcMode : public QObject {
    Q_OBJECT
public:
    QString mode, engine;
    explicit MozcMode(const QString& address) {
        QDBusConnection bus = QDBusConnection::connectToBus(address, "watch");
        for (const char* signal : {"RegisterProperties", "UpdateProperty"})
            bus.connect("com.google.IBus.Mozc", {}, "org.freedesktop.IBus.Engine", signal, this,
                        SLOT(announced(QDBusMessage)));
    }
private Q_SLOTS:
    void announced(const QDBusMessage& m) {
        if (const QString now = mozcInputMode(m.arguments().value(0)); !now.isEmpty()) mode = now;
        engine = m.path();
    }
};

QString ibusOutput(const QString& command) {
    QProcess ibus;
    ibus.start(QStringLiteral("ibus"), {command});
    ibus.waitForFinished();
    return QString::fromUtf8(ibus.readAllStandardOutput()).trimmed();
}

} // namespace

class TestIBus : public QObject {
    Q_OBJECT
    std::unique_ptr<SystemInputMethod> method;
    std::unique_ptr<WindowFixture> f;
    std::unique_ptr<MozcMode> mozc;

    AnswerBox* box() { return txtKaitou(*f->window); }

    void openWindow() {
        f.reset(); // its working folder is put back as it goes
        f = std::make_unique<WindowFixture>(QStringLiteral("あ\r\n"));
        f->inputMethod = method.get();
        MainWindow& w = f->load();
        startRound(w);
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        cboJikan(w)->setFocus();
    }

    // Another program takes the activation; found once it is mapped: focusing a
    // window not yet shown fails.
    void activateOther(QProcess& xlogo) {
        xlogo.start(QStringLiteral("xlogo"));
        QVERIFY(xlogo.waitForStarted());
        xdotool({"search", "--sync", "--onlyvisible", "--class", "xlogo", "windowfocus", "--sync"});
        QTRY_COMPARE_WITH_TIMEOUT(qGuiApp->applicationState(), Qt::ApplicationInactive, 15000);
    }

    // Mozc's hiragana: the method's first Enter only ends its conversion.
    void typeAsa() {
        QTRY_COMPARE_WITH_TIMEOUT(mozc->mode, QStringLiteral("InputMode.Hiragana"), 40000);
        box()->setAnswer({});
        xdotool({"type", "--delay", "50", "asa"});
        xdotool({"key", "Return"});
        QTRY_COMPARE_WITH_TIMEOUT(box()->text(), QStringLiteral("あさ"), 20000);
    }

private Q_SLOTS:
    void initTestCase() {
        QCOMPARE(ibusEngine(), kPlayers);
        mozc = std::make_unique<MozcMode>(ibusOutput(QStringLiteral("address")));
        qputenv("QT_IM_MODULE", "fcitx"); // named but not running: the box keeps its own rules
        QVERIFY(!connectSystemInputMethod());
        qputenv("QT_IM_MODULE", "ibus");
        method = connectSystemInputMethod();
        QVERIFY(method);
        openWindow();
    }

    void focusTurnsMozcOnInHiragana() {
        box()->setFocus();
        QTRY_COMPARE_WITH_TIMEOUT(ibusEngine(), kMozc, 20000); // Mozc's first start is slow
        typeAsa();
    }

    // Another program takes the activation and has the player's engine;
    // coming back, the box has Mozc's hiragana again.
    void leavingTheWindowGivesTheEngineBack() {
        QProcess xlogo;
        activateOther(xlogo);
        QTRY_COMPARE_WITH_TIMEOUT(ibusEngine(), kPlayers, 15000);
        mozc->mode.clear();

        xdotool({"windowfocus", "--sync", QString::number(f->window->winId())});
        QVERIFY(QTest::qWaitForWindowActive(f->window.get()));
        QVERIFY(box()->hasFocus());
        QTRY_COMPARE_WITH_TIMEOUT(ibusEngine(), kMozc, 15000);
        typeAsa();
    }

    // The engine is back before the game's process ends.
    void exitGivesTheEngineBack() {
        QCOMPARE(ibusEngine(), kMozc);
        f.reset();
        method.reset(); // as main() ends
        QCOMPARE(ibusEngine(), kPlayers);
    }

    // A player whose own engine is Mozc, in katakana, has it back so.
    void leavingGivesMozcBackInThePlayersMode() {
        method = connectSystemInputMethod();
        openWindow();
        mozc->engine.clear();
        QProcess::execute("ibus", {"engine", kMozc}); // exits 1: Mozc has no layout for it to set
        QTRY_VERIFY_WITH_TIMEOUT(!mozc->engine.isEmpty(), 20000); // Mozc's engine is on
        const QString katakana = QStringLiteral("InputMode.Katakana");
        QDBusConnection("watch").call(
            QDBusMessage::createMethodCall("com.google.IBus.Mozc", mozc->engine,
                                           "org.freedesktop.IBus.Engine", "PropertyActivate")
            << katakana << 1u); // as the player's panel has it asked
        QTRY_COMPARE_WITH_TIMEOUT(mozc->mode, katakana, 15000);
        box()->setFocus();
        typeAsa();
        QProcess xlogo;
        activateOther(xlogo);
        QTRY_COMPARE_WITH_TIMEOUT(mozc->mode, katakana, 15000);
        QCOMPARE(ibusEngine(), kMozc);
        f.reset();
        method.reset();
    }

    void aStalledIBusDoesNotStopTheWindow() {
        QProcess bus, silent;
        bus.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address"});
        QVERIFY(bus.waitForReadyRead());
        const QByteArray address = bus.readLine().trimmed();
        silent.start(QCoreApplication::applicationFilePath(), {"--silent-ibus", address});
        QVERIFY(silent.waitForReadyRead());
        method = connectIBus(QString::fromLatin1(address));
        QVERIFY(method);
        openWindow();

        // A blocking call would take the whole time the call is allowed.
        QElapsedTimer focusIn;
        focusIn.start();
        box()->setFocus();
        QVERIFY(box()->hasFocus());
        QCOMPARE_LT(focusIn.elapsed(), 50);
        QTest::keyClicks(box(), QStringLiteral("asa"));
        QCOMPARE(box()->text(), QStringLiteral("asa")); // the method's own rules stand

        f.reset();
        method.reset();
        silent.kill();
        bus.kill();
        silent.waitForFinished();
        bus.waitForFinished();
    }
};

int main(int argc, char* argv[]) {
    if (argc == 3 && qstrcmp(argv[1], "--silent-ibus") == 0) {
        QCoreApplication app(argc, argv);
        return silentIBus(argv[2]);
    }
    QApplication app(argc, argv);
    TestIBus test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_ibus.moc"
