#pragma once

#include "core/history_record.h"

#include <cstdint>
#include <functional>
#include <QByteArray>
#include <QString>
#include <vector>

namespace kb {

class KnownEnds;

// Reads "履歴.txt" in file order, handing each record to add; the record's
// texts are reused for the next one, which keeps 32,766 records quick to load.
// The count is 32-bit, so no history the program can write stops a start.
// ends, when given, notes how the file ended (see KnownEnds), here and below.
void readHistory(const QString& name, const std::function<void(const HistoryRecord&)>& add,
                 KnownEnds* ends = nullptr);
// Every record at once.
std::vector<HistoryRecord> loadHistory(const QString& name, KnownEnds* ends = nullptr);

// A history file checked as readHistory checks it, with the numbers read and
// the texts left as bytes: the grid decodes only the rows it shows.
struct HistoryIndex {
    struct Record {
        std::uint32_t start; // of the record in bytes
        HistoryNumbers numbers;
    };
    QByteArray bytes;
    std::vector<Record> records;
};
HistoryIndex indexHistory(const QString& name, KnownEnds* ends = nullptr);
// The texts of the record at start in an index's bytes.
void historyTexts(const QByteArray& bytes, std::uint32_t start, HistoryTexts& texts);
// The record as the file carries it back: a double quote, which would end a
// quoted item, becomes ”, and what code page 932 lacks becomes "?".
HistoryRecord storedForm(HistoryRecord record);
QString storedText(const QString& text);
// Appends one record in its stored form, and returns that form; on failure the
// file is left byte for byte as it was.
HistoryRecord appendHistory(const QString& name, const HistoryRecord& record,
                            KnownEnds* ends = nullptr);
// Empties the file.
void clearHistory(const QString& name);

} // namespace kb
