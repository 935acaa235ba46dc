#include "sequential_file.h"

#include "core/int16.h"
#include "cp932.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

namespace kb {
namespace {

using Kind = Error::Kind;
constexpr qsizetype kMaxReadBytes = 32 * 1024 * 1024;

QByteArray pathOf(const QString& name) {
    return QFile::encodeName(name);
}

bool writeAll(int fd, const QByteArray& bytes) {
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        left -= n;
    }
    return true;
}

bool isDirectory(const QByteArray& path) {
    struct stat st {};
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Replaces path with bytes through a temporary file beside it, so a failure
// leaves the old content whole. Special files (a device, say) are written directly.
void replaceFile(const QString& name, const QByteArray& bytes) {
    QByteArray path = pathOf(name);
    struct stat st {};
    const bool exists = ::stat(path.constData(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        const int fd = ::open(path.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0) throw Error(Kind::CannotWrite, name);
        const bool ok = writeAll(fd, bytes);
        if (::close(fd) != 0 || !ok) throw Error(Kind::CannotWrite, name);
        return;
    }
    // Write beside the link's target, so a linked file stays linked.
    if (exists) {
        if (char* real = ::realpath(path.constData(), nullptr)) {
            path = real;
            std::free(real);
        }
    }
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray dir = slash >= 0 ? path.left(slash + 1) : QByteArray();
    QByteArray tmp = dir + ".kotobaru-XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0) throw Error(Kind::CannotWrite, name);
    const mode_t mode = exists ? (st.st_mode & 07777) : [] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return static_cast<mode_t>(0666 & ~mask);
    }();
    bool ok = writeAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(tmp.constData(), path.constData()) != 0) {
        ::unlink(tmp.constData());
        throw Error(Kind::CannotWrite, name);
    }
}

// Appends bytes in one piece; on failure the file is cut back to its old length.
void appendToFile(const QString& name, const QByteArray& bytes) {
    const QByteArray path = pathOf(name);
    struct stat before {};
    const bool existed = ::stat(path.constData(), &before) == 0;
    const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) throw Error(Kind::CannotWrite, name);
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    const off_t oldSize = regular ? st.st_size : 0;
    bool ok = writeAll(fd, bytes) && (!regular || ::fsync(fd) == 0);
    if (!ok && regular) (void)::ftruncate(fd, oldSize);
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        if (!existed) ::unlink(path.constData());
        throw Error(Kind::CannotWrite, name);
    }
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

} // namespace

void SequentialFile::openRead(const QString& name) {
    close();
    name_ = name;
    const QByteArray path = pathOf(name);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw Error(errno == ENOENT ? Kind::FileNotFound : Kind::CannotRead, name);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        throw Error(Kind::CannotRead, name);
    }
    QByteArray data;
    if (S_ISREG(st.st_mode)) data.reserve(static_cast<qsizetype>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            throw Error(Kind::CannotRead, name);
        }
        if (n == 0) break;
        // No file of the game comes near this; a device that never ends must not hang the reader.
        if (data.size() + n > kMaxReadBytes) {
            ::close(fd);
            throw Error(Kind::CannotRead, name, QStringLiteral("ファイルが大きすぎます。"));
        }
        data.append(buf, n);
    }
    ::close(fd);
    data_ = std::move(data);
    pos_ = 0;
    mode_ = Mode::Read;
}

void SequentialFile::openRewrite(const QString& name) { openWrite(name, Mode::Rewrite); }

void SequentialFile::openAppend(const QString& name) { openWrite(name, Mode::Append); }

void SequentialFile::openWrite(const QString& name, Mode mode) {
    close();
    name_ = name;
    // Writes reach the disk at close(); a folder in the way is refused now.
    if (isDirectory(pathOf(name))) throw Error(Kind::CannotWrite, name);
    data_.clear();
    mode_ = mode;
}

void SequentialFile::requireWrite() const {
    if (mode_ != Mode::Rewrite && mode_ != Mode::Append) throw Error(Kind::CannotWrite, name_);
}

void SequentialFile::writeRecord(const std::vector<Item>& items) {
    requireWrite();
    bool first = true;
    for (const Item& item : items) {
        if (!first) data_ += ',';
        first = false;
        if (const auto* s = std::get_if<QString>(&item)) {
            data_ += '"';
            data_ += encodeCp932(*s);
            data_ += '"';
        } else {
            data_ += QByteArray::number(std::get<std::int16_t>(item));
        }
    }
    data_ += "\r\n";
}

void SequentialFile::printLine(QStringView text) {
    requireWrite();
    data_ += encodeCp932(text);
    data_ += "\r\n";
}

bool SequentialFile::needsQuotes(QStringView text) {
    if (text.isEmpty()) return false;
    if (text.front() == QLatin1Char('"') || text.front() == QLatin1Char(' ') ||
        text.back() == QLatin1Char(' ') || text.back() == QLatin1Char('\t'))
        return true;
    for (QChar c : text)
        if (c == QLatin1Char(',') || c == QLatin1Char('\r') || c == QLatin1Char('\n')) return true;
    return false;
}

QByteArrayView SequentialFile::nextItem() {
    if (mode_ != Mode::Read) throw Error(Kind::CannotRead, name_);
    const char* d = data_.constData();
    const qsizetype n = data_.size();
    qsizetype p = pos_;
    while (p < n && d[p] == ' ')
        ++p;
    if (p >= n) {
        pos_ = p;
        throw Error(Kind::EndOfFile, name_);
    }
    // Consumes one delimiter at p: a comma, CR LF, a lone CR or a lone LF.
    auto consumeDelimiter = [&](qsizetype q) {
        if (q < n && d[q] == '\r' && q + 1 < n && d[q + 1] == '\n') return q + 2;
        return q < n ? q + 1 : q;
    };
    if (d[p] == '"') {
        const qsizetype start = p + 1;
        qsizetype end = start;
        while (end < n && d[end] != '"')
            ++end;
        qsizetype q = end < n ? end + 1 : end;
        while (q < n && d[q] != ',' && !isLineEnd(d[q]))
            ++q;
        pos_ = consumeDelimiter(q);
        return QByteArrayView(d + start, end - start);
    }
    const qsizetype start = p;
    qsizetype end = start;
    while (end < n && d[end] != ',' && !isLineEnd(d[end]))
        ++end;
    pos_ = consumeDelimiter(end);
    while (end > start && isBlank(d[end - 1]))
        --end;
    return QByteArrayView(d + start, end - start);
}

QString SequentialFile::readString() {
    const QByteArrayView item = nextItem();
    return decodeCp932(item.data(), item.size());
}

std::int16_t SequentialFile::readInt16() {
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
        if (value > 1'000'000) throw Error(Kind::Overflow, name_);
    }
    if (i < n && item[i] == '.' && i + 1 < n && item[i + 1] >= '0' && item[i + 1] <= '9') {
        any = true;
        if (item[i + 1] >= '5') ++value;
    }
    if (!any) return 0;
    return toInt16(negative ? -value : value, name_);
}

void SequentialFile::close() {
    const Mode mode = mode_;
    mode_ = Mode::Closed;
    QByteArray data = std::move(data_);
    data_.clear();
    pos_ = 0;
    if (mode == Mode::Rewrite)
        replaceFile(name_, data);
    else if (mode == Mode::Append && !data.isEmpty())
        appendToFile(name_, data);
}

} // namespace kb
