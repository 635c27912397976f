#pragma once

#include "device/FileWalker.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace device {

// The function block entries of a device file whose block is not installed,
// found without building the device's tree (and so without a display).
class MissingUnits : public FileWalker
{
public:
    struct Entry
    {
        QString id;
        // The names of the directories from the root down to the entry.
        QStringList directories;
    };

    // False when content is not a well-formed device file; entries then
    // holds nothing.
    static bool find(const QByteArray& content, QList<Entry>& entries);

protected:
    void beginDevice(const QString& id) override;
    void endDevice() override;
    void unit(const QString& id) override;
    void restart() override;

private:
    QStringList _directories;
    QList<Entry> _missing;
    bool _root = false;
};

} // namespace device
