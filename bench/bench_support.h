#pragma once

#include "app/main_window.h"
#include "bench_files.h"
#include "core/clock.h"
#include "drill/random_source.h"
#include "support/fakes.h"

#include <chrono>
#include <memory>
#include <QTemporaryDir>
#include <string>
#include <vector>

namespace kb::bench {

using Stopwatch = std::chrono::steady_clock;

inline double msSince(Stopwatch::time_point start) {
    return std::chrono::duration<double, std::milli>(Stopwatch::now() - start).count();
}

// Samples of one figure; medians, since this machine is shared and noisy.
class Samples {
public:
    void add(double value) { values_.push_back(value); }
    double median() const { return percentile(50); }
    double percentile(double p) const;
    double max() const;
    size_t size() const { return values_.size(); }

private:
    std::vector<double> values_;
};

// Bytes the allocator has handed out and not taken back, all arenas and
// mmapped blocks included: what a window and its data hold, unlike the
// resident size, which freed memory does not lower.
long long heapInUse();
// Bytes this process has passed to write() so far.
long long bytesWritten();
double residentMb();
// Runs what is pending, deferred deletions included, as the event loop would.
void settle();

// The game's window over its own working directory, with the real clock and
// fake message boxes and help.
class Session {
public:
    explicit Session(FileSet set);
    ~Session();

    // The files are opened relative to the working directory.
    void enter();
    // Creates the window and runs Form_Load. The timers are stopped afterwards
    // so no round starts on its own while a benchmark waits.
    MainWindow& start();
    void stop();
    MainWindow& window() { return *window_; }
    void setTwoEntry();
    // Puts word in the answer box and runs the Enter handler.
    void answer(const QString& word);

private:
    QTemporaryDir dir_;
    SystemClock clock_;
    RandomSource random_{12345};
    test::FakeMessages messages_;
    test::FakeHelp help_;
    std::unique_ptr<MainWindow> window_;
};

// A figure beside its budget, printed in the summary after every benchmark ran.
void report(const std::string& figure, const std::string& measured, const std::string& budget,
            bool met);
void reportInfo(const std::string& figure, const std::string& measured);
void printSummary();

std::string fixed(double value, int decimals, const char* unit);

} // namespace kb::bench
