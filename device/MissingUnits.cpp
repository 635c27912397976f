#include "device/MissingUnits.h"

#include "device/Model.h"

namespace device {

bool MissingUnits::find(const QByteArray& content, QList<Entry>& entries)
{
    MissingUnits walker;
    entries.clear();
    if (!xml::Reader::read(content, walker) || !walker._root)
        return false;
    entries = walker._missing;
    return true;
}

void MissingUnits::beginDevice(const QString& id)
{
    _root = true;
    _directories << id;
}

void MissingUnits::endDevice()
{
    _directories.removeLast();
}

void MissingUnits::unit(const QString& id)
{
    if (Model::isMissingUnit(id))
        _missing << Entry { id, _directories };
}

void MissingUnits::restart()
{
    _directories.clear();
    _missing.clear();
    _root = false;
}

} // namespace device
