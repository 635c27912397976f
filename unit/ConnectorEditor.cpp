#include "unit/ConnectorEditor.h"

#include <QTableWidget>

namespace unit {

ConnectorTableDelegate::ConnectorTableDelegate(QObject* parent)
    : VariableTableDelegate(
        { Column::Name, Column::Type, Column::Description, Column::DefaultValue, Column::Hidden }, parent)
{
}

ConnectorEditor::ConnectorEditor(const QString& namePrefix, const QString& descriptionPrefix, QWidget* parent)
    : VariableTableEditor(parent)
    , _namePrefix(namePrefix)
    , _descriptionPrefix(descriptionPrefix)
{
    setUp(new ConnectorTableDelegate(table()));
}

ConnectorEditor::~ConnectorEditor() = default;

QString ConnectorEditor::description(int row) const
{
    return text(row, VariableTableDelegate::Column::Description);
}

bool ConnectorEditor::hidden(int row) const
{
    return text(row, VariableTableDelegate::Column::Hidden) == QLatin1String("true");
}

QStringList ConnectorEditor::headerLabels() const
{
    return { tr("Name"), tr("Type"), tr("Description"), tr("Default value"), tr("Hidden") };
}

QString ConnectorEditor::namePrefix() const
{
    return _namePrefix.isEmpty() ? QStringLiteral("con") : _namePrefix;
}

QString ConnectorEditor::newDescription(int number, const QString& name) const
{
    if (_descriptionPrefix.isEmpty())
        return name;
    return QStringLiteral("%1 %2").arg(_descriptionPrefix, QString::number(number));
}

} // namespace unit
