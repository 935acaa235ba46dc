#include "application.h"

#include "assets/assets.h"
#include "fonts.h"

#include <QApplication>

namespace kb {

void choosePlatform() {
    // On Wayland, Qt's own title bar offers maximise even on a fixed-size window,
    // and a strict compositor ends the program when it is clicked. Through
    // XWayland the compositor draws the frame and honours the fixed size.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
}

void setUpApplication() {
    initAssets();
    QApplication::setApplicationName(QStringLiteral("kotobaru"));
    QGuiApplication::setDesktopFileName(QStringLiteral("jp.kotobaru.kotobaru"));
    // No display name: Qt would append it to every title, and each box has its own.
    QApplication::setFont(gothicFont(9));
}

} // namespace kb
