#include "device/DeviceFile.h"

#include "device/FileWalker.h"
#include "device/Model.h"
#include "xml/Reader.h"
#include "xml/Schema.h"
#include "xml/Writer.h"

#include <QStandardItem>

#include <utility>
#include <vector>

namespace device {

// Builds the device tree while the reader walks the file; the tree is kept
// on the heap, however deep the file nests.
class DeviceFile::TreeBuilder : public FileWalker
{
public:
    std::unique_ptr<QStandardItem> root;

protected:
    void beginDevice(const QString& id) override
    {
        if (_open.empty()) {
            root.reset(Model::createRootItem(id));
            _open.push_back(root.get());
            return;
        }
        QStandardItem* directory = copy(*_directory, id);
        _open.back()->appendRow(directory);
        _open.push_back(directory);
    }

    void endDevice() override { _open.pop_back(); }

    void unit(const QString& id) override { _open.back()->appendRow(copy(*_unit, id)); }

    void restart() override
    {
        root.reset();
        _open.clear();
    }

private:
    // A copy of a finished item with another text costs a third of making
    // one: its data is shared until the text is set.
    static QStandardItem* copy(const QStandardItem& prototype, const QString& text)
    {
        QStandardItem* item = prototype.clone();
        item->setText(text);
        return item;
    }

    std::vector<QStandardItem*> _open;
    const std::unique_ptr<QStandardItem> _directory { Model::createDeviceItem(QString()) };
    const std::unique_ptr<QStandardItem> _unit { Model::createUnitItem(QString()) };
};

std::unique_ptr<QStandardItem> DeviceFile::read(const QByteArray& content)
{
    // A file that is not well-formed counts as no device at all, even if
    // it began like one.
    TreeBuilder builder;
    if (!xml::Reader::read(content, builder))
        return nullptr;
    return std::move(builder.root);
}

QByteArray DeviceFile::xml(const QStandardItem* root)
{
    xml::Writer writer;
    write(writer, root);
    return writer.take();
}

qsizetype DeviceFile::xmlSize(const QStandardItem* root)
{
    xml::Writer writer(0);
    write(writer, root);
    return writer.size();
}

void DeviceFile::write(xml::Writer& writer, const QStandardItem* root)
{
    const QString deviceUri = xml::schemaUri(QStringLiteral("device"));
    writer.startElement(QLatin1String("dev:device"));
    writer.attribute(QLatin1String("xmlns:xsi"), xml::xsiNamespace);
    writer.attribute(QLatin1String("xsi:schemaLocation"), QString(deviceUri + QStringLiteral(" device.xsd")));
    writer.attribute(QLatin1String("xmlns:dev"), deviceUri);
    writer.attribute(QLatin1String("xmlns:tr"), xml::schemaUri(QStringLiteral("translation")));
    writer.attribute(QLatin1String("xmlns:md"), xml::schemaUri(QStringLiteral("model")));
    writer.attribute(QLatin1String("dev:id"), u"MyFuncBlocks");
    writer.attribute(QLatin1String("dev:toplevel"), u"true");
    writer.startElement(QLatin1String("dev:translations"));
    writer.endElement();
    // Without a root item (nothing loaded yet, or no device in the content)
    // this writes the empty device, which loads back as an empty root.
    saveDevice(writer, root);
    writer.endElement();
}

// The directories below the item, depth first, with the path to the one
// being written kept on the heap: a device nests as deep as its file did.
void DeviceFile::saveDevice(xml::Writer& writer, const QStandardItem* item)
{
    struct Open
    {
        const QStandardItem* item;
        int nextRow;
    };
    std::vector<Open> path;
    writer.startElement(QLatin1String("dev:subdevices"));
    path.push_back({ item, 0 });
    while (!path.empty()) {
        Open& open = path.back();
        const int rows = open.item ? open.item->rowCount() : 0;
        while (open.nextRow < rows && !isKind(open.item->child(open.nextRow), Model::DeviceItem))
            ++open.nextRow;
        if (open.nextRow < rows) {
            const QStandardItem* directory = open.item->child(open.nextRow++);
            writer.startElement(QLatin1String("dev:device"));
            writer.attribute(QLatin1String("dev:id"), directory->text());
            writer.startElement(QLatin1String("dev:subdevices"));
            path.push_back({ directory, 0 });
            continue;
        }
        writer.endElement();
        saveUnits(writer, open.item);
        path.pop_back();
        // The document element is the caller's to end.
        if (!path.empty())
            writer.endElement();
    }
}

void DeviceFile::saveUnits(xml::Writer& writer, const QStandardItem* item)
{
    writer.startElement(QLatin1String("dev:units"));
    const int rows = item ? item->rowCount() : 0;
    for (int row = 0; row < rows; ++row) {
        const QStandardItem* child = item->child(row);
        if (!isKind(child, Model::UnitItem))
            continue;
        writer.startElement(QLatin1String("dev:unit"));
        writer.attribute(QLatin1String("dev:type"), child->text());
        writer.endElement();
    }
    writer.endElement();
}

// A row may be empty in the first column.
bool DeviceFile::isKind(const QStandardItem* item, int kind)
{
    return item && Model::kindOf(item) == kind;
}

} // namespace device
