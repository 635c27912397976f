#include "fs/File.h"

#include "fs/Descriptor.h"
#include "fs/FileName.h"
#include "fs/Interrupted.h"
#include "fs/MakeDirectory.h"
#include "fs/Log.h"
#include "fs/TemporaryFile.h"

#include <QMap>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fs {

namespace {

bool writeAll(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = retryInterrupted([&] { return ::write(fd, data, size_t(size)); });
        if (n < 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
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
        const ssize_t n
            = retryInterrupted([&] { return ::copy_file_range(in, nullptr, out, nullptr, size_t(left), 0); });
        if (n > 0) {
            left -= n;
            continue;
        }
        if (n == 0)
            return true; // it shrank
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
        const ssize_t n = retryInterrupted([&] { return ::read(in, buffer, sizeof buffer); });
        if (n == 0)
            return true;
        if (n < 0)
            return false;
        if (!writeAll(out, buffer, n))
            return false;
    }
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
        const ssize_t n
            = retryInterrupted([&] { return ::read(fd.get(), bytes.data() + used, size_t(wanted)); });
        if (n < 0)
            return result;
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

WriteResult succeeded()
{
    WriteResult result;
    result.status = WriteResult::Ok;
    return result;
}

// Logs the cause, which the user's message box does not show.
WriteResult failed(WriteResult::Status status, int error, const char* step, const QByteArray& path)
{
    // A name that is taken is an answer, not a fault.
    if (status == WriteResult::Exists)
        qCDebug(fsLog).nospace() << step << " " << decodeName(path) << ": " << std::strerror(error);
    else
        qCWarning(fsLog).nospace() << step << " " << decodeName(path) << ": " << std::strerror(error);
    WriteResult result;
    result.status = status;
    result.error = error;
    return result;
}

struct Place
{
    QByteArray directory;
    QByteArray name;
};

Place placeOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return { QByteArrayLiteral("."), path };
    return { slash == 0 ? QByteArrayLiteral("/") : path.left(slash), path.mid(slash + 1) };
}

// Follows the symbolic links at path, as opening it would, to the entry they
// end at: a file, or where a dangling link's target would be. Empty (errno
// ELOOP) for a loop.
QByteArray resolveLinks(QByteArray path)
{
    for (int hop = 0; hop < 40; ++hop) {
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlink(path.constData(), target.data(), size_t(target.size()));
        if (n < 0)
            return path; // no link, or nothing there
        target.truncate(n);
        path = target.startsWith('/') ? target : path.left(path.lastIndexOf('/') + 1) + target;
    }
    errno = ELOOP;
    return {};
}

void syncDirectory(int directory, const QByteArray& path)
{
    if (::fsync(directory) != 0)
        qCInfo(fsLog) << "syncing the directory of" << decodeName(path) << "failed:" << std::strerror(errno);
}

// The extended attributes (ACLs among them) of a file, by name; false when
// they cannot be read. A file system without them has none.
bool readAttributes(const QByteArray& path, int fd, QMap<QByteArray, QByteArray>& attributes)
{
    QByteArray names;
    for (;;) {
        const ssize_t size
            = fd >= 0 ? ::flistxattr(fd, nullptr, 0) : ::listxattr(path.constData(), nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP;
        names.resize(size);
        const ssize_t got = fd >= 0 ? ::flistxattr(fd, names.data(), size_t(size))
                                    : ::listxattr(path.constData(), names.data(), size_t(size));
        if (got >= 0) {
            names.truncate(got);
            break;
        }
        if (errno != ERANGE)
            return false;
    }
    for (const QByteArray& name : names.split('\0')) {
        if (name.isEmpty())
            continue;
        QByteArray value;
        for (;;) {
            const ssize_t size = fd >= 0 ? ::fgetxattr(fd, name.constData(), nullptr, 0)
                                         : ::getxattr(path.constData(), name.constData(), nullptr, 0);
            if (size < 0)
                return false;
            value.resize(size);
            const ssize_t got = fd >= 0
                ? ::fgetxattr(fd, name.constData(), value.data(), size_t(size))
                : ::getxattr(path.constData(), name.constData(), value.data(), size_t(size));
            if (got >= 0) {
                value.truncate(got);
                break;
            }
            if (errno != ERANGE)
                return false;
        }
        attributes.insert(name, value);
    }
    return true;
}

// Gives the new file at fd what the user set on the old one: owner, group,
// mode, ACL and extended attributes, and nothing more (no ACL that the new
// file took from its directory's default). False when any of it cannot be
// given, which only the old file itself then keeps.
bool carryAttributes(const QByteArray& oldPath, const struct stat& old, int fd)
{
    struct stat fresh;
    if (::fstat(fd, &fresh) != 0)
        return false;
    if ((fresh.st_uid != old.st_uid || fresh.st_gid != old.st_gid)
        && ::fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
    if (::fchmod(fd, old.st_mode & 07777) != 0)
        return false;
    QMap<QByteArray, QByteArray> wanted;
    QMap<QByteArray, QByteArray> present;
    if (!readAttributes(oldPath, -1, wanted) || !readAttributes(oldPath, fd, present))
        return false;
    for (auto it = present.cbegin(); it != present.cend(); ++it) {
        if (!wanted.contains(it.key()) && ::fremovexattr(fd, it.key().constData()) != 0)
            return false;
    }
    for (auto it = wanted.cbegin(); it != wanted.cend(); ++it) {
        if (present.value(it.key()) != it.value() || !present.contains(it.key())) {
            if (::fsetxattr(fd, it.key().constData(), it.value().constData(), size_t(it.value().size()), 0)
                != 0)
                return false;
        }
    }
    // A set-group-id bit the kernel dropped, or a mode an ACL changed.
    return ::fstat(fd, &fresh) == 0 && (fresh.st_mode & 07777) == (old.st_mode & 07777)
        && fresh.st_uid == old.st_uid && fresh.st_gid == old.st_gid;
}

// A new file beside path takes its name: atomically, and for Keep only when
// the name is still free.
WriteResult writeNew(
    int directory, const Place& place, const QByteArray& path, const QByteArray& bytes, Existing existing)
{
    TemporaryFile file(directory, 0666);
    if (!file.isOpen())
        return failed(WriteResult::Failed, file.error(), "cannot create a temporary file for", path);
    if (!writeAll(file.fd(), bytes.constData(), bytes.size()) || ::fsync(file.fd()) != 0)
        return failed(WriteResult::Failed, errno, "cannot write", path);
    if (!file.commit(place.name.constData(), existing == Existing::Replace))
        return failed(file.error() == EEXIST ? WriteResult::Exists : WriteResult::Failed, file.error(),
            "cannot give the new file its name", path);
    syncDirectory(directory, path);
    return succeeded();
}

// Replaces the file by a new one that carries all the old one's attributes;
// nothing when they cannot all be carried.
std::optional<WriteResult> writeReplacement(int directory, const Place& place, const QByteArray& path,
    const QByteArray& bytes, const struct stat& old)
{
    TemporaryFile file(directory, 0600);
    if (!file.isOpen())
        return failed(WriteResult::Failed, file.error(), "cannot create a temporary file for", path);
    if (!carryAttributes(path, old, file.fd())) {
        qCDebug(fsLog) << "the attributes of" << decodeName(path)
                       << "cannot be carried to a new file:" << std::strerror(errno);
        return std::nullopt;
    }
    if (!writeAll(file.fd(), bytes.constData(), bytes.size()) || ::fsync(file.fd()) != 0)
        return failed(WriteResult::Failed, errno, "cannot write", path);
    if (!file.commit(place.name.constData(), true))
        return failed(WriteResult::Failed, file.error(), "cannot rename the new file to", path);
    syncDirectory(directory, path);
    return succeeded();
}

// Overwrites the file itself, which keeps every link and attribute. A synced
// copy of the old bytes stands beside it meanwhile; a failed write puts them
// back, and a crash leaves the copy (".fbmanager-XXXXXX.kept").
WriteResult writeInPlace(int directory, const Place& place, const QByteArray& path, const QByteArray& bytes)
{
    const Descriptor file(
        ::openat(directory, place.name.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat old;
    if (file.get() < 0)
        return failed(
            errno == EACCES ? WriteResult::ReadOnly : WriteResult::Failed, errno, "cannot open", path);
    if (::fstat(file.get(), &old) != 0 || !S_ISREG(old.st_mode))
        return failed(WriteResult::NotRegular, EINVAL, "no longer a regular file:", path);

    QByteArray keptName;
    Descriptor kept(TemporaryFile::createNamed(directory, 0600, TemporaryFile::keptSuffix(), keptName));
    if (kept.get() < 0)
        return failed(WriteResult::Failed, errno, "cannot create a copy of", path);
    if (!copyContent(file.get(), kept.get(), old) || ::fsync(kept.get()) != 0) {
        const int error = errno;
        ::unlinkat(directory, keptName.constData(), 0);
        return failed(WriteResult::Failed, error, "cannot copy", path);
    }
    syncDirectory(directory, path);

    if (::lseek(file.get(), 0, SEEK_SET) == 0 && writeAll(file.get(), bytes.constData(), bytes.size())
        && ::ftruncate(file.get(), bytes.size()) == 0 && ::fsync(file.get()) == 0) {
        ::unlinkat(directory, keptName.constData(), 0);
        return succeeded();
    }
    const int error = errno;
    if (::lseek(file.get(), 0, SEEK_SET) == 0 && ::lseek(kept.get(), 0, SEEK_SET) == 0
        && copyContent(kept.get(), file.get(), old) && ::ftruncate(file.get(), old.st_size) == 0
        && ::fsync(file.get()) == 0)
        ::unlinkat(directory, keptName.constData(), 0);
    else
        qCWarning(fsLog) << "the old content of" << decodeName(path) << "is kept in" << keptName;
    return failed(WriteResult::Failed, error, "cannot write", path);
}

} // namespace

WriteResult writeFile(const QString& path, const QByteArray& bytes, Existing existing)
{
    QByteArray target = encodeName(path);
    if (existing == Existing::Replace) {
        target = resolveLinks(target);
        if (target.isEmpty())
            return failed(WriteResult::Failed, ELOOP, "cannot follow the links at", encodeName(path));
    }
    const Place place = placeOf(target);
    const Descriptor directory(::open(place.directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() < 0)
        return failed(WriteResult::Failed, errno, "cannot open the directory of", target);

    struct stat old;
    if (::fstatat(directory.get(), place.name.constData(), &old, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT)
            return failed(WriteResult::Failed, errno, "cannot look at", target);
        return writeNew(directory.get(), place, target, bytes, existing);
    }
    if (existing == Existing::Keep)
        return failed(WriteResult::Exists, EEXIST, "will not replace", target);
    if (S_ISDIR(old.st_mode))
        return failed(WriteResult::NotRegular, EISDIR, "a directory stands at", target);
    // A FIFO, socket or device holds no content to keep: a file replaces it.
    if (!S_ISREG(old.st_mode))
        return writeNew(directory.get(), place, target, bytes, existing);
    // Write protection is the user's word even where the user could write
    // anyway (root, or the owner by changing the mode).
    int denied = (old.st_mode & 0222) == 0 ? EACCES : 0;
    if (denied == 0 && ::faccessat(directory.get(), place.name.constData(), W_OK, AT_EACCESS) != 0)
        denied = errno; // EROFS on a read-only mount
    if (denied != 0)
        return failed(WriteResult::ReadOnly, denied, "may not write", target);
    if (old.st_nlink == 1) {
        if (std::optional<WriteResult> replaced
            = writeReplacement(directory.get(), place, target, bytes, old))
            return *replaced;
    }
    return writeInPlace(directory.get(), place, target, bytes);
}

WriteResult keepCopy(const QString& path, const QString& copy)
{
    const QByteArray source = encodeName(path);
    const QByteArray target = encodeName(copy);
    const Place place = placeOf(target);
    const Descriptor directory(::open(place.directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() < 0)
        return failed(WriteResult::Failed, errno, "cannot open the directory of", target);

    if (::linkat(AT_FDCWD, source.constData(), directory.get(), place.name.constData(), AT_SYMLINK_FOLLOW)
        == 0) {
        syncDirectory(directory.get(), target);
        return succeeded();
    }
    if (errno == EEXIST)
        return failed(WriteResult::Exists, errno, "will not replace", target);

    // No hard links here (or across file systems): copy a regular file.
    const Descriptor in(::open(source.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat st;
    if (in.get() < 0 || ::fstat(in.get(), &st) != 0)
        return failed(WriteResult::Failed, errno, "cannot read", source);
    if (!S_ISREG(st.st_mode))
        return failed(WriteResult::NotRegular, S_ISDIR(st.st_mode) ? EISDIR : EINVAL, "cannot keep", source);
    TemporaryFile file(directory.get(), st.st_mode & 0777);
    if (!file.isOpen())
        return failed(WriteResult::Failed, file.error(), "cannot create a temporary file for", target);
    if (!copyContent(in.get(), file.fd(), st) || ::fchmod(file.fd(), st.st_mode & 07777) != 0
        || ::fsync(file.fd()) != 0)
        return failed(WriteResult::Failed, errno, "cannot copy to", target);
    if (!file.commit(place.name.constData(), false))
        return failed(file.error() == EEXIST ? WriteResult::Exists : WriteResult::Failed, file.error(),
            "cannot give the copy its name", target);
    syncDirectory(directory.get(), target);
    return succeeded();
}

WriteResult makeDirectories(const QString& path)
{
    const bool absolute = path.startsWith(QLatin1Char('/'));
    const int error = makePath(absolute ? QStringLiteral("/") : QStringLiteral("."), path, Links::Follow);
    if (error != 0)
        return { error == ENOTDIR ? WriteResult::NotRegular : WriteResult::Failed, error };
    return succeeded();
}

WriteResult copyNewFile(int from, const char* name, int to)
{
    const Descriptor in(::openat(from, name, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat source;
    if (in.get() < 0 || ::fstat(in.get(), &source) != 0)
        return failed(WriteResult::Failed, errno, "cannot read the template file", name);
    if (!S_ISREG(source.st_mode))
        return failed(WriteResult::NotRegular, EINVAL, "not a regular file in the template:", name);

    // Permissions as QFile::copy gives them, which the merge always did.
    const mode_t mode = (source.st_mode & 0777) | S_IWUSR;
    TemporaryFile file(to, mode);
    if (!file.isOpen())
        return failed(WriteResult::Failed, file.error(), "cannot create a temporary file for", name);
    if (!copyContent(in.get(), file.fd(), source)
        || ((mode & fileCreationMask()) != 0 && ::fchmod(file.fd(), mode) != 0))
        return failed(WriteResult::Failed, errno, "cannot copy", name);
    if (!file.commit(name, false))
        return failed(file.error() == EEXIST ? WriteResult::Exists : WriteResult::Failed, file.error(),
            "cannot give the copy its name", name);
    return succeeded();
}

} // namespace fs
