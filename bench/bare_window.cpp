// The yardstick for the game's start-up: the least a Qt program showing a
// window of the game's size does, built the same way. With --text it also
// shows one line of Japanese text, which is what loading the system's fonts
// costs any program that draws text.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(631, 452);
    if (QApplication::arguments().contains(QStringLiteral("--text")))
        new QLabel(QStringLiteral("コトバル"), &window);
    window.show();
    return QApplication::exec();
}
