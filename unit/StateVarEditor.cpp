#include "unit/StateVarEditor.h"

#include <QTableWidget>

namespace unit {

StateVarTableDelegate::StateVarTableDelegate(QObject* parent)
    : VariableTableDelegate({ Column::Name, Column::Type, Column::DefaultValue }, parent)
{
}

StateVarEditor::StateVarEditor(QWidget* parent)
    : VariableTableEditor(parent)
{
    setUp(new StateVarTableDelegate(table()));
}

StateVarEditor::~StateVarEditor() = default;

QStringList StateVarEditor::headerLabels() const
{
    return { tr("Name"), tr("Type"), tr("Default value") };
}

QString StateVarEditor::namePrefix() const
{
    return QStringLiteral("var");
}

} // namespace unit
