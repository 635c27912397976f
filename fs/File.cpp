#include "fs/File.h"

#include "fs/FileName.h"

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

// Copies the source's content from in to out; false on any error. As many
// bytes as the source had when it was opened: a file that grows meanwhile
// does not hold the copy up.
bool copyContent(int in, int out, const struct stat& source)
{
    // In the kernel where the file system allows it. A file that reports no
    // size (some pseudo files do) may still have content, which only read sees.
    qint64 left = source.st_size;
    while (left > 0) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size_t(left), 0);
        if (n > 0) {
            left -= n;
            continue;
        }
        if (n == 0)
            return true; // it shrank
        if (errno == EINTR)
            continue;
        if (left != source.st_size
            || (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP && errno != EPERM
                && errno != ETXTBSY))
            return false;
        break;
    }
    if (left == 0 && source.st_size > 0)
        return true;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (!writeAll(out, buffer, n))
            return false;
    }
}

// Gives the finished temporary file its name unless something stands there.
bool renameNew(int directory, const char* temporary, const char* name)
{
    if (::renameat2(directory, temporary, directory, name, RENAME_NOREPLACE) == 0)
        return true;
    // File systems without RENAME_NOREPLACE still refuse to link over an entry.
    if (errno == EINVAL && ::linkat(directory, temporary, directory, name, 0) == 0) {
        ::unlinkat(directory, temporary, 0);
        return true;
    }
    return false;
}

// The process's umask, read once: reading it means setting it, and the
// program never changes it.
mode_t fileCreationMask()
{
    static const mode_t mask = [] {
        const mode_t current = ::umask(0);
        ::umask(current);
        return current;
    }();
    return mask;
}

mode_t newFileMode()
{
    return 0666 & ~fileCreationMask();
}

} // namespace

ReadResult readFile(const QString& path, qint64 limit)
{
    return readFileAt(AT_FDCWD, encodeName(path).constData(), limit);
}

ReadResult readFileAt(int directory, const char* name, qint64 limit)
{
    ReadResult result;
    Descriptor fd(::openat(directory, name, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
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

    // The size is a hint: the file may grow or shrink while it is read. One
    // byte more than the size is asked for, so that a short read of a regular
    // file tells its end without another call.
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
        const qint64 wanted = bytes.size() - used;
        const ssize_t n = ::read(fd.get(), bytes.data() + used, size_t(wanted));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return result;
        }
        used += n;
        if (n == 0 || n < wanted)
            break;
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

namespace {

bool writeFileBool(const QString& path, const QByteArray& bytes, Existing existing)
{
    const QByteArray target = QFile::encodeName(path);
    QByteArray temporary = temporaryBeside(target);

    Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0)
        return false;

    struct stat old;
    const bool replacing = ::lstat(target.constData(), &old) == 0 && S_ISREG(old.st_mode);
    const mode_t mode = replacing ? old.st_mode & 07777 : newFileMode();

    // The bytes are on disk before the name is: after a crash the name holds
    // the old file or the whole new one, never an empty file that a later
    // run would take as complete.
    const bool ok = ::fchmod(fd.get(), mode) == 0 && writeAll(fd.get(), bytes.constData(), bytes.size())
        && ::fsync(fd.get()) == 0 && fd.close();
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

bool keepCopyBool(const QString& path, const QString& copy)
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
    const bool ok = ::fchmod(fd.get(), st.st_mode & 07777) == 0 && copyContent(in.get(), fd.get(), st)
        && ::fsync(fd.get()) == 0 && fd.close() && ::rename(temporary.constData(), target.constData()) == 0;
    if (!ok)
        ::unlink(temporary.constData());
    return ok;
}

bool copyNewFileBool(int from, const char* name, int to)
{
    Descriptor in(::openat(from, name, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (in.get() < 0)
        return false;
    struct stat source;
    if (::fstat(in.get(), &source) != 0 || !S_ISREG(source.st_mode))
        return false;

    // Permissions as QFile::copy gives them, which the merge always did.
    const mode_t mode = (source.st_mode & 0777) | S_IWUSR;
    const mode_t mask = fileCreationMask();
    // Hidden, so that a copy cut short by a crash is never merged or read.
    static unsigned counter = 0;
    QByteArray temporary;
    int out = -1;
    for (int attempt = 0; out < 0 && attempt < 100; ++attempt) {
        // Not derived from name, which may already be as long as a name can be.
        temporary = ".fbmanager-copy-" + QByteArray::number(::getpid()) + "-" + QByteArray::number(++counter);
        out = ::openat(to, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (out < 0 && errno != EEXIST)
            return false;
    }
    Descriptor target(out);
    if (target.get() < 0)
        return false;
    const bool ok = copyContent(in.get(), target.get(), source)
        && ((mode & mask) == 0 || ::fchmod(target.get(), mode) == 0) && target.close()
        && renameNew(to, temporary.constData(), name);
    if (!ok)
        ::unlinkat(to, temporary.constData(), 0);
    return ok;
}

WriteResult resultOf(bool ok)
{
    WriteResult result;
    result.status = ok ? WriteResult::Ok : WriteResult::Failed;
    result.error = ok ? 0 : errno;
    return result;
}

} // namespace

WriteResult writeFile(const QString& path, const QByteArray& bytes, Existing existing)
{
    return resultOf(writeFileBool(path, bytes, existing));
}

WriteResult keepCopy(const QString& path, const QString& copy)
{
    return resultOf(keepCopyBool(path, copy));
}

WriteResult copyNewFile(int from, const char* name, int to)
{
    return resultOf(copyNewFileBool(from, name, to));
}

} // namespace fs
