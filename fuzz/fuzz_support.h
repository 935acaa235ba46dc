#pragma once

// Shared by the harnesses: the loaders open files by bare name, so each fuzzing
// process works in a scratch directory of its own and writes every input there.

#include "core/error.h"
#include "files/cp932.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <initializer_list>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kb::fuzz {

// A broken property is a finding: abort so libFuzzer keeps the input.
[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

inline void check(bool ok, const char* what) {
    if (!ok) fail(what);
}

inline QByteArray scratchDir;

inline void removeScratch() {
    if (scratchDir.isEmpty()) return;
    if (DIR* d = ::opendir(scratchDir.constData())) {
        while (const dirent* e = ::readdir(d)) {
            const QByteArray name(e->d_name);
            if (name != "." && name != "..") ::unlink((scratchDir + '/' + name).constData());
        }
        ::closedir(d);
    }
    ::rmdir(scratchDir.constData());
}

// Called from LLVMFuzzerInitialize, which libFuzzer runs before it reads its
// arguments: corpus folders and file flags given relative to the starting
// folder are made absolute here, as the harness then moves to its own.
inline void enterScratchDir(int argc, char** argv) {
    static std::vector<QByteArray> absolute; // argv keeps pointing into these
    absolute.reserve(static_cast<size_t>(argc));
    const QByteArray here = QFile::encodeName(QDir::currentPath()) + '/';
    for (int i = 1; i < argc; ++i) {
        QByteArray arg(argv[i]);
        qsizetype at = 0;
        for (const char* flag : {"-artifact_prefix=", "-exact_artifact_path=", "-dict="})
            if (arg.startsWith(flag)) at = qsizetype(std::strlen(flag));
        if ((at == 0 && arg.startsWith('-')) || arg.size() == at || arg[at] == '/') continue;
        arg.insert(at, here);
        absolute.push_back(arg);
        argv[i] = absolute.back().data();
    }
    QByteArray pattern = QFile::encodeName(QDir::tempPath()) + "/kotobaru-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data()) || ::chdir(pattern.constData()) != 0)
        fail("cannot make a scratch directory");
    char* real = ::realpath(pattern.constData(), nullptr); // as /proc/self/fd shows it
    scratchDir = real ? QByteArray(real) : pattern;
    std::free(real);
    std::atexit(removeScratch);
}

// No descriptor of the process points into the scratch directory. (Counting
// descriptors would not do: libFuzzer's symbolizer opens pipes as it goes.)
inline void checkNoFileLeftOpen() {
    DIR* d = ::opendir("/proc/self/fd");
    if (!d) return;
    bool ok = true;
    char target[4096];
    while (const dirent* e = ::readdir(d)) {
        const QByteArray link = QByteArray("/proc/self/fd/") + e->d_name;
        const ssize_t n = ::readlink(link.constData(), target, sizeof target);
        ok = ok && !(n > 0 && QByteArray(target, n).startsWith(scratchDir + '/'));
    }
    ::closedir(d);
    check(ok, "a file was left open");
}

// Every name in the scratch directory is one of those given: a rewrite
// leaves no temporary file behind.
inline void checkOnlyFiles(std::initializer_list<QString> names) {
    DIR* d = ::opendir(".");
    check(d != nullptr, "cannot list the scratch directory");
    bool ok = true;
    while (const dirent* e = ::readdir(d)) {
        const QString name = QFile::decodeName(e->d_name);
        if (name == QLatin1String(".") || name == QLatin1String("..")) continue;
        bool known = false;
        for (const QString& n : names)
            known = known || n == name;
        ok = ok && known;
    }
    ::closedir(d);
    check(ok, "a stray file was left in the directory");
}

// Gives the file a modification time of its own in 1970: a write after this
// shows, even within the clock tick that wrote the file.
inline void backdate(const QString& name) {
    static time_t stamp = 0;
    const timespec times[2] = {{0, UTIME_OMIT}, {++stamp, 0}};
    check(::utimensat(AT_FDCWD, QFile::encodeName(name).constData(), times, 0) == 0,
          "cannot set a file time");
}

inline struct stat statOf(const QString& name) {
    struct stat st {};
    check(::stat(QFile::encodeName(name).constData(), &st) == 0, "cannot stat a file");
    return st;
}

inline void writeInput(const QString& name, const std::uint8_t* data, size_t size) {
    const int fd =
        ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    check(fd >= 0, "cannot write the input file");
    const char* p = reinterpret_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        check(n > 0, "cannot write the input file");
        p += n;
        size -= static_cast<size_t>(n);
    }
    ::close(fd);
}

// A fresh file under name with the input: a new inode and a time no real write
// gives, so nothing the process remembers of an earlier file applies to it.
inline void writeFreshInput(const QString& name, const std::uint8_t* data, size_t size) {
    ::unlink(QFile::encodeName(name).constData());
    writeInput(name, data, size);
    backdate(name);
}

inline QByteArray fileBytes(const QString& name) {
    QFile f(name);
    check(f.open(QIODevice::ReadOnly), "cannot read back a file");
    return f.readAll();
}

inline bool isOneOf(Error::Kind kind, std::initializer_list<Error::Kind> kinds) {
    for (Error::Kind k : kinds)
        if (k == kind) return true;
    return false;
}

// The line a position falls on, from 1; CR LF, a lone CR and a lone LF each
// end one. Counted apart from the reader's own count, which the messages use.
inline int lineOf(QByteArrayView bytes, qsizetype pos) {
    QByteArray before = bytes.first(pos).toByteArray();
    before.replace("\r\n", "\n").replace('\r', '\n');
    return int(before.count('\n')) + 1;
}

// An error points into the file: a line from 1 to the last one.
inline void checkLine(const Error& e, QByteArrayView bytes) {
    check(e.line() >= 1 && e.line() <= lineOf(bytes, bytes.size()),
          "the error names no line of the file");
}

// Some code page 932 text is valid UTF-8 too; the program refuses to write
// such a line into a file that would then read as UTF-8 as a whole.
inline bool looksUtf8(const QString& text) {
    return checkCp932(encodeCp932(text)).fault == EncodingCheck::Fault::Utf8;
}

// A string the record writer puts between quotes reads back whole only
// without a quote of its own (the format has no escape).
inline bool quotable(const QString& text) {
    return !text.contains(QLatin1Char('"'));
}

} // namespace kb::fuzz
