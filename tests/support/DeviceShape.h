#pragma once

#include "device/Model.h"

// The tree below an item as one line: kind letter and text, children in
// brackets, so a test compares a whole tree at once.
inline QString deviceShape(const QStandardItem* item)
{
    QString out;
    for (int row = 0; row < item->rowCount(); ++row) {
        const QStandardItem* child = item->child(row);
        const int kind = child->data(device::Model::ItemTypeRole).toInt();
        out += kind == device::Model::RootItem ? "R:" : kind == device::Model::DeviceItem ? "D:" : "U:";
        out += child->text();
        if (child->hasChildren())
            out += "[" + deviceShape(child) + "]";
        out += " ";
    }
    return out.trimmed();
}

inline QString deviceShape(const device::Model& model)
{
    return deviceShape(model.invisibleRootItem());
}
