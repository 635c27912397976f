#pragma once

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QPair>
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

    // The non-empty ids that a unit file declares, in document order; none
    // when it is not well-formed XML or not a unit description.
    static QStringList declaredIds(const QByteArray& content);

private:
    Registry() = default;

    QMap<QString, QDir> _unitDirs;
    // Device and inode of the directories entered during one scan; a cycle of
    // symbolic links would otherwise never end.
    QSet<QPair<quint64, quint64>> _visited;
};

} // namespace unit
