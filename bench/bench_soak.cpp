// A long run of rounds under the real window, with the history made unwritable
// now and then in each way a disk can refuse a write. Not a timing: it reports
// whether the grid, the file and the next start still agree afterwards.

#include "app/history_grid.h"
#include "bench_support.h"
#include "files/history_table.h"
#include "support/window_fixture.h"

#include <benchmark/benchmark.h>
#include <csignal>
#include <QListWidget>
#include <unistd.h>

using namespace kb;
using namespace kb::test;
using namespace kb::bench;

namespace {

// Whether the grid shows exactly the records the file holds, numbered from 1.
bool gridMatchesFile(const MainWindow& w) {
    const std::vector<HistoryRecord> records = loadHistory(kHistoryFile);
    const HistoryGrid* grid = msgRireki(w);
    if (grid->rows() != static_cast<int>(records.size()) + 1) return false;
    for (int r = 1; r < grid->rows(); ++r) {
        if (grid->textAt(r, 0) != QString::number(r)) return false;
        const auto cells = records[static_cast<size_t>(r - 1)].cells();
        for (int c = 1; c < HistoryModel::kColumns; ++c)
            if (grid->textAt(r, c) != cells[static_cast<size_t>(c - 1)]) return false;
    }
    return true;
}

} // namespace

void BM_Soak(benchmark::State& state) {
    std::signal(SIGXFSZ, SIG_IGN);
    bool inStep = true, logsRestart = true, nextStartAgrees = false;
    int answers = 0, faults = 0, reported = 0;
    for (auto _ : state) {
        WindowFixture f(QStringLiteral("あ\r\nい\r\nう\r\n"), "10,1\r\n");
        MainWindow& w = f.load();
        for (int round = 0; round < 300; ++round) {
            startRound(w);
            int logged = 0;
            for (int i = 0; i < 12; ++i, ++answers) {
                const QString q = lblMondai(w)->text();
                const QString words[] = {q + QStringLiteral("さ"), QStringLiteral("か") + q,
                                         QStringLiteral("か") + q + QStringLiteral("さ"),
                                         QStringLiteral("ぬ"), q};
                const QString& word = words[(round + i) % 5];
                f.clock.tod += 0.37;
                answer(w, word);
                logged += word == q ? 0 : 1;
            }
            logsRestart = logsRestart && lstRireki(w)->count() == logged;
            // Every seventh round the auto-save meets a folder, a full device or
            // a full disk in turn; the file must stay as it was.
            if (round % 7 == 3) {
                const QByteArray kept = readBytes(kHistoryFile);
                const int fault = round / 7 % 3;
                if (fault < 2) {
                    QFile::remove(kHistoryFile);
                    fault == 0 ? QDir().mkdir(kHistoryFile)
                               : QFile::link(QStringLiteral("/dev/full"), kHistoryFile);
                }
                {
                    FileSizeLimit limit(fault == 2 ? rlim_t(kept.size()) + 1 : RLIM_INFINITY);
                    runOut(w, f.clock);
                }
                if (fault == 0) QDir().rmdir(kHistoryFile);
                QFile::remove(kHistoryFile);
                writeBytes(kHistoryFile, kept);
                ++faults;
            } else {
                runOut(w, f.clock);
            }
            if (round % 3 == 0) cmdHozon(w)->click();
            inStep = inStep && gridMatchesFile(w);
            QCoreApplication::processEvents();
        }
        reported = static_cast<int>(f.messages.shown.size());
        WindowFixture again(QStringLiteral("あ\r\n"), "60,0\r\n", {},
                            readBytes(f.dir.path() + QLatin1Char('/') + kHistoryFile));
        MainWindow& next = again.load();
        nextStartAgrees = gridMatchesFile(next) && msgRireki(next)->rows() == msgRireki(w)->rows();
    }
    state.counters["answers"] = answers;
    report("soak: 300 rounds, grid and file agree after every round", inStep ? "yes" : "no", "yes",
           inStep);
    report("soak: the log starts empty each round", logsRestart ? "yes" : "no", "yes", logsRestart);
    report("soak: each failed auto-save reported once",
           std::to_string(reported) + " of " + std::to_string(faults), std::to_string(faults),
           reported == faults);
    report("soak: the next start shows the same table", nextStartAgrees ? "yes" : "no", "yes",
           nextStartAgrees);
}
BENCHMARK(BM_Soak)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
