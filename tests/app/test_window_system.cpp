// What the X server is told about our windows, read back from it: Qt formats
// titles and decorations on their way out, so the widgets' own view is not enough.
#include "app/application.h"
#include "app/message_boxes.h"
#include "support/window_fixture.h"

#include <cstring>
#include <QTimer>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

using namespace kb;
using namespace Qt::StringLiterals;
using namespace kb::test;

namespace {

QByteArray windowProperty(WId window, const char* name, Atom type) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) qFatal("no X display");
    Atom actualType;
    int format;
    unsigned long items, rest;
    unsigned char* data = nullptr;
    QByteArray value;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1024, False,
                           type, &actualType, &format, &items, &rest, &data) == Success &&
        data)
        value = QByteArray(reinterpret_cast<const char*>(data),
                           static_cast<qsizetype>(items * (format == 32 ? sizeof(long) : format / 8)));
    if (data) XFree(data);
    XCloseDisplay(display);
    return value;
}

QString title(WId window) {
    Display* display = XOpenDisplay(nullptr);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    XCloseDisplay(display);
    return QString::fromUtf8(windowProperty(window, "_NET_WM_NAME", utf8));
}

// Shows a message box and reads its title from the server before closing it.
QString titleOfBox(const QString& boxTitle) {
    QString seen;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || !box->isVisible()) return;
        seen = title(box->winId());
        if (!seen.isEmpty()) box->close();
    });
    poll.start(20);
    QtMessageBoxes().show(nullptr, QStringLiteral("本文"), boxTitle, MessageBoxes::Buttons::OkCancel,
                          MessageBoxes::Icon::Warning);
    return seen;
}

} // namespace

class TestWindowSystem : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setUpApplication(); }

    void boxesKeepTheirOwnTitles() {
        for (const QString& t : {u"クリア確認"_s, u"クリア終了"_s, u"コトバル"_s})
            QCOMPARE(titleOfBox(t), t);
    }

    void theFixedWindowOffersNoMaximise() {
        WindowFixture f;
        MainWindow& w = f.load();
        QTRY_COMPARE(title(w.winId()), u"コトバル"_s);
        const QByteArray hints = windowProperty(w.winId(), "_MOTIF_WM_HINTS", AnyPropertyType);
        long motif[5] = {}; // flags, functions, decorations, input mode, status
        QCOMPARE(hints.size(), qsizetype(sizeof motif));
        std::memcpy(motif, hints.constData(), sizeof motif);
        const long functions = motif[1], decorations = motif[2];
        constexpr long maximiseFunction = 1 << 4, maximiseButton = 1 << 6, closeFunction = 1 << 5;
        QCOMPARE(functions & (maximiseFunction | closeFunction), closeFunction);
        QCOMPARE(decorations & maximiseButton, 0);
    }
};

QTEST_MAIN(TestWindowSystem)
#include "test_window_system.moc"
