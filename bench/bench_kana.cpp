// The chart's かな別 view over the largest history with 20 question lines per
// round (655,320 lines): turning to it (the file read, joined and summed), each
// filter and sort after, and the memory it holds beside the chart's own.
#include "app/history_grid.h"
#include "app/progress_chart.h"
#include "bench_support.h"
#include "core/question_record.h"
#include "files/data_files.h"
#include "support/fakes.h"

#include <benchmark/benchmark.h>
#include <QComboBox>
#include <QHeaderView>
#include <QTableView>

using namespace kb;
using namespace kb::bench;

namespace {

struct KanaOverLargest {
    Session session{FileSet::LargestQuestions};
    HistoryGrid grid;
    ProgressChart chart{QStringLiteral(KB_CHART_MODULE)};
    test::FakeMessages messages;
    KanaOverLargest() {
        session.enter();
        grid.loadFile(kHistoryFile);
    }
    void openChart() {
        chart.open(
            nullptr, messages, [this] { return grid.model().records(); }, kQuestionLogFile);
        chart.window()->repaint();
    }
    QComboBox* box(const char* name) {
        return chart.window()->findChild<QComboBox*>(QString::fromLatin1(name));
    }
    void showKana() {
        box("cboView")->setCurrentIndex(2);
        chart.window()->repaint();
    }
};

// From the choice of かな別 to the view drawn, in a chart just opened; and
// the heap the view holds then, beyond the chart's.
void BM_KanaOpen(benchmark::State& state) {
    KanaOverLargest bench;
    Samples ms, mb;
    for (auto _ : state) {
        bench.openChart();
        settle();
        const long long before = heapInUse();
        const auto t = Stopwatch::now();
        bench.showKana();
        ms.add(msSince(t));
        mb.add(static_cast<double>(heapInUse() - before) / (1024.0 * 1024.0));
        bench.chart.close();
        settle();
    }
    state.counters["open_ms"] = ms.median();
    state.counters["heap_mb"] = mb.median();
    report("かな別, 655,320 lines: turning to it", fixed(ms.median(), 1, "ms"), "<= 500 ms",
           ms.median() <= 500);
    report("かな別, 655,320 lines: turning to it, slowest", fixed(ms.max(), 1, "ms"), "<= 500 ms",
           ms.max() <= 500);
    report("かな別, 655,320 lines: heap beyond the chart's", fixed(mb.max(), 1, "MB"), "<= 64 MB",
           mb.max() <= 64);
}

// Each change of set or length, and each sort by a column either way, until
// the view is drawn again; every combination in turn.
void BM_KanaSwitch(benchmark::State& state) {
    KanaOverLargest bench;
    bench.openChart();
    bench.showKana();
    QWidget* window = bench.chart.window();
    auto* table = window->findChild<QTableView*>(QStringLiteral("kanaTable"));
    const QList<QComboBox*> boxes = {bench.box("cboMode"), bench.box("cboLength")};
    Samples filter, sort;
    int turn = 0;
    for (auto _ : state) {
        const auto t = Stopwatch::now();
        if (turn % 2 == 0) {
            QComboBox* box = boxes[(turn / 2) % 2];
            box->setCurrentIndex((box->currentIndex() + 1) % box->count());
        } else {
            const int column = (turn / 2) % table->model()->columnCount();
            table->sortByColumn(column, (turn / 4) % 2 ? Qt::DescendingOrder : Qt::AscendingOrder);
        }
        window->repaint();
        (turn % 2 == 0 ? filter : sort).add(msSince(t));
        ++turn;
    }
    bench.chart.close();
    settle();
    state.counters["filter_ms"] = filter.median();
    state.counters["sort_ms"] = sort.median();
    report("かな別, 655,320 lines: a filter", fixed(filter.median(), 1, "ms"), "<= 100 ms",
           filter.median() <= 100);
    report("かな別, 655,320 lines: a sort", fixed(sort.median(), 1, "ms"), "<= 100 ms",
           sort.median() <= 100);
    report("かな別, 655,320 lines: a filter or sort, slowest",
           fixed(std::max(filter.max(), sort.max()), 1, "ms"), "<= 100 ms",
           std::max(filter.max(), sort.max()) <= 100);
}

} // namespace

BENCHMARK(BM_KanaOpen)->Iterations(8)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KanaSwitch)->Iterations(72)->UseRealTime()->Unit(benchmark::kMillisecond);
