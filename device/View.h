#pragma once

#include <QPersistentModelIndex>
#include <QTreeView>

class QAction;
class QMenu;

namespace device {

class Model;

// The device tree: a context menu by item kind (by mouse, the menu key or
// Shift+F10), in-place renaming through device::ItemDelegate, moves by drag
// and drop or by keyboard, and the edit actions with their shortcuts, which
// the window also shows in its Edit menu. They work while the focus is in the
// tree and rest while an editor is open, so its keys stay the editor's.
class View : public QTreeView
{
    Q_OBJECT

public:
    explicit View(Model* model, QWidget* parent = nullptr);
    using QTreeView::edit;

    // In menu order; nullptr stands for a separator.
    QList<QAction*> editActions() const;

    // Ends an open editor as Return would, before the device is saved or
    // closed. An id picker whose text matches no id drops a new entry and
    // leaves an entry's id as it was.
    void finishEditing();

    // The open directories by their paths of names from the root, parents
    // before children; and opening those again in a device loaded anew.
    QList<QStringList> expandedPaths() const;
    void expandPaths(const QList<QStringList>& paths);

signals:
    // "Open in designer" on a function block entry, with its id.
    void designerRequested(const QString& id);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

protected slots:
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private slots:
    void removeCurrentItem();
    void addDirectory();
    void addUnit();
    void updateActions();
    void selectNextMissingUnit();
    void requestDesigner();

private:
    // The item the keyboard actions work on, and the directory they add to.
    QModelIndex target() const;
    QModelIndex targetDirectory() const;
    void showMenu(const QModelIndex& index, const QPoint& globalPos);
    void addDirectoryTo(const QModelIndex& parent);
    void addUnitTo(const QModelIndex& parent);
    void removeItem(const QModelIndex& index);
    void renameCurrentItem();
    void cutCurrentItem();
    void pasteIntoCurrentDirectory();
    void moveCurrentItem(int by);
    QAction* createAction(const QString& text, const QList<QKeySequence>& keys, void (View::*slot)());

    Model* _model;
    QPersistentModelIndex _cut;
    QPersistentModelIndex _editing;
    QAction* _undo = nullptr;
    QAction* _redo = nullptr;
    QAction* _addDirectory = nullptr;
    QAction* _addUnit = nullptr;
    QAction* _rename = nullptr;
    QAction* _remove = nullptr;
    QAction* _cutAction = nullptr;
    QAction* _paste = nullptr;
    QAction* _moveUp = nullptr;
    QAction* _moveDown = nullptr;
    QAction* _openInDesigner = nullptr;
    QAction* _nextMissing = nullptr;
};

} // namespace device
