#pragma once

#include <QItemDelegate>

namespace device {

// In-place editors of the device tree: a free-text line for a directory name,
// and for a function block entry a picker of the ids the unit registry knows,
// which finds an id by any part of it. An entry whose block is not installed
// keeps its id unless the user picks another.
class ItemDelegate : public QItemDelegate
{
public:
    explicit ItemDelegate(QObject* parent = nullptr);

    QWidget* createEditor(
        QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(
        QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Whether the user picked or typed in the editor, as against leaving it
    // with what it offered.
    static bool userChose(const QWidget* editor);
};

} // namespace device
