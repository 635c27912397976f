#include "device/Model.h"

#include "xml/Element.h"
#include "xml/Schema.h"

#include <QApplication>
#include <QDomDocument>
#include <QStyle>

namespace device {

QIcon Model::_dirIcon;
bool Model::_dirIconInitialized = false;

namespace {

int kindOf(const QStandardItem* item)
{
    return item->data(Model::ItemTypeRole).toInt();
}

// Children in row order; a missing item (no root loaded) has none.
QList<QStandardItem*> childrenOfKind(const QStandardItem* item, int kind)
{
    QList<QStandardItem*> children;
    if (!item)
        return children;
    for (int row = 0; row < item->rowCount(); ++row) {
        QStandardItem* child = item->child(row);
        if (child && kindOf(child) == kind)
            children << child;
    }
    return children;
}

// Folders (root and directories) are the items that take children.
QStandardItem* createItem(const QString& text, int kind, const QIcon& folderIcon, bool draggable)
{
    auto* item = new QStandardItem(text);
    item->setData(kind, Model::ItemTypeRole);
    const bool folder = kind != Model::UnitItem;
    if (folder)
        item->setData(folderIcon, Qt::DecorationRole);
    item->setDragEnabled(draggable);
    item->setDropEnabled(folder);
    return item;
}

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

    parentItem->removeRow(item->row());
    _changed = true;
}

void Model::load(const QByteArray& content)
{
    clear();
    _rootItem = nullptr;
    // The tree keeps its single root: nothing is dropped beside it.
    QStandardItem* top = invisibleRootItem();
    top->setFlags(top->flags() & ~(Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled));

    // The DOM keeps what it read up to a syntax error; a broken file counts
    // as no device at all.
    QDomDocument document;
    if (!document.setContent(content, false))
        return;
    const QDomElement element = document.documentElement();
    if (element.tagName() != QLatin1String("dev:device"))
        return;

    // Every item is complete before it enters the tree, so loading raises no
    // item-changed notification and leaves the modified flag alone.
    QStandardItem* rootItem = createRootItem(element.attribute(QStringLiteral("dev:id")));
    loadDevice(element, rootItem);
    _rootItem = rootItem;
    top->appendRow(rootItem);
}

QByteArray Model::xml() const
{
    xml::Element document(QStringLiteral("dev:device"));
    const QString deviceUri = xml::schemaUri(QStringLiteral("device"));
    document.setAttribute(QStringLiteral("xmlns:xsi"), xml::xsiNamespace);
    document.setAttribute(QStringLiteral("xsi:schemaLocation"), deviceUri + QStringLiteral(" device.xsd"));
    document.setAttribute(QStringLiteral("xmlns:dev"), deviceUri);
    document.setAttribute(QStringLiteral("xmlns:tr"), xml::schemaUri(QStringLiteral("translation")));
    document.setAttribute(QStringLiteral("xmlns:md"), xml::schemaUri(QStringLiteral("model")));
    document.setAttribute(QStringLiteral("dev:id"), QStringLiteral("MyFuncBlocks"));
    document.setAttribute(QStringLiteral("dev:toplevel"), QStringLiteral("true"));
    document.appendChild(QStringLiteral("dev:translations"));

    // Without a root item (nothing loaded yet, or no device in the content)
    // this writes the empty device, which loads back as an empty root.
    saveDevice(document, invisibleRootItem()->child(0));
    return document.toDocument();
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

void Model::loadDevice(const QDomElement& element, QStandardItem* item)
{
    for (QDomElement child = element.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        if (child.tagName() == QLatin1String("dev:subdevices"))
            loadSubdevices(child, item);
        else if (child.tagName() == QLatin1String("dev:units"))
            loadUnits(child, item);
    }
}

void Model::loadSubdevices(const QDomElement& element, QStandardItem* item)
{
    for (QDomElement child = element.firstChildElement(QStringLiteral("dev:device")); !child.isNull();
         child = child.nextSiblingElement(QStringLiteral("dev:device"))) {
        QStandardItem* directory = createDeviceItem(child.attribute(QStringLiteral("dev:id")));
        loadDevice(child, directory);
        item->appendRow(directory);
    }
}

void Model::loadUnits(const QDomElement& element, QStandardItem* item)
{
    for (QDomElement child = element.firstChildElement(QStringLiteral("dev:unit")); !child.isNull();
         child = child.nextSiblingElement(QStringLiteral("dev:unit")))
        item->appendRow(createUnitItem(child.attribute(QStringLiteral("dev:type"))));
}

void Model::saveDevice(xml::Element& element, QStandardItem* item)
{
    xml::Element& subdevices = element.appendChild(QStringLiteral("dev:subdevices"));
    xml::Element& units = element.appendChild(QStringLiteral("dev:units"));
    saveSubdevices(subdevices, item);
    saveUnits(units, item);
}

void Model::saveSubdevices(xml::Element& element, QStandardItem* item)
{
    for (QStandardItem* child : childrenOfKind(item, DeviceItem)) {
        xml::Element& device = element.appendChild(QStringLiteral("dev:device"));
        device.setAttribute(QStringLiteral("dev:id"), child->text());
        saveDevice(device, child);
    }
}

void Model::saveUnits(xml::Element& element, QStandardItem* item)
{
    for (const QStandardItem* child : childrenOfKind(item, UnitItem))
        element.appendChild(QStringLiteral("dev:unit"))
            .setAttribute(QStringLiteral("dev:type"), child->text());
}

void Model::on_itemChanged()
{
    _changed = true;
}

} // namespace device
