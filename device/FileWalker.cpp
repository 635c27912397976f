#include "device/FileWalker.h"

namespace device {

void FileWalker::startElement(QAnyStringView name, const xml::Attributes& attributes)
{
    if (_open.empty()) {
        const bool device = name == QLatin1String("dev:device");
        _open.push_back(device ? Device : Ignored);
        if (device)
            beginDevice(attributes.value(QLatin1String("dev:id")));
        return;
    }
    switch (_open.back()) {
    case Device:
        if (name == QLatin1String("dev:subdevices"))
            _open.push_back(Subdevices);
        else if (name == QLatin1String("dev:units"))
            _open.push_back(Units);
        else
            _open.push_back(Ignored);
        return;
    case Subdevices:
        if (name == QLatin1String("dev:device")) {
            _open.push_back(Device);
            beginDevice(attributes.value(QLatin1String("dev:id")));
        } else {
            _open.push_back(Ignored);
        }
        return;
    case Units:
        if (name == QLatin1String("dev:unit"))
            unit(attributes.value(QLatin1String("dev:type")));
        _open.push_back(Ignored);
        return;
    case Ignored:
        _open.push_back(Ignored);
        return;
    }
}

void FileWalker::endElement()
{
    if (_open.back() == Device)
        endDevice();
    _open.pop_back();
}

void FileWalker::reset()
{
    _open.clear();
    restart();
}

} // namespace device
