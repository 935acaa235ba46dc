// The history loader. Rows are numbered 1, 2, … in file order, each holds the
// ten items of its record in columns 1 to 10, and a record the program writes
// back from a row loads as the same row. A record appended to the history as
// the player left it loads as the next row; a history that is not code page
// 932 is refused and left as it was.

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
const QString kFresh = QStringLiteral("fresh.txt");

bool isInt16Text(const QString& text) {
    bool ok = false;
    const int v = text.toInt(&ok);
    return ok && v >= -32768 && v <= 32767 && QString::number(v) == text;
}

// The row a record loads as, numbered n.
QString rowOf(size_t n, const HistoryRecord& record) {
    std::array<QString, HistoryModel::kColumns> cells;
    cells[0] = QString::number(n);
    const std::array<QString, 10> items = record.cells();
    std::copy(items.begin(), items.end(), cells.begin() + 1);
    return HistoryModel::joinRow(cells);
}

// Rows of a history the program wrote to: any error is a finding.
std::vector<QString> rowsOf(const QString& name) {
    try {
        return loadHistoryRows(name);
    } catch (const Error&) {
        fail("a history the program appended to does not load");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    enterScratchDir(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    writeInput(kHistoryFile, data, size);
    HistoryRecord record; // its kana keep it from reading as UTF-8, whatever the file holds
    record.set = QStringLiteral("あいう");
    record.score = 250;
    std::vector<QString> rows;
    try {
        rows = loadHistoryRows(kHistoryFile);
    } catch (const Error& e) {
        check(isOneOf(e.kind(), {Kind::EndOfFile, Kind::Overflow, Kind::NotShiftJis}),
              "history failed with an unexpected error");
        check(e.subject() == kHistoryFile, "the error does not name the file");
        checkLine(e, QByteArrayView(data, size));
        check((e.record() >= 1) == (e.kind() != Kind::NotShiftJis),
              "a read error names no record, or an encoding error one");
        checkNoFileLeftOpen();
        if (e.kind() != Kind::NotShiftJis) return 0;
        // An input fits in the bytes an append looks at: it sees what the reader saw.
        try {
            appendHistory(kHistoryFile, record);
            fail("appended to a history that is not code page 932");
        } catch (const Error& refused) {
            check(refused.kind() == Kind::NotShiftJis, "a refused append failed otherwise");
        }
        check(fileBytes(kHistoryFile) == QByteArrayView(data, size),
              "a refused append changed the history");
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
    std::vector<QString> written;
    for (int r = 0; r < model.rowCount(); ++r) {
        check(model.cell(r, 0) == QString::number(r + 1), "a row is numbered out of order");
        HistoryRecord fromRow;
        QString* strings[] = {&fromRow.date, &fromRow.time,  &fromRow.set,
                              &fromRow.rate, &fromRow.speed, &fromRow.length};
        const int stringColumns[] = {1, 2, 3, 8, 9, 10};
        bool keep = true;
        for (int i = 0; i < 6; ++i) {
            *strings[i] = roundTripCp932(model.cell(r, stringColumns[i]));
            keep = keep && quotable(*strings[i]);
        }
        std::int16_t* numbers[] = {&fromRow.okCount, &fromRow.ngCount, &fromRow.typedChars,
                                   &fromRow.score};
        for (int c = 4; c <= 7; ++c) {
            const QString text = model.cell(r, c);
            check(isInt16Text(text), "a number column holds no int16");
            *numbers[c - 4] = static_cast<std::int16_t>(text.toInt());
        }
        if (!keep || written.size() >= 8) // a few records carry the property; more cost time only
            continue;
        if (looksUtf8(fromRow.date + fromRow.time + fromRow.set + fromRow.rate + fromRow.speed +
                      fromRow.length)) {
            // Alone in a file it could read as UTF-8; kept out of the copy, whose
            // refusal fuzz_list checks.
            continue;
        }
        appendHistory(kCopy, fromRow);
        written.push_back(rowOf(written.size() + 1, fromRow));
        if (written.size() == 1) record = fromRow; // appended to the input below
    }
    if (!written.empty())
        check(rowsOf(kCopy) == written, "a record written reads back differently");

    // Appended to the input as it stands, the record loads as the next row. How
    // the file ends (an open quote, say) is known from reading it to its end, or
    // found by the append itself in a file never read, or known from the last
    // append: all three must agree.
    std::vector<QString> expected = rows;
    expected.push_back(rowOf(rows.size() + 1, record));
    appendHistory(kHistoryFile, record); // read to its end above
    check(rowsOf(kHistoryFile) == expected, "an appended record loads wrong");
    writeFreshInput(kFresh, data, size);
    appendHistory(kFresh, record);
    check(fileBytes(kFresh) == fileBytes(kHistoryFile),
          "an append differs when the history was not read first");
    appendHistory(kFresh, record);
    expected.push_back(rowOf(rows.size() + 2, record));
    check(rowsOf(kFresh) == expected, "a second appended record loads wrong");
    checkNoFileLeftOpen();
    return 0;
}
