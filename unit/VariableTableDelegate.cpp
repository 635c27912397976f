#include "unit/VariableTableDelegate.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSpinBox>

#include <limits>

namespace unit {

VariableTableDelegate::VariableTableDelegate(const Columns& columns, QObject* parent)
    : QItemDelegate(parent)
    , _columns(columns)
{
}

QStringList VariableTableDelegate::typeNames()
{
    return { QStringLiteral("float"), QStringLiteral("int32"), QStringLiteral("uint32"),
        QStringLiteral("bool") };
}

QStringList VariableTableDelegate::boolNames()
{
    return { QStringLiteral("false"), QStringLiteral("true") };
}

QWidget* VariableTableDelegate::createEditor(
    QWidget* parent, const QStyleOptionViewItem& /*option*/, const QModelIndex& index) const
{
    switch (editorKind(index)) {
    case EditorKind::None:
        return nullptr;
    case EditorKind::LineEdit:
        return new QLineEdit(parent);
    case EditorKind::Combo: {
        auto* combo = new QComboBox(parent);
        combo->addItems(_columns.at(index.column()) == Column::Type ? typeNames() : boolNames());
        return combo;
    }
    case EditorKind::DoubleSpin:
        // Deliberately left at the toolkit's 0.00 to 99.99 with two decimals.
        return new QDoubleSpinBox(parent);
    case EditorKind::IntSpin: {
        auto* spin = new QSpinBox(parent);
        // uint32 stops at the largest value an int can carry through the table.
        const int minimum = rowType(index) == QLatin1String("uint32") ? 0 : std::numeric_limits<int>::min();
        spin->setRange(minimum, std::numeric_limits<int>::max());
        return spin;
    }
    }
    return nullptr;
}

void VariableTableDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const QVariant value = index.data(Qt::EditRole);
    switch (editorKind(index)) {
    case EditorKind::None:
        return;
    case EditorKind::LineEdit:
        if (auto* edit = qobject_cast<QLineEdit*>(editor))
            edit->setText(value.toString());
        return;
    case EditorKind::Combo:
        if (auto* combo = qobject_cast<QComboBox*>(editor))
            combo->setCurrentIndex(combo->findText(value.toString()));
        return;
    case EditorKind::DoubleSpin:
        if (auto* spin = qobject_cast<QDoubleSpinBox*>(editor))
            spin->setValue(value.toDouble());
        return;
    case EditorKind::IntSpin:
        if (auto* spin = qobject_cast<QSpinBox*>(editor))
            spin->setValue(value.toInt());
        return;
    }
}

void VariableTableDelegate::setModelData(
    QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    switch (editorKind(index)) {
    case EditorKind::None:
        return;
    case EditorKind::LineEdit:
        if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            const QString trimmed = edit->text().trimmed();
            if (trimmed.isEmpty())
                return;
            if (_columns.at(index.column()) == Column::Name && nameClashes(trimmed, index))
                return;
            // Stored as typed: the trimmed text only decides whether to keep it.
            model->setData(index, edit->text(), Qt::EditRole);
        }
        return;
    case EditorKind::Combo:
        if (auto* combo = qobject_cast<QComboBox*>(editor))
            model->setData(index, combo->currentText(), Qt::EditRole);
        return;
    case EditorKind::DoubleSpin:
        if (auto* spin = qobject_cast<QDoubleSpinBox*>(editor)) {
            // Text typed but not yet confirmed still counts.
            spin->interpretText();
            model->setData(index, spin->value(), Qt::EditRole);
        }
        return;
    case EditorKind::IntSpin:
        if (auto* spin = qobject_cast<QSpinBox*>(editor)) {
            spin->interpretText();
            model->setData(index, spin->value(), Qt::EditRole);
        }
        return;
    }
}

VariableTableDelegate::EditorKind VariableTableDelegate::editorKind(const QModelIndex& index) const
{
    if (!index.isValid() || index.column() >= _columns.size())
        return EditorKind::None;
    switch (_columns.at(index.column())) {
    case Column::Name:
    case Column::Description:
        return EditorKind::LineEdit;
    case Column::Type:
    case Column::Hidden:
        return EditorKind::Combo;
    case Column::DefaultValue:
        break;
    }
    const QString type = rowType(index);
    if (type == QLatin1String("float"))
        return EditorKind::DoubleSpin;
    if (type == QLatin1String("int32") || type == QLatin1String("uint32"))
        return EditorKind::IntSpin;
    if (type == QLatin1String("bool"))
        return EditorKind::Combo;
    return EditorKind::None;
}

QString VariableTableDelegate::rowType(const QModelIndex& index) const
{
    return index.siblingAtColumn(indexOf(Column::Type)).data().toString();
}

bool VariableTableDelegate::nameClashes(const QString& trimmed, const QModelIndex& index) const
{
    const QAbstractItemModel* model = index.model();
    for (int row = 0; row < model->rowCount(index.parent()); ++row) {
        if (row == index.row())
            continue;
        const QString other = model->index(row, index.column(), index.parent()).data().toString();
        if (trimmed.compare(other, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace unit
