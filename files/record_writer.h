#pragma once

#include "durable_write.h"

#include <cstdint>
#include <QByteArray>
#include <QString>
#include <variant>
#include <vector>

namespace kb {

class KnownEnds;

// Writes the program's text files: code page 932, CR LF line ends. Writes are
// collected and reach the disk in one piece at close(), through the durable
// writes: a failed append leaves the file as it was and always starts a line of
// its own, and a rewrite replaces the file only once the new content is
// complete. A writer not closed is discarded unwritten.
class RecordWriter {
public:
    using Item = std::variant<QString, std::int16_t, std::int32_t>;

    // An append consults and updates ends, to know how the file ends without
    // reading all of it.
    explicit RecordWriter(KnownEnds* ends = nullptr) : ends_(ends) {}
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    void openRewrite(const QString& name);
    void openAppend(const QString& name);

    // Items separated by commas, strings between double quotes, then CR LF.
    void writeRecord(const std::vector<Item>& items);
    // The text without quotes, then CR LF.
    void printLine(QStringView text);

    void close();
    const QString& name() const { return name_; }
    // Where the last append's bytes began, to take them back.
    const AppendMark& appended() const { return appended_; }

    // Quoting that reads back as the same single item: a bare text stays bare
    // unless a comma, quote, line end or surrounding blank would split or change
    // it, or it is empty or ends in 0x1A, which the reader could take for an old
    // editor's end-of-file byte.
    static bool needsQuotes(QStringView text);

private:
    enum class Mode { Closed, Rewrite, Append };
    void open(const QString& name, Mode mode);
    void requireOpen() const;

    KnownEnds* ends_;
    Mode mode_ = Mode::Closed;
    QString name_;
    QByteArray data_; // what close() will write
    AppendMark appended_;
};

} // namespace kb
