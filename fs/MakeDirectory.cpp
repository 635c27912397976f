#include "fs/MakeDirectory.h"

#include "fs/FileName.h"
#include "fs/Log.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs {

namespace {

// Closes the descriptor it holds, whichever way the walk down ends.
class Descriptor
{
public:
    explicit Descriptor(int fd)
        : _fd(fd)
    {
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (_fd >= 0)
            ::close(_fd);
    }

    int fd() const { return _fd; }
    void reset(int fd)
    {
        if (_fd >= 0)
            ::close(_fd);
        _fd = fd;
    }

private:
    int _fd;
};

const int directoryFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;

bool isLink(int directory, const QByteArray& name)
{
    struct stat status;
    return ::fstatat(directory, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0
        && S_ISLNK(status.st_mode);
}

} // namespace

bool makeDirectory(const QByteArray& path)
{
    return ::mkdir(path.constData(), 0777) == 0;
}

int makePath(const QString& base, const QString& relative, Links links, QString* failedPath)
{
    QString path = base;
    const auto failed = [&](int error) {
        qCWarning(fsLog) << "Directory not made:" << path << std::strerror(error);
        if (failedPath)
            *failedPath = path;
        return error;
    };

    Descriptor directory(::open(encodeName(base).constData(), directoryFlags));
    if (directory.fd() < 0)
        return failed(errno);
    const int entryFlags = directoryFlags | (links == Links::Refuse ? O_NOFOLLOW : 0);
    for (const QString& part : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path += QLatin1Char('/') + part;
        const QByteArray name = encodeName(part);
        if (::mkdirat(directory.fd(), name.constData(), 0777) != 0 && errno != EEXIST)
            return failed(errno);
        const int next = ::openat(directory.fd(), name.constData(), entryFlags);
        if (next < 0) {
            const int error = errno;
            return failed(links == Links::Refuse && isLink(directory.fd(), name) ? ELOOP : error);
        }
        directory.reset(next);
    }
    return 0;
}

bool isLink(const QString& path)
{
    return isLink(AT_FDCWD, encodeName(path));
}

} // namespace fs
