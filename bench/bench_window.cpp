// In-process benchmarks of the real window, offscreen, with fake message boxes.
// Each benchmark times the cases it compares in turn within the same loop, so
// a ratio or a difference comes from runs made side by side.
#include "app/answer_box.h"
#include "app/fonts.h"
#include "app/history_grid.h"
#include "assets/assets.h"
#include "bench_support.h"
#include "files/data_files.h"
#include "files/history_table.h"
#include "support/controls.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QTableWidgetItem>
#include <sys/stat.h>

using namespace kb;
using namespace kb::bench;
using namespace kb::test;

namespace {

constexpr double kMb = 1024.0 * 1024.0;

struct StartFigures {
    double ms;
    double heapMb;
};

// Window creation and Form_Load; the memory is what the window holds afterwards.
StartFigures timedStart(Session& session) {
    settle();
    const long long heap = heapInUse();
    const auto t = Stopwatch::now();
    session.start();
    const double ms = msSince(t);
    const double mb = static_cast<double>(heapInUse() - heap) / kMb;
    session.stop();
    return {ms, mb};
}

void BM_Startup(benchmark::State& state) {
    Session empty(FileSet::Empty), largest(FileSet::Largest);
    // The first window of a process loads fonts and pictures for every later one.
    timedStart(empty);
    timedStart(largest);
    Samples emptyMs, largestMs, addedMs, emptyMb, largestMb, addedMb;
    int i = 0;
    for (auto _ : state) {
        StartFigures e{}, l{};
        if (i++ % 2) {
            e = timedStart(empty);
            l = timedStart(largest);
        } else {
            l = timedStart(largest);
            e = timedStart(empty);
        }
        emptyMs.add(e.ms);
        largestMs.add(l.ms);
        addedMs.add(l.ms - e.ms);
        emptyMb.add(e.heapMb);
        largestMb.add(l.heapMb);
        addedMb.add(l.heapMb - e.heapMb);
    }
    state.counters["empty_ms"] = emptyMs.median();
    state.counters["largest_ms"] = largestMs.median();
    state.counters["added_ms"] = addedMs.median();
    state.counters["added_MB"] = addedMb.median();
    reportInfo("start, empty files: time / heap",
               fixed(emptyMs.median(), 1, "ms") + " / " + fixed(emptyMb.median(), 2, "MB"));
    reportInfo("start, largest files: time / heap",
               fixed(largestMs.median(), 1, "ms") + " / " + fixed(largestMb.median(), 2, "MB"));
    report("start: time the largest files add", fixed(addedMs.median(), 1, "ms"), "<= 20 ms",
           addedMs.median() <= 20);
    report("start: memory the largest files add", fixed(addedMb.median(), 2, "MB"), "<= 10 MB",
           addedMb.median() <= 10);
}

// The history part of start-up on its own: 32,766 records into the grid.
void BM_HistoryLoad(benchmark::State& state) {
    Session largest(FileSet::Largest);
    largest.enter();
    Samples ms, mb;
    int widgetsBefore = 0, widgetsAfter = 0;
    for (auto _ : state) {
        HistoryGrid grid;
        settle();
        widgetsBefore = static_cast<int>(grid.findChildren<QWidget*>().size());
        const long long heap = heapInUse();
        const auto t = Stopwatch::now();
        grid.loadFile(kHistoryFile);
        ms.add(msSince(t));
        mb.add(static_cast<double>(heapInUse() - heap) / kMb);
        widgetsAfter = static_cast<int>(grid.findChildren<QWidget*>().size());
    }
    state.counters["load_ms"] = ms.median();
    state.counters["added_MB"] = mb.median();
    state.counters["B_per_record"] = mb.median() * kMb / kLargestHistory;
    reportInfo("history load, 32,766 records: time / heap",
               fixed(ms.median(), 1, "ms") + " / " + fixed(mb.median(), 2, "MB"));
    // An item object per cell would cost more than this for the items alone.
    const double itemsPerRecord = HistoryModel::kColumns * sizeof(QTableWidgetItem);
    report("history grid: heap per record", fixed(mb.median() * kMb / kLargestHistory, 0, "B"),
           "< " + fixed(itemsPerRecord, 0, "B") + " (items)",
           mb.median() * kMb / kLargestHistory < itemsPerRecord);
    report("history grid: child widgets, empty -> 32,766 rows",
           std::to_string(widgetsBefore) + " -> " + std::to_string(widgetsAfter),
           "no widget per cell", widgetsAfter == widgetsBefore);
}

// A round of two minutes at an answer a second; the answer list grows by one
// line per answer until the next round empties it.
constexpr int kRoundAnswers = 120;

// A word of the four kinds the judge tells apart, never the bare question.
QString wordFor(const QString& question, int i) {
    const QString dash = QStringLiteral("ー"); // in no benchmark kana list
    switch (i % 4) {
    case 0:
        return question + dash;
    case 1:
        return dash + question;
    case 2:
        return dash + question + dash;
    default:
        return dash + dash;
    }
}

void BM_Enter(benchmark::State& state) {
    Session session(FileSet::Largest);
    MainWindow& w = session.start();
    session.setTwoEntry();
    for (int i = 0; i < 50; ++i)
        session.answer(wordFor(lblMondai(w)->text(), i));
    settle();
    Samples handler, handlerLate, keyEvent, painted;
    int i = 0;
    for (auto _ : state) {
        if (i % kRoundAnswers == 0) {
            w.cmdStart_Click();
            settle();
        }
        txtKaitou(w)->setAnswer(wordFor(lblMondai(w)->text(), i));
        const auto t = Stopwatch::now();
        switch (i % 3) {
        case 0: {
            std::int16_t key = 13;
            w.txtKaitou_KeyPress(key);
            handler.add(msSince(t));
            if (i % kRoundAnswers >= kRoundAnswers * 3 / 4) handlerLate.add(msSince(t));
            break;
        }
        case 1:
        case 2: {
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
            QCoreApplication::sendEvent(txtKaitou(w), &enter);
            if (i % 3 == 1) {
                keyEvent.add(msSince(t));
            } else {
                QCoreApplication::processEvents(); // repaints what the answer changed
                painted.add(msSince(t));
            }
            break;
        }
        }
        ++i;
    }
    state.counters["handler_us"] = handler.median() * 1e3;
    state.counters["handler_p99_us"] = handler.percentile(99) * 1e3;
    state.counters["key_event_us"] = keyEvent.median() * 1e3;
    state.counters["painted_ms"] = painted.median();
    report("Enter handler, 5000 exclusions, two-entry (median)",
           fixed(handler.median() * 1e3, 1, "us"), "< 100 us", handler.median() < 0.1);
    reportInfo("Enter handler (99th percentile / max)",
               fixed(handler.percentile(99) * 1e3, 1, "us") + " / " +
                   fixed(handler.max() * 1e3, 1, "us"));
    reportInfo("Enter handler, last quarter of a round (median)",
               fixed(handlerLate.median() * 1e3, 1, "us"));
    reportInfo("Enter key event, whole (median)", fixed(keyEvent.median() * 1e3, 1, "us"));
    reportInfo("Enter key event until repainted (median)", fixed(painted.median(), 2, "ms"));
}

// Rejected words only: each Enter ends in NextQuestion, which must find the
// one question left; the handler's time bounds NextQuestion's.
void nextQuestionAllButOne(benchmark::State& state, FileSet set, bool twoEntry,
                           const std::string& name) {
    Session session(set);
    MainWindow& w = session.start();
    if (twoEntry) session.setTwoEntry();
    const QString word = QStringLiteral("ーー");
    session.answer(word);
    const QString onlyQuestion = lblMondai(w)->text();
    Samples ms;
    int i = 0;
    for (auto _ : state) {
        if (i++ % 200 == 0) w.cmdStart_Click();
        txtKaitou(w)->setAnswer(word);
        std::int16_t key = 13;
        const auto t = Stopwatch::now();
        w.txtKaitou_KeyPress(key);
        ms.add(msSince(t));
        if (lblMondai(w)->text() != onlyQuestion)
            state.SkipWithError("a question was drawn that the exclusion list holds");
    }
    state.counters["median_us"] = ms.median() * 1e3;
    state.counters["p99_us"] = ms.percentile(99) * 1e3;
    state.counters["max_us"] = ms.max() * 1e3;
    report(name + " (median)", fixed(ms.median(), 3, "ms"), "<= 1 ms", ms.median() <= 1);
    report(name + " (99th percentile)", fixed(ms.percentile(99), 3, "ms"), "<= 1 ms",
           ms.percentile(99) <= 1);
    reportInfo(name + " (max)", fixed(ms.max(), 3, "ms"));
}

void BM_NextQuestionAllButOneSingle(benchmark::State& state) {
    nextQuestionAllButOne(state, FileSet::AllButOneSingle, false,
                          "NextQuestion, 99 of 100 one-entry excluded");
}

void BM_NextQuestionAllButOnePair(benchmark::State& state) {
    nextQuestionAllButOne(state, FileSet::AllButOnePair, true,
                          "NextQuestion, 4967 of 4968 two-entry excluded");
}

struct SaveFigures {
    double ms;
    long long grown;   // bytes the history file grew by
    long long written; // bytes the process wrote meanwhile, to any file
    bool sameFile;
};

SaveFigures timedSave(Session& session) {
    session.enter();
    const QByteArray path = QFile::encodeName(kHistoryFile);
    struct stat before {
    }, after{};
    ::stat(path.constData(), &before);
    const long long written = bytesWritten();
    const auto t = Stopwatch::now();
    session.window().cmdHozon_Click();
    const double ms = msSince(t);
    const long long bytes = bytesWritten() - written;
    ::stat(path.constData(), &after);
    return {ms, after.st_size - before.st_size, bytes, after.st_ino == before.st_ino};
}

void BM_Save(benchmark::State& state) {
    Session empty(FileSet::Empty), full(FileSet::Largest);
    for (Session* s : {&empty, &full}) {
        s->start();
        s->answer(QStringLiteral("あ")); // something to save
    }
    Samples emptyMs, fullMs, ratio, grown, written;
    bool appended = true;
    int i = 0;
    for (auto _ : state) {
        empty.enter();
        empty.window().cmdClear_Click(); // keeps this history empty
        SaveFigures e{}, f{};
        if (i++ % 2) {
            e = timedSave(empty);
            f = timedSave(full);
        } else {
            f = timedSave(full);
            e = timedSave(empty);
        }
        emptyMs.add(e.ms);
        fullMs.add(f.ms);
        ratio.add(f.ms / e.ms);
        grown.add(static_cast<double>(f.grown));
        written.add(static_cast<double>(f.written));
        // A rewrite would write the whole file, over 2 MB, or replace it.
        appended = appended && f.sameFile && e.sameFile && f.grown > 0 && f.grown == e.grown &&
                   f.written < 4096;
    }
    state.counters["empty_ms"] = emptyMs.median();
    state.counters["full_ms"] = fullMs.median();
    state.counters["ratio"] = ratio.median();
    state.counters["written_B"] = written.median();
    reportInfo("save, empty history / 32,766 records",
               fixed(emptyMs.median(), 3, "ms") + " / " + fixed(fullMs.median(), 3, "ms"));
    report("save: 32,766 records / empty history", fixed(ratio.median(), 3, "x"), "<= 1.2 x",
           ratio.median() <= 1.2);
    report("save: file grows by / process writes",
           fixed(grown.median(), 0, "B") + " / " + fixed(written.median(), 0, "B"),
           "appended, not rewritten", appended);
}

// Heap in use at the start of each of rounds rounds of answers answers, the
// answer list emptied by the start button; repaint shows each round's result.
std::vector<long long> heapByRound(Session& session, int rounds, int answers, bool repaint,
                                   Samples* lineBytes = nullptr) {
    MainWindow& w = session.window();
    std::vector<long long> heap;
    int answered = 0;
    for (int round = 0; round < rounds; ++round) {
        w.cmdStart_Click();
        settle();
        heap.push_back(heapInUse());
        for (int a = 0; a < answers; ++a, ++answered)
            session.answer(wordFor(lblMondai(w)->text(), answered));
        if (lineBytes) lineBytes->add(static_cast<double>(heapInUse() - heap.back()) / answers);
        if (repaint) settle();
    }
    return heap;
}

double growthPerAnswer(const std::vector<long long>& heap, int from, int to, int answers) {
    return static_cast<double>(heap[static_cast<size_t>(to)] - heap[static_cast<size_t>(from)]) /
           ((to - from) * answers);
}

void BM_AnswerMemory(benchmark::State& state) {
    Samples lineBytes;
    double judgedEarly = 0, judgedLate = 0, paintedEarly = 0, paintedLate = 0;
    double rssBefore = 0, rssAfter = 0;
    for (auto _ : state) {
        // Rounds judged one after another. The toolkit caches what it learns
        // about each text it measures, a cache that fills ever more slowly;
        // the program's own memory shows once it is full.
        {
            Session session(FileSet::Largest);
            session.start();
            session.setTwoEntry();
            const std::vector<long long> heap =
                heapByRound(session, 250, kRoundAnswers, false, &lineBytes);
            judgedEarly = growthPerAnswer(heap, 10, 50, kRoundAnswers);
            judgedLate = growthPerAnswer(heap, 150, 249, kRoundAnswers);
        }
        // With each round's result painted, the glyph bitmaps at every
        // sub-pixel offset drawn join that cache.
        Session session(FileSet::Largest);
        session.start();
        session.setTwoEntry();
        rssBefore = residentMb();
        const std::vector<long long> heap = heapByRound(session, 250, kRoundAnswers, true);
        rssAfter = residentMb();
        paintedEarly = growthPerAnswer(heap, 10, 50, kRoundAnswers);
        paintedLate = growthPerAnswer(heap, 150, 249, kRoundAnswers);
    }
    state.counters["line_B"] = lineBytes.median();
    state.counters["late_B_per_answer"] = judgedLate;
    reportInfo("memory per answer within a round (lstRireki line)",
               fixed(lineBytes.median(), 0, "B"));
    reportInfo("growth per answer across rounds, answers 1.2k-6k", fixed(judgedEarly, 2, "B"));
    report("growth per answer across rounds, answers 18k-30k", fixed(judgedLate, 2, "B"),
           "none (< 0.5 B)", judgedLate < 0.5);
    reportInfo("same, each round painted: 1.2k-6k / 18k-30k",
               fixed(paintedEarly, 2, "B") + " / " + fixed(paintedLate, 2, "B"));
    reportInfo("resident size over 30,000 painted answers",
               fixed(rssBefore, 1, "MB") + " -> " + fixed(rssAfter, 1, "MB"));
}

} // namespace

BENCHMARK(BM_Startup)->Iterations(21)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistoryLoad)->Iterations(11)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Enter)->Iterations(6000)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NextQuestionAllButOneSingle)
    ->Iterations(2000)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NextQuestionAllButOnePair)
    ->Iterations(500)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Save)->Iterations(201)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnswerMemory)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    initAssets();
    QApplication::setFont(gothicFont(9));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printSummary();
    return 0;
}
