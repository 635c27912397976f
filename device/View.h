#pragma once

#include <QTreeView>

namespace device {

class Model;

// The device tree: a context menu by item kind, in-place renaming through
// device::ItemDelegate, and moves by drag and drop inside the tree.
class View : public QTreeView
{
    Q_OBJECT

public:
    explicit View(Model* model, QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private slots:
    void removeCurrentItem();
    void addDirectory();
    void addUnit();

private:
    // The one selected index, or an invalid index unless exactly one is selected.
    QModelIndex selectedIndex() const;
    // Adds a child below the selected item through the model and opens its editor.
    void addChild(QModelIndex (Model::*add)(const QModelIndex&));

    Model* _model;
};

} // namespace device
