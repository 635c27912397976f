#include "device/Model.h"

#include "xml/Reader.h"
#include "xml/Schema.h"
#include "xml/Writer.h"

#include <QApplication>
#include <QStyle>

#include <memory>
#include <vector>

namespace device {

QIcon Model::_dirIcon;
bool Model::_dirIconInitialized = false;

namespace {

int kindOf(const QStandardItem* item)
{
    return item->data(Model::ItemTypeRole).toInt();
}

// A row may be empty in the first column.
bool isKind(const QStandardItem* item, int kind)
{
    return item && kindOf(item) == kind;
}

// Folders (root and directories) are the items that take children.
QStandardItem* createItem(const QString& text, int kind, const QIcon& folderIcon, bool draggable)
{
    auto* item = new QStandardItem(text);
    item->setData(kind, Model::ItemTypeRole);
    const bool folder = kind != Model::UnitItem;
    if (folder)
        item->setData(folderIcon, Qt::DecorationRole);
    // One change of the flags instead of two: every change is a data change
    // of its own, and a large device makes many items.
    Qt::ItemFlags flags = item->flags() & ~(Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
    if (draggable)
        flags |= Qt::ItemIsDragEnabled;
    if (folder)
        flags |= Qt::ItemIsDropEnabled;
    item->setFlags(flags);
    return item;
}

// Removes a row with its whole subtree, leaves first. Left to itself, an item
// deletes its children recursively, and each deletion inside a model costs
// time in the depth of the item: a deeply nested device took time in the
// square of its depth and ran out of stack beyond some ten thousand levels.
void deleteRow(QStandardItem* parent, int row)
{
    std::vector<QStandardItem*> path;
    if (QStandardItem* top = parent->child(row))
        path.push_back(top);
    while (!path.empty()) {
        QStandardItem* item = path.back();
        const int rows = item->rowCount();
        if (rows == 0) {
            path.pop_back();
            continue;
        }
        QStandardItem* last = item->child(rows - 1);
        if (last && last->rowCount() > 0)
            path.push_back(last);
        else
            item->removeRow(rows - 1);
    }
    parent->removeRow(row);
}

// Takes the row out of the model in one step, which tells views once, and
// then deletes the detached subtree leaves first: outside a model a removal
// tells no one and costs little.
void takeAndDeleteRow(QStandardItem* parent, int row)
{
    const QList<QStandardItem*> taken = parent->takeRow(row);
    for (QStandardItem* top : taken) {
        if (!top)
            continue;
        QStandardItem holder;
        holder.appendRow(top);
        deleteRow(&holder, 0);
    }
}

// Builds the device tree while the reader walks the file: in a device, its
// subdevices and units sections count; in subdevices, the devices; in units,
// the units; everything else is passed over with all it holds. The tree is
// kept on the heap, however deep the file nests.
class TreeBuilder : public xml::ElementHandler
{
public:
    std::unique_ptr<QStandardItem> root;

    void startElement(QAnyStringView name, const xml::Attributes& attributes) override
    {
        if (_open.empty()) {
            if (name == QLatin1String("dev:device")) {
                root.reset(Model::createRootItem(attributes.value(QLatin1String("dev:id"))));
                _open.push_back({ Device, root.get() });
            } else {
                _open.push_back({ Ignored, nullptr });
            }
            return;
        }
        const Open parent = _open.back();
        switch (parent.context) {
        case Device:
            if (name == QLatin1String("dev:subdevices"))
                _open.push_back({ Subdevices, parent.item });
            else if (name == QLatin1String("dev:units"))
                _open.push_back({ Units, parent.item });
            else
                _open.push_back({ Ignored, nullptr });
            return;
        case Subdevices:
            if (name == QLatin1String("dev:device")) {
                QStandardItem* directory = copy(*_directory, attributes.value(QLatin1String("dev:id")));
                parent.item->appendRow(directory);
                _open.push_back({ Device, directory });
            } else {
                _open.push_back({ Ignored, nullptr });
            }
            return;
        case Units:
            if (name == QLatin1String("dev:unit"))
                parent.item->appendRow(copy(*_unit, attributes.value(QLatin1String("dev:type"))));
            _open.push_back({ Ignored, nullptr });
            return;
        case Ignored:
            _open.push_back({ Ignored, nullptr });
            return;
        }
    }

    void endElement() override { _open.pop_back(); }

    void reset() override
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

    enum Context { Device, Subdevices, Units, Ignored };
    struct Open
    {
        Context context;
        QStandardItem* item;
    };
    std::vector<Open> _open;
    const std::unique_ptr<QStandardItem> _directory { Model::createDeviceItem(QString()) };
    const std::unique_ptr<QStandardItem> _unit { Model::createUnitItem(QString()) };
};

} // namespace

Model::Model(QObject* parent)
    : QStandardItemModel(parent)
{
    if (!_dirIconInitialized) {
        const QStyle* style = QApplication::style();
        _dirIcon = QIcon(style->standardPixmap(QStyle::SP_DirClosedIcon));
        _dirIcon.addPixmap(style->standardPixmap(QStyle::SP_DirOpenIcon), QIcon::Normal, QIcon::On);
        _dirIconInitialized = true;
    }
    connect(this, &QStandardItemModel::itemChanged, this, &Model::on_itemChanged);
}

Model::~Model()
{
    if (_rootItem)
        takeAndDeleteRow(invisibleRootItem(), _rootItem->row());
}

QModelIndex Model::root() const
{
    if (!_rootItem)
        return {};
    return indexFromItem(_rootItem);
}

QModelIndex Model::addDirectory(const QModelIndex& parent)
{
    QStandardItem* parentItem = parent.isValid() ? itemFromIndex(parent) : nullptr;
    if (!parentItem)
        return {};

    // New directories join the leading run of directories, the order the file
    // keeps anyway.
    int row = 0;
    while (row < parentItem->rowCount() && kindOf(parentItem->child(row)) == DeviceItem)
        ++row;
    QStandardItem* item = createDeviceItem(tr("New directory"));
    parentItem->insertRow(row, item);
    _changed = true;
    return item->index();
}

QModelIndex Model::addUnit(const QModelIndex& parent)
{
    QStandardItem* parentItem = parent.isValid() ? itemFromIndex(parent) : nullptr;
    if (!parentItem)
        return {};

    QStandardItem* item = createUnitItem(tr("Unit"));
    parentItem->appendRow(item);
    _changed = true;
    return item->index();
}

void Model::remove(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    QStandardItem* item = itemFromIndex(index);
    QStandardItem* parentItem = item ? item->parent() : nullptr;
    if (!parentItem || kindOf(item) == RootItem)
        return;

    deleteRow(parentItem, item->row());
    _changed = true;
}

void Model::load(const QByteArray& content)
{
    if (_rootItem)
        takeAndDeleteRow(invisibleRootItem(), _rootItem->row());
    clear();
    _rootItem = nullptr;
    // The tree keeps its single root: nothing is dropped beside it.
    QStandardItem* top = invisibleRootItem();
    top->setFlags(top->flags() & ~(Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled));

    // A file that is not well-formed counts as no device at all, even if
    // it began like one.
    TreeBuilder builder;
    if (!xml::Reader::read(content, builder) || !builder.root)
        return;

    // Every item is complete before it enters the tree, so loading raises no
    // item-changed notification and leaves the modified flag alone.
    _rootItem = builder.root.release();
    top->appendRow(_rootItem);
}

QByteArray Model::xml() const
{
    xml::Writer writer;
    write(writer);
    return writer.take();
}

qsizetype Model::xmlSize() const
{
    xml::Writer writer(0);
    write(writer);
    return writer.size();
}

void Model::write(xml::Writer& writer) const
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
    saveDevice(writer, invisibleRootItem()->child(0));
    writer.endElement();
}

QStandardItem* Model::createRootItem(const QString& text)
{
    return createItem(text, RootItem, _dirIcon, false);
}

QStandardItem* Model::createDeviceItem(const QString& text)
{
    return createItem(text, DeviceItem, _dirIcon, true);
}

QStandardItem* Model::createUnitItem(const QString& text)
{
    return createItem(text, UnitItem, {}, true);
}

// The directories below the item, depth first, with the path to the one
// being written kept on the heap: a device nests as deep as its file did.
void Model::saveDevice(xml::Writer& writer, const QStandardItem* item)
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
        while (open.nextRow < rows && !isKind(open.item->child(open.nextRow), DeviceItem))
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

void Model::saveUnits(xml::Writer& writer, const QStandardItem* item)
{
    writer.startElement(QLatin1String("dev:units"));
    const int rows = item ? item->rowCount() : 0;
    for (int row = 0; row < rows; ++row) {
        const QStandardItem* child = item->child(row);
        if (!isKind(child, UnitItem))
            continue;
        writer.startElement(QLatin1String("dev:unit"));
        writer.attribute(QLatin1String("dev:type"), child->text());
        writer.endElement();
    }
    writer.endElement();
}

void Model::on_itemChanged()
{
    _changed = true;
}

} // namespace device
