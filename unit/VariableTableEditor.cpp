#include "unit/VariableTableEditor.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace unit {

namespace {

using Column = VariableTableDelegate::Column;

// A default value edited through the delegate is a number, not text.
QString textForm(const QTableWidgetItem* item)
{
    if (!item)
        return {};
    const QVariant value = item->data(Qt::DisplayRole);
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

QToolButton* iconButton(const QString& objectName, const QString& iconPath)
{
    auto* button = new QToolButton;
    button->setObjectName(objectName);
    button->setIcon(QIcon(iconPath));
    return button;
}

// Icon only: the tool tip says what the button does, and screen readers
// read the same words.
void label(QWidget* widget, const QString& text)
{
    widget->setToolTip(text);
    widget->setAccessibleName(text);
}

QString boolText(bool value)
{
    return VariableTableDelegate::boolNames().at(value ? 1 : 0);
}

} // namespace

VariableTableEditor::VariableTableEditor(QWidget* parent)
    : QWidget(parent)
    , _table(new QTableWidget(0, 0))
    , _addBtn(iconButton(QStringLiteral("addBtn"), QStringLiteral(":/icons/add.png")))
    , _removeBtn(iconButton(QStringLiteral("removeBtn"), QStringLiteral(":/icons/remove.png")))
    , _upBtn(iconButton(QStringLiteral("upBtn"), QStringLiteral(":/icons/up.png")))
    , _downBtn(iconButton(QStringLiteral("downBtn"), QStringLiteral(":/icons/down.png")))
{
    _table->setObjectName(QStringLiteral("table"));
    _table->verticalHeader()->hide();
    // Tab moves on to the buttons and the rest of the form; the arrow keys
    // move between the cells.
    _table->setTabKeyNavigation(false);
    setLabels({ {}, tr("Add"), tr("Remove"), tr("Move up"), tr("Move down") });

    auto* buttons = new QVBoxLayout;
    buttons->addStretch();
    for (QToolButton* button : { _addBtn, _removeBtn, _upBtn, _downBtn }) {
        buttons->addWidget(button, 0, Qt::AlignCenter);
        button->installEventFilter(this);
    }
    buttons->addStretch();

    auto* layout = new QHBoxLayout(this);
    // Flush with the form's fields above and below.
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(_table);
    layout->addLayout(buttons);

    connect(_addBtn, &QToolButton::clicked, this, &VariableTableEditor::on_addBtn_clicked);
    connect(_removeBtn, &QToolButton::clicked, this, &VariableTableEditor::on_removeBtn_clicked);
    connect(_upBtn, &QToolButton::clicked, this, &VariableTableEditor::on_upBtn_clicked);
    connect(_downBtn, &QToolButton::clicked, this, &VariableTableEditor::on_downBtn_clicked);
    connect(_table, &QTableWidget::currentCellChanged, this, &VariableTableEditor::updateButtons);
    connect(_table, &QTableWidget::itemChanged, this, &VariableTableEditor::on_table_itemChanged);
}

VariableTableEditor::~VariableTableEditor() = default;

void VariableTableEditor::setUp(VariableTableDelegate* delegate)
{
    _delegate = delegate;
    _table->setColumnCount(delegate->columns().size());
    _table->setItemDelegate(delegate);
    clear();
    updateButtons();
}

void VariableTableEditor::clear()
{
    _table->setRowCount(0);
    _table->setHorizontalHeaderLabels(headerLabels());
    _table->resizeColumnsToContents();
    updateButtons();
}

void VariableTableEditor::setLabels(const Labels& labels)
{
    _table->setAccessibleName(labels.table);
    label(_addBtn, labels.add);
    label(_removeBtn, labels.remove);
    label(_upBtn, labels.up);
    label(_downBtn, labels.down);
}

QList<QWidget*> VariableTableEditor::tabOrder() const
{
    return { _table, _addBtn, _removeBtn, _upBtn, _downBtn };
}

bool VariableTableEditor::eventFilter(QObject* watched, QEvent* event)
{
    auto* button = qobject_cast<QToolButton*>(watched);
    if (!button || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<const QKeyEvent*>(event);
    const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (!plain || (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter))
        return QWidget::eventFilter(watched, event);
    button->click();
    return true;
}

void VariableTableEditor::appendRow(const Generator::VariableDescriptor& variable)
{
    const int row = _table->rowCount();
    _table->insertRow(row);
    const VariableTableDelegate::Columns& columns = _delegate->columns();
    for (int col = 0; col < columns.size(); ++col) {
        auto* item = new QTableWidgetItem;
        switch (columns.at(col)) {
        case Column::Name:
            item->setText(variable.name);
            break;
        case Column::Type:
            item->setText(variable.type);
            break;
        case Column::Description:
            item->setText(variable.description);
            break;
        case Column::DefaultValue:
            item->setText(variable.defaultValue);
            break;
        case Column::Hidden:
            item->setText(boolText(variable.hidden));
            break;
        }
        _table->setItem(row, col, item);
        if (columns.at(col) == Column::DefaultValue)
            item->setData(Qt::UserRole, variable.type);
    }
    widenColumns();
    updateButtons();
}

QSize VariableTableEditor::sizeHint() const
{
    constexpr int shownRows = 4;
    const int tableHeight = _table->horizontalHeader()->sizeHint().height()
        + shownRows * _table->verticalHeader()->defaultSectionSize() + 2 * _table->frameWidth();
    const QMargins margins = layout()->contentsMargins();
    const int buttonsHeight = layout()->itemAt(1)->sizeHint().height();
    QSize size = QWidget::sizeHint();
    size.setHeight(qMax(tableHeight, buttonsHeight) + margins.top() + margins.bottom());
    return size;
}

QString VariableTableEditor::name(int row) const
{
    return text(row, Column::Name);
}

QString VariableTableEditor::type(int row) const
{
    return text(row, Column::Type);
}

QString VariableTableEditor::defaultValue(int row) const
{
    return text(row, Column::DefaultValue);
}

int VariableTableEditor::rowCount() const
{
    return _table->rowCount();
}

QString VariableTableEditor::text(int row, Column column) const
{
    return textForm(_table->item(row, this->column(column)));
}

QString VariableTableEditor::newDescription(int /*number*/, const QString& name) const
{
    return name;
}

void VariableTableEditor::on_addBtn_clicked()
{
    // The smallest free number, so that names freed by a removal come back.
    const QString prefix = namePrefix();
    int number = 0;
    while (nameTaken(prefix + QString::number(number)))
        ++number;
    const QString name = prefix + QString::number(number);

    appendRow(Generator::VariableDescriptor(
        name, QStringLiteral("float"), newDescription(number, name), QStringLiteral("0"), false));
    updateButtons();
}

void VariableTableEditor::on_removeBtn_clicked()
{
    const int row = _table->currentRow();
    if (row >= 0)
        _table->removeRow(row);
    updateButtons();
}

void VariableTableEditor::on_upBtn_clicked()
{
    moveCurrentRow(-1);
}

void VariableTableEditor::on_downBtn_clicked()
{
    moveCurrentRow(+1);
}

void VariableTableEditor::on_table_itemChanged(QTableWidgetItem* item)
{
    if (!item || item->tableWidget() != _table)
        return;
    widenColumns();
    if (item->column() != column(Column::Type))
        return;
    // The row being added has no default value cell yet when its type is set.
    QTableWidgetItem* value = _table->item(item->row(), column(Column::DefaultValue));
    if (!value)
        return;
    const QString type = item->text();
    if (type != value->data(Qt::UserRole).toString()) {
        if (type == QLatin1String("bool"))
            value->setText(QStringLiteral("false"));
        else if (VariableTableDelegate::typeNames().contains(type))
            value->setText(QStringLiteral("0"));
    }
    value->setData(Qt::UserRole, type);
}

void VariableTableEditor::updateButtons()
{
    const int rows = _table->rowCount();
    const int current = _table->currentRow();
    _addBtn->setEnabled(true);
    _removeBtn->setEnabled(rows > 0 && current >= 0);
    _upBtn->setEnabled(rows >= 2 && current > 0);
    _downBtn->setEnabled(rows >= 2 && current >= 0 && current < rows - 1);
}

int VariableTableEditor::column(Column column) const
{
    return _delegate->indexOf(column);
}

bool VariableTableEditor::nameTaken(const QString& name) const
{
    for (int row = 0; row < _table->rowCount(); ++row) {
        if (text(row, Column::Name) == name)
            return true;
    }
    return false;
}

void VariableTableEditor::widenColumns()
{
    for (int col = 0; col < _table->columnCount(); ++col) {
        const int width = _table->columnWidth(col);
        _table->resizeColumnToContents(col);
        if (_table->columnWidth(col) < width)
            _table->setColumnWidth(col, width);
    }
}

void VariableTableEditor::moveCurrentRow(int step)
{
    const int row = _table->currentRow();
    const int target = row + step;
    if (row < 0 || target < 0 || target >= _table->rowCount())
        return;

    // Nobody, the type change rule included, may see the half-exchanged rows.
    const bool wasBlocked = _table->blockSignals(true);
    for (int col = 0; col < _table->columnCount(); ++col) {
        QTableWidgetItem* first = _table->item(row, col);
        QTableWidgetItem* second = _table->item(target, col);
        if (!first || !second)
            continue;
        const QString firstText = textForm(first);
        const QVariant firstType = first->data(Qt::UserRole);
        first->setText(textForm(second));
        first->setData(Qt::UserRole, second->data(Qt::UserRole));
        second->setText(firstText);
        second->setData(Qt::UserRole, firstType);
    }
    _table->blockSignals(wasBlocked);

    _table->setCurrentCell(target, _table->currentColumn());
    updateButtons();
}

} // namespace unit
