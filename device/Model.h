#pragma once

#include <QIcon>
#include <QStandardItemModel>
#include <QUndoStack>

#include <vector>

namespace device {

class DeviceFile;
class Edit;

// The user's device: one root item holding directories (nested to any depth)
// and function block entries, read from and written to device.xml through
// DeviceFile. Every edit is a step on the model's undo stack, and the
// modified flag follows the stack: undoing back to the saved state means
// unchanged.
class Model : public QStandardItemModel
{
    Q_OBJECT

public:
    enum ItemType {
        UnitItem = 1000,
        DeviceItem = 1001,
        RootItem = 1002,
    };
    static constexpr int ItemTypeRole = Qt::UserRole + 1;

    explicit Model(QObject* parent = nullptr);
    ~Model() override;

    bool isChanged() const;
    // False marks the current step as the saved one.
    void setChanged(bool changed);
    QUndoStack* undoStack() { return &_undoStack; }

    QModelIndex root() const;
    // The directories and function block entries below the root: what a
    // save writes.
    int entryCount() const;

    // Adds below the root or a directory; a function block entry takes no children.
    QModelIndex addDirectory(const QModelIndex& parent);
    QModelIndex addUnit(const QModelIndex& parent);
    void remove(const QModelIndex& index);
    // Moves the item with its subtree to row of parent (the end for -1).
    bool move(const QModelIndex& index, const QModelIndex& parent, int row = -1);
    // Whether index may move below parent: not the root, not into its own subtree.
    bool canMove(const QModelIndex& index, const QModelIndex& parent) const;

    // A function block entry that waits for its first id: it becomes a step
    // only when finished with keep and an id stored, otherwise it goes again
    // and leaves nothing behind.
    QModelIndex beginNewUnit(const QModelIndex& parent);
    bool isNewUnit(const QModelIndex& index) const;
    QModelIndex newUnit() const { return _newUnit ? _newUnit->index() : QModelIndex(); }
    void finishNewUnit(bool keep);

    // Entries whose unit id the registry does not know, in the whole device
    // or below one item.
    int missingUnitCount() const;
    int missingUnitCount(const QModelIndex& below) const;
    static bool isMissingUnit(const QString& id);
    bool isMissingUnit(const QModelIndex& index) const;
    // The next such entry after index in the order the tree shows its items,
    // going round to the top after the last; invalid when there is none.
    QModelIndex nextMissingUnit(const QModelIndex& after) const;
    // The registry changed: views redraw the marks of missing blocks.
    void registryChanged();

    void load(const QByteArray& content);
    QByteArray xml() const;
    // The size of what xml() would give, learnt without keeping the bytes.
    qsizetype xmlSize() const;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
        const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
        const QModelIndex& parent) override;

    static QStandardItem* createDeviceItem(const QString& text);
    static QStandardItem* createUnitItem(const QString& text);
    // Deletes an item that is in no model, with its subtree, however deep.
    static void deleteDetached(QStandardItem* item);

    // The kind of the item behind an index, as the view and the delegate see it.
    static int itemType(const QModelIndex& index) { return index.data(ItemTypeRole).toInt(); }

signals:
    void modifiedChanged(bool changed);
    // After a step was done or undone: the item the user would look at next.
    void stepApplied(const QModelIndex& focus);

private slots:
    void on_itemChanged();

private:
    // The file builds the tree from the same items the edits make.
    friend class DeviceFile;
    friend class Edit;
    using Path = std::vector<int>;

    // The raw edits of the steps: no step of their own, no modified flag.
    QStandardItem* applyTake(const Path& parent, int row);
    void applyPut(const Path& parent, int row, QStandardItem* item);
    void applyText(const Path& item, const QString& text);

    QStandardItem* itemAt(const Path& path) const;
    int countMissing(const QStandardItem* top) const;
    // Calls visit(item, kind) for every item below top, at any depth, without
    // recursion: devices nest deeply.
    template <typename Visit> void forEachBelow(const QStandardItem* top, Visit visit) const;
    // The item after item as the tree shows them, a parent before its
    // children; null after the last.
    const QStandardItem* nextInTree(const QStandardItem* item) const;
    static Path pathOf(const QStandardItem* item);
    QModelIndex addChild(const QModelIndex& parent, QStandardItem* item, int row, const QString& text);
    void reportModified();
    void dropRoot();
    // Only a loaded file has a root.
    static QStandardItem* createRootItem(const QString& text);
    // The kind of an item, as itemType tells it for the item's index.
    static int kindOf(const QStandardItem* item) { return item->data(ItemTypeRole).toInt(); }

    bool _changed = false;
    bool _reportedChanged = false;
    bool _applying = false;
    QStandardItem* _rootItem = nullptr;
    QStandardItem* _newUnit = nullptr;
    bool _newUnitSet = false;
    QUndoStack _undoStack;

    static QIcon _dirIcon;
    static QIcon _missingIcon;
    static bool _dirIconInitialized;
};

} // namespace device
