#include "file_io.h"

#include <QFile>
#include <unistd.h>

namespace kb {

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

bool readWhole(int fd, off_t size, QByteArray& out) {
    if (size > kMaxReadBytes) return false;
    out.resize(static_cast<qsizetype>(size));
    return readAt(fd, out.data(), out.size(), 0);
}

Error writeError(const QString& name, int error) {
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

} // namespace kb
