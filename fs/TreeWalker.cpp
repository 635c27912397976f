#include "fs/TreeWalker.h"

#include "fs/Log.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace fs {

namespace {

bool isLink(const Directory::Listing& listing, qsizetype i, const QByteArray& path)
{
    if (listing.kind(i) != Directory::Listing::UnknownKind)
        return listing.kind(i) == Directory::Listing::LinkKind;
    struct stat status;
    return ::lstat(path.constData(), &status) != 0 || S_ISLNK(status.st_mode);
}

} // namespace

bool TreeWalker::walk(const QByteArray& root)
{
    Directory directory = Directory::atPath(root);
    if (!directory.isOpen()) {
        qCDebug(fsLog) << "Not walked:" << root << std::strerror(directory.error());
        return false;
    }
    _ancestors.clear();
    QByteArray path = root;
    walkOpen(std::move(directory), path);
    return true;
}

void TreeWalker::walkOpen(Directory directory, QByteArray& path)
{
    const Directory::Identity identity = directory.identity();
    _ancestors.insert(identity);
    Directory::Listing listing;
    if (!directory.list(listing))
        qCWarning(fsLog) << "Listed in part:" << path << std::strerror(errno);
    directory = Directory();

    std::vector<qsizetype> files;
    for (qsizetype i = 0; i < listing.size(); ++i) {
        if (listing.isHidden(i))
            continue;
        if (!listing.mayBeDirectory(i)) {
            if (listing.kind(i) == Directory::Listing::RegularKind)
                files.push_back(i);
            else
                qCDebug(fsLog) << "Skipped, neither a directory nor a regular file:" << path
                               << listing.name(i);
            continue;
        }
        const qsizetype size = path.size();
        path += '/';
        path.append(listing.name(i), listing.nameSize(i));
        Directory child = Directory::atPath(path);
        if (!child.isOpen()) {
            if (child.error() == ENOTDIR)
                files.push_back(i);
            else
                qCWarning(fsLog) << "Skipped:" << path << std::strerror(child.error());
        } else if (isAncestor(child.identity())) {
            qCInfo(fsLog) << "Skipped, a link back to a directory above it:" << path;
        } else if (enterDirectory(path, listing.name(i), child, isLink(listing, i, path))) {
            walkOpen(std::move(child), path);
        }
        path.truncate(size);
    }

    directory = Directory::atPath(path);
    if (directory.isOpen() && !(directory.identity() == identity)) {
        qCWarning(fsLog) << "Files skipped, the directory was replaced during the walk:" << path;
        directory = Directory();
    } else if (!directory.isOpen()) {
        qCWarning(fsLog) << "Files skipped:" << path << std::strerror(directory.error());
    }
    leaveDirectory(directory, path, listing, files);
    _ancestors.remove(identity);
}

} // namespace fs
