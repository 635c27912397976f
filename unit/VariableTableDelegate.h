#pragma once

#include <QItemDelegate>
#include <QList>
#include <QStringList>

namespace unit {

// Cell editors and edit rules shared by the connector and state variable
// tables. A subclass only says which kind of cell sits in which column.
class VariableTableDelegate : public QItemDelegate
{
public:
    enum class Column { Name, Type, Description, DefaultValue, Hidden };
    using Columns = QList<Column>;

    // The variable types in the order the type combo box offers them.
    static QStringList typeNames();
    static QStringList boolNames();

    const Columns& columns() const { return _columns; }
    int indexOf(Column column) const { return _columns.indexOf(column); }

    QWidget* createEditor(
        QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    VariableTableDelegate(const Columns& columns, QObject* parent);

    // Tab and Shift+Tab in a cell editor take the edit and leave the table,
    // as they leave every other field of the form, instead of opening the
    // next cell.
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    enum class EditorKind { None, LineEdit, Combo, DoubleSpin, IntSpin, UIntSpin };

    // Decided anew at every call: the default value's editor follows the
    // row's type as it stands at that moment.
    EditorKind editorKind(const QModelIndex& index) const;
    QString rowType(const QModelIndex& index) const;
    QStringList comboEntries(const QModelIndex& index) const;
    bool nameClashes(const QString& trimmed, const QModelIndex& index) const;

    const Columns _columns;
};

} // namespace unit
