#include "unit/Registry.h"

#include "fs/UserPaths.h"
#include "xml/Reader.h"

#include <QFile>

#include <sys/stat.h>

namespace unit {

namespace {

const QString& unitFileName()
{
    static const QString name = QStringLiteral("unit.xml");
    return name;
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
    _visited.clear();

    QDir units = QDir::home();
    if (!units.cd(fs::UserPaths::unitsRelative()))
        return;
    processDir(units);
    _visited.clear();
}

QStringList Registry::getIDs() const
{
    return _unitDirs.keys();
}

void Registry::processDir(const QDir& dir)
{
    // One stat instead of a canonical path, which costs a readlink for every
    // component of the path.
    struct stat status;
    if (::stat(QFile::encodeName(dir.absolutePath()).constData(), &status) != 0)
        return;
    const QPair<quint64, quint64> identity(status.st_dev, status.st_ino);
    if (_visited.contains(identity))
        return;
    _visited.insert(identity);

    // One listing for both passes: a name filter would compile a regular
    // expression for every directory, which cost more than the whole scan.
    const QFileInfoList entries
        = dir.entryInfoList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo& entry : entries) {
        if (entry.isDir())
            processDir(QDir(entry.absoluteFilePath()));
    }
    for (const QFileInfo& entry : entries) {
        if (!entry.isDir() && entry.fileName().compare(unitFileName(), Qt::CaseInsensitive) == 0)
            parseFile(entry, dir);
    }
}

void Registry::parseFile(const QFileInfo& file, const QDir& dir)
{
    QFile in(file.absoluteFilePath());
    if (!in.open(QIODevice::ReadOnly))
        return;
    const QByteArray content = in.readAll();
    in.close();
    if (content.isEmpty())
        return;

    const QStringList ids = declaredIds(content);
    if (ids.isEmpty())
        return;
    const QDir unitDir(dir.absolutePath());
    for (const QString& id : ids)
        _unitDirs.insert(id, unitDir);
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
