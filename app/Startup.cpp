#include "app/Startup.h"

#include "fs/Directory.h"
#include "fs/File.h"
#include "fs/UserPaths.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QTextStream>
#include <QTranslator>
#include <QVarLengthArray>

#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

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

using Identities = QSet<fs::Directory::Identity>;

// The directories on the current path of the recursion, source and target: a
// directory met again through a symbolic link (or a template that lies inside
// the tree it seeds) is skipped. And the directories already entered through a
// link: a second link to one is skipped too, or links between siblings would
// unfold into a tree that grows exponentially with their number.
struct Visits
{
    Identities active;
    Identities linked;
};

bool isLink(const fs::Directory& parent, const fs::Directory::Listing& listing, qsizetype i)
{
    if (listing.kind(i) != fs::Directory::Listing::UnknownKind)
        return listing.kind(i) == fs::Directory::Listing::LinkKind;
    struct stat status;
    return ::fstatat(parent.fd(), listing.name(i), &status, AT_SYMLINK_NOFOLLOW) != 0
        || S_ISLNK(status.st_mode);
}

// Only directories and regular files are merged: a FIFO, device or socket (or
// a link to one) is left alone. `fresh`: target was just made, so nothing of
// the source's stands there yet.
void merge(const fs::Directory& source, const fs::Directory& target, Visits& visits, bool fresh)
{
    fs::Directory::Listing listing;
    source.list(listing);
    QVarLengthArray<qsizetype, 32> files;
    for (qsizetype i = 0; i < listing.size(); ++i) {
        if (listing.isHidden(i))
            continue;
        const char* name = listing.name(i);
        if (listing.mayBeDirectory(i)) {
            const fs::Directory from(source, name);
            if (!from.isOpen()) {
                if (from.error() == ENOTDIR)
                    files.append(i);
                continue;
            }
            if (visits.active.contains(from.identity()))
                continue;
            if (isLink(source, listing, i)) {
                if (visits.linked.contains(from.identity()))
                    continue;
                visits.linked.insert(from.identity());
            }
            // Opened first: on a second start every directory is there already.
            fs::Directory to;
            if (!fresh)
                to = fs::Directory(target, name);
            bool made = false;
            if (!to.isOpen() && (fresh || to.error() == ENOENT)) {
                made = target.makeDirectory(name);
                to = fs::Directory(target, name);
            }
            // A plain file of that name stands in the target: the whole directory is skipped.
            if (!to.isOpen())
                continue;
            const bool newTarget = !visits.active.contains(to.identity());
            visits.active.insert(from.identity());
            if (newTarget)
                visits.active.insert(to.identity());
            merge(from, to, visits, made);
            visits.active.remove(from.identity());
            if (newTarget)
                visits.active.remove(to.identity());
        } else if (listing.kind(i) == fs::Directory::Listing::RegularKind) {
            files.append(i);
        }
    }

    // The copy never replaces an entry; the check first only spares opening
    // the source of every file on a second start.
    for (const qsizetype i : files) {
        if (fresh || !target.hasEntry(listing.name(i)))
            fs::copyNewFile(source.fd(), listing.name(i), target.fd());
    }
}

void mergeTree(const fs::Directory& from, const fs::Directory& to)
{
    if (!from.isOpen() || !to.isOpen())
        return;
    Visits visits;
    visits.active = { from.identity(), to.identity() };
    merge(from, to, visits, false);
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
    mergeTree(fs::Directory(templatePath), fs::Directory(data));
}

void copyRec(QDir& source, QDir& target)
{
    mergeTree(fs::Directory(source.absolutePath()), fs::Directory(target.absolutePath()));
}
