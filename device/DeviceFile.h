#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <memory>

class QStandardItem;

namespace xml {
class Writer;
}

namespace device {

// The device file, device.xml: the device's tree read from its bytes and
// written back to them. The model holds the tree and its edits; this knows
// the format, so that neither has to read the other's rules.
class DeviceFile
{
public:
    DeviceFile() = delete;

    // The device's root item with everything below it, in no model; null
    // when content is not a well-formed device file.
    static std::unique_ptr<QStandardItem> read(const QByteArray& content);
    // The file for the device below root; a null root gives the empty device.
    static QByteArray xml(const QStandardItem* root);
    // The size of what xml() would give, learnt without keeping the bytes.
    static qsizetype xmlSize(const QStandardItem* root);

private:
    class TreeBuilder;

    static void write(xml::Writer& writer, const QStandardItem* root);
    // The "dev:subdevices" and "dev:units" sections of a device item, with
    // everything below it; and the "dev:units" section alone.
    static void saveDevice(xml::Writer& writer, const QStandardItem* item);
    static void saveUnits(xml::Writer& writer, const QStandardItem* item);
    static bool isKind(const QStandardItem* item, int kind);
};

} // namespace device
