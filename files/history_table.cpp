#include "history_table.h"

#include "cp932.h"
#include "data_files.h"
#include "item_reader.h"
#include "record_writer.h"

#include <cstring>

namespace kb {

namespace {

// A record as the program writes it: three quoted texts, four integers, three
// quoted texts, then CR LF or the end of the file. Such a record reads the same
// whichever way it is read, and nearly every record is one, so an index skips
// the general reader for it: numbers is set and next is after the record.
bool programsOwnRecord(QByteArrayView bytes, qsizetype p, std::array<std::int16_t, 4>& numbers,
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
    const auto comma = [&] { return p < n && d[p] == ',' && ++p; };
    for (int t = 0; t < 3; ++t)
        if (!quoted() || !comma()) return false;
    for (std::int16_t& number : numbers) {
        const bool negative = p < n && d[p] == '-';
        p += negative;
        int value = 0, digits = 0;
        for (; p < n && d[p] >= '0' && d[p] <= '9' && digits <= 5; ++p, ++digits)
            value = value * 10 + (d[p] - '0');
        value = negative ? -value : value;
        if (digits == 0 || digits > 5 || value < INT16_MIN || value > INT16_MAX || !comma())
            return false;
        number = static_cast<std::int16_t>(value);
    }
    for (int t = 0; t < 3; ++t)
        if (!quoted() || (t < 2 && !comma())) return false;
    if (p + 1 < n && d[p] == '\r' && d[p + 1] == '\n')
        p += 2;
    else if (p != n)
        return false;
    next = p;
    return true;
}

// Reads every record of the file: the texts through text(file, i), which
// decodes or skips them, the numbers as numbers. Errors name the record and
// say what to do.
template <class Text, class Add>
void scanHistory(ItemReader& file, const QString& name, Text text, Add add, bool skipTexts) {
    file.open(name);
    std::int32_t n = 1;
    while (!file.atEnd()) {
        const qsizetype start = file.position();
        std::array<std::int16_t, 4> numbers;
        if (qsizetype next; skipTexts && programsOwnRecord(file.bytes(), start, numbers, next)) {
            file.seek(next);
            add(start, numbers);
            ++n;
            continue;
        }
        try {
            for (int t = 0; t < 3; ++t)
                text(file, t);
            for (std::int16_t& number : numbers)
                number = file.readInt16();
            for (int t = 3; t < 6; ++t)
                text(file, t);
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

void readHistory(const QString& name, const std::function<void(const HistoryRecord&)>& add) {
    ItemReader file(&playerFileEnds());
    HistoryRecord r;
    QString* texts[] = {&r.date, &r.time, &r.set, &r.rate, &r.speed, &r.length};
    scanHistory(
        file, name, [&](ItemReader& f, int t) { f.readString(*texts[t]); },
        [&](qsizetype, const std::array<std::int16_t, 4>& numbers) {
            r.okCount = numbers[0];
            r.ngCount = numbers[1];
            r.typedChars = numbers[2];
            r.score = numbers[3];
            add(r);
        },
        false);
    file.close();
}

HistoryIndex indexHistory(const QString& name) {
    ItemReader file(&playerFileEnds());
    HistoryIndex index;
    scanHistory(
        file, name, [](ItemReader& f, int) { f.skipItem(); },
        [&](qsizetype start, const std::array<std::int16_t, 4>& numbers) {
            index.records.push_back({static_cast<std::uint32_t>(start), numbers});
        },
        true);
    index.bytes = file.bytes();
    file.close();
    return index;
}

void historyTexts(const QByteArray& bytes, std::uint32_t start, std::array<QString, 6>& texts) {
    ItemReader file;
    file.readFrom(bytes, start);
    for (int t = 0; t < 3; ++t)
        file.readString(texts[static_cast<size_t>(t)]);
    for (int n = 0; n < 4; ++n)
        file.skipItem();
    for (int t = 3; t < 6; ++t)
        file.readString(texts[static_cast<size_t>(t)]);
}

std::vector<HistoryRecord> loadHistory(const QString& name) {
    std::vector<HistoryRecord> records;
    readHistory(name, [&records](const HistoryRecord& r) { records.push_back(r); });
    return records;
}

HistoryRecord storedForm(HistoryRecord record) {
    for (QString* text :
         {&record.date, &record.time, &record.set, &record.rate, &record.speed, &record.length})
        *text = roundTripCp932(QString(*text).replace(QLatin1Char('"'), QStringLiteral("”")));
    return record;
}

HistoryRecord appendHistory(const QString& name, const HistoryRecord& given) {
    RecordWriter file(&playerFileEnds());
    file.openAppend(name);
    const HistoryRecord record = storedForm(given);
    file.writeRecord({record.date, record.time, record.set, record.okCount, record.ngCount,
                      record.typedChars, record.score, record.rate, record.speed, record.length});
    file.close();
    return record;
}

void clearHistory(const QString& name) {
    RecordWriter file;
    file.openRewrite(name);
    file.close();
}

} // namespace kb
