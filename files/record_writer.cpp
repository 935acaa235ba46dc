#include "record_writer.h"

#include "core/error.h"
#include "cp932.h"
#include "durable_write.h"
#include "file_io.h"

#include <sys/stat.h>

namespace kb {

void RecordWriter::openRewrite(const QString& name) {
    open(name, Mode::Rewrite);
}

void RecordWriter::openAppend(const QString& name) {
    open(name, Mode::Append);
}

void RecordWriter::open(const QString& name, Mode mode) {
    close();
    name_ = name;
    requireCp932(name, Error::Kind::CannotWrite);
    // Writes reach the disk at close(); a folder in the way is refused now.
    struct stat st {};
    if (::stat(pathOf(name).constData(), &st) == 0 && S_ISDIR(st.st_mode))
        throw Error(Error::Kind::CannotWrite, name);
    data_.clear();
    appended_ = {};
    mode_ = mode;
}

void RecordWriter::requireOpen() const {
    if (mode_ == Mode::Closed) throw Error(Error::Kind::CannotWrite, name_);
}

void RecordWriter::writeRecord(const std::vector<Item>& items) {
    requireOpen();
    bool first = true;
    for (const Item& item : items) {
        if (!first) data_ += ',';
        first = false;
        if (const auto* s = std::get_if<QString>(&item)) {
            data_ += '"';
            data_ += encodeCp932(*s);
            data_ += '"';
        } else if (const auto* n = std::get_if<std::int16_t>(&item)) {
            data_ += QByteArray::number(*n);
        } else {
            data_ += QByteArray::number(std::get<std::int32_t>(item));
        }
    }
    data_ += "\r\n";
}

void RecordWriter::printLine(QStringView text) {
    requireOpen();
    data_ += encodeCp932(text);
    data_ += "\r\n";
}

bool RecordWriter::needsQuotes(QStringView text) {
    // A bare empty line after a last item ending in 0x1A would make the two read
    // as an old editor's end-of-file byte; "" reads as the same empty item.
    if (text.isEmpty()) return true;
    // A bare line ending in 0x1A would read as an old editor's end-of-file byte.
    if (text.front() == QLatin1Char('"') || text.front() == QLatin1Char(' ') ||
        text.back() == QLatin1Char(' ') || text.back() == QLatin1Char('\t') ||
        text.back() == QChar(0x1A))
        return true;
    for (QChar c : text)
        if (c == QLatin1Char(',') || c == QLatin1Char('\r') || c == QLatin1Char('\n')) return true;
    return false;
}

void RecordWriter::close() {
    const Mode mode = mode_;
    mode_ = Mode::Closed;
    const QByteArray data = std::move(data_);
    data_.clear();
    if (mode == Mode::Rewrite)
        replaceFile(name_, data);
    else if (mode == Mode::Append && !data.isEmpty())
        appended_ = appendToFile(name_, data, ends_);
}

} // namespace kb
