#include "fs/Directory.h"

#include "fs/FileName.h"
#include "fs/Interrupted.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs {

namespace {

// O_NONBLOCK: whatever stands at a name, opening it must not wait for a writer.
const int openFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;

Directory::Listing::Kind kindOf(unsigned char type)
{
    switch (type) {
    case DT_DIR:
        return Directory::Listing::DirectoryKind;
    case DT_REG:
        return Directory::Listing::RegularKind;
    case DT_LNK:
        return Directory::Listing::LinkKind;
    case DT_UNKNOWN:
        return Directory::Listing::UnknownKind;
    default:
        return Directory::Listing::OtherKind;
    }
}

} // namespace

Directory::Directory(const QString& path)
{
    open(AT_FDCWD, encodeName(path).constData());
}

Directory Directory::atPath(const QByteArray& path)
{
    Directory directory;
    directory.open(AT_FDCWD, path.constData());
    return directory;
}

Directory::Directory(const Directory& parent, const char* name)
{
    if (parent.isOpen())
        open(parent._fd, name);
    else
        _error = EBADF;
}

Directory::Directory(Directory&& other) noexcept
    : _fd(other._fd)
    , _error(other._error)
    , _identity(other._identity)
{
    other._fd = -1;
}

Directory& Directory::operator=(Directory&& other) noexcept
{
    if (this != &other) {
        if (_fd >= 0)
            ::close(_fd);
        _fd = other._fd;
        _error = other._error;
        _identity = other._identity;
        other._fd = -1;
    }
    return *this;
}

Directory::~Directory()
{
    if (_fd >= 0)
        ::close(_fd);
}

void Directory::open(int at, const char* path)
{
    _fd = ::openat(at, path, openFlags);
    if (_fd < 0) {
        _error = errno;
        return;
    }
    struct stat status;
    if (::fstat(_fd, &status) != 0) {
        _error = errno;
        ::close(_fd);
        _fd = -1;
        return;
    }
    _identity = { quint64(status.st_dev), quint64(status.st_ino) };
}

bool Directory::list(Listing& listing) const
{
    listing._names.clear();
    listing._entries.clear();
    listing._entries.reserve(16);
    if (_fd < 0)
        return false;
    alignas(dirent64) char buffer[32 * 1024];
    for (;;) {
        const ssize_t n = retryInterrupted([&] { return ::getdents64(_fd, buffer, sizeof buffer); });
        if (n == 0)
            return true;
        if (n < 0)
            return false;
        for (ssize_t at = 0; at < n;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
            at += entry->d_reclen;
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            const int size = int(std::strlen(name));
            listing._entries.push_back({ int(listing._names.size()), size, kindOf(entry->d_type) });
            listing._names.append(name, size + 1);
        }
    }
}

bool Directory::hasEntry(const char* name) const
{
    struct stat status;
    return ::fstatat(_fd, name, &status, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT;
}

bool Directory::makeDirectory(const char* name) const
{
    return ::mkdirat(_fd, name, 0777) == 0;
}

} // namespace fs
