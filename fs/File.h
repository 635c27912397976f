#pragma once

#include <QByteArray>
#include <QString>

// Reading and writing the files a user keeps, safely: reads never block on a
// FIFO or device and never take more than a limit; writes reach the file's name
// only when every byte is on disk, so a failed write leaves the old file (or
// nothing) behind.
// Not QSaveFile: Qt 6.4's commits a short write (a full disk, a size limit) as
// success, and it carries neither ACL nor extended attributes to the new file.
namespace fs {

// Largest unit description that is read; anything larger declares nothing.
constexpr qint64 unitFileLimit = qint64(64) * 1024 * 1024;
// Largest device file that is loaded, and that a save may write.
constexpr qint64 deviceFileLimit = qint64(1024) * 1024 * 1024;

struct ReadResult
{
    enum Status {
        Ok,
        Missing, // nothing there, or a dangling link
        NotRegular, // a directory, FIFO, socket or device
        TooLarge, // more than the limit
        Failed // any other error (permissions, I/O)
    };

    Status status = Failed;
    QByteArray bytes; // only for Ok

    bool ok() const { return status == Ok; }
};

// Reads the regular file at path (links followed) when it holds at most
// limit bytes.
ReadResult readFile(const QString& path, qint64 limit);
// The same for the entry name of the directory open as directory (a
// descriptor, or AT_FDCWD for a name relative to the working directory).
ReadResult readFileAt(int directory, const char* name, qint64 limit);

// What became of a write, and why it failed: the errno of the call that
// failed, so that the cause reaches the log (category "fbmanager.fs") while the
// user sees the program's own message.
struct WriteResult
{
    enum Status {
        Ok,
        Exists, // the name was to be new, and something stands there
        ReadOnly, // the file is there and may not be written
        NotRegular, // a directory, FIFO, socket or device stands in the way
        Failed // any other error (no room, no permission in the directory, I/O)
    };

    Status status = Failed;
    int error = 0; // errno of the call that failed; 0 for Ok

    bool ok() const { return status == Ok; }
};

enum class Existing {
    Replace, // the new content replaces the file at path
    Keep // the write fails when anything stands at path by then
};

// Writes bytes as the file's whole new content: the name shows the old file
// or the complete new one, never anything between, also after a crash.
//
// Replace follows symbolic links at path and replaces the file they lead to,
// in its own directory, so a link stays a link; a dangling link gets its
// target created. The replaced file keeps its mode, owner, group, ACL and
// extended attributes. Where they cannot all be given to a new file (another
// owner, an attribute only the kernel may set) or the file has further hard
// links, the file is overwritten in place after a synced copy of its old
// bytes stands beside it; a failed write puts the old bytes back. A file
// without write permission (for anyone, or for this user) is not written:
// ReadOnly. A directory in the way is NotRegular; a FIFO, socket or device
// is replaced by a new file. A new file gets the permissions the umask allows.
//
// Keep never replaces anything, not even a dangling link: Exists.
WriteResult writeFile(const QString& path, const QByteArray& bytes, Existing existing = Existing::Replace);

// Gives the file at path a second name, copy, when nothing stands at copy
// (else Exists); path itself is left alone. A hard link where the file system
// allows it, so that even a huge file is kept at no cost and without reading
// it; otherwise a copy that takes the name only when complete. NotRegular
// when path is a directory or another entry that cannot be kept so.
WriteResult keepCopy(const QString& path, const QString& copy);

// Copies the entry name of the directory open as from to the same name in the
// directory open as to, when it is a regular file (links followed) and to has
// no entry of that name. The copy has the source's permissions plus write
// permission for its owner, and takes its name only when complete, never
// replacing anything; a failed copy leaves nothing behind.
WriteResult copyNewFile(int from, const char* name, int to);

// Creates the directory at path and every missing one above it, by raw
// names; Ok when it stands there afterwards.
WriteResult makeDirectories(const QString& path);

} // namespace fs
