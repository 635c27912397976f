#include "app/Startup.h"

#include "fs/File.h"
#include "fs/UserPaths.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTranslator>

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

// Copies a file to a name that must not exist yet. The content goes to a
// hidden file beside the target first (hidden entries are never merged) and
// takes the target's name only when complete; the rename never replaces an
// entry that appeared meanwhile. Unlike QFile::copy it does not flush every
// file to the disk, which made a first start several times slower than cp.
void copyNew(const QString& from, const QString& to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return;
    QTemporaryFile target(QFileInfo(to).absolutePath() + QStringLiteral("/.fbmanager-copy-XXXXXX"));
    if (!target.open())
        return;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 n = source.read(buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0 || target.write(buffer, n) != n)
            return;
    }
    if (!target.flush())
        return;
    // As QFile::copy does: the source's permissions, and writable by its owner.
    target.setPermissions(source.permissions() | QFileDevice::WriteOwner);
    // A renamed temporary file would still be removed with the object.
    if (target.rename(to))
        target.setAutoRemove(false);
}

// `active` holds the canonical paths of the source and target directories on
// the current path of the recursion: a directory met again through a symbolic
// link (or a template that lies inside the tree it seeds) is skipped.
void merge(QDir& source, QDir& target, QSet<QString>& active)
{
    const QStringList subdirs = source.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString& name : subdirs) {
        const QString sourcePath = source.path();
        const QString targetPath = target.path();
        if (!source.cd(name))
            continue;
        const QString canonicalSource = source.canonicalPath();
        if (canonicalSource.isEmpty() || active.contains(canonicalSource)) {
            source.setPath(sourcePath);
            continue;
        }
        if (!fs::UserPaths::hasEntry(target.filePath(name)))
            target.mkdir(name);
        if (!target.cd(name)) {
            // A plain file of that name stands in the target: skip the whole directory.
            source.setPath(sourcePath);
            continue;
        }
        const QString canonicalTarget = target.canonicalPath();
        active.insert(canonicalSource);
        active.insert(canonicalTarget);
        merge(source, target, active);
        active.remove(canonicalSource);
        active.remove(canonicalTarget);
        source.setPath(sourcePath);
        target.setPath(targetPath);
    }

    const QStringList files = source.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString& name : files) {
        if (!fs::UserPaths::hasEntry(target.filePath(name)))
            copyNew(source.absoluteFilePath(name), target.absoluteFilePath(name));
    }
}

} // namespace

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
    if (own->load(locale, QStringLiteral("fbmanager"), QStringLiteral("_"), QStringLiteral(":/i18n")))
        QCoreApplication::installTranslator(own);
    else
        delete own;
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
    QDir home = QDir::home();
    if (!home.exists(fs::UserPaths::dataRelative()) && !home.mkpath(fs::UserPaths::dataRelative()))
        return;

    if (templatePath.isEmpty())
        return;
    QDir source(templatePath);

    QDir target = QDir::home();
    if (!target.cd(fs::UserPaths::dataRelative()))
        return;

    copyRec(source, target);
}

void copyRec(QDir& source, QDir& target)
{
    QSet<QString> active;
    const QString canonicalSource = source.canonicalPath();
    const QString canonicalTarget = target.canonicalPath();
    if (canonicalSource.isEmpty() || canonicalTarget.isEmpty())
        return;
    active.insert(canonicalSource);
    active.insert(canonicalTarget);
    merge(source, target, active);
}
