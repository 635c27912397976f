#pragma once

#include <QUndoCommand>

#include <vector>

class QStandardItem;

namespace device {

class Model;

// One step on the device's undo stack. Places in the tree are kept as row
// paths from the top, never as item pointers: items leave the tree and come
// back, and a path stays right as long as the steps are replayed in order.
// A step holds only what it changes: a removed or not yet added subtree is
// kept here, detached, instead of a copy of the device.
class Edit : public QUndoCommand
{
public:
    using Path = std::vector<int>;

    // Puts item (owned by the step from now on) at row of parent. With
    // applied, the item is already in the tree and the first redo is skipped.
    static Edit* insert(
        Model* model, const Path& parent, int row, QStandardItem* item, bool applied, const QString& text);
    static Edit* remove(Model* model, const Path& parent, int row, const QString& text);
    // to and toRow name the place as it is once the item has left from.
    static Edit* move(
        Model* model, const Path& from, int fromRow, const Path& to, int toRow, const QString& text);
    static Edit* setText(
        Model* model, const Path& item, const QString& before, const QString& after, const QString& text);

    ~Edit() override;

    void redo() override;
    void undo() override;

private:
    enum Kind { Insert, Remove, Move, Text };

    Edit(Kind kind, Model* model, const QString& text);
    void take(const Path& parent, int row);
    void put(const Path& parent, int row);

    Kind _kind;
    Model* _model;
    Path _from;
    int _fromRow = -1;
    Path _to;
    int _toRow = -1;
    QString _before;
    QString _after;
    bool _skipRedo = false;
    // The subtree while it is out of the tree, owned by the step.
    QStandardItem* _held = nullptr;
};

} // namespace device
