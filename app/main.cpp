#include "fonts.h"
#include "help_viewer.h"
#include "main_window.h"
#include "message_boxes.h"

#include "assets/assets.h"
#include "core/clock.h"
#include "drill/random_source.h"

#include <QApplication>
#include <QRandomGenerator>

namespace {

class NoHelpViewer final : public kb::HelpViewer {
public:
    void displayTopic(QWidget*, const QString&) override {}
    void closeAll(QWidget*, const QString&) override {}
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    kb::initAssets();
    QApplication::setApplicationName(QStringLiteral("kotobaru"));
    QApplication::setApplicationDisplayName(QStringLiteral("コトバル"));
    QApplication::setFont(kb::gothicFont(9));

    kb::SystemClock clock;
    kb::RandomSource random(QRandomGenerator::system()->generate64());
    kb::QtMessageBoxes messages;
    NoHelpViewer help;
    kb::MainWindow window({clock, random, messages, help});
    if (!window.Form_Load())
        return 1;
    return QApplication::exec();
}
