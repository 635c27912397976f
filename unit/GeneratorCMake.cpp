#include "unit/Generator.h"

namespace unit {

QByteArray Generator::unitCMakeScript() const
{
    return cmakeScript(QString(), QStringLiteral("unit_plugin.cmake"));
}

QByteArray Generator::unitSimCMakeScript() const
{
    return cmakeScript(QStringLiteral("_simulation"), QStringLiteral("unit_plugin_simulation.cmake"));
}

QByteArray Generator::unitGuiCMakeScript() const
{
    if (!_withDialog)
        return {};
    return cmakeScript(QStringLiteral("_gui"), QStringLiteral("unit_plugin_gui.cmake"));
}

QByteArray Generator::cmakeScript(const QString& suffix, const QString& recipe) const
{
    return localText({
        QStringLiteral("cmake_minimum_required( VERSION 2.6...3.10 )"),
        QLatin1String("SET( NAME unit_") + _pluginBaseName + suffix + QLatin1String(" )"),
        QString(),
        QStringLiteral("IF( WIN32 )"),
        QLatin1String("\tINCLUDE( $ENV{VELMORA2_API_DIR}/cmake/") + recipe + QLatin1String(" )"),
        QStringLiteral("ELSE( WIN32 )"),
        QLatin1String("\tINCLUDE( /usr/local/Velmora2/api/cmake/") + recipe + QLatin1String(" )"),
        QStringLiteral("ENDIF( WIN32 )"),
    });
}

} // namespace unit
