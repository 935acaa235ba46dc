#pragma once

#include "app/answer_box.h"
#include "app/controls.h"
#include "app/main_window.h"
#include "app/application.h"
#include "drill/random_source.h"
#include "files/cp932.h"
#include "files/data_files.h"
#include "support/controls.h"
#include "support/fakes.h"

#include <memory>
#include <QTest>
#include <QToolButton>

namespace kb::test {

// A saved round as the history file holds it.
inline const QByteArray kHistoryLine =
    "\"2009/06/21\",\"21:07:45\",\"1\",1,0,2,1,\"100.0%\",\"0.03\",\"60\"\r\n";

// A window over its own working directory with fake collaborators.
struct WindowFixture {
    WorkDir dir;
    FakeClock clock;
    RandomSource random{12345};
    FakeMessages messages;
    FakeHelp help;
    SystemInputMethod* inputMethod = nullptr;
    QString chartModule = QStringLiteral("<none>"); // the progress chart is not installed
    std::unique_ptr<MainWindow> window;

    // The four files a fresh installation has, unless a test overrides them.
    explicit WindowFixture(const QString& kana = QStringLiteral("あ\r\nい\r\n"),
                           const QByteArray& settings = "60,1\r\n", const QString& exclusions = {},
                           const QByteArray& history = {}) {
        writeBytes(kKanaFile, encodeCp932(kana));
        writeBytes(kSettingsFile, settings);
        writeBytes(kExclusionFile, encodeCp932(exclusions));
        writeBytes(kHistoryFile, history);
    }

    MainWindow& make() {
        static const bool setUp = (setUpApplication(), true); // as main() does, once
        Q_UNUSED(setUp);
        window = std::make_unique<MainWindow>(
            Collaborators{clock, random, messages, help, inputMethod, chartModule});
        return *window;
    }

    MainWindow& load() {
        MainWindow& w = make();
        if (!w.Form_Load()) qFatal("start-up failed: %s", qPrintable(messages.shown.value(0).text));
        return w;
    }
};

// Puts a file in place of name: "<missing>" removes it, "<dir>" makes a
// folder of that name, "<endless>" links it to a device that never ends.
inline bool replaceFile(const QString& name, const QByteArray& content) {
    QFile::remove(name);
    if (content == "<missing>") return true;
    if (content == "<dir>") return QDir().mkdir(name);
    if (content == "<endless>") return QFile::link(QStringLiteral("/dev/zero"), name);
    writeBytes(name, content);
    return true;
}

// The player's actions, through the real controls and handlers.
inline void answer(MainWindow& w, const QString& word) {
    txtKaitou(w)->setText(word);
    QTest::keyClick(txtKaitou(w), Qt::Key_Return);
}

// Start, then the three countdown ticks; the round is running afterwards.
inline void startRound(MainWindow& w) {
    w.tmrStart_Timer(); // the idle tick the running timer gives between rounds
    cmdStart(w)->click();
    for (int i = 0; i < 3; ++i)
        w.tmrStart_Timer();
}

// Whether a round runs, as the window shows it: the start button off and only
// the green lamp lit. Good for a window that has not played a round before.
inline bool roundRuns(const MainWindow& w) {
    return !cmdStart(w)->isEnabled() && imgStart(w, 3)->isVisible() && !imgStart(w, 1)->isVisible();
}

// Ticks the round clock on until the round ends, which enables the start button.
inline void runOut(MainWindow& w, FakeClock& clock) {
    for (int guard = 0; !cmdStart(w)->isEnabled() && guard < 1000; ++guard) {
        ++clock.seconds;
        w.tmrBp_Timer();
    }
}

// One row of the history grid, its number first.
inline QStringList gridRow(const MainWindow& w, int row) {
    QStringList cells;
    for (int c = 0; c <= 10; ++c)
        cells << msgRireki(w)->textAt(row, c);
    return cells;
}

// Chooses a round length from the list, as a click on an item does.
inline void pickRoundLength(MainWindow& w, const QString& seconds) {
    cboJikan(w)->setCurrentIndex(cboJikan(w)->findText(seconds));
    Q_EMIT cboJikan(w)->activated(cboJikan(w)->currentIndex());
}

} // namespace kb::test
