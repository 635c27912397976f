#pragma once

#include "fs/FileName.h"

#include <QFileInfo>
#include <QDir>
#include <QString>

#include <cerrno>
#include <sys/stat.h>

namespace fs {

// The one place that knows the paths of the user data tree below the home
// directory. Relative paths are entered from the home directory; the others
// are absolute and follow home() at every call.
class UserPaths
{
public:
    static QString dataRelative() { return QStringLiteral("Ostrel/Velmora2"); }
    static QString unitsRelative() { return QStringLiteral("Ostrel/Velmora2/units"); }
    static QString functionBlocksRelative()
    {
        return QStringLiteral("Ostrel/Velmora2/units/MyFunctionBlocks");
    }

    // The home directory by its raw bytes, so that a name that is not UTF-8
    // still names it (QDir::homePath() would not); the program's start makes
    // sure HOME is set.
    static QString home() { return decodeName(qgetenv("HOME")); }

    // Home path + "/Ostrel/Velmora2/units/MyFunctionBlocks/".
    static QString functionBlocksPath()
    {
        return home() + QStringLiteral("/Ostrel/Velmora2/units/MyFunctionBlocks/");
    }

    // Whether anything stands at path, a dangling symbolic link included: the
    // program never writes over an entry it did not expect, nor through a
    // link to somewhere outside the user's tree.
    static bool hasEntry(const QString& path)
    {
        // Where the answer is unknown (no permission), something may stand.
        struct stat status;
        return ::lstat(fs::encodeName(path).constData(), &status) == 0
            || (errno != ENOENT && errno != ENOTDIR && errno != ENAMETOOLONG);
    }

    static QString deviceFile()
    {
        return home() + QStringLiteral("/Ostrel/Velmora2/devices/MyFunctionBlocks/device.xml");
    }
};

} // namespace fs
