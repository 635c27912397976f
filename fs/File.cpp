#include "fs/File.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs {

namespace {

// Closes a descriptor on every way out of a scope.
class Descriptor
{
public:
    explicit Descriptor(int fd)
        : _fd(fd)
    {
    }
    ~Descriptor()
    {
        if (_fd >= 0)
            ::close(_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return _fd; }
    // Closes now and reports whether the close succeeded: on some file
    // systems a failed write shows only here.
    bool close()
    {
        const int fd = _fd;
        _fd = -1;
        return ::close(fd) == 0;
    }

private:
    int _fd;
};

bool writeAll(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// A template for mkostemp: a hidden name beside path, so that a leftover is
// never taken for the file itself and never merged.
QByteArray temporaryBeside(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray dir = slash < 0 ? QByteArray(".") : path.left(slash);
    const QByteArray base = slash < 0 ? path : path.mid(slash + 1);
    return dir + "/." + base + ".XXXXXX";
}

// Copies the regular file open at from into to, both descriptors.
bool copyAll(int from, int to)
{
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::read(from, buffer.data(), size_t(buffer.size()));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return true;
        if (!writeAll(to, buffer.constData(), n))
            return false;
    }
}

mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

ReadResult readFile(const QString& path, qint64 limit)
{
    ReadResult result;
    const QByteArray name = QFile::encodeName(path);
    Descriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        result.status = errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Failed;
        return result;
    }
    struct stat st;
    if (::fstat(fd.get(), &st) != 0)
        return result;
    if (!S_ISREG(st.st_mode)) {
        result.status = ReadResult::NotRegular;
        return result;
    }
    if (st.st_size > limit) {
        result.status = ReadResult::TooLarge;
        return result;
    }

    // The size is a hint: the file may grow or shrink while it is read.
    QByteArray bytes;
    bytes.resize(qsizetype(st.st_size) + 1);
    qint64 used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (used > limit) {
                result.status = ReadResult::TooLarge;
                return result;
            }
            bytes.resize(qsizetype(qMin<qint64>(limit + 1, used * 2 + 4096)));
        }
        const ssize_t n = ::read(fd.get(), bytes.data() + used, size_t(bytes.size() - used));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return result;
        }
        if (n == 0)
            break;
        used += n;
    }
    if (used > limit) {
        result.status = ReadResult::TooLarge;
        return result;
    }
    bytes.truncate(qsizetype(used));
    result.status = ReadResult::Ok;
    result.bytes = bytes;
    return result;
}

bool writeFile(const QString& path, const QByteArray& bytes, Existing existing)
{
    const QByteArray target = QFile::encodeName(path);
    QByteArray temporary = temporaryBeside(target);

    Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0)
        return false;

    struct stat old;
    const bool replacing = ::lstat(target.constData(), &old) == 0 && S_ISREG(old.st_mode);
    const mode_t mode = replacing ? old.st_mode & 07777 : newFileMode();

    // A replaced file is the user's only copy until the rename: make sure the
    // new bytes are on disk first. A new file costs nothing if it is lost.
    const bool ok = ::fchmod(fd.get(), mode) == 0 && writeAll(fd.get(), bytes.constData(), bytes.size())
        && (existing == Existing::Keep || ::fsync(fd.get()) == 0) && fd.close();
    if (ok) {
        if (existing == Existing::Replace) {
            if (::rename(temporary.constData(), target.constData()) == 0)
                return true;
        } else if (::renameat2(
                       AT_FDCWD, temporary.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE)
            == 0) {
            return true;
        } else if (errno == EINVAL && ::link(temporary.constData(), target.constData()) == 0) {
            // File systems without RENAME_NOREPLACE still refuse to link over an entry.
            ::unlink(temporary.constData());
            return true;
        }
    }
    ::unlink(temporary.constData());
    return false;
}

bool keepCopy(const QString& path, const QString& copy)
{
    const QByteArray source = QFile::encodeName(path);
    const QByteArray target = QFile::encodeName(copy);

    // mkostemp finds a free name; the link needs it free again.
    QByteArray temporary = temporaryBeside(target);
    {
        const Descriptor probe(::mkostemp(temporary.data(), O_CLOEXEC));
        if (probe.get() < 0)
            return false;
        ::unlink(temporary.constData());
    }
    if (::linkat(AT_FDCWD, source.constData(), AT_FDCWD, temporary.constData(), AT_SYMLINK_FOLLOW) == 0) {
        if (::rename(temporary.constData(), target.constData()) == 0)
            return true;
        ::unlink(temporary.constData());
        return false;
    }

    // No hard links here (or across file systems): copy a regular file.
    Descriptor in(::open(source.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat st;
    if (in.get() < 0 || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    temporary = temporaryBeside(target);
    Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0)
        return false;
    const bool ok = ::fchmod(fd.get(), st.st_mode & 07777) == 0 && copyAll(in.get(), fd.get())
        && ::fsync(fd.get()) == 0 && fd.close() && ::rename(temporary.constData(), target.constData()) == 0;
    if (!ok)
        ::unlink(temporary.constData());
    return ok;
}

} // namespace fs
