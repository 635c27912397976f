#pragma once

#include <QByteArray>
#include <QHashFunctions>
#include <QString>

#include <vector>

namespace fs {

// A directory held open by its descriptor and read by raw entry names, so that
// a name that is not valid UTF-8 is seen like any other, and entries are
// opened relative to it (openat) instead of resolving a path again for each.
// Symbolic links to directories are entered like directories.
class Directory
{
public:
    // Tells directories apart whatever path led to them: a cycle of symbolic
    // links ends where an identity comes round again.
    struct Identity
    {
        quint64 device = 0;
        quint64 inode = 0;

        bool operator==(const Identity& other) const
        {
            return device == other.device && inode == other.inode;
        }
    };

    // One listing: entry names with the kind the file system reports, in the
    // file system's order, without "." and "..".
    class Listing
    {
    public:
        enum Kind { DirectoryKind, RegularKind, LinkKind, UnknownKind, OtherKind };

        qsizetype size() const { return qsizetype(_entries.size()); }
        const char* name(qsizetype i) const { return _names.constData() + _entries[size_t(i)].offset; }
        qsizetype nameSize(qsizetype i) const { return _entries[size_t(i)].size; }
        Kind kind(qsizetype i) const { return _entries[size_t(i)].kind; }
        bool isHidden(qsizetype i) const { return name(i)[0] == '.'; }
        // Whether the entry may lead to a directory, which only opening it tells
        // for a link or an entry whose kind the file system does not report.
        bool mayBeDirectory(qsizetype i) const { return kind(i) != RegularKind && kind(i) != OtherKind; }

    private:
        friend class Directory;
        struct Entry
        {
            int offset;
            int size;
            Kind kind;
        };
        QByteArray _names; // each name followed by its NUL
        std::vector<Entry> _entries;
    };

    Directory() = default;
    // Opens the directory at path (see fs/FileName.h for names that are not UTF-8).
    explicit Directory(const QString& path);
    // Opens the directory at an encoded path, links followed.
    static Directory atPath(const QByteArray& path);
    // Opens the entry name of parent when it is a directory or a link to one.
    Directory(const Directory& parent, const char* name);
    Directory(Directory&& other) noexcept;
    Directory& operator=(Directory&& other) noexcept;
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;
    ~Directory();

    bool isOpen() const { return _fd >= 0; }
    // The errno of a failed open: ENOTDIR when the entry is something else.
    int error() const { return _error; }
    int fd() const { return _fd; }
    const Identity& identity() const { return _identity; }

    // Reads the entries into listing, once per open directory; false when
    // reading failed part way (listing then holds what was read).
    bool list(Listing& listing) const;

    // Whether anything stands at name, a dangling link included.
    bool hasEntry(const char* name) const;
    // False with errno set when name could not be made.
    bool makeDirectory(const char* name) const;

private:
    void open(int at, const char* path);

    int _fd = -1;
    int _error = 0;
    Identity _identity;
};

inline size_t qHash(const Directory::Identity& identity, size_t seed = 0)
{
    return qHashMulti(seed, identity.device, identity.inode);
}

} // namespace fs
