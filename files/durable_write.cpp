#include "durable_write.h"

#include "descriptor.h"
#include "file_io.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>

// Defined only by tests: a rewrite reached the named point; unnamed
// temporaries are not to be used. The program itself defines neither.
extern "C" __attribute__((weak)) void kbRewriteReached(const char* point);
extern "C" __attribute__((weak)) bool kbWithoutUnnamedTemporaries();

namespace kb {
namespace {

constexpr char kTemporaryPrefix[] = ".kotobaru-";
constexpr int kTemporaryRandom = 6; // as mkstemp's XXXXXX

void reached(const char* point) {
    if (kbRewriteReached) kbRewriteReached(point);
}

bool isTemporaryName(const char* name) {
    const size_t prefix = sizeof kTemporaryPrefix - 1;
    if (std::strncmp(name, kTemporaryPrefix, prefix) != 0) return false;
    int n = 0;
    for (const char* p = name + prefix; *p; ++p, ++n)
        if (!std::isalnum(static_cast<unsigned char>(*p))) return false;
    return n == kTemporaryRandom;
}

// The folder a file is in, with its slash; "./" for a bare name.
QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash >= 0 ? path.left(slash + 1) : QByteArrayLiteral("./");
}

QByteArray followLink(const QByteArray& path) {
    QByteArray real = path;
    if (char* resolved = ::realpath(path.constData(), nullptr)) {
        real = resolved;
        std::free(resolved);
    }
    return real;
}

QByteArray randomTemporaryName(const QByteArray& folder) {
    static const char chars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char random[kTemporaryRandom] = {};
    (void)::getrandom(random, sizeof random, 0);
    QByteArray name = folder + kTemporaryPrefix;
    for (unsigned char r : random)
        name += chars[r % (sizeof chars - 1)];
    return name;
}

// The new content on its way in. A named temporary is locked from the moment
// it exists until it is renamed or removed, so that the start-up of another
// instance sharing the folder leaves it alone.
class Temporary {
public:
    explicit Temporary(const QByteArray& folder) : folder_(folder) {
        if (!makeUnnamed()) makeNamed();
    }
    ~Temporary() {
        if (!name_.isEmpty()) ::unlink(name_.constData());
    }
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;

    bool made() const { return fd_.valid(); }
    int error() const { return error_; }
    int fd() const { return fd_.get(); }
    // Puts the complete content in place of path; returns 0 or errno.
    int replace(const QByteArray& path);

private:
    bool makeUnnamed();
    void makeNamed();
    int link();

    QByteArray folder_;
    Descriptor fd_;
    QByteArray name_; // while a named temporary exists
    int error_ = 0;
};

bool Temporary::makeUnnamed() {
    if (kbWithoutUnnamedTemporaries && kbWithoutUnnamedTemporaries()) return false;
    // Linked by its /proc name once complete; without /proc there is no way to.
    if (::access("/proc/self/fd", X_OK) != 0) return false;
    fd_.reset(::open(folder_.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (!fd_.valid()) return false; // not every file system offers one
    (void)::flock(fd_.get(), LOCK_EX);
    reached("unnamed temporary made");
    return true;
}

void Temporary::makeNamed() {
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray name = folder_ + kTemporaryPrefix + QByteArray(kTemporaryRandom, 'X');
        fd_.reset(::mkostemp(name.data(), O_CLOEXEC));
        if (!fd_.valid()) {
            error_ = errno;
            return;
        }
        reached("named temporary made");
        (void)::flock(fd_.get(), LOCK_EX);
        // Another instance's start-up may have removed it before the lock.
        struct stat held {
        }, named{};
        if (::fstat(fd_.get(), &held) == 0 && ::stat(name.constData(), &named) == 0 &&
            held.st_ino == named.st_ino && held.st_dev == named.st_dev) {
            name_ = std::move(name);
            return;
        }
    }
    fd_.close();
    error_ = EEXIST;
}

int Temporary::link() {
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd_.get());
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray name = randomTemporaryName(folder_);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) ==
            0) {
            name_ = std::move(name);
            return 0;
        }
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

int Temporary::replace(const QByteArray& path) {
    // A name can only be given to a new file, and rename needs one: the unnamed
    // temporary gets a name of ours just before it replaces the file.
    if (name_.isEmpty()) {
        if (const int err = link(); err != 0) return err;
        reached("unnamed temporary linked");
    }
    if (::rename(name_.constData(), path.constData()) != 0) return errno;
    name_.clear();
    return 0;
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

void writeDirectly(const QString& name, const QByteArray& path, const QByteArray& bytes) {
    Descriptor fd(::open(path.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    if (!fd.valid()) throw writeError(name);
    const bool ok = writeAll(fd.get(), bytes);
    const int err = errno;
    if (!fd.close() || !ok) throw writeError(name, err);
}

bool holdsAlready(const QByteArray& path, const struct stat& st, const QByteArray& bytes) {
    if (st.st_size != bytes.size()) return false;
    Descriptor same(::open(path.constData(), O_RDONLY | O_CLOEXEC));
    QByteArray content;
    return same.valid() && readWhole(same.get(), st.st_size, content) && content == bytes;
}

// The existing file, open to be written in place should that be needed.
Descriptor openExisting(const QString& name, const QByteArray& path) {
    Descriptor fd(::open(path.constData(), O_RDWR | O_CLOEXEC));
    if (!fd.valid() && errno == EACCES) fd.reset(::open(path.constData(), O_WRONLY | O_CLOEXEC));
    if (!fd.valid()) throw writeError(name);
    return fd;
}

// The mode a new file gets: the old one's, or what the umask leaves of 0666.
mode_t modeFor(bool exists, const struct stat& st) {
    if (exists) return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

bool giveOwner(int fd, const struct stat& st) {
    struct stat made {};
    const bool same =
        ::fstat(fd, &made) == 0 && made.st_uid == st.st_uid && made.st_gid == st.st_gid;
    return same || ::fchown(fd, st.st_uid, st.st_gid) == 0;
}

void fillAndReplace(const QString& name, Temporary& tmp, const QByteArray& path,
                    const QByteArray& bytes, mode_t mode) {
    const bool ok =
        writeAll(tmp.fd(), bytes) && ::fchmod(tmp.fd(), mode) == 0 && ::fsync(tmp.fd()) == 0;
    if (!ok) throw writeError(name);
    reached("temporary written");
    if (const int err = tmp.replace(path); err != 0) throw writeError(name, err);
}

// A leftover temporary, unless a running instance holds its lock.
void removeIfUnheld(int folder, const char* entry) {
    Descriptor fd(::openat(folder, entry, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        fd.reset(::openat(folder, entry, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat held {
    }, named{};
    if (!fd.valid() || ::fstat(fd.get(), &held) != 0 || !S_ISREG(held.st_mode)) return;
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return;
    if (::fstatat(folder, entry, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_ino == held.st_ino &&
        named.st_dev == held.st_dev)
        (void)::unlinkat(folder, entry, 0);
}

void removeLeftoversIn(const QByteArray& folder) {
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir))
        if (isTemporaryName(entry->d_name)) removeIfUnheld(::dirfd(dir), entry->d_name);
    ::closedir(dir);
}

} // namespace

void replaceFile(const QString& name, const QByteArray& bytes) {
    QByteArray path = pathOf(name);
    struct stat st {};
    const bool exists = ::stat(path.constData(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) return writeDirectly(name, path, bytes);
    Descriptor old;
    if (exists) {
        path = followLink(path);
        if (holdsAlready(path, st, bytes)) return;
        // Read-only even for an administrator: the player marked it so.
        if ((st.st_mode & 0222) == 0) throw readOnlyError(name);
        old = openExisting(name, path);
        // A second name must keep showing the same content.
        if (st.st_nlink > 1) return rewriteInPlace(name, old.get(), bytes, st.st_size);
    }
    Temporary tmp(folderOf(path));
    if (!tmp.made() && !exists) throw writeError(name, tmp.error());
    if (!tmp.made() || (exists && !giveOwner(tmp.fd(), st)))
        return rewriteInPlace(name, old.get(), bytes, st.st_size);
    fillAndReplace(name, tmp, path, bytes, modeFor(exists, st));
}

void removeLeftoverTemporaries(const QStringList& names) {
    std::set<QByteArray> folders;
    for (const QString& name : names)
        folders.insert(folderOf(followLink(pathOf(name))));
    for (const QByteArray& folder : folders)
        removeLeftoversIn(folder);
}

} // namespace kb
