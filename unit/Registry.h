#pragma once

#include <QDir>
#include <QFileInfo>
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
    bool hasID(const QString& id) const { return _unitDirs.contains(id); }
    QDir getDir(const QString& id) const { return _unitDirs.value(id); }
    bool isEmpty() const { return _unitDirs.isEmpty(); }

    void processDir(const QDir& dir);
    void parseFile(const QFileInfo& file, const QDir& dir);

private:
    Registry() = default;

    QMap<QString, QDir> _unitDirs;
    // Canonical paths of the directories entered during one scan; a cycle of
    // symbolic links would otherwise never end.
    QSet<QString> _visited;
};

} // namespace unit
