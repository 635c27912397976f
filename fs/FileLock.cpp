#include "fs/FileLock.h"

#include "fs/FileName.h"
#include "fs/Interrupted.h"
#include "fs/Log.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace fs {

namespace {

// Long enough for another window's save of a large device, short enough that
// a stuck holder gets a message instead of a frozen window.
constexpr int waitMilliseconds = 3000;
constexpr int pollMilliseconds = 50;

} // namespace

FileLock::FileLock(const QString& path)
{
    QByteArray directory = encodeName(path);
    const qsizetype slash = directory.lastIndexOf('/');
    directory = slash < 0 ? QByteArrayLiteral(".")
        : slash == 0      ? QByteArrayLiteral("/")
                          : directory.left(slash);
    _fd = ::open(directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (_fd < 0) {
        _error = errno;
        qCWarning(fsLog) << "cannot open" << decodeName(directory) << "to lock it:" << std::strerror(_error);
        return;
    }
    for (int waited = 0;; waited += pollMilliseconds) {
        if (retryInterrupted([this] { return ::flock(_fd, LOCK_EX | LOCK_NB); }) == 0) {
            _held = true;
            return;
        }
        _error = errno;
        if (_error != EWOULDBLOCK || waited >= waitMilliseconds)
            break;
        const struct timespec pause
        {
            0, pollMilliseconds * 1000000L
        };
        ::nanosleep(&pause, nullptr);
    }
    // A file system without locks (some network mounts) still lets the user
    // save; only a lock that another holds stops the save.
    if (_error != EWOULDBLOCK) {
        qCInfo(fsLog) << "no lock on" << decodeName(directory) << ":" << std::strerror(_error);
        _held = true;
        return;
    }
    qCWarning(fsLog) << "another program holds the lock on" << decodeName(directory);
}

FileLock::~FileLock()
{
    if (_fd >= 0)
        ::close(_fd);
}

} // namespace fs
