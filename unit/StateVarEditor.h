#pragma once

#include "unit/VariableTableDelegate.h"
#include "unit/VariableTableEditor.h"

namespace unit {

// Edits the state variables: name, type and default value.
class StateVarTableDelegate : public VariableTableDelegate
{
public:
    explicit StateVarTableDelegate(QObject* parent = nullptr);
};

class StateVarEditor : public VariableTableEditor
{
    Q_OBJECT

public:
    explicit StateVarEditor(QWidget* parent = nullptr);
    ~StateVarEditor() override;

    int numStateVars() const { return rowCount(); }

private:
    QStringList headerLabels() const override;
    QString namePrefix() const override;
};

} // namespace unit
