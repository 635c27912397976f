#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

TestHome::TestHome()
{
    reset();
}

void TestHome::reset()
{
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

QByteArray TestHome::readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}
