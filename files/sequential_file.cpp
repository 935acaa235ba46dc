#include "sequential_file.h"

#include "core/int16.h"
#include "cp932.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <QFile>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kb {
namespace {

using Kind = Error::Kind;
constexpr qsizetype kMaxReadBytes = 32 * 1024 * 1024;

QByteArray pathOf(const QString& name) {
    return QFile::encodeName(name);
}

bool writeAll(int fd, const char* p, qsizetype left) {
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        left -= n;
    }
    return true;
}
bool writeAll(int fd, const QByteArray& bytes) {
    return writeAll(fd, bytes.constData(), bytes.size());
}

bool readAt(int fd, char* p, qsizetype size, off_t offset) {
    while (size > 0) {
        const ssize_t n = ::pread(fd, p, static_cast<size_t>(size), offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= n;
        offset += n;
    }
    return true;
}

bool isDirectory(const QByteArray& path) {
    struct stat st {};
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// A write error that says why, from errno, and what the player can do.
Error writeError(const QString& name, int error = errno) {
    QString why;
    switch (error) {
    case EACCES:
    case EPERM:
        why = QStringLiteral(
            "書き込みが許可されていません。ファイルとフォルダーの権限を確かめてください。");
        break;
    case EROFS:
        why = QStringLiteral("読み取り専用の場所にあります。");
        break;
    case ENOSPC:
    case EDQUOT:
        why =
            QStringLiteral("ディスクに空きがありません。空きを作ってからもう一度試してください。");
        break;
    case EFBIG:
        why = QStringLiteral("ファイルがこれ以上大きくなれません。");
        break;
    case EISDIR:
        why = QStringLiteral("同じ名前のフォルダーがあります。");
        break;
    default:
        break;
    }
    return Error(Error::Kind::CannotWrite, name, why);
}

Error readOnlyError(const QString& name) {
    return Error(Error::Kind::CannotWrite, name,
                 QStringLiteral("読み取り専用になっています。書き換えてよい場合は、"
                                "ファイルのプロパティで書き込みを許可してください。"));
}

// The whole of fd from its start, for files small enough to keep in memory.
bool readWhole(int fd, off_t size, QByteArray& out) {
    if (size > kMaxReadBytes) return false;
    out.resize(static_cast<qsizetype>(size));
    return readAt(fd, out.data(), out.size(), 0);
}

// Writes bytes over the file open as fd, in place: used where no new file can
// be made beside it, or where a new file would lose the owner, the group or a
// hard link. Room is claimed before the first byte changes, and the old content
// is put back if the write fails all the same.
void rewriteInPlace(const QString& name, int fd, const QByteArray& bytes, off_t oldSize) {
    QByteArray old;
    if (!readWhole(fd, oldSize, old)) throw writeError(name, EIO);
    if (bytes.size() > old.size()) {
        const int err = ::posix_fallocate(fd, 0, static_cast<off_t>(bytes.size()));
        if (err != 0) throw writeError(name, err);
    }
    const auto overwrite = [fd](const QByteArray& content) {
        qsizetype done = 0;
        while (done < content.size()) {
            const ssize_t n = ::pwrite(fd, content.constData() + done,
                                       static_cast<size_t>(content.size() - done), done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += n;
        }
        return ::ftruncate(fd, static_cast<off_t>(content.size())) == 0;
    };
    if (overwrite(bytes) && ::fsync(fd) == 0) return;
    const int err = errno;
    (void)overwrite(old);
    throw writeError(name, err);
}

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void reset(int fd) {
        close();
        fd_ = fd;
    }
    // Closes now, reporting whether the close succeeded.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

// Replaces the file's content with bytes.
//
// The player's file is honoured as they left it: one without write permission
// is not replaced, its mode, owner and group are kept, a link is followed, and
// a file that already holds these bytes is not touched. The new content goes to
// a temporary file beside the old one, renamed into place, so a failure or a
// kill leaves the old content whole. Where that temporary file cannot be made
// (a folder the player may not create files in) or cannot be given the owner
// and group, or the file has more than one name, the file is written in place.
// Special files (a device, say) are written directly.
void replaceFile(const QString& name, const QByteArray& bytes) {
    QByteArray path = pathOf(name);
    struct stat st {};
    const bool exists = ::stat(path.constData(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        Descriptor fd(::open(path.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC));
        if (fd.get() < 0) throw writeError(name);
        const bool ok = writeAll(fd.get(), bytes);
        const int err = errno;
        if (!fd.close() || !ok) throw writeError(name, err);
        return;
    }
    Descriptor old;
    if (exists) {
        if (char* real = ::realpath(path.constData(), nullptr)) {
            path = real;
            std::free(real);
        }
        if (st.st_size == bytes.size()) {
            Descriptor same(::open(path.constData(), O_RDONLY | O_CLOEXEC));
            QByteArray content;
            if (same.get() >= 0 && readWhole(same.get(), st.st_size, content) && content == bytes)
                return;
        }
        // Read-only even for an administrator: the player marked it so.
        if ((st.st_mode & 0222) == 0) throw readOnlyError(name);
        int fd = ::open(path.constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0 && errno == EACCES) fd = ::open(path.constData(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) throw writeError(name);
        old.reset(fd);
    }
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray dir = slash >= 0 ? path.left(slash + 1) : QByteArray();
    QByteArray tmp = dir + ".kotobaru-XXXXXX";
    Descriptor fd(::mkstemp(tmp.data()));
    if (fd.get() < 0) {
        if (!exists) throw writeError(name);
        return rewriteInPlace(name, old.get(), bytes, st.st_size);
    }
    mode_t mode = 0;
    if (exists) {
        struct stat made {};
        const bool sameOwner =
            ::fstat(fd.get(), &made) == 0 && made.st_uid == st.st_uid && made.st_gid == st.st_gid;
        if (st.st_nlink > 1 || (!sameOwner && ::fchown(fd.get(), st.st_uid, st.st_gid) != 0)) {
            fd.close();
            ::unlink(tmp.constData());
            return rewriteInPlace(name, old.get(), bytes, st.st_size);
        }
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = static_cast<mode_t>(0666 & ~mask);
    }
    bool ok = writeAll(fd.get(), bytes) && ::fchmod(fd.get(), mode) == 0 && ::fsync(fd.get()) == 0;
    int err = errno;
    ok = fd.close() && ok;
    if (ok && ::rename(tmp.constData(), path.constData()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(tmp.constData());
        throw writeError(name, err);
    }
}

// One item as the reader reads it, from p, where it is known not to be blank.
struct ItemBounds {
    qsizetype start, end; // the item's bytes, quotes and trailing blanks left out
    qsizetype next;       // after its delimiter
    bool openQuote;       // a quoted item that runs to the end of the file
};

ItemBounds scanItem(QByteArrayView bytes, qsizetype p) {
    const char* d = bytes.data();
    const qsizetype n = bytes.size();
    // Consumes one delimiter at q: a comma, CR LF, a lone CR or a lone LF.
    const auto consumeDelimiter = [&](qsizetype q) {
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
        return {start, end, consumeDelimiter(q), end >= n};
    }
    const qsizetype start = p;
    qsizetype end = start;
    while (end < n && d[end] != ',' && !isLineEnd(d[end]))
        ++end;
    const qsizetype next = consumeDelimiter(end);
    while (end > start && (d[end - 1] == ' ' || d[end - 1] == '\t'))
        --end;
    return {start, end, next, false};
}

// Whether the reader, reading bytes to their end, ends inside a quoted item
// whose closing quote is missing: whatever is appended would become part of it.
bool endsInOpenQuote(QByteArrayView bytes) {
    bool open = false;
    for (qsizetype p = 0;;) {
        while (p < bytes.size() && bytes[p] == ' ')
            ++p;
        if (p >= bytes.size()) return open;
        const ItemBounds item = scanItem(bytes, p);
        open = item.openQuote;
        p = item.next;
    }
}

// How each file the process read to its end, or appended to, ended: whether
// inside an open quote. Knowing it spares an append reading the whole history
// again; a file changed since (by size or time) is read again.
struct KnownEnd {
    dev_t device;
    ino_t inode;
    off_t size;
    timespec modified;
    bool openQuote;
};

std::vector<KnownEnd>& knownEnds() {
    static std::vector<KnownEnd> ends;
    return ends;
}

void rememberEnd(const struct stat& st, bool openQuote) {
    auto& ends = knownEnds();
    std::erase_if(ends,
                  [&](const KnownEnd& e) { return e.device == st.st_dev && e.inode == st.st_ino; });
    ends.push_back({st.st_dev, st.st_ino, st.st_size, st.st_mtim, openQuote});
}

std::optional<bool> knownEnd(const struct stat& st) {
    for (const KnownEnd& e : knownEnds())
        if (e.device == st.st_dev && e.inode == st.st_ino && e.size == st.st_size &&
            e.modified.tv_sec == st.st_mtim.tv_sec && e.modified.tv_nsec == st.st_mtim.tv_nsec)
            return e.openQuote;
    return std::nullopt;
}

// How many bytes of the file's end to look at before an append: enough to find
// the old end-of-file byte and to see whether the text there is code page 932.
constexpr qsizetype kTailBytes = 16 * 1024;

// Where an old editor's end-of-file byte 0x1A stands in tail, when it ends the
// file, followed by nothing but line ends; -1 when it does not.
qsizetype endOfFileMarker(QByteArrayView tail) {
    qsizetype i = tail.size();
    while (i > 0 && isLineEnd(tail[i - 1]))
        --i;
    return i > 0 && tail[i - 1] == '\x1A' ? i - 1 : -1;
}

bool wholeFileIsValidUtf8(int fd, off_t size) {
    QByteArray all;
    return readWhole(fd, size, all) && isValidUtf8(all);
}

// Whether the file open as fd ends inside an open quote, as its reader would
// find reading it to the end. Known from the last read or append of this
// process where the file has not changed since; read whole otherwise.
bool fileEndsInOpenQuote(int fd, const struct stat& st) {
    if (const std::optional<bool> known = knownEnd(st)) return *known;
    QByteArray all;
    if (!readWhole(fd, st.st_size, all)) return false;
    if (const qsizetype marker = endOfFileMarker(all); marker >= 0) all.truncate(marker);
    return endsInOpenQuote(all);
}

Error notShiftJisForAppend(const QString& name) {
    return Error(Error::Kind::NotShiftJis, name,
                 QStringLiteral("このファイルには何も書き足していません。"))
        .advise(QStringLiteral("テキストエディターで文字コードを Shift_JIS にして"
                               "保存し直してください。"));
}

// Appends bytes in one piece, so that they read back at the next start as what
// they are, after everything the file held before: a last line without its line
// end gets one first, a quoted item left open is closed, and an old end-of-file
// byte at the end is replaced. Nothing is appended to a file that is not code
// page 932 text. On failure the file is put back as it was. An exclusive lock
// keeps two instances from interleaving.
void appendToFile(const QString& name, const QByteArray& bytes) {
    const QByteArray path = pathOf(name);
    struct stat before {};
    const bool existed = ::stat(path.constData(), &before) == 0;
    int raw = ::open(path.constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (raw < 0 && errno == EACCES) raw = ::open(path.constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (raw < 0 && existed && (before.st_mode & 0222) == 0) throw readOnlyError(name);
    if (raw < 0) throw writeError(name);
    Descriptor fd(raw);
    struct stat st {};
    const bool regular = ::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode);
    if (!regular) { // a device, say: nothing to look at
        const bool ok = writeAll(fd.get(), bytes);
        const int err = errno;
        if (!fd.close() || !ok) throw writeError(name, err);
        return;
    }
    if ((st.st_mode & 0222) == 0) throw readOnlyError(name);
    (void)::flock(fd.get(), LOCK_EX);
    (void)::fstat(fd.get(), &st);
    off_t size = st.st_size;

    // The end of the file, unless it cannot be read (write permission only):
    // then the bytes are appended as they are.
    QByteArray tail;
    bool readable = true, openQuote = false;
    if (size > 0) {
        const qsizetype want = static_cast<qsizetype>(std::min<off_t>(size, kTailBytes));
        tail.resize(want);
        QByteArray head(3, '\0');
        readable = readAt(fd.get(), tail.data(), want, size - want) &&
                   readAt(fd.get(), head.data(), std::min<qsizetype>(3, want), 0);
        if (!readable) {
            tail.clear();
        } else {
            // Checked from a line start: a window opening inside a character would misread it.
            const qsizetype from = want < size ? tail.indexOf('\n') + 1 : 0;
            if (head == "\xEF\xBB\xBF" ||
                checkCp932(QByteArrayView(tail).sliced(from)).fault != EncodingCheck::Fault::None)
                throw notShiftJisForAppend(name);
            openQuote = fileEndsInOpenQuote(fd.get(), st);
        }
    }
    // Code page 932 text can happen to be valid UTF-8 too (a level-2 kanji before
    // a full-width digit, say). Added to a file that is all valid UTF-8 so far
    // (empty, or ASCII), such a line would make the reader refuse the whole file.
    if (readable && checkCp932(bytes).fault == EncodingCheck::Fault::Utf8 &&
        (tail.size() == size ? isValidUtf8(tail) : wholeFileIsValidUtf8(fd.get(), size))) {
        if (!existed) ::unlink(path.constData());
        throw Error(Error::Kind::CannotWrite, name,
                    QStringLiteral("書き足すとファイル全体が UTF-8 と見分けられなくなるため、"
                                   "書き足していません。"));
    }
    QByteArray removed; // the end-of-file byte and the line ends after it
    if (const qsizetype marker = endOfFileMarker(tail); marker >= 0) {
        removed = tail.mid(marker);
        tail.truncate(marker);
        if (::ftruncate(fd.get(), size - removed.size()) != 0) throw writeError(name);
        size -= removed.size();
        if (tail.isEmpty() && size > 0) { // the window held nothing before the marker
            tail.resize(1);
            if (!readAt(fd.get(), tail.data(), 1, size - 1)) tail.clear();
        }
    }
    QByteArray out;
    out.reserve(bytes.size() + 3);
    // A comma at the end already ended the last item, so the next one starts
    // right after it; a line end there would read as one more, empty, item.
    if (openQuote)
        out += "\"\r\n"; // ends the item where the reader ended it: at the end of the file
    else if (!tail.isEmpty() && !isLineEnd(tail.back()) && tail.back() != ',')
        out += "\r\n";
    out += bytes;
    bool ok = writeAll(fd.get(), out) && ::fsync(fd.get()) == 0;
    const int err = errno;
    if (!ok && ::ftruncate(fd.get(), size) == 0 && !removed.isEmpty())
        (void)writeAll(fd.get(), removed);
    if (ok && ::fstat(fd.get(), &st) == 0) rememberEnd(st, endsInOpenQuote(bytes));
    ok = fd.close() && ok;
    if (!ok) {
        if (!existed) ::unlink(path.constData());
        throw writeError(name, err);
    }
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

void SequentialFile::openRead(const QString& name) {
    close();
    name_ = name;
    const QByteArray path = pathOf(name);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) throw Error(Kind::FileNotFound, name);
    if (fd < 0 && (errno == EACCES || errno == EPERM))
        throw Error(Kind::CannotRead, name,
                    QStringLiteral("読み取りが許可されていません。"
                                   "ファイルの権限で読み取りを許可してください。"));
    if (fd < 0) throw Error(Kind::CannotRead, name);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        throw Error(Kind::CannotRead, name,
                    QStringLiteral("同じ名前のフォルダーがあります。"
                                   "フォルダーの名前を変えて、ファイルを置いてください。"));
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
            throw Error(Kind::CannotRead, name,
                        QStringLiteral("ファイルが大きすぎます。ゲームのファイルなのか確かめて、"
                                       "ちがうものなら元のファイルに戻してください。"));
        }
        data.append(buf, n);
    }
    ::close(fd);
    // An old editor's end-of-file byte, and any line ends after it, are no data.
    if (const qsizetype marker = endOfFileMarker(data); marker >= 0) data.truncate(marker);
    checkEncoding(data, name);
    data_ = std::move(data);
    pos_ = 0;
    itemStart_ = 0;
    opened_ = st;
    endsInOpenQuote_ = false;
    mode_ = Mode::Read;
}

int SequentialFile::lineAt(QByteArrayView bytes, qsizetype pos) {
    int line = 1;
    const char* d = bytes.data();
    pos = std::min(pos, bytes.size());
    for (qsizetype i = 0; i < pos; ++i)
        if (d[i] == '\n' || (d[i] == '\r' && (i + 1 >= bytes.size() || d[i + 1] != '\n'))) ++line;
    return line;
}

bool SequentialFile::restIsBlank(qsizetype position) const {
    for (qsizetype i = position; i < data_.size(); ++i)
        if (!isBlank(data_[i]) && !isLineEnd(data_[i])) return false;
    return true;
}

void SequentialFile::checkEncoding(QByteArrayView bytes, const QString& name) {
    using Fault = EncodingCheck::Fault;
    const EncodingCheck check = checkCp932(bytes);
    if (check.fault == Fault::None) return;
    const QString advice =
        QStringLiteral("テキストエディターで文字コードを Shift_JIS にして保存し直してください。");
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
    throw Error(Error::Kind::NotShiftJis, name, detail)
        .at(lineAt(bytes, check.offset))
        .advise(advice);
}

void SequentialFile::openRewrite(const QString& name) {
    openWrite(name, Mode::Rewrite);
}

void SequentialFile::openAppend(const QString& name) {
    openWrite(name, Mode::Append);
}

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

void SequentialFile::readFrom(const QByteArray& bytes, qsizetype position) {
    close();
    data_ = bytes;
    pos_ = position;
    itemStart_ = position;
    // No file of its own: closing must not record how a file ends.
    opened_ = {};
    endsInOpenQuote_ = false;
    mode_ = Mode::Read;
}

QByteArrayView SequentialFile::nextItem() {
    if (mode_ != Mode::Read) throw Error(Kind::CannotRead, name_);
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

QString SequentialFile::readString() {
    const QByteArrayView item = nextItem();
    return decodeCp932(item.data(), item.size());
}

void SequentialFile::readString(QString& into) {
    decodeCp932(nextItem(), into);
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

void SequentialFile::close() {
    const Mode mode = mode_;
    mode_ = Mode::Closed;
    QByteArray data = std::move(data_);
    data_.clear();
    // A file read to its end: an append need not read it again to know how it ends.
    if (mode == Mode::Read && pos_ >= data.size() && S_ISREG(opened_.st_mode))
        rememberEnd(opened_, endsInOpenQuote_);
    pos_ = 0;
    if (mode == Mode::Rewrite)
        replaceFile(name_, data);
    else if (mode == Mode::Append && !data.isEmpty())
        appendToFile(name_, data);
}

} // namespace kb
