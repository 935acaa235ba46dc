// The progress chart over the largest history: opening it (the module's first
// load included, and again once loaded), and switching its view and filters.
#include "app/history_grid.h"
#include "app/progress_chart.h"
#include "bench_support.h"
#include "files/data_files.h"
#include "support/fakes.h"

#include <benchmark/benchmark.h>
#include <QComboBox>

using namespace kb;
using namespace kb::bench;

namespace {

// The largest history in a grid, and the chart module beside it.
struct ChartOverLargest {
    Session session{FileSet::Largest};
    HistoryGrid grid;
    ProgressChart chart{QStringLiteral(KB_CHART_MODULE)};
    test::FakeMessages messages;
    ChartOverLargest() {
        session.enter();
        grid.loadFile(kHistoryFile);
    }
    void open() {
        chart.open(nullptr, messages, [this] { return grid.model().records(); });
        chart.window()->repaint();
    }
};

// From the player's choice to the chart drawn: the records read from the grid,
// the window made and filled, and its first paint.
void BM_ChartOpen(benchmark::State& state) {
    ChartOverLargest bench;
    Samples ms;
    double first = -1;
    for (auto _ : state) {
        const auto t = Stopwatch::now();
        bench.open();
        const double taken = msSince(t);
        if (first < 0)
            first = taken;
        else
            ms.add(taken);
        bench.chart.close();
        settle();
    }
    state.counters["first_ms"] = first;
    state.counters["open_ms"] = ms.median();
    report("chart, 32,766 records: first open, module loaded", fixed(first, 1, "ms"), "<= 300 ms",
           first <= 300);
    report("chart, 32,766 records: open again", fixed(ms.median(), 1, "ms"), "<= 300 ms",
           ms.median() <= 300);
}

// Each change of view, set or length, until the chart is drawn again; every
// combination in turn, the heaviest (every round shown) among them.
void BM_ChartSwitch(benchmark::State& state) {
    ChartOverLargest bench;
    bench.open();
    QWidget* window = bench.chart.window();
    const QList<QComboBox*> boxes = {window->findChild<QComboBox*>(QStringLiteral("cboView")),
                                     window->findChild<QComboBox*>(QStringLiteral("cboMode")),
                                     window->findChild<QComboBox*>(QStringLiteral("cboLength"))};
    Samples ms;
    int turn = 0;
    for (auto _ : state) {
        QComboBox* box = boxes[turn % 3];
        const auto t = Stopwatch::now();
        box->setCurrentIndex((box->currentIndex() + 1) % box->count());
        window->repaint();
        ms.add(msSince(t));
        ++turn;
    }
    bench.chart.close();
    settle();
    state.counters["switch_ms"] = ms.median();
    state.counters["max_ms"] = ms.max();
    report("chart, 32,766 records: switching view or filter", fixed(ms.median(), 1, "ms"),
           "<= 100 ms", ms.median() <= 100);
    report("chart, 32,766 records: switching, slowest", fixed(ms.max(), 1, "ms"), "<= 100 ms",
           ms.max() <= 100);
}

} // namespace

BENCHMARK(BM_ChartOpen)->Iterations(12)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChartSwitch)->Iterations(60)->UseRealTime()->Unit(benchmark::kMillisecond);
