#include "unit/OpenDialog.h"

#include "fs/UserPaths.h"
#include "unit/Registry.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace unit {

OpenDialog::OpenDialog(QWidget* parent)
    : QDialog(parent)
    , _filter(new QLineEdit)
    , _blocks(new QTreeWidget)
    , _openButton(new QPushButton(tr("Open")))
    , _otherFileButton(new QPushButton(tr("Other file...")))
{
    setWindowTitle(tr("Open function block"));

    _filter->setPlaceholderText(tr("Part of the unit id"));
    _filter->setClearButtonEnabled(true);
    auto* filterLabel = new QLabel(tr("&Find:"));
    filterLabel->setBuddy(_filter);

    _blocks->setColumnCount(2);
    _blocks->setHeaderLabels({ tr("Unit id"), tr("Directory") });
    _blocks->setRootIsDecorated(false);
    _blocks->setUniformRowHeights(true);
    const Registry* registry = Registry::singleton();
    // Below the units directory, where every registered block lives: short,
    // and the same on every machine.
    const QDir units(fs::UserPaths::home() + QLatin1Char('/') + fs::UserPaths::unitsRelative());
    for (const QString& id : registry->getIDs()) {
        auto* item = new QTreeWidgetItem(_blocks,
            { id, QDir::toNativeSeparators(units.relativeFilePath(registry->getDir(id).absolutePath())) });
        item->setData(0, Qt::UserRole, registry->unitFile(id));
    }
    _blocks->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    if (_blocks->topLevelItemCount() > 0)
        _blocks->setCurrentItem(_blocks->topLevelItem(0));

    auto* buttons = new QDialogButtonBox;
    buttons->addButton(_otherFileButton, QDialogButtonBox::ActionRole);
    buttons->addButton(_openButton, QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    _openButton->setDefault(true);

    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(_filter);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filterRow);
    layout->addWidget(_blocks);
    layout->addWidget(buttons);
    resize(640, 400);

    connect(_filter, &QLineEdit::textChanged, this, &OpenDialog::on_filter_textChanged);
    // Return in the filter opens the best match itself: which button is the
    // default when the key reaches the dialog differs between Qt releases
    // (6.8 moves it to "Other file..." although "Open" was made the default).
    connect(_filter, &QLineEdit::returnPressed, this, &OpenDialog::openCurrent);
    connect(_otherFileButton, &QPushButton::clicked, this, &OpenDialog::on_otherFile_clicked);
    connect(_blocks, &QTreeWidget::currentItemChanged, this, &OpenDialog::updateButtons);
    connect(_blocks, &QTreeWidget::itemActivated, this, &OpenDialog::openCurrent);
    connect(buttons, &QDialogButtonBox::accepted, this, &OpenDialog::openCurrent);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    updateButtons();
}

void OpenDialog::on_filter_textChanged(const QString& text)
{
    QTreeWidgetItem* firstShown = nullptr;
    for (int i = 0; i < _blocks->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = _blocks->topLevelItem(i);
        const bool shown = item->text(0).contains(text, Qt::CaseInsensitive);
        item->setHidden(!shown);
        if (shown && !firstShown)
            firstShown = item;
    }
    // Enter opens the best match at once.
    QTreeWidgetItem* current = _blocks->currentItem();
    if (!current || current->isHidden())
        _blocks->setCurrentItem(firstShown);
    updateButtons();
}

void OpenDialog::on_otherFile_clicked()
{
    const QString file = QFileDialog::getOpenFileName(this, tr("Open function block"), QString(),
        tr("Function block descriptions (unit.xml)"), nullptr, QFileDialog::DontUseNativeDialog);
    if (file.isEmpty())
        return;
    _unitFile = file;
    accept();
}

void OpenDialog::updateButtons()
{
    const QTreeWidgetItem* current = _blocks->currentItem();
    _openButton->setEnabled(current && !current->isHidden());
}

void OpenDialog::openCurrent()
{
    const QTreeWidgetItem* current = _blocks->currentItem();
    if (!current || current->isHidden())
        return;
    _unitFile = current->data(0, Qt::UserRole).toString();
    accept();
}

QString OpenDialog::unitFileOf(const QString& id)
{
    return Registry::singleton()->unitFile(id);
}

} // namespace unit
