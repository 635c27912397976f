#include "device/Model.h"

#include "device/DeviceFile.h"
#include "device/Edit.h"
#include "unit/Registry.h"

#include <QApplication>
#include <QDataStream>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QStyle>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace device {

QIcon Model::_dirIcon;
QIcon Model::_missingIcon;
bool Model::_dirIconInitialized = false;

namespace {

// Our own drag format: the dragged item's row path, so that a drop moves the
// item itself instead of inserting a copy.
const QString itemPathFormat = QStringLiteral("application/x-fbmanager-device-item");

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

// Empties an item, leaves first. Left to itself, an item deletes its children
// recursively, and each deletion inside a model costs time in the depth of
// the item: a deeply nested device took time in the square of its depth and
// ran out of stack beyond some ten thousand levels.
void deleteChildren(QStandardItem* top)
{
    std::vector<QStandardItem*> path { top };
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
}

// Removes a row with its whole subtree.
void deleteRow(QStandardItem* parent, int row)
{
    if (QStandardItem* top = parent->child(row))
        deleteChildren(top);
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

} // namespace

Model::Model(QObject* parent)
    : QStandardItemModel(parent)
{
    if (!_dirIconInitialized) {
        const QStyle* style = QApplication::style();
        _dirIcon = QIcon(style->standardPixmap(QStyle::SP_DirClosedIcon));
        _dirIcon.addPixmap(style->standardPixmap(QStyle::SP_DirOpenIcon), QIcon::Normal, QIcon::On);
        _missingIcon = style->standardIcon(QStyle::SP_MessageBoxWarning);
        _dirIconInitialized = true;
    }
    connect(this, &QStandardItemModel::itemChanged, this, &Model::on_itemChanged);
    connect(&_undoStack, &QUndoStack::indexChanged, this, &Model::reportModified);
    connect(&_undoStack, &QUndoStack::cleanChanged, this, &Model::reportModified);
}

Model::~Model()
{
    // The stack goes after this body: its last signals must not reach a
    // model that is half gone.
    _undoStack.disconnect(this);
    dropRoot();
}

void Model::dropRoot()
{
    // Forgotten first: views asking for the root while it goes get none.
    QStandardItem* root = std::exchange(_rootItem, nullptr);
    if (root)
        takeAndDeleteRow(invisibleRootItem(), root->row());
}

QModelIndex Model::root() const
{
    if (!_rootItem)
        return {};
    return indexFromItem(_rootItem);
}

template <typename Visit> void Model::forEachBelow(const QStandardItem* top, Visit visit) const
{
    std::vector<const QStandardItem*> open { top };
    while (!open.empty()) {
        const QStandardItem* item = open.back();
        open.pop_back();
        for (int row = 0; row < item->rowCount(); ++row) {
            const QStandardItem* child = item->child(row);
            const int kind = kindOf(child);
            visit(child, kind);
            if (kind != UnitItem)
                open.push_back(child);
        }
    }
}

int Model::entryCount() const
{
    int count = 0;
    forEachBelow(invisibleRootItem(), [&count](const QStandardItem*, int kind) {
        if (kind == UnitItem || kind == DeviceItem)
            ++count;
    });
    return count;
}

bool Model::isChanged() const
{
    return _changed || !_undoStack.isClean();
}

void Model::setChanged(bool changed)
{
    _changed = changed;
    if (!changed)
        _undoStack.setClean();
    reportModified();
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
    return addChild(parent, createDeviceItem(tr("New directory")), row, tr("Add directory"));
}

QModelIndex Model::addUnit(const QModelIndex& parent)
{
    if (!parent.isValid())
        return {};
    return addChild(parent, createUnitItem(tr("Unit")), rowCount(parent), tr("Add function block"));
}

QModelIndex Model::addChild(const QModelIndex& parent, QStandardItem* item, int row, const QString& text)
{
    QStandardItem* parentItem = itemFromIndex(parent);
    if (!parentItem || kindOf(parentItem) == UnitItem || _newUnit) {
        delete item;
        return {};
    }
    _undoStack.push(Edit::insert(this, pathOf(parentItem), row, item, false, text));
    return item->index();
}

void Model::remove(const QModelIndex& index)
{
    if (!index.isValid() || _newUnit)
        return;
    QStandardItem* item = itemFromIndex(index);
    QStandardItem* parentItem = item ? item->parent() : nullptr;
    if (!parentItem || kindOf(item) == RootItem)
        return;
    _undoStack.push(Edit::remove(this, pathOf(parentItem), item->row(), tr("Remove %1").arg(item->text())));
}

bool Model::canMove(const QModelIndex& index, const QModelIndex& parent) const
{
    const QStandardItem* item = index.isValid() ? itemFromIndex(index) : nullptr;
    const QStandardItem* target = parent.isValid() ? itemFromIndex(parent) : nullptr;
    if (!item || !target || !item->parent() || kindOf(item) == RootItem || kindOf(target) == UnitItem
        || _newUnit)
        return false;
    for (const QStandardItem* above = target; above; above = above->parent()) {
        if (above == item)
            return false;
    }
    return true;
}

bool Model::move(const QModelIndex& index, const QModelIndex& parent, int row)
{
    if (!canMove(index, parent))
        return false;
    QStandardItem* item = itemFromIndex(index);
    QStandardItem* from = item->parent();
    QStandardItem* to = itemFromIndex(parent);
    const int fromRow = item->row();
    if (row < 0 || row > to->rowCount())
        row = to->rowCount();

    // The target as it stands once the item has left its place.
    const Path fromPath = pathOf(from);
    Path toPath = pathOf(to);
    const std::size_t depth = fromPath.size();
    if (to == from && row > fromRow)
        --row;
    else if (toPath.size() > depth && std::equal(fromPath.begin(), fromPath.end(), toPath.begin())
        && toPath[depth] > fromRow)
        --toPath[depth];
    if (to == from && row == fromRow)
        return false;
    _undoStack.push(Edit::move(this, fromPath, fromRow, toPath, row, tr("Move %1").arg(item->text())));
    return true;
}

QModelIndex Model::beginNewUnit(const QModelIndex& parent)
{
    QStandardItem* parentItem = parent.isValid() ? itemFromIndex(parent) : nullptr;
    if (!parentItem || kindOf(parentItem) == UnitItem || _newUnit)
        return {};
    _newUnit = createUnitItem(tr("Unit"));
    _newUnitSet = false;
    _applying = true;
    parentItem->appendRow(_newUnit);
    _applying = false;
    return _newUnit->index();
}

bool Model::isNewUnit(const QModelIndex& index) const
{
    return _newUnit && index.isValid() && itemFromIndex(index) == _newUnit;
}

void Model::finishNewUnit(bool keep)
{
    if (!_newUnit)
        return;
    QStandardItem* item = _newUnit;
    _newUnit = nullptr;
    QStandardItem* parentItem = item->parent();
    if (keep && _newUnitSet) {
        _undoStack.push(Edit::insert(this, pathOf(parentItem), item->row(), item, true,
            tr("Add function block %1").arg(item->text())));
        return;
    }
    _applying = true;
    deleteRow(parentItem, item->row());
    _applying = false;
}

bool Model::isMissingUnit(const QString& id)
{
    return !unit::Registry::singleton()->hasID(id);
}

bool Model::isMissingUnit(const QModelIndex& index) const
{
    return itemType(index) == UnitItem && !isNewUnit(index)
        && isMissingUnit(QStandardItemModel::data(index, Qt::DisplayRole).toString());
}

int Model::missingUnitCount() const
{
    return countMissing(invisibleRootItem());
}

int Model::missingUnitCount(const QModelIndex& below) const
{
    const QStandardItem* item = below.isValid() ? itemFromIndex(below) : nullptr;
    return item ? countMissing(item) : 0;
}

int Model::countMissing(const QStandardItem* top) const
{
    int missing = 0;
    forEachBelow(top, [this, &missing](const QStandardItem* item, int kind) {
        if (kind == UnitItem && item != _newUnit && isMissingUnit(item->text()))
            ++missing;
    });
    return missing;
}

const QStandardItem* Model::nextInTree(const QStandardItem* item) const
{
    if (item->rowCount() > 0)
        return item->child(0);
    while (item != invisibleRootItem()) {
        // Items at the top have no parent item of their own.
        const QStandardItem* parent = item->parent() ? item->parent() : invisibleRootItem();
        if (item->row() + 1 < parent->rowCount())
            return parent->child(item->row() + 1);
        item = parent;
    }
    return nullptr;
}

QModelIndex Model::nextMissingUnit(const QModelIndex& after) const
{
    const QStandardItem* start = after.isValid() ? itemFromIndex(after) : nullptr;
    if (!start)
        start = invisibleRootItem();
    // Round to the top after the last item; back at the start, the start
    // itself is the only candidate left.
    for (const QStandardItem* item = start;;) {
        item = nextInTree(item);
        if (!item)
            item = invisibleRootItem();
        else if (kindOf(item) == UnitItem && item != _newUnit && isMissingUnit(item->text()))
            return item->index();
        if (item == start)
            return {};
    }
}

void Model::registryChanged()
{
    // Whole rows of children at a time: one signal per directory, not per
    // entry. The items' own change notice follows each signal, and this is
    // no edit of the device.
    const QScopedValueRollback<bool> applying(_applying, true);
    const QList<int> roles = { Qt::DecorationRole, Qt::ToolTipRole, Qt::AccessibleDescriptionRole };
    std::vector<const QStandardItem*> open { invisibleRootItem() };
    while (!open.empty()) {
        const QStandardItem* item = open.back();
        open.pop_back();
        const int rows = item->rowCount();
        if (rows == 0)
            continue;
        emit dataChanged(item->child(0)->index(), item->child(rows - 1)->index(), roles);
        for (int row = 0; row < rows; ++row) {
            if (kindOf(item->child(row)) != UnitItem)
                open.push_back(item->child(row));
        }
    }
}

QVariant Model::data(const QModelIndex& index, int role) const
{
    // What a pointer shows, a screen reader says.
    if (role == Qt::AccessibleDescriptionRole)
        role = Qt::ToolTipRole;
    if (role != Qt::DecorationRole && role != Qt::ToolTipRole)
        return QStandardItemModel::data(index, role);
    const int kind = itemType(index);
    if (kind == UnitItem && isMissingUnit(index)) {
        if (role == Qt::DecorationRole)
            return _missingIcon;
        return tr("No function block with the id %1 is installed.")
            .arg(QStandardItemModel::data(index, Qt::DisplayRole).toString());
    }
    // Directories stay closed at start: their tips tell where to look.
    if (role == Qt::ToolTipRole && (kind == DeviceItem || kind == RootItem)) {
        const int missing = missingUnitCount(index);
        if (missing > 0)
            return tr("Entries in this directory naming function blocks that are not installed: %n", nullptr,
                missing);
    }
    return QStandardItemModel::data(index, role);
}

QVariant Model::headerData(int section, Qt::Orientation orientation, int role) const
{
    // Hidden from sight, but a screen reader reads it: not a bare "1".
    if (orientation == Qt::Horizontal && section == 0 && role == Qt::DisplayRole)
        return tr("Directories and function blocks");
    return QStandardItemModel::headerData(section, orientation, role);
}

bool Model::setData(const QModelIndex& index, const QVariant& value, int role)
{
    QStandardItem* item = index.isValid() ? itemFromIndex(index) : nullptr;
    if (_applying || !item || (role != Qt::EditRole && role != Qt::DisplayRole))
        return QStandardItemModel::setData(index, value, role);

    const QString text = value.toString();
    if (text == item->text())
        return true;
    if (item == _newUnit) {
        _newUnitSet = true;
        applyText(pathOf(item), text);
        return true;
    }
    const QString step = kindOf(item) == UnitItem ? tr("Change %1 to %2").arg(item->text(), text)
                                                  : tr("Rename %1").arg(item->text());
    _undoStack.push(Edit::setText(this, pathOf(item), item->text(), text, step));
    return true;
}

QStringList Model::mimeTypes() const
{
    return { itemPathFormat };
}

QMimeData* Model::mimeData(const QModelIndexList& indexes) const
{
    if (indexes.size() != 1 || !itemFromIndex(indexes.first()))
        return nullptr;
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    for (const int row : pathOf(itemFromIndex(indexes.first())))
        stream << qint32(row);
    auto* data = new QMimeData;
    data->setData(itemPathFormat, bytes);
    return data;
}

namespace {

std::vector<int> decodePath(const QMimeData* data)
{
    std::vector<int> path;
    if (!data || !data->hasFormat(itemPathFormat))
        return path;
    QDataStream stream(data->data(itemPathFormat));
    qint32 row = 0;
    while (!stream.atEnd()) {
        stream >> row;
        path.push_back(row);
    }
    return path;
}

} // namespace

bool Model::canDropMimeData(
    const QMimeData* data, Qt::DropAction action, int, int, const QModelIndex& parent) const
{
    if (action != Qt::MoveAction)
        return false;
    const Path path = decodePath(data);
    QStandardItem* item = path.empty() ? nullptr : itemAt(path);
    return item && canMove(item->index(), parent);
}

bool Model::dropMimeData(
    const QMimeData* data, Qt::DropAction action, int row, int column, const QModelIndex& parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    return move(itemAt(decodePath(data))->index(), parent, row);
}

QStandardItem* Model::applyTake(const Path& parent, int row)
{
    QStandardItem* parentItem = itemAt(parent);
    _applying = true;
    const QList<QStandardItem*> taken = parentItem->takeRow(row);
    _applying = false;
    const int rows = parentItem->rowCount();
    emit stepApplied(rows == 0 ? parentItem->index() : parentItem->child(qMin(row, rows - 1))->index());
    return taken.value(0);
}

void Model::applyPut(const Path& parent, int row, QStandardItem* item)
{
    _applying = true;
    itemAt(parent)->insertRow(row, item);
    _applying = false;
    emit stepApplied(item->index());
}

void Model::applyText(const Path& path, const QString& text)
{
    QStandardItem* item = itemAt(path);
    _applying = true;
    item->setText(text);
    _applying = false;
    emit stepApplied(item->index());
}

QStandardItem* Model::itemAt(const Path& path) const
{
    QStandardItem* item = invisibleRootItem();
    for (const int row : path) {
        item = item ? item->child(row) : nullptr;
    }
    return item;
}

Model::Path Model::pathOf(const QStandardItem* item)
{
    Path path;
    for (; item && item->model() && item != item->model()->invisibleRootItem(); item = item->parent())
        path.push_back(item->row());
    std::reverse(path.begin(), path.end());
    return path;
}

void Model::reportModified()
{
    const bool changed = isChanged();
    if (changed == _reportedChanged)
        return;
    _reportedChanged = changed;
    emit modifiedChanged(changed);
}

void Model::load(const QByteArray& content)
{
    // Steps name places in the tree that is about to go; the flag stays as it was.
    _changed = isChanged();
    _newUnit = nullptr;
    _undoStack.clear();
    dropRoot();
    clear();
    // The tree keeps its single root: nothing is dropped beside it.
    QStandardItem* top = invisibleRootItem();
    top->setFlags(top->flags() & ~(Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled));

    std::unique_ptr<QStandardItem> root = DeviceFile::read(content);
    if (!root)
        return;

    // Every item is complete before it enters the tree, so loading raises no
    // item-changed notification and leaves the modified flag alone.
    _rootItem = root.release();
    top->appendRow(_rootItem);
}

QByteArray Model::xml() const
{
    return DeviceFile::xml(invisibleRootItem()->child(0));
}

qsizetype Model::xmlSize() const
{
    return DeviceFile::xmlSize(invisibleRootItem()->child(0));
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

void Model::on_itemChanged()
{
    // Changes made outside the steps cannot be undone: they keep the flag up.
    if (_applying)
        return;
    _changed = true;
    reportModified();
}

void Model::deleteDetached(QStandardItem* item)
{
    deleteChildren(item);
    delete item;
}

} // namespace device
