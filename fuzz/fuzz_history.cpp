// The history loader. Rows are numbered 1, 2, … in file order, each holds the
// ten items of its record in columns 1 to 10, and a record the program writes
// back from a row loads as the same row.

#include "files/data_files.h"
#include "files/history_table.h"
#include "files/sequential_file.h"
#include "fuzz_support.h"

#include <vector>

using namespace kb;
using namespace kb::fuzz;
using Kind = Error::Kind;

namespace {

const QString kCopy = QStringLiteral("copy.txt");

bool isInt16Text(const QString& text) {
    bool ok = false;
    const int v = text.toInt(&ok);
    return ok && v >= -32768 && v <= 32767 && QString::number(v) == text;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    enterScratchDir(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    writeInput(kHistoryFile, data, size);
    std::vector<QString> rows;
    try {
        rows = loadHistoryRows(kHistoryFile);
    } catch (const Error& e) {
        check(isOneOf(e.kind(), {Kind::EndOfFile, Kind::Overflow}),
              "history failed with an unexpected error");
        check(e.subject() == kHistoryFile, "the error does not name the file");
        checkNoFileLeftOpen();
        return 0;
    }
    checkNoFileLeftOpen();
    check(rows.size() * 10 <= size, "more records than the bytes can hold");

    HistoryModel model;
    model.resetRows(rows);
    check(model.rowCount() == int(rows.size()), "the grid lost rows");

    // The grid shows the items of the file, read here item by item.
    {
        SequentialFile file;
        file.openRead(kHistoryFile);
        for (int r = 0; r < model.rowCount(); ++r)
            for (int c = 1; c <= 10; ++c) {
                const QString item =
                    c >= 4 && c <= 7 ? QString::number(file.readInt16()) : file.readString();
                check(model.cell(r, c) == item, "a cell differs from its item in the file");
            }
        check(file.atEnd(), "the grid has fewer rows than the file records");
        file.close();
    }
    ::unlink(QFile::encodeName(kCopy).constData());
    std::vector<std::array<QString, HistoryModel::kColumns>> written;
    for (int r = 0; r < model.rowCount(); ++r) {
        check(model.cell(r, 0) == QString::number(r + 1), "a row is numbered out of order");
        HistoryRecord record;
        QString* strings[] = {&record.date, &record.time,  &record.set,
                              &record.rate, &record.speed, &record.length};
        const int stringColumns[] = {1, 2, 3, 8, 9, 10};
        bool keep = true;
        for (int i = 0; i < 6; ++i) {
            *strings[i] = roundTripCp932(model.cell(r, stringColumns[i]));
            keep = keep && quotable(*strings[i]);
        }
        std::int16_t* numbers[] = {&record.okCount, &record.ngCount, &record.typedChars,
                                   &record.score};
        for (int c = 4; c <= 7; ++c) {
            const QString text = model.cell(r, c);
            check(isInt16Text(text), "a number column holds no int16");
            *numbers[c - 4] = static_cast<std::int16_t>(text.toInt());
        }
        if (!keep || written.size() >= 8) // a few records carry the property; more cost time only
            continue;
        appendHistory(kCopy, record);
        std::array<QString, HistoryModel::kColumns> cells;
        cells[0] = QString::number(written.size() + 1);
        const std::array<QString, 10> items = record.cells();
        std::copy(items.begin(), items.end(), cells.begin() + 1);
        written.push_back(cells);
    }
    if (!written.empty()) {
        const std::vector<QString> back = loadHistoryRows(kCopy);
        check(back.size() == written.size(), "records written were not all read back");
        for (size_t i = 0; i < back.size(); ++i)
            check(back[i] == HistoryModel::joinRow(written[i]),
                  "a record written reads back differently");
    }
    checkNoFileLeftOpen();
    return 0;
}
