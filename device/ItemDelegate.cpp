#include "device/ItemDelegate.h"

#include "device/Model.h"
#include "unit/Registry.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolTip>

namespace device {

namespace {

const char* const chosenProperty = "fbmUserChose";
// Set on the list of matches: the picker it belongs to.
const char* const pickerProperty = "fbmIdPicker";
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

// The lists a picker opens: the matches of what was typed, and all its ids.
QList<QAbstractItemView*> listsOf(const QComboBox* combo)
{
    return { combo->completer()->popup(), combo->view() };
}

// The id that Return takes: the one highlighted in an open list, else the
// id as typed (in any case), else the first that holds the text. The picker
// lists the registry's ids and an entry's own id.
QString matchIn(const QComboBox* combo)
{
    for (const QAbstractItemView* list : listsOf(combo)) {
        if (list->isVisible() && list->currentIndex().isValid())
            return list->currentIndex().data().toString();
    }
    const QString text = combo->currentText();
    if (combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0)
        return text;
    const int anyCase = combo->findText(text, Qt::MatchFixedString);
    if (anyCase >= 0)
        return combo->itemText(anyCase);
    for (int row = 0; row < combo->count(); ++row) {
        if (combo->itemText(row).contains(text, Qt::CaseInsensitive))
            return combo->itemText(row);
    }
    return {};
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
        // Installed after the lists' own filters, so this one sees Return
        // first. (createEditor is const by the base's contract; filtering
        // changes nothing of the delegate.)
        for (QAbstractItemView* list : listsOf(combo)) {
            list->setProperty(pickerProperty, QVariant::fromValue<QObject*>(combo));
            list->installEventFilter(const_cast<ItemDelegate*>(this));
        }
        connect(combo, &QComboBox::activated, combo, [combo] { markChosen(combo); });
        connect(combo->lineEdit(), &QLineEdit::textEdited, combo, [combo] {
            markChosen(combo);
            // A word on an earlier text would mislead.
            combo->setToolTip(QString());
        });
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

bool ItemDelegate::takeMatch(QWidget* editor)
{
    auto* combo = qobject_cast<QComboBox*>(editor);
    if (!combo)
        return true;
    const QString id = matchIn(combo);
    if (id.isEmpty())
        return false;
    combo->completer()->popup()->hide();
    combo->hidePopup();
    combo->setCurrentIndex(combo->findText(id, Qt::MatchExactly | Qt::MatchCaseSensitive));
    combo->setEditText(id);
    markChosen(combo);
    return true;
}

bool ItemDelegate::eventFilter(QObject* watched, QEvent* event)
{
    auto* list = qobject_cast<QAbstractItemView*>(watched);
    auto* combo = qobject_cast<QComboBox*>(list ? list->property(pickerProperty).value<QObject*>() : watched);
    const auto* key = event->type() == QEvent::KeyPress ? static_cast<const QKeyEvent*>(event) : nullptr;
    if (combo && key && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        if (!takeMatch(combo)) {
            const QString text = tr("No installed function block matches %1.").arg(combo->currentText());
            // Also the picker's accessible description, so a screen reader says it.
            combo->setToolTip(text);
            QToolTip::showText(combo->mapToGlobal(QPoint(0, combo->height())), text, combo);
            return true;
        }
        emit commitData(combo);
        emit closeEditor(combo, SubmitModelCache);
        return true;
    }
    // A list is no editor: the base class would end the edit when it hides.
    if (list)
        return false;
    return QItemDelegate::eventFilter(watched, event);
}

bool ItemDelegate::userChose(const QWidget* editor)
{
    return editor && editor->property(chosenProperty).toBool();
}

} // namespace device
