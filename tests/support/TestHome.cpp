#include "TestHome.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#include <cstdio>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// QTemporaryDir cannot see names that are not UTF-8, so it could not remove them.
void removeRaw(const QTemporaryDir* dir)
{
    if (dir)
        TestHome::removeTree(dir->path());
}

} // namespace

void TestHome::removeTree(const QString& path)
{
    ::nftw(
        QFile::encodeName(path).constData(),
        [](const char* path, const struct stat*, int, struct FTW*) {
            ::remove(path);
            return 0;
        },
        16, FTW_DEPTH | FTW_PHYS);
}

TestHome::TestHome()
{
    reset();
}

TestHome::~TestHome()
{
    removeRaw(_dir.get());
}

void TestHome::reset()
{
    removeRaw(_dir.get());
    _dir = std::make_unique<QTemporaryDir>();
    const QByteArray home = QFile::encodeName(_dir->path());
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
}

void TestHome::writeFile(const QString& path, const QByteArray& content)
{
    const QString clean = QDir::cleanPath(path);
    QDir().mkpath(QFileInfo(clean).absolutePath());
    QFile file(clean);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(content);
}

QStringList TestHome::entriesBelow(const QString& dir, QDir::Filters filters)
{
    QStringList paths;
    const QDir root(dir);
    QDirIterator it(dir, filters | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        paths << root.relativeFilePath(it.next());
    paths.sort();
    return paths;
}

QMap<QString, QByteArray> TestHome::filesBelow(const QString& dir)
{
    QMap<QString, QByteArray> files;
    for (const QString& path : entriesBelow(dir))
        files.insert(path, readFile(dir + QLatin1Char('/') + path));
    return files;
}

QByteArray TestHome::readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void TestHome::writeRawFile(const QByteArray& path, const QByteArray& content)
{
    for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1))
        ::mkdir(path.left(slash).constData(), 0777);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0 || ::write(fd, content.constData(), size_t(content.size())) != content.size())
        qFatal("cannot write %s", path.constData());
    ::close(fd);
}

QByteArray TestHome::readRawFile(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray content;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        content.append(buffer, n);
    ::close(fd);
    return content;
}
