#pragma once

#include <QString>

namespace xml {

// The one schema base URL shared by every namespace the program writes.
inline const QString schemaBase = QStringLiteral("http://schemas.kiv.example");

inline const QString xsiNamespace = QStringLiteral("http://www.w3.org/2001/XMLSchema-instance");

// schemaBase + "/schema/" + kind, for example schemaUri("unit").
inline QString schemaUri(const QString& kind)
{
    return schemaBase + QStringLiteral("/schema/") + kind;
}

} // namespace xml
