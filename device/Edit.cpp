#include "device/Edit.h"

#include "device/Model.h"

namespace device {

Edit::Edit(Kind kind, Model* model, const QString& text)
    : QUndoCommand(text)
    , _kind(kind)
    , _model(model)
{
}

Edit* Edit::insert(
    Model* model, const Path& parent, int row, QStandardItem* item, bool applied, const QString& text)
{
    auto* edit = new Edit(Insert, model, text);
    edit->_to = parent;
    edit->_toRow = row;
    if (applied)
        edit->_skipRedo = true;
    else
        edit->_held = item;
    return edit;
}

Edit* Edit::remove(Model* model, const Path& parent, int row, const QString& text)
{
    auto* edit = new Edit(Remove, model, text);
    edit->_from = parent;
    edit->_fromRow = row;
    return edit;
}

Edit* Edit::move(Model* model, const Path& from, int fromRow, const Path& to, int toRow, const QString& text)
{
    auto* edit = new Edit(Move, model, text);
    edit->_from = from;
    edit->_fromRow = fromRow;
    edit->_to = to;
    edit->_toRow = toRow;
    return edit;
}

Edit* Edit::setText(
    Model* model, const Path& item, const QString& before, const QString& after, const QString& text)
{
    auto* edit = new Edit(Text, model, text);
    edit->_to = item;
    edit->_before = before;
    edit->_after = after;
    return edit;
}

Edit::~Edit()
{
    if (_held)
        Model::deleteDetached(_held);
}

void Edit::redo()
{
    if (_skipRedo) {
        _skipRedo = false;
        return;
    }
    switch (_kind) {
    case Insert:
        put(_to, _toRow);
        break;
    case Remove:
        take(_from, _fromRow);
        break;
    case Move:
        take(_from, _fromRow);
        put(_to, _toRow);
        break;
    case Text:
        _model->applyText(_to, _after);
        break;
    }
}

void Edit::undo()
{
    switch (_kind) {
    case Insert:
        take(_to, _toRow);
        break;
    case Remove:
        put(_from, _fromRow);
        break;
    case Move:
        take(_to, _toRow);
        put(_from, _fromRow);
        break;
    case Text:
        _model->applyText(_to, _before);
        break;
    }
}

void Edit::take(const Path& parent, int row)
{
    _held = _model->applyTake(parent, row);
}

void Edit::put(const Path& parent, int row)
{
    _model->applyPut(parent, row, _held);
    _held = nullptr;
}

} // namespace device
