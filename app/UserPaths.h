#pragma once

#include <QDir>
#include <QString>

// The one place that knows the paths of the user data tree below the home
// directory. Relative paths are entered from a QDir on the home directory;
// the others are absolute and follow QDir::homePath() at every call.
class UserPaths
{
public:
    static QString dataRelative() { return QStringLiteral("Ostrel/Velmora2"); }
    static QString unitsRelative() { return QStringLiteral("Ostrel/Velmora2/units"); }
    static QString functionBlocksRelative()
    {
        return QStringLiteral("Ostrel/Velmora2/units/MyFunctionBlocks");
    }

    // Home path + "/Ostrel/Velmora2/units/MyFunctionBlocks/".
    static QString functionBlocksPath()
    {
        return QDir::homePath() + QStringLiteral("/Ostrel/Velmora2/units/MyFunctionBlocks/");
    }

    static QString deviceFile()
    {
        return QDir::homePath() + QStringLiteral("/Ostrel/Velmora2/devices/MyFunctionBlocks/device.xml");
    }
};
