#pragma once

#include <QItemDelegate>

namespace device {

// In-place editors of the device tree: a free-text line for a directory name,
// and for a function block entry a fixed list of the ids the unit registry knows.
class ItemDelegate : public QItemDelegate
{
public:
    explicit ItemDelegate(QObject* parent = nullptr);

    QWidget* createEditor(
        QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
};

} // namespace device
