#include "item_reader.h"

#include "cp932.h"
#include "descriptor.h"
#include "file_io.h"
#include "item_syntax.h"
#include "known_ends.h"

#include <algorithm>
#include <climits>
#include <fcntl.h>

namespace kb {
namespace {

using Kind = Error::Kind;

Descriptor openForReading(const QString& name) {
    Descriptor fd(::open(pathOf(name).constData(), O_RDONLY | O_CLOEXEC));
    if (fd.valid()) return fd;
    if (errno == ENOENT) throw Error(Kind::FileNotFound, name);
    if (errno == EACCES || errno == EPERM)
        throw Error(Kind::CannotRead, name,
                    QStringLiteral("読み取りが許可されていません。"
                                   "ファイルの権限で読み取りを許可してください。"));
    throw Error(Kind::CannotRead, name);
}

// Reads to the end, for a device as much as a file.
QByteArray readAll(int fd, const struct stat& st, const QString& name, qsizetype maxBytes) {
    QByteArray data;
    if (S_ISREG(st.st_mode)) data.reserve(static_cast<qsizetype>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw Error(Kind::CannotRead, name);
        if (n == 0) return data;
        if (data.size() + n > maxBytes)
            throw Error(Kind::CannotRead, name,
                        QStringLiteral("ファイルが大きすぎます。ゲームのファイルなのか確かめて、"
                                       "ちがうものなら元のファイルに戻してください。"));
        data.append(buf, n);
    }
}

} // namespace

void ItemReader::open(const QString& name, qsizetype maxBytes) {
    close();
    name_ = name;
    requireCp932(name, Kind::CannotRead);
    const Descriptor fd = openForReading(name);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode))
        throw Error(Kind::CannotRead, name,
                    QStringLiteral("同じ名前のフォルダーがあります。"
                                   "フォルダーの名前を変えて、ファイルを置いてください。"));
    QByteArray data = readAll(fd.get(), st, name, maxBytes);
    // An old editor's end-of-file byte, and any line ends after it, are no data.
    if (const qsizetype marker = endOfFileMarker(data); marker >= 0) data.truncate(marker);
    checkEncoding(data, name);
    data_ = std::move(data);
    pos_ = 0;
    itemStart_ = 0;
    opened_ = st;
    endsInOpenQuote_ = false;
    open_ = true;
}

void ItemReader::readFrom(const QByteArray& bytes, qsizetype position) {
    close();
    data_ = bytes;
    pos_ = position;
    itemStart_ = position;
    // No file of its own: closing must not record how a file ends.
    opened_ = {};
    endsInOpenQuote_ = false;
    open_ = true;
}

void ItemReader::close() {
    // A file read to its end: an append need not read it again to know how it ends.
    if (open_ && ends_ && pos_ >= data_.size() && S_ISREG(opened_.st_mode))
        ends_->remember(opened_, endsInOpenQuote_);
    open_ = false;
    data_.clear();
    pos_ = 0;
}

int ItemReader::lineAt(QByteArrayView bytes, qsizetype pos) {
    int line = 1;
    const char* d = bytes.data();
    pos = std::min(pos, bytes.size());
    for (qsizetype i = 0; i < pos; ++i)
        if (d[i] == '\n' || (d[i] == '\r' && (i + 1 >= bytes.size() || d[i + 1] != '\n'))) ++line;
    return line;
}

bool ItemReader::restIsBlank(qsizetype position) const {
    for (qsizetype i = position; i < data_.size(); ++i)
        if (!isBlank(data_[i]) && !isLineEnd(data_[i])) return false;
    return true;
}

void ItemReader::checkEncoding(QByteArrayView bytes, const QString& name) {
    using Fault = EncodingCheck::Fault;
    const EncodingCheck check = checkCp932(bytes);
    if (check.fault == Fault::None) return;
    QString detail;
    switch (check.fault) {
    case Fault::ByteOrderMark:
        detail = QStringLiteral("UTF-8 で保存されています（先頭に BOM があります）。");
        break;
    case Fault::Utf8:
        detail = QStringLiteral("UTF-8 で保存されているようです。");
        break;
    default:
        detail = QStringLiteral("Shift_JIS では読めないバイトがあります。");
        break;
    }
    throw Error(Kind::NotShiftJis, name, detail)
        .at(lineAt(bytes, check.offset))
        .advise(QStringLiteral(
            "テキストエディターで文字コードを Shift_JIS にして保存し直してください。"));
}

QByteArrayView ItemReader::nextItem() {
    if (!open_) throw Error(Kind::CannotRead, name_);
    qsizetype p = pos_;
    const char* d = data_.constData(); // data_[p] would check for a detach at every byte
    while (p < data_.size() && d[p] == ' ')
        ++p;
    itemStart_ = p;
    if (p >= data_.size()) {
        pos_ = p;
        throw Error(Kind::EndOfFile, name_).at(lineAt(data_, p));
    }
    const ItemBounds item = scanItem(data_, p);
    pos_ = item.next;
    if (pos_ >= data_.size()) endsInOpenQuote_ = item.openQuote;
    return QByteArrayView(d + item.start, item.end - item.start);
}

QString ItemReader::readString() {
    const QByteArrayView item = nextItem();
    return decodeCp932(item.data(), item.size());
}

void ItemReader::readString(QString& into) {
    decodeCp932(nextItem(), into);
}

std::int16_t ItemReader::readInt16() {
    const QByteArrayView item = nextItem();
    qsizetype i = 0;
    const qsizetype n = item.size();
    bool negative = false;
    if (i < n && (item[i] == '-' || item[i] == '+')) negative = item[i++] == '-';
    long long value = 0;
    bool any = false;
    for (; i < n && item[i] >= '0' && item[i] <= '9'; ++i) {
        any = true;
        value = value * 10 + (item[i] - '0');
        if (value > 1'000'000) throw Error(Kind::Overflow, name_).at(lineAt(data_, itemStart_));
    }
    if (i < n && item[i] == '.' && i + 1 < n && item[i + 1] >= '0' && item[i + 1] <= '9') {
        any = true;
        if (item[i + 1] >= '5') ++value;
    }
    if (!any) return 0;
    value = negative ? -value : value;
    if (value < INT16_MIN || value > INT16_MAX)
        throw Error(Kind::Overflow, name_).at(lineAt(data_, itemStart_));
    return static_cast<std::int16_t>(value);
}

} // namespace kb
