#pragma once

#include "unit/Generator.h"
#include "unit/VariableTableDelegate.h"

#include <QStringList>
#include <QWidget>

class QTableWidget;
class QTableWidgetItem;
class QToolButton;

namespace unit {

// A table of variables (name, type, default value and, depending on the
// subclass, more columns) with add, remove and move buttons beside it. The
// subclass supplies its delegate, header texts and the names of new rows.
class VariableTableEditor : public QWidget
{
    Q_OBJECT

public:
    ~VariableTableEditor() override;

    void clear();
    // A row with the variable's values as they stand, for a block read back
    // from its files; the description and hidden flag go only where the
    // table has such columns.
    void appendRow(const Generator::VariableDescriptor& variable);

    // What the table holds, in words: the table's accessible name, and the
    // tool tips and accessible names of its icon-only buttons.
    struct Labels
    {
        QString table;
        QString add;
        QString remove;
        QString up;
        QString down;
    };
    void setLabels(const Labels& labels);
    // The widgets that take the focus, in the order Tab visits them: the
    // table, then its four buttons.
    QList<QWidget*> tabOrder() const;

    QString name(int row) const;
    QString type(int row) const;
    QString defaultValue(int row) const;

    // Room for a few rows: the form with all its tables fits a common screen.
    QSize sizeHint() const override;

protected:
    explicit VariableTableEditor(QWidget* parent);

    // Return and Enter press a focused button, as Space does.
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Completes construction; the delegate decides the columns.
    void setUp(VariableTableDelegate* delegate);

    QTableWidget* table() const { return _table; }
    int rowCount() const;
    QString text(int row, VariableTableDelegate::Column column) const;

private slots:
    void on_addBtn_clicked();
    void on_removeBtn_clicked();
    void on_upBtn_clicked();
    void on_downBtn_clicked();
    void on_table_itemChanged(QTableWidgetItem* item);
    void updateButtons();

private:
    virtual QStringList headerLabels() const = 0;
    virtual QString namePrefix() const = 0;
    virtual QString newDescription(int number, const QString& name) const;

    int column(VariableTableDelegate::Column column) const;
    bool nameTaken(const QString& name) const;
    // Columns grow to what they show, never shrink under the user's hands.
    void widenColumns();
    // Exchanges the current row with its neighbour above (-1) or below (+1).
    void moveCurrentRow(int step);

    const VariableTableDelegate* _delegate = nullptr;
    QTableWidget* _table = nullptr;
    QToolButton* _addBtn = nullptr;
    QToolButton* _removeBtn = nullptr;
    QToolButton* _upBtn = nullptr;
    QToolButton* _downBtn = nullptr;
};

} // namespace unit
