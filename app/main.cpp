#include "application.h"
#include "chm_help_viewer.h"
#include "input_method.h"
#include "core/clock.h"
#include "drill/random_source.h"
#include "main_window.h"
#include "message_boxes.h"

#include <QApplication>
#include <QRandomGenerator>

int main(int argc, char* argv[]) {
    kb::choosePlatform();
    QApplication app(argc, argv);
    kb::setUpApplication();

    kb::SystemClock clock;
    kb::RandomSource random(QRandomGenerator::system()->generate64());
    kb::QtMessageBoxes messages;
    kb::ChmHelpViewer help;
    const auto inputMethod = kb::connectSystemInputMethod();
    kb::MainWindow window({clock, random, messages, help, inputMethod.get(), {}});
    if (!window.Form_Load()) return 1;
    return QApplication::exec();
}
