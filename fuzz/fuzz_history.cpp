// The history loader. Records load in file order, each with the ten items the
// file holds, and a record the program writes back loads as the same record. A
// record appended to the history as the player left it loads as the last one;
// a history that is not code page 932 is refused and left as it was.

#include "files/data_files.h"
#include "files/history_table.h"
#include "files/item_reader.h"
#include "files/known_ends.h"
#include "files/record_writer.h"
#include "fuzz_support.h"

#include <optional>
#include <vector>

using namespace kb;
using namespace kb::fuzz;
using Kind = Error::Kind;

namespace {
// How the files ended, shared by reads and appends as the window shares its own.
KnownEnds ends;

const QString kCopy = QStringLiteral("copy.txt");
const QString kFresh = QStringLiteral("fresh.txt");

// Records of a history the program wrote to: any error is a finding.
std::vector<HistoryRecord> recordsOf(const QString& name) {
    try {
        return loadHistory(name, &ends);
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
    std::vector<HistoryRecord> records;
    // The grid's index fails as the reader does, or reads what it reads.
    std::optional<Error> indexError;
    HistoryIndex index;
    try {
        index = indexHistory(kHistoryFile, &ends);
    } catch (const Error& e) {
        indexError = e;
    }
    try {
        records = loadHistory(kHistoryFile, &ends);
    } catch (const Error& e) {
        check(indexError && indexError->kind() == e.kind() && indexError->line() == e.line() &&
                  indexError->record() == e.record() && indexError->message() == e.message(),
              "the index fails otherwise than the reader");
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
            appendHistory(kHistoryFile, record, &ends);
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
    check(!indexError && index.records.size() == records.size(), "the index counts otherwise");
    for (size_t i = 0; i < records.size() && !indexError; ++i) {
        HistoryTexts t;
        historyTexts(index.bytes, index.records[i].start, t);
        check(t == splitTexts(records[i]) && index.records[i].numbers == splitNumbers(records[i]),
              "the index reads a record otherwise");
    }
    check(records.size() * 10 <= size, "more records than the bytes can hold");

    // The records hold the items of the file, read here item by item.
    {
        ItemReader file;
        file.open(kHistoryFile);
        for (const HistoryRecord& r : records) {
            const auto cells = r.cells();
            for (const HistoryItem& column : kHistoryItems) {
                const QString item =
                    column.isText() ? file.readString() : QString::number(file.readInt16());
                check(cells[size_t(column.column)] == item,
                      "a record differs from its items in the file");
            }
        }
        check(file.atEnd(), "fewer records than the file holds");
        file.close();
    }
    ::unlink(QFile::encodeName(kCopy).constData());
    std::vector<HistoryRecord> written;
    for (const HistoryRecord& loaded : records) {
        HistoryRecord rewritten = loaded;
        bool keep = true;
        QString allTexts;
        for (const HistoryItem& item : kHistoryItems) {
            if (!item.isText()) continue;
            QString& text = rewritten.*item.text;
            text = roundTripCp932(text);
            keep = keep && quotable(text);
            allTexts += text;
        }
        if (!keep || written.size() >= 8) // a few records carry the property; more cost time only
            continue;
        if (looksUtf8(allTexts)) {
            // Alone in a file it could read as UTF-8; kept out of the copy, whose
            // refusal fuzz_list checks.
            continue;
        }
        appendHistory(kCopy, rewritten, &ends);
        written.push_back(rewritten);
        if (written.size() == 1) record = rewritten; // appended to the input below
    }
    if (!written.empty())
        check(recordsOf(kCopy) == written, "a record written reads back differently");

    // Appended to the input as it stands, the record loads as the next row. How
    // the file ends (an open quote, say) is known from reading it to its end, or
    // found by the append itself in a file never read, or known from the last
    // append: all three must agree.
    std::vector<HistoryRecord> expected = records;
    expected.push_back(record);
    appendHistory(kHistoryFile, record, &ends); // read to its end above
    check(recordsOf(kHistoryFile) == expected, "an appended record loads wrong");
    writeFreshInput(kFresh, data, size);
    appendHistory(kFresh, record, &ends);
    check(fileBytes(kFresh) == fileBytes(kHistoryFile),
          "an append differs when the history was not read first");
    appendHistory(kFresh, record, &ends);
    expected.push_back(record);
    check(recordsOf(kFresh) == expected, "a second appended record loads wrong");
    checkNoFileLeftOpen();
    return 0;
}
