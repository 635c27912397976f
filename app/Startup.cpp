#include "app/Startup.h"

#include "fs/Directory.h"
#include "fs/File.h"
#include "fs/FileName.h"
#include "fs/MakeDirectory.h"
#include "fs/TreeWalker.h"
#include "fs/UserPaths.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QTextStream>
#include <QTranslator>

#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <cstring>
#include <unistd.h>

Q_LOGGING_CATEGORY(startupLog, "fbmanager.app", QtInfoMsg)

namespace {

const QString userDirKey = QStringLiteral("userdir");

// Far more than one key needs; a larger settings file is not ours.
constexpr qint64 settingsFileLimit = 1024 * 1024;

// QSettings reads its files when it is constructed, blocking on a FIFO and
// taking any size. A file is safe for it when it is absent or a regular file
// within the limit.
bool safeToRead(const QString& path)
{
    const fs::ReadResult::Status status = fs::readFile(path, settingsFileLimit).status;
    return status == fs::ReadResult::Ok || status == fs::ReadResult::Missing;
}

} // namespace

// The files the default settings object reads: the application's and the
// organisation's, in the user's configuration directory and the system's.
bool settingsSafeToRead()
{
    const QString organisation = QCoreApplication::organizationName();
    const QString application = QCoreApplication::applicationName();
    const QStringList dirs = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    for (const QString& dir : dirs) {
        if (!safeToRead(dir + QLatin1Char('/') + organisation + QLatin1Char('/') + application
                + QStringLiteral(".conf"))
            || !safeToRead(dir + QLatin1Char('/') + organisation + QStringLiteral(".conf")))
            return false;
    }
    return true;
}

namespace {

// Merges the source tree into the target without replacing anything: each
// directory the walk enters gets its twin in the target (made when missing),
// and the source's regular files are copied where the twin has no entry of
// that name. Only directories and regular files are merged: a FIFO, device or
// socket (or a link to one) is left alone.
//
// A directory is merged wherever a link leads to it, also a second time. But
// inside such a repeat, a link to a directory merged before is not unfolded
// again: links between siblings would otherwise unfold into a tree that grows
// exponentially with their number. Links back into the ancestors, cycles,
// the walk skips itself.
class Merge : public fs::TreeWalker
{
public:
    // target: the twin of the walk's root, open.
    Merge(const QByteArray& targetPath, const fs::Directory& target)
    {
        _twins.push_back({ targetPath, target.identity(), false });
        _targetAncestors.insert(target.identity());
    }

protected:
    bool enterDirectory(
        const QByteArray& path, const char* name, const fs::Directory& directory, bool viaLink) override
    {
        const bool mergedBefore = _merged.contains(directory.identity());
        if (viaLink && mergedBefore && _twins.back().repeat) {
            qCInfo(startupLog) << "Not unfolded again inside a repeat, merged elsewhere:" << path;
            return false;
        }
        // A source directory that is also a target on the way down (a
        // template inside the tree it seeds) would be merged into itself.
        if (_targetAncestors.contains(directory.identity())) {
            qCInfo(startupLog) << "Not merged, the directory is a target above it:" << path;
            return false;
        }
        const Twin& parent = _twins.back();
        const QByteArray targetPath = parent.path + '/' + name;
        // Opened first: on a second start every directory is there already.
        fs::Directory twin;
        if (!parent.fresh)
            twin = fs::Directory::atPath(targetPath);
        bool made = false;
        if (!twin.isOpen() && (parent.fresh || twin.error() == ENOENT)) {
            made = fs::makeDirectory(targetPath);
            twin = fs::Directory::atPath(targetPath);
        }
        // A plain file of that name stands in the target: the whole directory is skipped.
        if (!twin.isOpen()) {
            qCWarning(startupLog) << "Not merged:" << path << "into" << targetPath
                                  << std::strerror(twin.error());
            return false;
        }
        const bool newAncestor = !_targetAncestors.contains(twin.identity());
        if (newAncestor)
            _targetAncestors.insert(twin.identity());
        _merged.insert(directory.identity());
        _twins.push_back({ targetPath, twin.identity(), made, newAncestor, mergedBefore || parent.repeat });
        return true;
    }

    // The copy never replaces an entry; the check first only spares opening
    // the source of every file on a second start.
    void leaveDirectory(const fs::Directory& directory, const QByteArray& path,
        const fs::Directory::Listing& listing, const std::vector<qsizetype>& files) override
    {
        const Twin twin = _twins.back();
        _twins.pop_back();
        if (twin.ancestor)
            _targetAncestors.remove(twin.identity);
        if (!directory.isOpen())
            return;
        const fs::Directory target = fs::Directory::atPath(twin.path);
        if (!target.isOpen() || !(target.identity() == twin.identity)) {
            qCWarning(startupLog) << "Files not merged, the target changed:" << path << "into" << twin.path;
            return;
        }
        for (const qsizetype i : files) {
            if (!twin.fresh && target.hasEntry(listing.name(i)))
                continue;
            const fs::WriteResult copied = fs::copyNewFile(directory.fd(), listing.name(i), target.fd());
            if (!copied.ok())
                qCInfo(startupLog) << "Not copied:" << path + '/' + listing.name(i) << "into" << twin.path
                                   << std::strerror(copied.error);
        }
    }

private:
    struct Twin
    {
        QByteArray path;
        fs::Directory::Identity identity;
        // Just made, so nothing of the source's stands there yet.
        bool fresh = false;
        // Whether the twin entered the target ancestors with this level.
        bool ancestor = true;
        // Its source, or one above it, was merged before.
        bool repeat = false;
    };
    std::vector<Twin> _twins;
    QSet<fs::Directory::Identity> _targetAncestors;
    QSet<fs::Directory::Identity> _merged;
};

void mergeTree(const QByteArray& sourcePath, const QByteArray& targetPath)
{
    const fs::Directory to = fs::Directory::atPath(targetPath);
    if (!to.isOpen()) {
        qCWarning(startupLog) << "Nothing merged into" << targetPath << std::strerror(to.error());
        return;
    }
    Merge(targetPath, to).walk(sourcePath);
}

// Qt finds the settings by HOME or XDG_CONFIG_HOME decoded as UTF-8: for a
// name that is not UTF-8 it would make a directory of another name. It gets
// the configuration directory through the process's own descriptor instead,
// a plain ASCII name that leads to the right place.
void settleConfigDirectory()
{
    QByteArray config = qgetenv("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = qgetenv("HOME") + "/.config";
    if (QString::fromUtf8(config).toUtf8() == config)
        return;
    ::mkdir(config.constData(), 0700);
    const int fd = ::open(config.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0)
        qputenv("XDG_CONFIG_HOME", "/proc/self/fd/" + QByteArray::number(fd));
}

} // namespace

bool ensureHome(QTextStream& err)
{
    if (qEnvironmentVariableIsEmpty("HOME")) {
        const passwd* entry = ::getpwuid(::getuid());
        if (entry && entry->pw_dir && entry->pw_dir[0] == '/')
            qputenv("HOME", entry->pw_dir);
    }
    if (!qEnvironmentVariableIsEmpty("HOME")) {
        settleConfigDirectory();
        return true;
    }
    err << QCoreApplication::translate(
        "Startup", "fbmanager: no home directory: HOME is not set and the user has none.")
        << '\n';
    err.flush();
    return false;
}

void installTranslations()
{
    QCoreApplication* app = QCoreApplication::instance();
    const QLocale locale;
    auto* qt = new QTranslator(app);
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
    auto* own = new QTranslator(app);
    if (loadProgramTranslation(*own, locale))
        QCoreApplication::installTranslator(own);
    else
        delete own;
}

bool loadProgramTranslation(QTranslator& translator, const QLocale& locale)
{
    const QString dir = QStringLiteral(":/i18n");
    // The sources are English, but "%n entries" needs the English catalogue for
    // its singular. A language without a catalogue of its own shows English
    // texts, so it gets English plurals too; so does the C locale, whose only
    // UI language "C" names no catalogue.
    return translator.load(locale, QStringLiteral("fbmanager"), QStringLiteral("_"), dir)
        || translator.load(QStringLiteral("fbmanager_en"), dir);
}

QString readIni(const QString& iniPath)
{
    QVariant userDir = QCoreApplication::applicationDirPath() + QStringLiteral("/../user");
    // An ini file that cannot be read safely counts as absent.
    if (QFile::exists(iniPath) && safeToRead(iniPath))
        userDir = QSettings(iniPath, QSettings::IniFormat).value(userDirKey);
    // Stored for the environment; start-up itself goes on with the returned
    // path, so a settings file that cannot be written stops nothing.
    if (settingsSafeToRead())
        QSettings().setValue(userDirKey, userDir);
    return userDir.toString();
}

void initUserProfile()
{
    if (settingsSafeToRead())
        initUserProfile(QSettings().value(userDirKey).toString());
}

void initUserProfile(const QString& templatePath)
{
    // By raw names from the home directory on: a home that is not UTF-8 is
    // still the user's.
    const QString data = fs::UserPaths::home() + QLatin1Char('/') + fs::UserPaths::dataRelative();
    if (!fs::makeDirectories(data).ok() || templatePath.isEmpty())
        return;
    mergeTree(fs::encodeName(QDir(templatePath).absolutePath()), fs::encodeName(data));
}

void copyRec(QDir& source, QDir& target)
{
    mergeTree(fs::encodeName(source.absolutePath()), fs::encodeName(target.absolutePath()));
}
