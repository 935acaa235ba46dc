// What the X server is told about our windows, read back from it: Qt formats
// titles on their way out, so the widgets' own view is not enough.
#include "app/application.h"
#include "app/message_boxes.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <X11/Xlib.h>

using namespace kb;
using namespace Qt::StringLiterals;

namespace {

// A property of any type, as the server holds it.
QByteArray windowProperty(WId window, const char* name) {
    Display* display = XOpenDisplay(nullptr);
    Atom type;
    int format;
    unsigned long items, rest;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1024, False,
                       AnyPropertyType, &type, &format, &items, &rest, &data);
    const qsizetype size = static_cast<qsizetype>(items * (format == 32 ? sizeof(long) : 1));
    const QByteArray value(reinterpret_cast<const char*>(data), data ? size : 0);
    if (data) XFree(data);
    XCloseDisplay(display);
    return value;
}

QString title(WId window) { return QString::fromUtf8(windowProperty(window, "_NET_WM_NAME")); }

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
};

QTEST_MAIN(TestWindowSystem)
#include "test_window_system.moc"
