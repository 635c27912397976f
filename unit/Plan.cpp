#include "unit/Plan.h"

#include "unit/Diff.h"

namespace unit {

bool Plan::writes() const
{
    for (const Entry& entry : _entries) {
        if (entry.fate == New || entry.fate == Replaced)
            return true;
    }
    return false;
}

QString Plan::word(Fate fate)
{
    switch (fate) {
    case New:
        return QStringLiteral("new");
    case Replaced:
        return QStringLiteral("replaced");
    case Unchanged:
        return QStringLiteral("unchanged");
    case Kept:
        break;
    }
    return QStringLiteral("kept");
}

QString Plan::fateText(Fate fate)
{
    switch (fate) {
    case New:
        return tr("new");
    case Replaced:
        return tr("replaced");
    case Unchanged:
        return tr("unchanged");
    case Kept:
        break;
    }
    return tr("kept (C++ files are never overwritten)");
}

QString Plan::details() const
{
    QString text;
    for (const Entry& entry : _entries)
        text += tr("%1: %2").arg(entry.path, fateText(entry.fate)) + QLatin1Char('\n');
    for (const Entry& entry : _entries) {
        if (entry.fate != Replaced)
            continue;
        text += QLatin1Char('\n');
        if (entry.read)
            text += Diff::unified(entry.path, entry.old, entry.bytes);
        else
            text += tr("%1 cannot be compared.").arg(entry.path) + QLatin1Char('\n');
    }
    return text;
}

} // namespace unit
