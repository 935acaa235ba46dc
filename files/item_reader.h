#pragma once

#include "core/error.h"
#include "file_io.h"

#include <cstdint>
#include <QByteArray>
#include <QString>
#include <sys/stat.h>

namespace kb {

class KnownEnds;

// Reads the program's text files item by item. Files are code page 932 with
// CR LF line ends; delimiters are found by scanning bytes, which is safe
// because no trail byte of the code page is a comma, a double quote, a blank,
// CR or LF.
//
// A file that is not code page 932 text (UTF-8 with or without a byte-order
// mark, or bytes the code page lacks) is refused; an old editor's end-of-file
// byte 0x1A at the end is ignored.
class ItemReader {
public:
    // A file read to its end is noted in ends, so that an append to it need
    // not read it again to know how it ends.
    explicit ItemReader(KnownEnds* ends = nullptr) : ends_(ends) {}
    ItemReader(const ItemReader&) = delete;
    ItemReader& operator=(const ItemReader&) = delete;

    // A file larger than maxBytes is refused.
    void open(const QString& name, qsizetype maxBytes = kMaxReadBytes);
    // Reads bytes that a read of the whole file has checked, from position on.
    void readFrom(const QByteArray& bytes, qsizetype position);
    void close();

    QString readString();
    void readString(QString& into); // reusing into's buffer
    void skipItem() { nextItem(); }
    // Decimal text with an optional sign; text that is no number reads as 0, and
    // a fraction is rounded to the nearest integer, halves away from zero.
    std::int16_t readInt16();
    bool atEnd() const { return !open_ || pos_ >= data_.size(); }

    const QString& name() const { return name_; }
    // The file's bytes, an old editor's end-of-file byte left out.
    const QByteArray& bytes() const { return data_; }

    // The line the next read starts on, counted from 1 as the reader counts
    // line ends; for messages that say where a file went wrong. It counts from
    // the start of the file: keep position() instead where it is not needed yet.
    int line() const { return lineOf(pos_); }
    int lineOf(qsizetype position) const { return lineAt(data_, position); }
    qsizetype position() const { return pos_; }
    // Goes on at a position the caller found by reading bytes() itself.
    void seek(qsizetype position) { pos_ = position; }
    // Whether nothing but blanks and line ends stands from position on.
    bool restIsBlank(qsizetype position) const;
    static int lineAt(QByteArrayView bytes, qsizetype pos);

private:
    // Bytes of the next item, the quotes removed and the delimiter consumed.
    QByteArrayView nextItem();
    // Refuses text that is not code page 932, naming the line where it shows.
    static void checkEncoding(QByteArrayView bytes, const QString& name);

    KnownEnds* ends_;
    bool open_ = false;
    QString name_;
    QByteArray data_;
    qsizetype pos_ = 0;
    qsizetype itemStart_ = 0;      // of the item read last, for messages
    struct stat opened_ {};        // the file as it was when opened
    bool endsInOpenQuote_ = false; // the last item ran to the end without its closing quote
};

} // namespace kb
