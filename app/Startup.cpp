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
#include <QTranslator>
#include <QVarLengthArray>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

const QString userDirKey = QStringLiteral("userdir");

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

void readIni(const QString& iniPath)
{
    QSettings settings;
    if (QFile::exists(iniPath)) {
        const QSettings ini(iniPath, QSettings::IniFormat);
        settings.setValue(userDirKey, ini.value(userDirKey));
    } else {
        settings.setValue(userDirKey, QCoreApplication::applicationDirPath() + QStringLiteral("/../user"));
    }
}

void initUserProfile()
{
    QDir home = QDir::home();
    if (!home.exists(fs::UserPaths::dataRelative()) && !home.mkpath(fs::UserPaths::dataRelative()))
        return;

    const QString templatePath = QSettings().value(userDirKey).toString();
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
    const fs::Directory from(source.absolutePath());
    const fs::Directory to(target.absolutePath());
    if (!from.isOpen() || !to.isOpen())
        return;
    Visits visits;
    visits.active = { from.identity(), to.identity() };
    merge(from, to, visits, false);
}
