#include "unit/Registry.h"

#include "fs/File.h"
#include "fs/FileName.h"
#include "fs/TreeWalker.h"
#include "fs/UserPaths.h"
#include "xml/Reader.h"

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

// Each directory is scanned once, however many links lead to it: its ids are
// the same by every path, and links between siblings would otherwise unfold
// into a walk that grows exponentially with their number.
class Registry::Scan : public fs::TreeWalker
{
public:
    explicit Scan(Registry& registry)
        : _registry(registry)
    {
    }

protected:
    bool enterDirectory(const QByteArray&, const char*, const fs::Directory& directory, bool) override
    {
        if (_scanned.contains(directory.identity()))
            return false;
        _scanned.insert(directory.identity());
        return true;
    }

    // A directory's own unit file is read after every one below it, so that
    // it wins for an id declared in both.
    void leaveDirectory(const fs::Directory& directory, const QByteArray& path,
        const fs::Directory::Listing& listing, const std::vector<qsizetype>& files) override
    {
        if (!directory.isOpen())
            return;
        for (const qsizetype i : files) {
            if (isUnitFileName(listing.name(i), listing.nameSize(i)))
                _registry.parseFileAt(directory, listing.name(i), path);
        }
    }

private:
    Registry& _registry;
    QSet<fs::Directory::Identity> _scanned;
};

Registry* Registry::singleton()
{
    static Registry registry;
    return &registry;
}

void Registry::refresh()
{
    _unitDirs.clear();
    _ids.clear();
    _otherFileNames.clear();

    // No QDir on the way: a missing units directory is one failed open.
    scan(fs::encodeName(
        QDir::cleanPath(fs::UserPaths::home() + QLatin1Char('/') + fs::UserPaths::unitsRelative())));
}

QString Registry::unitFile(const QString& id) const
{
    return _unitDirs.value(id).absolutePath() + QLatin1Char('/')
        + _otherFileNames.value(id, QStringLiteral("unit.xml"));
}

QStringList Registry::getIDs() const
{
    return _unitDirs.keys();
}

void Registry::processDir(const QDir& dir)
{
    scan(fs::encodeName(dir.absolutePath()));
}

void Registry::parseFile(const QFileInfo& file, const QDir& dir)
{
    const fs::Directory directory(dir.absolutePath());
    parseFileAt(directory, fs::encodeName(file.fileName()).constData(), fs::encodeName(dir.absolutePath()));
}

void Registry::scan(const QByteArray& path)
{
    Scan(*this).walk(path);
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
    const bool otherName = qstrcmp(name, "unit.xml") != 0;
    for (const QString& id : ids) {
        _unitDirs.insert(id, unitDir);
        _ids.insert(id);
        if (otherName)
            _otherFileNames.insert(id, fs::decodeName(name));
        else
            _otherFileNames.remove(id);
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
