#include "device/ItemDelegate.h"

#include "device/Model.h"
#include "unit/Registry.h"

#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>

namespace device {

namespace {

const char* const chosenProperty = "fbmUserChose";
// Enough to pick from without hiding the tree; the rest scrolls.
constexpr int visibleIds = 20;

void markChosen(QComboBox* combo)
{
    combo->setProperty(chosenProperty, true);
}

// The registry id meant by what was typed: the id itself, the id in other
// case, or the one id that contains the text.
QString idFor(const QString& text)
{
    const QStringList ids = unit::Registry::singleton()->getIDs();
    if (ids.contains(text))
        return text;
    QStringList found;
    for (const QString& id : ids) {
        if (id.compare(text, Qt::CaseInsensitive) == 0)
            return id;
        if (id.contains(text, Qt::CaseInsensitive))
            found << id;
    }
    return found.size() == 1 ? found.first() : QString();
}

} // namespace

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
        // Editable only to search: what is stored is always a listed id.
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMaxVisibleItems(visibleIds);
        combo->addItems(registry->getIDs());
        auto* completer = new QCompleter(combo->model(), combo);
        completer->setFilterMode(Qt::MatchContains);
        completer->setCaseSensitivity(Qt::CaseInsensitive);
        completer->setCompletionMode(QCompleter::PopupCompletion);
        completer->setMaxVisibleItems(visibleIds);
        combo->setCompleter(completer);
        connect(combo, &QComboBox::activated, combo, [combo] { markChosen(combo); });
        connect(combo->lineEdit(), &QLineEdit::textEdited, combo, [combo] { markChosen(combo); });
        connect(completer, qOverload<const QString&>(&QCompleter::activated), combo,
            [combo] { markChosen(combo); });
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
            int found = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
            // An id whose block is gone is offered first, so that leaving the
            // editor keeps it; a new entry's placeholder names no block and
            // opens on the first id.
            const auto* model = qobject_cast<const Model*>(index.model());
            if (found < 0 && model && !model->isNewUnit(index)) {
                combo->insertItem(0, index.data(Qt::DecorationRole).value<QIcon>(), text);
                combo->setItemData(0, index.data(Qt::ToolTipRole), Qt::ToolTipRole);
                found = 0;
            }
            combo->setCurrentIndex(found >= 0 ? found : (combo->count() > 0 ? 0 : -1));
            // Typing replaces the offered id and searches.
            combo->lineEdit()->selectAll();
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
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            text = combo->currentText();
            // Unchanged, an id whose block is gone stays; otherwise only a
            // listed id is stored.
            if (text != index.data(Qt::EditRole).toString())
                text = idFor(text);
        }
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

void ItemDelegate::updateEditorGeometry(
    QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const
{
    // A combo box squeezed into a text row cuts its text; it keeps its own
    // height, centred on the row.
    QRect rect = option.rect;
    const int height = editor->sizeHint().height();
    if (qobject_cast<QComboBox*>(editor) && height > rect.height())
        rect = QRect(rect.left(), rect.center().y() - height / 2, rect.width(), height);
    editor->setGeometry(rect);
}

bool ItemDelegate::userChose(const QWidget* editor)
{
    return editor && editor->property(chosenProperty).toBool();
}

} // namespace device
