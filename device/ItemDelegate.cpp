#include "device/ItemDelegate.h"

#include "device/Model.h"
#include "unit/Registry.h"

#include <QComboBox>
#include <QLineEdit>

namespace device {

ItemDelegate::ItemDelegate(QObject* parent)
    : QItemDelegate(parent)
{
}

QWidget* ItemDelegate::createEditor(
    QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    switch (Model::itemType(index)) {
    case Model::UnitItem: {
        // Asked afresh every time, so ids of blocks generated since are offered.
        const unit::Registry* registry = unit::Registry::singleton();
        if (registry->isEmpty())
            return nullptr;
        auto* combo = new QComboBox(parent);
        combo->setEditable(false);
        combo->addItems(registry->getIDs());
        return combo;
    }
    case Model::DeviceItem:
        return new QLineEdit(parent);
    default:
        return nullptr;
    }
}

void ItemDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const QString text = index.data(Qt::EditRole).toString();
    switch (Model::itemType(index)) {
    case Model::UnitItem:
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            // An id the registry does not know (the placeholder of a new entry)
            // opens on the first known id.
            const int found = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
            combo->setCurrentIndex(found >= 0 ? found : (combo->count() > 0 ? 0 : -1));
        }
        break;
    case Model::DeviceItem:
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setText(text);
        break;
    default:
        break;
    }
}

void ItemDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    QString text;
    switch (Model::itemType(index)) {
    case Model::UnitItem:
        if (auto* combo = qobject_cast<QComboBox*>(editor))
            text = combo->currentText();
        break;
    case Model::DeviceItem:
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            text = line->text();
        break;
    default:
        return;
    }
    if (text.trimmed().isEmpty())
        return;
    model->setData(index, text, Qt::EditRole);
}

} // namespace device
