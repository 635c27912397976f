#pragma once

#include "unit/VariableTableDelegate.h"
#include "unit/VariableTableEditor.h"

#include <QString>

namespace unit {

// Edits the connectors of one direction: name, type, description, default
// value and hidden flag.
class ConnectorTableDelegate : public VariableTableDelegate
{
public:
    explicit ConnectorTableDelegate(QObject* parent = nullptr);
};

class ConnectorEditor : public VariableTableEditor
{
    Q_OBJECT

public:
    explicit ConnectorEditor(
        const QString& namePrefix, const QString& descriptionPrefix, QWidget* parent = nullptr);
    ~ConnectorEditor() override;

    int numConnectors() const { return rowCount(); }
    QString description(int row) const;
    bool hidden(int row) const;

private:
    QStringList headerLabels() const override;
    QString namePrefix() const override;
    QString newDescription(int number, const QString& name) const override;

    const QString _namePrefix;
    const QString _descriptionPrefix;
};

} // namespace unit
