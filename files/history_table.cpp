#include "history_table.h"

#include "cp932.h"
#include "data_files.h"
#include "item_reader.h"
#include "record_writer.h"

#include <cstring>

namespace kb {

namespace {

// A record as the program writes it: its texts quoted, its numbers as plain
// integers, then CR LF or the end of the file. Such a record reads the same
// whichever way it is read, and nearly every record is one, so an index skips
// the general reader for it: numbers is set and next is after the record.
bool programsOwnRecord(QByteArrayView bytes, qsizetype p, HistoryNumbers& numbers,
                       qsizetype& next) {
    const char* d = bytes.data();
    const qsizetype n = bytes.size();
    const auto quoted = [&] {
        if (p >= n || d[p] != '"') return false;
        const void* close = std::memchr(d + p + 1, '"', static_cast<size_t>(n - p - 1));
        if (!close) return false;
        p = static_cast<const char*>(close) - d + 1;
        return true;
    };
    const auto number = [&](std::int16_t& number) {
        const bool negative = p < n && d[p] == '-';
        p += negative;
        int value = 0, digits = 0;
        for (; p < n && d[p] >= '0' && d[p] <= '9' && digits <= 5; ++p, ++digits)
            value = value * 10 + (d[p] - '0');
        value = negative ? -value : value;
        if (digits == 0 || digits > 5 || value < INT16_MIN || value > INT16_MAX) return false;
        number = static_cast<std::int16_t>(value);
        return true;
    };
    const auto comma = [&] { return p < n && d[p] == ',' && ++p; };
    for (const HistoryItem& item : kHistoryItems) {
        if (&item != &kHistoryItems.front() && !comma()) return false;
        if (!(item.isText() ? quoted() : number(numbers[static_cast<size_t>(item.slot)])))
            return false;
    }
    if (p + 1 < n && d[p] == '\r' && d[p + 1] == '\n')
        p += 2;
    else if (p != n)
        return false;
    next = p;
    return true;
}

// Reads every record of the file: the texts through text(file, item), which
// decodes or skips them, the numbers as numbers. Errors name the record and
// say what to do.
template <class Text, class Add>
void scanHistory(ItemReader& file, const QString& name, Text text, Add add, bool skipTexts) {
    file.open(name);
    std::int32_t n = 1;
    while (!file.atEnd()) {
        const qsizetype start = file.position();
        HistoryNumbers numbers;
        if (qsizetype next; skipTexts && programsOwnRecord(file.bytes(), start, numbers, next)) {
            file.seek(next);
            add(start, numbers);
            ++n;
            continue;
        }
        try {
            for (const HistoryItem& item : kHistoryItems)
                if (item.isText())
                    text(file, item);
                else
                    numbers[static_cast<size_t>(item.slot)] = file.readInt16();
        } catch (Error& e) {
            e.at(e.line(), n);
            if (e.kind() == Error::Kind::EndOfFile && file.restIsBlank(start))
                e.at(file.lineOf(start))
                    .advise(QStringLiteral(
                        "ファイルの最後に空の行があります。テキストエディターでその行を消して"
                        "保存してください。"));
            else if (e.kind() == Error::Kind::EndOfFile)
                e.at(file.lineOf(start))
                    .advise(QStringLiteral("記録は日付から表示秒数までの 10 項目でできています。"
                                           "この記録を直すか、行ごと消して保存してください。"));
            else if (e.kind() == Error::Kind::Overflow)
                e.advise(QStringLiteral("数値を -32768～32767 に直して保存してください。"));
            throw;
        }
        add(start, numbers);
        ++n;
    }
}

} // namespace

void readHistory(const QString& name, const std::function<void(const HistoryRecord&)>& add,
                 KnownEnds* ends) {
    ItemReader file(ends);
    HistoryRecord r;
    scanHistory(
        file, name, [&](ItemReader& f, const HistoryItem& item) { f.readString(r.*item.text); },
        [&](qsizetype, const HistoryNumbers& numbers) {
            for (const HistoryItem& item : kHistoryItems)
                if (!item.isText()) r.*item.number = numbers[static_cast<size_t>(item.slot)];
            add(r);
        },
        false);
    file.close();
}

HistoryIndex indexHistory(const QString& name, KnownEnds* ends) {
    ItemReader file(ends);
    HistoryIndex index;
    scanHistory(
        file, name, [](ItemReader& f, const HistoryItem&) { f.skipItem(); },
        [&](qsizetype start, const HistoryNumbers& numbers) {
            index.records.push_back({static_cast<std::uint32_t>(start), numbers});
        },
        true);
    index.bytes = file.bytes();
    file.close();
    return index;
}

void historyTexts(const QByteArray& bytes, std::uint32_t start, HistoryTexts& texts) {
    ItemReader file;
    file.readFrom(bytes, start);
    for (const HistoryItem& item : kHistoryItems)
        if (item.isText())
            file.readString(texts[static_cast<size_t>(item.slot)]);
        else
            file.skipItem();
}

std::vector<HistoryRecord> loadHistory(const QString& name, KnownEnds* ends) {
    std::vector<HistoryRecord> records;
    readHistory(
        name, [&records](const HistoryRecord& r) { records.push_back(r); }, ends);
    return records;
}

QString storedText(const QString& text) {
    return roundTripCp932(QString(text).replace(QLatin1Char('"'), QStringLiteral("”")));
}

HistoryRecord storedForm(HistoryRecord record) {
    for (const HistoryItem& item : kHistoryItems)
        if (item.isText()) record.*item.text = storedText(record.*item.text);
    return record;
}

HistoryRecord appendHistory(const QString& name, const HistoryRecord& given, KnownEnds* ends) {
    const HistoryRecord record = storedForm(given);
    RecordWriter file(ends);
    file.openAppend(name);
    std::vector<RecordWriter::Item> items;
    for (const HistoryItem& item : kHistoryItems)
        if (item.isText())
            items.emplace_back(record.*item.text);
        else
            items.emplace_back(record.*item.number);
    file.writeRecord(items);
    file.close();
    return record;
}

void clearHistory(const QString& name) {
    RecordWriter file;
    file.openRewrite(name);
    file.close();
}

} // namespace kb
