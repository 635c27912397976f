#pragma once

#include "xml/Reader.h"

#include <QString>

#include <vector>

namespace device {

// Walks the elements of a device file by the rules a device is read with:
// the document's root "dev:device" is the device's root; in a device, its
// "dev:subdevices" and "dev:units" sections count; in subdevices, the
// devices (directories); in units, the units (function block entries, whose
// "dev:type" is the unit id); everything else is passed over with all it
// holds. The model builds its tree on it, the device check lists entries.
class FileWalker : public xml::ElementHandler
{
public:
    void startElement(QAnyStringView name, const xml::Attributes& attributes) override;
    void endElement() override;
    void reset() override;

protected:
    // The root and each directory, with its dev:id; ended by endDevice.
    virtual void beginDevice(const QString& id) = 0;
    virtual void endDevice() = 0;
    virtual void unit(const QString& id) = 0;
    // Forget everything received so far.
    virtual void restart() = 0;

private:
    enum Context { Device, Subdevices, Units, Ignored };
    // Kept on the heap, however deep the file nests.
    std::vector<Context> _open;
};

} // namespace device
