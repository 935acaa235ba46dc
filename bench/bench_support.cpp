#include "bench_support.h"

#include "app/answer_box.h"
#include "app/controls.h"
#include "support/controls.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <malloc.h>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>

namespace kb::bench {

double Samples::percentile(double p) const {
    if (values_.empty()) return 0;
    std::vector<double> v = values_;
    std::sort(v.begin(), v.end());
    // Nearest rank; the median of an even count is the mean of the middle two.
    if (p == 50 && v.size() % 2 == 0) return (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    const auto rank = static_cast<size_t>(p / 100.0 * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(rank, v.size() - 1)];
}

double Samples::max() const {
    return values_.empty() ? 0 : *std::max_element(values_.begin(), values_.end());
}

long long heapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return static_cast<long long>(m.uordblks + m.hblkhd);
}

namespace {

long long procField(const char* path, const std::string& key) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0) return std::atoll(line.c_str() + key.size());
    return 0;
}

struct Row {
    std::string figure, measured, budget, verdict;
};

std::vector<Row>& rows() {
    static std::vector<Row> r;
    return r;
}

void put(Row row) {
    // A benchmark run again replaces its earlier figure.
    for (Row& r : rows())
        if (r.figure == row.figure) {
            r = std::move(row);
            return;
        }
    rows().push_back(std::move(row));
}

} // namespace

long long bytesWritten() {
    return procField("/proc/self/io", "wchar:");
}

double residentMb() {
    return static_cast<double>(procField("/proc/self/status", "VmRSS:")) / 1024.0;
}

void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

Session::Session(FileSet set) {
    if (!dir_.isValid()) qFatal("cannot create a working directory");
    writeFileSet(dir_.path(), set);
}

Session::~Session() {
    stop();
    // Leave the directory before it is removed.
    QDir::setCurrent(QDir::tempPath());
}

void Session::enter() {
    QDir::setCurrent(dir_.path());
}

MainWindow& Session::start() {
    enter();
    window_ = std::make_unique<MainWindow>(Collaborators{clock_, random_, messages_, help_, nullptr, {}});
    if (!window_->Form_Load())
        qFatal("start-up failed: %s", qPrintable(messages_.shown.value(0).text));
    window_->tmrStart.stop();
    window_->tmrBp.stop();
    return *window_;
}

void Session::stop() {
    window_.reset();
    settle();
}

void Session::setTwoEntry() {
    test::cboSet(*window_)->setCurrentIndex(1);
    test::cboSet(*window_)->setEditText(QStringLiteral("２文字"));
}

void Session::answer(const QString& word) {
    test::txtKaitou(*window_)->setAnswer(word);
    std::int16_t key = 13;
    window_->txtKaitou_KeyPress(key);
}

void report(const std::string& figure, const std::string& measured, const std::string& budget,
            bool met) {
    put({figure, measured, budget, met ? "met" : "MISSED"});
}

void reportInfo(const std::string& figure, const std::string& measured) {
    put({figure, measured, "-", "-"});
}

void printSummary() {
    if (rows().empty()) return;
    std::printf("\n%-58s %-26s %-22s %s\n", "figure (in process)", "measured", "budget", "verdict");
    for (const Row& r : rows())
        std::printf("%-58s %-26s %-22s %s\n", r.figure.c_str(), r.measured.c_str(),
                    r.budget.c_str(), r.verdict.c_str());
}

std::string fixed(double value, int decimals, const char* unit) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f %s", decimals, value, unit);
    return text;
}

} // namespace kb::bench
