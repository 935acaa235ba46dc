#include "application.h"

#include "assets/assets.h"
#include "fonts.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kb {

void choosePlatform() {
    // On Wayland, Qt's own title bar offers maximise even on a fixed-size window,
    // and a strict compositor ends the program when it is clicked. Through
    // XWayland the compositor draws the frame and honours the fixed size.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
}

namespace {

// Loads Qt's translations at the first context menu, then steps aside.
class TranslateAtFirstMenu : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::ContextMenu) {
            translateQt();
            qApp->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};

} // namespace

void translateQt() {
    static bool done = false;
    if (done) return;
    done = true;
    auto* qt = new QTranslator(qApp);
    if (qt->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                 QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
}

void setUpApplication() {
    qApp->installEventFilter(new TranslateAtFirstMenu(qApp));
    initAssets();
    QApplication::setApplicationName(QStringLiteral("kotobaru"));
    QGuiApplication::setDesktopFileName(QStringLiteral("jp.kotobaru.kotobaru"));
    // No display name: Qt would append it to every title, and each box has its own.
    QApplication::setFont(gothicFont(9));
}

} // namespace kb
