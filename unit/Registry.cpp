#include "unit/Registry.h"

#include "app/UserPaths.h"

#include <QDomDocument>
#include <QDomElement>
#include <QFile>

namespace unit {

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
    if (!units.cd(UserPaths::unitsRelative()))
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
    const QString canonical = dir.canonicalPath();
    if (canonical.isEmpty() || _visited.contains(canonical))
        return;
    _visited.insert(canonical);

    const QFileInfoList subdirs = dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo& subdir : subdirs)
        processDir(QDir(subdir.absoluteFilePath()));

    // Name filters ignore letter case unless QDir::CaseSensitive is given.
    const QFileInfoList files = dir.entryInfoList(
        { QStringLiteral("unit.xml") }, QDir::Files | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo& file : files)
        parseFile(file, dir);
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

    QDomDocument document;
    if (!document.setContent(content, false))
        return;
    const QDomElement root = document.documentElement();
    if (root.tagName() != QLatin1String("unit:unit"))
        return;
    const QDomElement unittypes = root.firstChildElement(QStringLiteral("unit:unittypes"));
    if (unittypes.isNull())
        return;

    for (QDomElement unittype = unittypes.firstChildElement(QStringLiteral("unit:unittype"));
         !unittype.isNull(); unittype = unittype.nextSiblingElement(QStringLiteral("unit:unittype"))) {
        const QString id = unittype.attribute(QStringLiteral("unit:id"));
        if (!id.isEmpty())
            _unitDirs.insert(id, QDir(dir.absolutePath()));
    }
}

} // namespace unit
