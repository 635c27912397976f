#include "device/View.h"

#include "device/ItemDelegate.h"
#include "device/Model.h"

#include <QMenu>
#include <QMouseEvent>

namespace device {

View::View(Model* model, QWidget* parent)
    : QTreeView(parent)
    , _model(model)
{
    setModel(_model);
    setHeaderHidden(true);
    // Which moves are allowed follows from the item flags the model sets.
    setDragDropMode(QAbstractItemView::InternalMove);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new ItemDelegate(this));
}

void View::mousePressEvent(QMouseEvent* event)
{
    // The base class makes the pressed item current and selected first, so
    // the menu's slots act on the item that was right-clicked.
    QTreeView::mousePressEvent(event);
    if (event->button() != Qt::RightButton)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid() || !_model->itemFromIndex(index))
        return;

    QMenu menu;
    const int kind = Model::itemType(index);
    if (kind == Model::DeviceItem || kind == Model::RootItem) {
        menu.addAction(tr("Add directory"), this, &View::addDirectory);
        menu.addAction(tr("Add function block"), this, &View::addUnit);
    }
    if (kind == Model::UnitItem || kind == Model::DeviceItem)
        menu.addAction(tr("Remove"), this, &View::removeCurrentItem);
    if (menu.isEmpty())
        return;
    menu.exec(event->globalPosition().toPoint());
}

void View::removeCurrentItem()
{
    const QModelIndex index = selectedIndex();
    if (!index.isValid())
        return;
    _model->remove(index);
}

void View::addDirectory()
{
    addChild(&Model::addDirectory);
}

void View::addUnit()
{
    addChild(&Model::addUnit);
}

void View::addChild(QModelIndex (Model::*add)(const QModelIndex&))
{
    const QModelIndex index = selectedIndex();
    if (!index.isValid())
        return;
    // Expanded first, so the new child is visible for its editor.
    expand(index);
    edit((_model->*add)(index));
}

QModelIndex View::selectedIndex() const
{
    const QModelIndexList indexes = selectedIndexes();
    if (indexes.size() != 1)
        return {};
    return indexes.first();
}

} // namespace device
