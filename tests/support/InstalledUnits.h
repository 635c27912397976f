#pragma once

#include "fs/UserPaths.h"
#include "support/TestHome.h"
#include "unit/Registry.h"

#include <QDir>

// Exactly these ids installed: one unit file each, and the registry scanned anew.
inline void installUnits(const QStringList& ids)
{
    const QString units = QDir::homePath() + "/" + fs::UserPaths::unitsRelative();
    QDir(units).removeRecursively();
    for (const QString& id : ids) {
        TestHome::writeFile(units + "/" + id + ".unit/unit.xml",
            "<unit:unit><unit:unittypes><unit:unittype unit:id=\"" + id.toUtf8()
                + "\"/></unit:unittypes></unit:unit>");
    }
    unit::Registry::singleton()->refresh();
}
