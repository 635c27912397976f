#include "fs/TemporaryFile.h"

#include "fs/Descriptor.h"
#include "fs/Directory.h"
#include "fs/Log.h"

#include <QMutex>
#include <QRandomGenerator>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

namespace fs {

namespace {

const QByteArray prefix = QByteArrayLiteral(".fbmanager-");
const QByteArray temporarySuffix = QByteArrayLiteral(".tmp");
constexpr int randomLength = 6;

// When this run began, as near as the program can tell: a temporary file
// last written before it belongs to an earlier run.
const struct timespec processStart = [] {
    struct timespec now
    {
    };
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now;
}();

bool before(const struct timespec& a, const struct timespec& b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

QByteArray randomName(const QByteArray& suffix)
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name = prefix;
    for (int i = 0; i < randomLength; ++i)
        name += letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)];
    return name + suffix;
}

bool hasOwnPattern(const char* name, const QByteArray& suffix)
{
    const size_t length = std::strlen(name);
    return length == size_t(prefix.size() + randomLength + suffix.size())
        && std::strncmp(name, prefix.constData(), size_t(prefix.size())) == 0
        && std::strcmp(name + length - suffix.size(), suffix.constData()) == 0;
}

// O_TMPFILE files are given a name through /proc; without it (a chroot, a
// container without /proc) only named temporary files can be used.
bool canNameUnnamedFiles()
{
    static const bool can = ::access("/proc/self/fd", X_OK) == 0;
    return can;
}

// Removes the stale temporary files of the directory: the program's own
// pattern, last written before this run began, and not locked by a writer
// that is still at work. Once per directory and run: later leftovers could
// only come from runs that are still going.
void removeStale(int directory)
{
    struct stat st;
    if (::fstat(directory, &st) != 0)
        return;
    static QMutex mutex;
    static QSet<Directory::Identity> cleaned;
    {
        const QMutexLocker locker(&mutex);
        const Directory::Identity identity { quint64(st.st_dev), quint64(st.st_ino) };
        if (cleaned.contains(identity))
            return;
        cleaned.insert(identity);
    }

    DIR* dir = ::fdopendir(::openat(directory, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        if (hasOwnPattern(entry->d_name, TemporaryFile::keptSuffix())) {
            qCWarning(fsLog) << "a copy kept by a save that did not finish:" << entry->d_name;
            continue;
        }
        if (!hasOwnPattern(entry->d_name, temporarySuffix))
            continue;
        const Descriptor fd(
            ::openat(directory, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
        struct stat file;
        if (fd.get() < 0 || ::fstat(fd.get(), &file) != 0 || !S_ISREG(file.st_mode)
            || !before(file.st_mtim, processStart) || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        // The name may have been taken by another file since it was opened.
        struct stat named;
        if (::fstatat(directory, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0
            && named.st_ino == file.st_ino && named.st_dev == file.st_dev
            && ::unlinkat(directory, entry->d_name, 0) == 0)
            qCInfo(fsLog) << "removed a temporary file that an earlier run left:" << entry->d_name;
    }
    ::closedir(dir);
}

} // namespace

TemporaryFile::TemporaryFile(int directory, mode_t mode)
    : _directory(directory)
{
    removeStale(directory);
    if (canNameUnnamedFiles()) {
        _fd = ::openat(directory, ".", O_WRONLY | O_TMPFILE | O_CLOEXEC, mode);
        // Not every file system has unnamed files.
        if (_fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            _error = errno;
            return;
        }
    }
    if (_fd >= 0)
        return;
    _fd = createNamed(directory, mode, temporarySuffix, _name);
    if (_fd < 0) {
        _error = errno;
        return;
    }
    ::flock(_fd, LOCK_EX | LOCK_NB);
}

TemporaryFile::~TemporaryFile()
{
    if (_fd >= 0)
        ::close(_fd);
    if (!_committed && !_name.isEmpty())
        ::unlinkat(_directory, _name.constData(), 0);
}

int TemporaryFile::createNamed(int directory, mode_t mode, const QByteArray& suffix, QByteArray& name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = randomName(suffix);
        const int fd = ::openat(directory, name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool TemporaryFile::commit(const char* name, bool replace)
{
    const bool unnamed = _name.isEmpty();
    if (unnamed) {
        // An unnamed file gets a name by a link. A link never replaces, so a
        // replacement is linked to a temporary name first, and renamed while
        // the file is still open and locked.
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(_fd);
        if (!replace) {
            if (::linkat(AT_FDCWD, self.constData(), _directory, name, AT_SYMLINK_FOLLOW) != 0)
                return fail();
            _committed = true;
            return true;
        }
        // Locked only now: until it has a name, no clean-up can see it.
        ::flock(_fd, LOCK_EX | LOCK_NB);
        for (int attempt = 0; _name.isEmpty() && attempt < 100; ++attempt) {
            const QByteArray candidate = randomName(temporarySuffix);
            if (::linkat(AT_FDCWD, self.constData(), _directory, candidate.constData(), AT_SYMLINK_FOLLOW)
                == 0)
                _name = candidate;
            else if (errno != EEXIST)
                return fail();
        }
        if (_name.isEmpty())
            return fail();
    } else {
        // On some file systems a failed write shows only when the file is
        // closed; file systems with unnamed files report it on fsync.
        const int fd = _fd;
        _fd = -1;
        if (::close(fd) != 0)
            return fail();
    }
    if (replace) {
        if (::renameat(_directory, _name.constData(), _directory, name) != 0)
            return fail();
    } else if (::renameat2(_directory, _name.constData(), _directory, name, RENAME_NOREPLACE) != 0) {
        // File systems without RENAME_NOREPLACE still refuse to link over an entry.
        if (errno != EINVAL || ::linkat(_directory, _name.constData(), _directory, name, 0) != 0)
            return fail();
        ::unlinkat(_directory, _name.constData(), 0);
    }
    _committed = true;
    return true;
}

bool TemporaryFile::fail()
{
    _error = errno;
    return false;
}

} // namespace fs
