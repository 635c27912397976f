#pragma once

#include "fs/Directory.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

namespace unit {

// The unit ids declared by the unit.xml files below the user's units
// directory, each with the directory that declares it.
class Registry
{
public:
    static Registry* singleton();

    void refresh();

    QStringList getIDs() const;
    bool hasID(const QString& id) const { return _ids.contains(id); }
    // A directory whose name is not valid UTF-8 keeps its bytes in the path
    // as fs/FileName.h describes: fs::Directory and fs::readFile reach it,
    // QDir's own file access does not.
    QDir getDir(const QString& id) const { return _unitDirs.value(id); }
    // The unit file that declares id, which the scan matched in any letter
    // case: the one way to find a block's file.
    QString unitFile(const QString& id) const;
    bool isEmpty() const { return _unitDirs.isEmpty(); }

    // The walk below a directory and the reading of one unit file in it.
    void processDir(const QDir& dir);
    void parseFile(const QFileInfo& file, const QDir& dir);

    // The non-empty ids that a unit file declares, in document order; none
    // when it is not well-formed XML or not a unit description.
    static QStringList declaredIds(const QByteArray& content);

private:
    class Scan;

    Registry() = default;

    // path: the directory's absolute path as bytes.
    void scan(const QByteArray& path);
    void parseFileAt(const fs::Directory& dir, const char* name, const QByteArray& path);

    QMap<QString, QDir> _unitDirs;
    // The keys of _unitDirs once more, hashed: a device asks for every one
    // of its entries, 100,000 string comparisons in the sorted map's depth
    // each time the window marks the missing ones.
    QSet<QString> _ids;
    // The unit files not named exactly "unit.xml", by id; nearly always empty.
    QHash<QString, QString> _otherFileNames;
};

} // namespace unit
