// Device files: whatever loads, xml() of it loads again to the same tree, so
// that xml() is a fixed point after one round; and reading agrees between the
// plain and the general reader.

#include "FuzzSupport.h"

#include "device/Model.h"

#include <QApplication>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkReadersAgree(content);

    device::Model first;
    first.load(content);
    const QByteArray written = first.xml();

    device::Model second;
    second.load(written);
    FUZZ_CHECK(second.root().isValid());
    FUZZ_CHECK(second.xml() == written);
    FUZZ_CHECK(!first.isChanged() && !second.isChanged());
    return 0;
}
