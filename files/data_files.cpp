#include "data_files.h"

#include "core/question_record.h"
#include "durable_write.h"
#include "item_reader.h"
#include "record_writer.h"

namespace kb {

void removeWriteLeftovers() {
    // 出題記録.txt is emptied by a rewrite too, and may be a link to another folder.
    removeLeftoverTemporaries(
        {kKanaFile, kExclusionFile, kSettingsFile, kHistoryFile, kQuestionLogFile});
}

QStringList loadList(const QString& name, int capacity, KnownEnds* ends) {
    ItemReader file(ends);
    file.open(name);
    QStringList table;
    int i = 1;
    while (!file.atEnd()) {
        if (i > capacity)
            throw Error(Error::Kind::IndexOutOfRange, name,
                        QStringLiteral("読み込めるのは %1 項目までです。").arg(capacity))
                .at(file.line())
                .advise(QStringLiteral("この行から後ろを消して、%1 項目以下にしてください。")
                            .arg(capacity));
        try {
            table.append(file.readString());
        } catch (Error& e) {
            // Only blanks after the last line end: nothing the reader takes as an item.
            if (e.kind() == Error::Kind::EndOfFile)
                e.advise(QStringLiteral("ファイルの最後に空白だけの行があります。"
                                        "その空白を消して保存してください。"));
            throw;
        }
        ++i;
    }
    file.close();
    return table;
}

void appendExclusion(const QString& question, KnownEnds* ends) {
    RecordWriter file(ends);
    file.openAppend(kExclusionFile);
    if (RecordWriter::needsQuotes(question))
        file.writeRecord({question});
    else
        file.printLine(question);
    file.close();
}

} // namespace kb
