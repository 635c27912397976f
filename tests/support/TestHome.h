#pragma once

#include <QByteArray>
#include <QDir>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A fresh temporary directory used as HOME and XDG_CONFIG_HOME, so that no
// test reads or writes the real home or the real settings.
class TestHome
{
public:
    TestHome();
    ~TestHome();

    // Points HOME and XDG_CONFIG_HOME at a new empty directory.
    void reset();

    QString path() const { return _dir->path(); }

    // Test helpers for files below the home directory.
    static void writeFile(const QString& path, const QByteArray& content);
    static QByteArray readFile(const QString& path);
    // The same by raw bytes, for names that are not valid UTF-8.
    static void writeRawFile(const QByteArray& path, const QByteArray& content);
    static QByteArray readRawFile(const QByteArray& path);
    // The entries below dir that filters let through, hidden ones included,
    // at any depth: their paths relative to dir, sorted.
    static QStringList entriesBelow(const QString& dir, QDir::Filters filters = QDir::Files);
    // Every file below dir, hidden ones included, with its bytes.
    static QMap<QString, QByteArray> filesBelow(const QString& dir);
    // Removes path and everything below it, whatever bytes the names hold.
    static void removeTree(const QString& path);

private:
    std::unique_ptr<QTemporaryDir> _dir;
};
