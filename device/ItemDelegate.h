#pragma once

#include <QCoreApplication>
#include <QItemDelegate>

namespace device {

// In-place editors of the device tree: a free-text line for a directory name,
// and for a function block entry a picker of the ids the unit registry knows,
// which finds an id by any part of it. An entry whose block is not installed
// keeps its id unless the user picks another. One Return takes an id: the
// match highlighted in the list, else the first match; with no match the
// picker stays open and says so.
class ItemDelegate : public QItemDelegate
{
    Q_DECLARE_TR_FUNCTIONS(device::ItemDelegate)

public:
    explicit ItemDelegate(QObject* parent = nullptr);

    QWidget* createEditor(
        QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(
        QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Makes an id picker hold the id that Return takes; false when nothing
    // matches what was typed. Other editors hold what they show already.
    static bool takeMatch(QWidget* editor);

    // Whether the user picked or typed in the editor, as against leaving it
    // with what it offered.
    static bool userChose(const QWidget* editor);

protected:
    // Return in the picker and in its list of matches, which the completer
    // would otherwise answer by closing the list alone.
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace device
