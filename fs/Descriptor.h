#pragma once

#include <unistd.h>

namespace fs {

// Closes a descriptor on every way out of a scope.
class Descriptor
{
public:
    explicit Descriptor(int fd = -1)
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
        return fd >= 0 && ::close(fd) == 0;
    }

private:
    int _fd;
};

} // namespace fs
