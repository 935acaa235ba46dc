#pragma once

#include "core/error.h"

#include <cerrno>
#include <QByteArray>
#include <QString>
#include <sys/types.h>

namespace kb {

// Low-level reads and writes that the reader and the durable writes share.

// No file of the game comes near this; a device that never ends must not hang a read.
constexpr qsizetype kMaxReadBytes = 32 * 1024 * 1024;
// 出題記録.txt grows by a line per question: 36 MB for the most rounds the
// history holds at twenty questions each, and room for longer rounds.
constexpr qsizetype kMaxQuestionLogBytes = 256 * 1024 * 1024;

QByteArray pathOf(const QString& name);
bool writeAll(int fd, const char* p, qsizetype left);
inline bool writeAll(int fd, const QByteArray& bytes) {
    return writeAll(fd, bytes.constData(), bytes.size());
}
bool readAt(int fd, char* p, qsizetype size, off_t offset);
// The whole of fd from its start, for files small enough to keep in memory.
bool readWhole(int fd, off_t size, QByteArray& out);

// A write error that says why, from errno, and what the player can do.
Error writeError(const QString& name, int error = errno);
Error readOnlyError(const QString& name);

} // namespace kb
