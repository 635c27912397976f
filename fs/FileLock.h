#pragma once

#include <QString>

namespace fs {

// An exclusive advisory lock (flock) on the directory that holds a file, so
// that two copies of the program never check and replace that file at the
// same time. Taken when constructed, waiting a few seconds at most for
// another holder; released when destroyed. Taken on the directory, not on a
// lock file beside the file, so it leaves nothing behind.
class FileLock
{
public:
    explicit FileLock(const QString& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Also true where the file system has no locks at all: only a lock that
    // another holds stops a save.
    bool isHeld() const { return _held; }
    // The errno of the failure: EWOULDBLOCK while another holds the lock.
    int error() const { return _error; }

private:
    int _fd = -1;
    bool _held = false;
    int _error = 0;
};

} // namespace fs
