#include "unit/VariableTableDelegate.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionComboBox>

#include <limits>

namespace unit {

VariableTableDelegate::VariableTableDelegate(const Columns& columns, QObject* parent)
    : QItemDelegate(parent)
    , _columns(columns)
{
}

bool VariableTableDelegate::eventFilter(QObject* object, QEvent* event)
{
    auto* editor = qobject_cast<QWidget*>(object);
    if (!editor || event->type() != QEvent::KeyPress)
        return QItemDelegate::eventFilter(object, event);
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab)
        return QItemDelegate::eventFilter(object, event);

    emit commitData(editor);
    emit closeEditor(editor, NoHint);
    // Closing gave the focus back to the table, which passes the key on to
    // its neighbour in the tab order.
    QKeyEvent again(QEvent::KeyPress, key->key(), key->modifiers());
    if (QWidget* focus = QApplication::focusWidget(); focus && focus != editor)
        QCoreApplication::sendEvent(focus, &again);
    return true;
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
        combo->addItems(comboEntries(index));
        return combo;
    }
    case EditorKind::DoubleSpin: {
        // Six decimals up to a billion: every value keeps its 15 significant
        // digits in the stored text.
        auto* spin = new QDoubleSpinBox(parent);
        spin->setDecimals(6);
        spin->setRange(-1e9, 1e9);
        return spin;
    }
    case EditorKind::IntSpin: {
        auto* spin = new QSpinBox(parent);
        spin->setRange(std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
        return spin;
    }
    case EditorKind::UIntSpin: {
        // A QSpinBox ends at the int range; a double holds every uint32 exactly.
        auto* spin = new QDoubleSpinBox(parent);
        spin->setDecimals(0);
        spin->setRange(0, std::numeric_limits<quint32>::max());
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
    case EditorKind::UIntSpin:
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
    case EditorKind::UIntSpin:
        if (auto* spin = qobject_cast<QDoubleSpinBox*>(editor)) {
            spin->interpretText();
            // An integer, so that the cell reads in plain decimal.
            model->setData(index, qlonglong(spin->value()), Qt::EditRole);
        }
        return;
    }
}

QSize VariableTableDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QItemDelegate::sizeHint(option, index);
    if (editorKind(index) != EditorKind::Combo)
        return size;
    // The column shows the whole combo box once a cell is edited.
    int widest = 0;
    for (const QString& entry : comboEntries(index))
        widest = qMax(widest, option.fontMetrics.horizontalAdvance(entry));
    if (!option.widget)
        return size;
    QStyleOptionComboBox combo;
    combo.initFrom(option.widget);
    combo.fontMetrics = option.fontMetrics;
    const QSize box = option.widget->style()->sizeFromContents(
        QStyle::CT_ComboBox, &combo, QSize(widest, option.fontMetrics.height()), option.widget);
    return size.expandedTo(box);
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
    if (type == QLatin1String("int32"))
        return EditorKind::IntSpin;
    if (type == QLatin1String("uint32"))
        return EditorKind::UIntSpin;
    if (type == QLatin1String("bool"))
        return EditorKind::Combo;
    return EditorKind::None;
}

QString VariableTableDelegate::rowType(const QModelIndex& index) const
{
    return index.siblingAtColumn(indexOf(Column::Type)).data().toString();
}

QStringList VariableTableDelegate::comboEntries(const QModelIndex& index) const
{
    return _columns.at(index.column()) == Column::Type ? typeNames() : boolNames();
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
