#pragma once

#include "app/main_window.h"
#include "drill/random_source.h"
#include "files/data_files.h"
#include "support/fakes.h"

#include <memory>

namespace kb::test {

// A window over its own working directory with fake collaborators.
struct WindowFixture {
    WorkDir dir;
    FakeClock clock;
    RandomSource random{12345};
    FakeMessages messages;
    FakeHelp help;
    std::unique_ptr<MainWindow> window;

    // The four files a fresh installation has, unless a test overrides them.
    explicit WindowFixture(const QString& kana = QStringLiteral("あ\r\nい\r\n"),
                           const QByteArray& settings = "60,1\r\n", const QString& exclusions = {},
                           const QByteArray& history = {}) {
        writeCp932(kKanaFile, kana);
        writeBytes(kSettingsFile, settings);
        writeCp932(kExclusionFile, exclusions);
        writeBytes(kHistoryFile, history);
    }

    MainWindow& make() {
        window = std::make_unique<MainWindow>(Collaborators{clock, random, messages, help});
        return *window;
    }

    MainWindow& load() {
        MainWindow& w = make();
        if (!w.Form_Load()) qFatal("start-up failed: %s", qPrintable(messages.shown.value(0).text));
        return w;
    }
};

} // namespace kb::test
