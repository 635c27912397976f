#include "unit/Registry.h"

#include "fs/File.h"
#include "fs/FileName.h"
#include "fs/UserPaths.h"
#include "xml/Reader.h"

#include <QVarLengthArray>

#include <cerrno>

namespace unit {

namespace {

// "unit.xml" in any letter case, as find -iname matches it.
bool isUnitFileName(const char* name, qsizetype size)
{
    return size == 8 && qstrnicmp(name, "unit.xml", 8) == 0;
}

// Keeps the ids of the first "unit:unittypes" below a "unit:unit" document
// element while the reader walks the whole file.
class IdCollector : public xml::ElementHandler
{
public:
    QStringList ids;

    void startElement(QAnyStringView name, const xml::Attributes& attributes) override
    {
        ++_depth;
        if (_depth == 1) {
            _isUnit = name == QLatin1String("unit:unit");
        } else if (_depth == 2) {
            if (_isUnit && !_unittypesSeen && name == QLatin1String("unit:unittypes")) {
                _inUnittypes = true;
                _unittypesSeen = true;
            }
        } else if (_depth == 3 && _inUnittypes && name == QLatin1String("unit:unittype")) {
            const QString id = attributes.value(QLatin1String("unit:id"));
            if (!id.isEmpty())
                ids << id;
        }
    }

    void endElement() override
    {
        if (_depth-- == 2)
            _inUnittypes = false;
    }

    void reset() override { *this = IdCollector(); }

private:
    int _depth = 0;
    bool _isUnit = false;
    bool _inUnittypes = false;
    bool _unittypesSeen = false;
};

} // namespace

Registry* Registry::singleton()
{
    static Registry registry;
    return &registry;
}

void Registry::refresh()
{
    _unitDirs.clear();
    _ids.clear();
    _visited.clear();

    // No QDir on the way: a missing units directory is one failed open.
    const QString path
        = QDir::cleanPath(fs::UserPaths::home() + QLatin1Char('/') + fs::UserPaths::unitsRelative());
    QByteArray bytes = fs::encodeName(path);
    walk(fs::Directory(path), bytes);
    _visited.clear();
}

QStringList Registry::getIDs() const
{
    return _unitDirs.keys();
}

void Registry::processDir(const QDir& dir)
{
    const QString path = dir.absolutePath();
    QByteArray bytes = fs::encodeName(path);
    walk(fs::Directory(path), bytes);
}

void Registry::parseFile(const QFileInfo& file, const QDir& dir)
{
    const fs::Directory directory(dir.absolutePath());
    parseFileAt(directory, fs::encodeName(file.fileName()).constData(), fs::encodeName(dir.absolutePath()));
}

void Registry::walk(const fs::Directory& dir, QByteArray& path)
{
    if (!dir.isOpen() || _visited.contains(dir.identity()))
        return;
    _visited.insert(dir.identity());

    fs::Directory::Listing listing;
    dir.list(listing);
    // Subdirectories first: a directory's own unit file is read after every
    // one below it, so that it wins for an id declared in both.
    QVarLengthArray<qsizetype, 4> unitFiles;
    for (qsizetype i = 0; i < listing.size(); ++i) {
        if (listing.isHidden(i))
            continue;
        if (listing.mayBeDirectory(i)) {
            const fs::Directory child(dir, listing.name(i));
            if (child.isOpen()) {
                const qsizetype size = path.size();
                path += '/';
                path.append(listing.name(i), listing.nameSize(i));
                walk(child, path);
                path.truncate(size);
                continue;
            }
            if (child.error() != ENOTDIR)
                continue;
        }
        if (isUnitFileName(listing.name(i), listing.nameSize(i)))
            unitFiles.append(i);
    }
    for (const qsizetype i : unitFiles)
        parseFileAt(dir, listing.name(i), path);
}

void Registry::parseFileAt(const fs::Directory& dir, const char* name, const QByteArray& path)
{
    // A FIFO, a device or a huge file declares nothing, like a malformed file.
    const fs::ReadResult file = fs::readFileAt(dir.fd(), name, fs::unitFileLimit);
    if (!file.ok() || file.bytes.isEmpty())
        return;

    const QStringList ids = declaredIds(file.bytes);
    if (ids.isEmpty())
        return;
    const QDir unitDir(fs::decodeName(path));
    for (const QString& id : ids) {
        _unitDirs.insert(id, unitDir);
        _ids.insert(id);
    }
}

QStringList Registry::declaredIds(const QByteArray& content)
{
    // Only three elements matter, but the whole file is read: one that is
    // not well-formed declares nothing.
    IdCollector collector;
    if (!xml::Reader::read(content, collector))
        return {};
    return collector.ids;
}

} // namespace unit
