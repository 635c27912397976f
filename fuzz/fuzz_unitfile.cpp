// Unit file parsing: the registry's reader must give exactly the ids that a
// document tree of the same content gives, and reject what the tree rejects;
// opening a block must take the id the registry takes. A document that may
// hold a tag with too many attributes for Qt's reader is the registry's and
// the form's alone (both stay linear; the document tree would not).

#include "FuzzSupport.h"

#include "unit/Registry.h"
#include "unit/UnitFile.h"
#include "xml/Reader.h"

#include <QDomDocument>
#include <QDomElement>
#include <QStringList>

namespace {

QStringList idsFromDocumentTree(const QByteArray& content)
{
    QDomDocument document;
    if (!document.setContent(content))
        return {};
    const QDomElement root = document.documentElement();
    if (root.tagName() != QLatin1String("unit:unit"))
        return {};
    const QDomElement unittypes = root.firstChildElement(QStringLiteral("unit:unittypes"));
    QStringList ids;
    for (QDomElement unittype = unittypes.firstChildElement(QStringLiteral("unit:unittype"));
         !unittype.isNull(); unittype = unittype.nextSiblingElement(QStringLiteral("unit:unittype"))) {
        const QString id = unittype.attribute(QStringLiteral("unit:id"));
        if (!id.isEmpty())
            ids << id;
    }
    return ids;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkReadersAgree(content);
    const QStringList ids = unit::Registry::declaredIds(content);
    if (!xml::Reader::beyondGeneralReader(content))
        FUZZ_CHECK(ids == idsFromDocumentTree(content));
    const unit::UnitFile unit = unit::UnitFile::parse(content);
    if (unit.status == unit::UnitFile::Ok)
        FUZZ_CHECK(!ids.isEmpty() && unit.id == ids.first());
    return 0;
}
