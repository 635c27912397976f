#pragma once

#include <QByteArray>
#include <QString>

// Reading and writing the files a user keeps, safely: reads never block on a
// FIFO or device and never take more than a limit; writes reach the file's name
// only when every byte is on disk, so a failed write leaves the old file (or
// nothing) behind.
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

enum class Existing {
    Replace, // the new content replaces whatever file stands at path
    Keep // the write fails when anything stands at path by then
};

// Writes bytes to a hidden temporary file beside path and gives it the name
// only when every byte was written, synced and the file closed without error.
// A replaced file keeps its permissions; a link at path is replaced, never
// written through. Returns false on any failure, leaving path untouched.
bool writeFile(const QString& path, const QByteArray& bytes, Existing existing = Existing::Replace);

// Gives the file at path a second name, copy, replacing a file that stood
// there; path itself is left alone. A hard link where the file system allows
// it, so that even a huge file is kept at no cost and without reading it;
// otherwise a copy that takes the name only when complete. Returns false on
// any failure, leaving copy as it was.
bool keepCopy(const QString& path, const QString& copy);

// Copies the entry name of the directory open as from to the same name in the
// directory open as to, when it is a regular file (links followed) and to has
// no entry of that name. The copy has the source's permissions plus write
// permission for its owner, and takes its name only when complete, never
// replacing anything; a failed copy leaves nothing behind. Returns false when
// nothing was copied.
bool copyNewFile(int from, const char* name, int to);

} // namespace fs
