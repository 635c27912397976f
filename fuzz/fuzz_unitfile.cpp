// Unit file parsing: the registry's reader must give exactly the ids that a
// document tree of the same content gives, and reject what the tree rejects.

#include "FuzzSupport.h"

#include "unit/Registry.h"

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
    FUZZ_CHECK(unit::Registry::declaredIds(content) == idsFromDocumentTree(content));
    return 0;
}
