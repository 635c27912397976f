#pragma once

#include <QByteArray>

#include <sys/types.h>

namespace fs {

// A new file being written in a directory, before it takes its name. Unnamed
// (O_TMPFILE) where the file system allows it, so that a crash leaves no name
// behind; elsewhere a hidden name of fixed length, ".fbmanager-XXXXXX.tmp",
// never derived from the final name, which may already be as long as a name
// can be. A named file is locked (flock) while it is written: a later run
// removes such a file only when its writer is gone.
class TemporaryFile
{
public:
    // Creates the file in the directory open as directory, with mode (the
    // umask applies). The first one in a directory also removes the stale
    // temporary files that crashed runs left there.
    TemporaryFile(int directory, mode_t mode);
    // Removes the file unless it took its name.
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool isOpen() const { return _fd >= 0; }
    int fd() const { return _fd; }
    // The errno of the call that failed.
    int error() const { return _error; }

    // Gives the written file the entry name of the directory: replacing what
    // stands there, or only when nothing does.
    bool commit(const char* name, bool replace);

    // The name pattern of kept copies (see fs::writeFile), which the clean-up
    // leaves alone and only reports.
    static QByteArray keptSuffix() { return QByteArrayLiteral(".kept"); }
    // Creates a named file with the given suffix in directory; -1 on failure.
    static int createNamed(int directory, mode_t mode, const QByteArray& suffix, QByteArray& name);

private:
    bool fail();

    int _directory;
    int _fd = -1;
    int _error = 0;
    QByteArray _name; // empty while the file has no name
    bool _committed = false;
};

} // namespace fs
