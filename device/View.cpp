#include "device/View.h"

#include "device/ItemDelegate.h"
#include "device/Model.h"
#include "unit/Registry.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDrag>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QSet>
#include <QUndoStack>

#include <utility>
#include <vector>

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
    setAccessibleName(tr("Device"));

    _undo = createAction(tr("Undo"), { QKeySequence(Qt::CTRL | Qt::Key_Z) }, nullptr);
    connect(_undo, &QAction::triggered, _model->undoStack(), &QUndoStack::undo);
    _redo = createAction(tr("Redo"),
        { QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y) }, nullptr);
    connect(_redo, &QAction::triggered, _model->undoStack(), &QUndoStack::redo);
    _addDirectory = createAction(tr("Add directory"),
        { QKeySequence(Qt::CTRL | Qt::Key_Insert), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N) },
        &View::addDirectory);
    _addUnit = createAction(tr("Add function block"), { QKeySequence(Qt::Key_Insert) }, &View::addUnit);
    _rename = createAction(tr("Rename"), { QKeySequence(Qt::Key_F2) }, &View::renameCurrentItem);
    _remove = createAction(tr("Remove"), { QKeySequence(Qt::Key_Delete) }, &View::removeCurrentItem);
    _cutAction = createAction(tr("Cut"), { QKeySequence(Qt::CTRL | Qt::Key_X) }, &View::cutCurrentItem);
    _paste
        = createAction(tr("Paste"), { QKeySequence(Qt::CTRL | Qt::Key_V) }, &View::pasteIntoCurrentDirectory);
    _moveUp = createAction(tr("Move up"), { QKeySequence(Qt::ALT | Qt::Key_Up) }, nullptr);
    connect(_moveUp, &QAction::triggered, this, [this] { moveCurrentItem(-1); });
    _moveDown = createAction(tr("Move down"), { QKeySequence(Qt::ALT | Qt::Key_Down) }, nullptr);
    connect(_moveDown, &QAction::triggered, this, [this] { moveCurrentItem(1); });
    _openInDesigner = createAction(
        tr("Open in designer"), { QKeySequence(Qt::CTRL | Qt::Key_E) }, &View::requestDesigner);
    _nextMissing = createAction(
        tr("Next missing function block"), { QKeySequence(Qt::Key_F8) }, &View::selectNextMissingUnit);

    // After every step the item it touched becomes current, so the keyboard
    // goes on from there and undone edits are seen.
    connect(_model, &Model::stepApplied, this, [this](const QModelIndex& focus) {
        setCurrentIndex(focus);
        scrollTo(focus);
    });
    connect(_model->undoStack(), &QUndoStack::indexChanged, this, &View::updateActions);
    connect(_model, &QAbstractItemModel::rowsInserted, this, &View::updateActions);
    connect(_model, &QAbstractItemModel::rowsRemoved, this, &View::updateActions);
    connect(_model, &QAbstractItemModel::modelReset, this, &View::updateActions);
    // An id changed, or the registry: "Open in designer" may have to create the block instead.
    connect(_model, &QAbstractItemModel::dataChanged, this, &View::updateActions);
    updateActions();
}

QList<QAction*> View::editActions() const
{
    return { _undo, _redo, nullptr, _addDirectory, _addUnit, _rename, _remove, nullptr, _cutAction, _paste,
        _moveUp, _moveDown, nullptr, _openInDesigner, _nextMissing };
}

void View::finishEditing()
{
    QWidget* editor = state() == EditingState ? indexWidget(_editing) : nullptr;
    if (!editor)
        return;
    if (!ItemDelegate::takeMatch(editor)) {
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
        return;
    }
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::SubmitModelCache);
}

QList<QStringList> View::expandedPaths() const
{
    // A directory counts as open only below open parents: what the user sees.
    // Parents come before their children, so a list cut short stays whole.
    QList<QStringList> paths;
    const QModelIndex top = _model->root();
    if (!top.isValid() || !isExpanded(top))
        return paths;
    std::vector<std::pair<QModelIndex, QStringList>> open { { top, { top.data().toString() } } };
    while (!open.empty()) {
        const auto [index, path] = std::move(open.back());
        open.pop_back();
        for (int row = _model->rowCount(index) - 1; row >= 0; --row) {
            const QModelIndex child = _model->index(row, 0, index);
            if (Model::itemType(child) == Model::DeviceItem && isExpanded(child))
                open.push_back({ child, path + QStringList { child.data().toString() } });
        }
        paths << path;
    }
    return paths;
}

void View::expandPaths(const QList<QStringList>& paths)
{
    // Directories of one name under one parent open together: the names are
    // all that was kept of them.
    const QSet<QStringList> wanted(paths.cbegin(), paths.cend());
    const QModelIndex top = _model->root();
    const QStringList topPath { top.data().toString() };
    if (!top.isValid() || !wanted.contains(topPath))
        return;
    std::vector<std::pair<QModelIndex, QStringList>> open { { top, topPath } };
    while (!open.empty()) {
        const auto [index, path] = std::move(open.back());
        open.pop_back();
        expand(index);
        for (int row = 0; row < _model->rowCount(index); ++row) {
            const QModelIndex child = _model->index(row, 0, index);
            if (Model::itemType(child) != Model::DeviceItem)
                continue;
            QStringList childPath = path + QStringList { child.data().toString() };
            if (wanted.contains(childPath))
                open.push_back({ child, std::move(childPath) });
        }
    }
}

QAction* View::createAction(const QString& text, const QList<QKeySequence>& keys, void (View::*slot)())
{
    auto* action = new QAction(text, this);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    if (slot)
        connect(action, &QAction::triggered, this, slot);
    addAction(action);
    return action;
}

void View::mousePressEvent(QMouseEvent* event)
{
    // The base class makes the pressed item current and selected first,
    // except on an expand arrow; the menu acts on the pressed item either way.
    QTreeView::mousePressEvent(event);
    if (event->button() != Qt::RightButton)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid() || !_model->itemFromIndex(index))
        return;
    showMenu(index, event->globalPosition().toPoint());
}

void View::keyPressEvent(QKeyEvent* event)
{
    const bool menuKey = event->key() == Qt::Key_Menu
        || (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (!menuKey || state() == EditingState) {
        QTreeView::keyPressEvent(event);
        return;
    }
    const QModelIndex index = target();
    if (index.isValid()) {
        scrollTo(index);
        const QRect rect = visualRect(index);
        showMenu(index, viewport()->mapToGlobal(QPoint(rect.left() + rect.height(), rect.bottom())));
    }
    event->accept();
}

void View::contextMenuEvent(QContextMenuEvent* event)
{
    // A right press has shown its menu already; the menu key may come this
    // way too on some platforms.
    if (event->reason() != QContextMenuEvent::Keyboard || state() == EditingState) {
        event->ignore();
        return;
    }
    const QModelIndex index = target();
    if (index.isValid()) {
        const QRect rect = visualRect(index);
        showMenu(index, viewport()->mapToGlobal(QPoint(rect.left() + rect.height(), rect.bottom())));
    }
    event->accept();
}

void View::showMenu(const QModelIndex& index, const QPoint& globalPos)
{
    if (currentIndex() != index)
        setCurrentIndex(index);
    const QPersistentModelIndex item(index);
    QMenu menu;
    const int kind = Model::itemType(index);
    if (kind == Model::DeviceItem || kind == Model::RootItem) {
        menu.addAction(tr("Add directory"), this, [this, item] { addDirectoryTo(item); });
        menu.addAction(tr("Add function block"), this, [this, item] { addUnitTo(item); });
    }
    if (kind == Model::UnitItem || kind == Model::DeviceItem)
        menu.addAction(tr("Remove"), this, [this, item] { removeItem(item); });
    if (menu.isEmpty())
        return;
    menu.exec(globalPos);
}

bool View::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    const bool started = QTreeView::edit(index, trigger, event);
    if (started) {
        _editing = index;
        updateActions();
    }
    return started;
}

void View::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    const bool chose = ItemDelegate::userChose(editor);
    QTreeView::closeEditor(editor, hint);
    // A new function block entry stays only with an id the user chose:
    // Return takes the offered id, Escape or a focus lost untouched drop it.
    if (_model->newUnit().isValid())
        _model->finishNewUnit(hint == QAbstractItemDelegate::SubmitModelCache
            || (chose && hint != QAbstractItemDelegate::RevertModelCache));
    updateActions();
}

void View::startDrag(Qt::DropActions)
{
    // The model moves the item itself on the drop, in one step; the base
    // class would insert a copy and then remove the original.
    const QModelIndexList indexes = selectedIndexes();
    if (indexes.size() != 1 || !(_model->flags(indexes.first()) & Qt::ItemIsDragEnabled))
        return;
    QMimeData* data = _model->mimeData(indexes);
    if (!data)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    const QRect rect = visualRect(indexes.first());
    drag->setPixmap(viewport()->grab(rect));
    drag->setHotSpot(QPoint(rect.height(), rect.height() / 2));
    drag->exec(Qt::MoveAction, Qt::MoveAction);
}

void View::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTreeView::currentChanged(current, previous);
    updateActions();
}

void View::selectNextMissingUnit()
{
    if (state() == EditingState)
        return;
    const QModelIndex next = _model->nextMissingUnit(currentIndex());
    if (!next.isValid())
        return;
    // Closed directories open on the way, so the entry is seen.
    for (QModelIndex parent = next.parent(); parent.isValid(); parent = parent.parent())
        expand(parent);
    setCurrentIndex(next);
    scrollTo(next);
}

void View::requestDesigner()
{
    const QModelIndex index = target();
    if (state() != EditingState && Model::itemType(index) == Model::UnitItem && !_model->isNewUnit(index))
        emit designerRequested(index.data(Qt::EditRole).toString());
}

void View::removeCurrentItem()
{
    removeItem(target());
}

void View::addDirectory()
{
    addDirectoryTo(targetDirectory());
}

void View::addUnit()
{
    addUnitTo(targetDirectory());
}

void View::addDirectoryTo(const QModelIndex& parent)
{
    if (!parent.isValid() || state() == EditingState)
        return;
    // Expanded first, so the new child is visible for its editor.
    expand(parent);
    const QModelIndex added = _model->addDirectory(parent);
    if (added.isValid())
        edit(added, AllEditTriggers, nullptr);
}

void View::addUnitTo(const QModelIndex& parent)
{
    if (!parent.isValid() || state() == EditingState)
        return;
    expand(parent);
    // Without ids to choose from there is no editor, and the entry stays as
    // it is made.
    if (unit::Registry::singleton()->isEmpty()) {
        _model->addUnit(parent);
        return;
    }
    const QModelIndex added = _model->beginNewUnit(parent);
    if (!added.isValid())
        return;
    setCurrentIndex(added);
    if (!edit(added, AllEditTriggers, nullptr))
        _model->finishNewUnit(false);
}

void View::removeItem(const QModelIndex& index)
{
    if (index.isValid() && state() != EditingState)
        _model->remove(index);
}

void View::renameCurrentItem()
{
    const QModelIndex index = target();
    if (index.isValid())
        edit(index, AllEditTriggers, nullptr);
}

void View::cutCurrentItem()
{
    _cut = target();
    updateActions();
}

void View::pasteIntoCurrentDirectory()
{
    const QModelIndex directory = targetDirectory();
    if (!_cut.isValid() || !directory.isValid())
        return;
    expand(directory);
    if (_model->move(_cut, directory))
        _cut = QPersistentModelIndex();
    updateActions();
}

void View::moveCurrentItem(int by)
{
    const QModelIndex index = target();
    if (!index.isValid())
        return;
    // The model counts the target row before the item leaves its place.
    _model->move(index, index.parent(), by < 0 ? index.row() - 1 : index.row() + 2);
}

QModelIndex View::target() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current : _model->root();
}

QModelIndex View::targetDirectory() const
{
    const QModelIndex index = target();
    return Model::itemType(index) == Model::UnitItem ? index.parent() : index;
}

void View::updateActions()
{
    // The base class reports the current item while the view is being set up.
    if (!_nextMissing)
        return;
    const bool idle = state() != EditingState;
    const QModelIndex current = target();
    const int kind = Model::itemType(current);
    const bool movable = idle && current.isValid() && kind != Model::RootItem;
    const bool canAdd = idle && targetDirectory().isValid();
    _addDirectory->setEnabled(canAdd);
    _addUnit->setEnabled(canAdd);
    _rename->setEnabled(movable);
    _remove->setEnabled(movable);
    _cutAction->setEnabled(movable);
    _paste->setEnabled(idle && _cut.isValid() && _model->canMove(_cut, targetDirectory()));
    _moveUp->setEnabled(movable && current.row() > 0);
    _moveDown->setEnabled(movable && current.row() + 1 < _model->rowCount(current.parent()));
    _openInDesigner->setEnabled(idle && kind == Model::UnitItem);
    _openInDesigner->setText(
        _model->isMissingUnit(current) ? tr("Create function block") : tr("Open in designer"));
    _nextMissing->setEnabled(idle);

    const QUndoStack* stack = _model->undoStack();
    _undo->setEnabled(idle && stack->canUndo());
    _undo->setText(stack->canUndo() ? tr("Undo %1").arg(stack->undoText()) : tr("Undo"));
    _redo->setEnabled(idle && stack->canRedo());
    _redo->setText(stack->canRedo() ? tr("Redo %1").arg(stack->redoText()) : tr("Redo"));
}

} // namespace device
