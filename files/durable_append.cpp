#include "cp932.h"
#include "descriptor.h"
#include "durable_write.h"
#include "file_io.h"
#include "item_syntax.h"
#include "known_ends.h"

#include <algorithm>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>

namespace kb {
namespace {

// How many bytes of the file's end to look at before an append: enough to find
// the old end-of-file byte and to see whether the text there is code page 932.
constexpr qsizetype kTailBytes = 16 * 1024;

Error notShiftJisForAppend(const QString& name) {
    return Error(Error::Kind::NotShiftJis, name,
                 QStringLiteral("このファイルには何も書き足していません。"))
        .advise(QStringLiteral("テキストエディターで文字コードを Shift_JIS にして"
                               "保存し直してください。"));
}

// The file to append to, locked against another instance's append.
struct AppendTarget {
    QString name;
    QByteArray path;
    bool existed = false;
    Descriptor fd;
    struct stat st {};
    KnownEnds* ends = nullptr;
};

void openForAppend(AppendTarget& t) {
    struct stat before {};
    t.existed = ::stat(t.path.constData(), &before) == 0;
    t.fd.reset(::open(t.path.constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
    if (!t.fd.valid() && errno == EACCES)
        t.fd.reset(::open(t.path.constData(), O_WRONLY | O_APPEND | O_CLOEXEC));
    if (!t.fd.valid() && t.existed && (before.st_mode & 0222) == 0) throw readOnlyError(t.name);
    if (!t.fd.valid()) throw writeError(t.name);
    (void)::fstat(t.fd.get(), &t.st);
}

// What the end of the file holds, unless it cannot be read (write permission only).
struct Tail {
    QByteArray bytes;
    bool readable = true;
    bool openQuote = false;
};

// Whether the file ends inside an open quote, as its reader would find reading
// it to the end: known where the file has not changed since this process last
// read or appended to it; read whole otherwise.
bool fileEndsInOpenQuote(const AppendTarget& t) {
    if (t.ends)
        if (const std::optional<bool> known = t.ends->find(t.st)) return *known;
    QByteArray all;
    if (!readWhole(t.fd.get(), t.st.st_size, all)) return false;
    if (const qsizetype marker = endOfFileMarker(all); marker >= 0) all.truncate(marker);
    return endsInOpenQuote(all);
}

Tail readTail(const AppendTarget& t) {
    Tail tail;
    const off_t size = t.st.st_size;
    if (size == 0) return tail;
    const qsizetype want = static_cast<qsizetype>(std::min<off_t>(size, kTailBytes));
    tail.bytes.resize(want);
    QByteArray head(3, '\0');
    tail.readable = readAt(t.fd.get(), tail.bytes.data(), want, size - want) &&
                    readAt(t.fd.get(), head.data(), std::min<qsizetype>(3, want), 0);
    if (!tail.readable) {
        tail.bytes.clear();
        return tail;
    }
    // Checked from a line start: a window opening inside a character would misread it.
    const qsizetype from = want < size ? tail.bytes.indexOf('\n') + 1 : 0;
    if (head == "\xEF\xBB\xBF" ||
        checkCp932(QByteArrayView(tail.bytes).sliced(from)).fault != EncodingCheck::Fault::None)
        throw notShiftJisForAppend(t.name);
    tail.openQuote = fileEndsInOpenQuote(t);
    return tail;
}

// Code page 932 text can happen to be valid UTF-8 too (a level-2 kanji before
// a full-width digit, say). Added to a file that is all valid UTF-8 so far
// (empty, or ASCII), such a line would make the reader refuse the whole file.
void refuseWhatWouldReadAsUtf8(const AppendTarget& t, const Tail& tail, const QByteArray& bytes) {
    if (!tail.readable || checkCp932(bytes).fault != EncodingCheck::Fault::Utf8) return;
    QByteArray all;
    const bool wholeIsUtf8 = tail.bytes.size() == t.st.st_size
                                 ? isValidUtf8(tail.bytes)
                                 : readWhole(t.fd.get(), t.st.st_size, all) && isValidUtf8(all);
    if (!wholeIsUtf8) return;
    if (!t.existed) ::unlink(t.path.constData());
    throw Error(Error::Kind::CannotWrite, t.name,
                QStringLiteral("書き足すとファイル全体が UTF-8 と見分けられなくなるため、"
                               "書き足していません。"));
}

// Cuts an old end-of-file byte, and the line ends after it, off the file;
// returns what was cut, to be put back should the append fail.
QByteArray removeEndMarker(AppendTarget& t, Tail& tail) {
    const qsizetype marker = endOfFileMarker(tail.bytes);
    if (marker < 0) return {};
    const QByteArray removed = tail.bytes.mid(marker);
    tail.bytes.truncate(marker);
    const off_t size = t.st.st_size - removed.size();
    if (::ftruncate(t.fd.get(), size) != 0) throw writeError(t.name);
    t.st.st_size = size;
    if (tail.bytes.isEmpty() && size > 0) { // the window held nothing before the marker
        tail.bytes.resize(1);
        if (!readAt(t.fd.get(), tail.bytes.data(), 1, size - 1)) tail.bytes.clear();
    }
    return removed;
}

// What goes before the new bytes so that they start a line of their own. A
// comma at the end already ended the last item, so the next one starts right
// after it; a line end there would read as one more, empty, item.
QByteArray lineStart(const Tail& tail) {
    if (tail.openQuote) return "\"\r\n"; // ends the item where the reader ended it: at the end
    if (!tail.bytes.isEmpty() && !isLineEnd(tail.bytes.back()) && tail.bytes.back() != ',')
        return "\r\n";
    return {};
}

void writeOrPutBack(AppendTarget& t, const QByteArray& out, const QByteArray& removed,
                    bool endsOpen, AppendMark& mark) {
    const off_t size = t.st.st_size;
    bool ok = writeAll(t.fd.get(), out) && ::fsync(t.fd.get()) == 0;
    const int err = errno;
    mark.name = t.name;
    mark.made = ok;
    mark.created = !t.existed;
    mark.sizeBefore = size;
    mark.sizeAfter = size + static_cast<off_t>(out.size());
    mark.replaced = removed;
    mark.device = t.st.st_dev;
    mark.inode = t.st.st_ino;
    if (!ok && ::ftruncate(t.fd.get(), size) == 0 && !removed.isEmpty())
        (void)writeAll(t.fd.get(), removed);
    if (ok && t.ends && ::fstat(t.fd.get(), &t.st) == 0) t.ends->remember(t.st, endsOpen);
    ok = t.fd.close() && ok;
    if (!ok) {
        if (!t.existed) ::unlink(t.path.constData());
        throw writeError(t.name, err);
    }
}

} // namespace

AppendMark appendToFile(const QString& name, const QByteArray& bytes, KnownEnds* ends) {
    AppendMark mark;
    AppendTarget t;
    t.name = name;
    t.path = pathOf(name);
    t.ends = ends;
    openForAppend(t);
    if (!S_ISREG(t.st.st_mode)) { // a device, say: nothing to look at
        const bool ok = writeAll(t.fd.get(), bytes);
        const int err = errno;
        if (!t.fd.close() || !ok) throw writeError(name, err);
        return mark;
    }
    if ((t.st.st_mode & 0222) == 0) throw readOnlyError(name);
    (void)::flock(t.fd.get(), LOCK_EX);
    (void)::fstat(t.fd.get(), &t.st);
    Tail tail = readTail(t);
    refuseWhatWouldReadAsUtf8(t, tail, bytes);
    const QByteArray removed = removeEndMarker(t, tail);
    writeOrPutBack(t, lineStart(tail) + bytes, removed, endsInOpenQuote(bytes), mark);
    return mark;
}

bool takeBackAppend(const AppendMark& mark) {
    if (!mark.made) return true;
    const QByteArray path = pathOf(mark.name);
    Descriptor fd(::open(path.constData(), O_WRONLY | O_APPEND | O_CLOEXEC));
    struct stat st {};
    if (!fd.valid()) return false;
    (void)::flock(fd.get(), LOCK_EX);
    if (::fstat(fd.get(), &st) != 0 || st.st_dev != mark.device || st.st_ino != mark.inode ||
        st.st_size != mark.sizeAfter)
        return false;
    if (mark.created) return ::unlink(path.constData()) == 0;
    const bool ok = ::ftruncate(fd.get(), mark.sizeBefore) == 0 &&
                    writeAll(fd.get(), mark.replaced) && ::fsync(fd.get()) == 0;
    return fd.close() && ok;
}

} // namespace kb
