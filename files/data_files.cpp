#include "data_files.h"

#include "sequential_file.h"

namespace kb {

std::int16_t loadList(const QString& name, std::vector<QString>& table, int capacity) {
    SequentialFile file;
    file.openRead(name);
    int i = 1;
    while (!file.atEnd()) {
        if (i > capacity)
            throw Error(Error::Kind::IndexOutOfRange, name,
                        QStringLiteral("読み込めるのは %1 項目までです。").arg(capacity));
        table[static_cast<size_t>(i)] = file.readString();
        ++i;
    }
    file.close();
    return static_cast<std::int16_t>(i - 1);
}

void appendExclusion(const QString& question) {
    SequentialFile file;
    file.openAppend(kExclusionFile);
    if (SequentialFile::needsQuotes(question))
        file.writeRecord({question});
    else
        file.printLine(question);
    file.close();
}

} // namespace kb
