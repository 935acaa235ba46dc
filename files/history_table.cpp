#include "history_table.h"

#include "cp932.h"
#include "sequential_file.h"

namespace kb {

void readHistory(const QString& name, const std::function<void(const HistoryRecord&)>& add) {
    SequentialFile file;
    file.openRead(name);
    HistoryRecord r;
    std::int32_t n = 1;
    while (!file.atEnd()) {
        const qsizetype start = file.position();
        try {
            for (QString* text : {&r.date, &r.time, &r.set})
                file.readString(*text);
            for (std::int16_t* number : {&r.okCount, &r.ngCount, &r.typedChars, &r.score})
                *number = file.readInt16();
            for (QString* text : {&r.rate, &r.speed, &r.length})
                file.readString(*text);
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
        add(r);
        ++n;
    }
    file.close();
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
    const HistoryRecord record = storedForm(given);
    SequentialFile file;
    file.openAppend(name);
    file.writeRecord({record.date, record.time, record.set, record.okCount, record.ngCount,
                      record.typedChars, record.score, record.rate, record.speed, record.length});
    file.close();
    return record;
}

void clearHistory(const QString& name) {
    SequentialFile file;
    file.openRewrite(name);
    file.close();
}

} // namespace kb
