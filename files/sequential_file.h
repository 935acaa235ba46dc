#pragma once

#include "core/error.h"

#include <cstdint>
#include <QByteArray>
#include <QString>
#include <sys/stat.h>
#include <variant>
#include <vector>

namespace kb {

// The one way the program's text files are opened, written and read.
// Files are code page 932 with CR LF line ends; delimiters are found by
// scanning bytes, which is safe because no trail byte of the code page is a
// comma, a double quote, a blank, CR or LF.
//
// Reading refuses a file that is not code page 932 text (UTF-8 with or without
// a byte-order mark, or bytes the code page lacks), and ignores an old editor's
// end-of-file byte 0x1A at the end.
//
// Writes are collected and reach the disk in one piece at close(): a failed
// append leaves the file as it was and always starts a line of its own, and a
// rewrite replaces the file only once the new content is complete, keeping its
// mode, owner and group and refusing a read-only file.
class SequentialFile {
public:
    using Item = std::variant<QString, std::int16_t>;

    SequentialFile() = default;
    ~SequentialFile() = default; // a file not closed is discarded unwritten
    SequentialFile(const SequentialFile&) = delete;
    SequentialFile& operator=(const SequentialFile&) = delete;

    void openRead(const QString& name);
    void openRewrite(const QString& name);
    void openAppend(const QString& name);

    // Items separated by commas, strings between double quotes, then CR LF.
    void writeRecord(const std::vector<Item>& items);
    // The text without quotes, then CR LF.
    void printLine(QStringView text);

    // Reads bytes that a read of the whole file has checked, from position on.
    void readFrom(const QByteArray& bytes, qsizetype position);

    QString readString();
    void readString(QString& into); // reusing into's buffer
    void skipItem() { nextItem(); }
    // Decimal text with an optional sign; text that is no number reads as 0, and
    // a fraction is rounded to the nearest integer, halves away from zero.
    std::int16_t readInt16();
    bool atEnd() const { return mode_ != Mode::Read || pos_ >= data_.size(); }

    void close();
    const QString& name() const { return name_; }
    // Read: the file's bytes, an old editor's end-of-file byte left out.
    const QByteArray& bytes() const { return data_; }

    // The line the next read starts on, counted from 1 as the reader counts
    // line ends; for messages that say where a file went wrong. It counts from
    // the start of the file: keep position() instead where it is not needed yet.
    int line() const { return lineOf(pos_); }
    int lineOf(qsizetype position) const { return lineAt(data_, position); }
    qsizetype position() const { return pos_; }
    // Read: goes on at a position the caller found by reading bytes() itself.
    void seek(qsizetype position) { pos_ = position; }
    // Whether nothing but blanks and line ends stands from position on.
    bool restIsBlank(qsizetype position) const;
    static int lineAt(QByteArrayView bytes, qsizetype pos);

    // Quoting that reads back as the same single item: a bare text stays bare
    // unless a comma, quote, line end or surrounding blank would split or change
    // it, or it is empty or ends in 0x1A, which the reader could take for an old
    // editor's end-of-file byte.
    static bool needsQuotes(QStringView text);

private:
    enum class Mode { Closed, Read, Rewrite, Append };

    // Bytes of the next item, the quotes removed and the delimiter consumed.
    QByteArrayView nextItem();
    void openWrite(const QString& name, Mode mode);
    void requireWrite() const;
    // Refuses text that is not code page 932, naming the line where it shows.
    static void checkEncoding(QByteArrayView bytes, const QString& name);

    Mode mode_ = Mode::Closed;
    QString name_;
    QByteArray data_; // read: the whole file; write: what close() will write
    qsizetype pos_ = 0;
    qsizetype itemStart_ = 0;      // of the item read last, for messages
    struct stat opened_ {};        // the file as it was when opened for reading
    bool endsInOpenQuote_ = false; // the last item ran to the end without its closing quote
};

} // namespace kb
