#pragma once

#include "fs/File.h"

#include <QByteArray>
#include <QString>

namespace fs {

// What a file was when the program read or wrote it, so that a later save can
// tell whether another program changed it meanwhile. A file that was read is
// known by its size and a hash of its bytes: touching it without changing a
// byte is no change. One that could not be read (too large, not a regular
// file, no permission) is known by its inode, size and modification time.
// "Nothing there" is a state of its own.
class FileStamp
{
public:
    // The state of a file whose read gave `read`.
    static FileStamp ofRead(const QString& path, const ReadResult& read);
    // The state of a file just written with `bytes`.
    static FileStamp ofWritten(const QByteArray& bytes);
    // What stands at path now; reads it (up to limit) to hash it.
    static FileStamp current(const QString& path, qint64 limit);

    // Nothing stands there (a dangling link included).
    bool isMissing() const { return _kind == Missing; }

    bool operator==(const FileStamp& other) const;
    bool operator!=(const FileStamp& other) const { return !(*this == other); }

private:
    enum Kind { Missing, Content, Opaque };

    static FileStamp opaque(const QString& path);

    Kind _kind = Missing;
    qint64 _size = 0;
    qint64 _mtimeNs = 0;
    quint64 _device = 0;
    quint64 _inode = 0;
    size_t _hash = 0;
};

} // namespace fs
