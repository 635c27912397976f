#pragma once

#include "fs/Directory.h"

#include <QByteArray>
#include <QSet>

#include <vector>

namespace fs {

// Not QDirIterator: Qt decodes a name that is not UTF-8 into U+FFFD, and the
// entry can then be neither opened nor copied.
//
// A depth-first walk below one directory, by raw names, that holds no
// descriptor per level: each directory is opened by its path to be listed and
// closed before the walk goes down, and opened again by its path (and checked
// to be the same directory) when its files are handed over. So the depth of a
// tree is limited by the length of its paths alone, not by how many
// descriptors the process may hold.
//
// Links to directories are offered each time they are met; only a directory
// that is already on the path from the root (a link back into its own
// ancestors) is skipped, as a cycle. Hidden entries (names beginning with a
// dot) are left out. Whatever is skipped is logged with its cause under
// fbmanager.fs.
class TreeWalker
{
public:
    virtual ~TreeWalker() = default;

    // Walks below the directory at root (an encoded path, see fs/FileName.h).
    // False when root itself cannot be opened.
    bool walk(const QByteArray& root);

protected:
    // A subdirectory, or a link to one (viaLink), named name, at path;
    // directory is open on it. True to walk it, which ends with
    // leaveDirectory for it.
    virtual bool enterDirectory(
        const QByteArray& path, const char* name, const Directory& directory, bool viaLink)
        = 0;

    // After every subdirectory: the entries of the directory at path that
    // are no directories (regular files, links to anything else, entries
    // whose kind only opening them tells) by their indices in listing.
    // directory is open again, unless it changed or vanished meanwhile (then
    // it is not open, and only the state kept for it is to be dropped).
    virtual void leaveDirectory(const Directory& directory, const QByteArray& path,
        const Directory::Listing& listing, const std::vector<qsizetype>& files)
        = 0;

    // Whether a directory is on the path from the root to the one walked now.
    bool isAncestor(const Directory::Identity& identity) const { return _ancestors.contains(identity); }

private:
    void walkOpen(Directory directory, QByteArray& path);

    QSet<Directory::Identity> _ancestors;
};

} // namespace fs
