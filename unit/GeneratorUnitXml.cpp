#include "unit/Generator.h"

#include "xml/Element.h"
#include "xml/Schema.h"

namespace unit {

namespace {

void appendDefault(xml::Element& variable, const QString& defaultValue)
{
    if (defaultValue.isEmpty())
        return;
    variable.appendChild(QStringLiteral("var:default")).setAttribute(QStringLiteral("var:val"), defaultValue);
}

// "unit:connector" below the unit type and "unit:statevar" share one form.
void appendVariable(xml::Element& parent, const QString& element, const Generator::VariableDescriptor& d)
{
    xml::Element& variable = parent.appendChild(element);
    variable.setAttribute(QStringLiteral("var:varname"), d.name);
    variable.setAttribute(QStringLiteral("var:type"), d.type);
    appendDefault(variable, d.defaultValue);
}

struct ConnectorLists
{
    xml::Element& in;
    xml::Element& out;
};

// "unit:connectors" with its "unit:in" and "unit:out".
ConnectorLists appendConnectorLists(xml::Element& parent)
{
    xml::Element& connectors = parent.appendChild(QStringLiteral("unit:connectors"));
    xml::Element& in = connectors.appendChild(QStringLiteral("unit:in"));
    return { in, connectors.appendChild(QStringLiteral("unit:out")) };
}

void appendPlugin(xml::Element& plugins, const QString& type, const QString& library)
{
    xml::Element& plugin = plugins.appendChild(QStringLiteral("unit:plugin"));
    plugin.setAttribute(QStringLiteral("plugin:type"), type);
    plugin.setAttribute(QStringLiteral("plugin:library"), library);
}

} // namespace

QByteArray Generator::unitXml() const
{
    xml::Element root(QStringLiteral("unit:unit"));
    root.setAttribute(QStringLiteral("xmlns:xsi"), xml::xsiNamespace);
    root.setAttribute(QStringLiteral("xsi:schemaLocation"),
        xml::schemaUri(QStringLiteral("unit")) + QLatin1String(" unit.xsd"));
    root.setAttribute(QStringLiteral("xmlns:plugin"), xml::schemaUri(QStringLiteral("plugin")));
    root.setAttribute(QStringLiteral("xmlns:unit"), xml::schemaUri(QStringLiteral("unit")));
    root.setAttribute(QStringLiteral("xmlns:var"), xml::schemaUri(QStringLiteral("variable")));
    root.setAttribute(QStringLiteral("xmlns:tmpl"), xml::schemaUri(QStringLiteral("template")));
    root.setAttribute(QStringLiteral("xmlns:tr"), xml::schemaUri(QStringLiteral("translation")));

    root.appendChild(QStringLiteral("unit:translations"));
    xml::Element& unitType
        = root.appendChild(QStringLiteral("unit:unittypes")).appendChild(QStringLiteral("unit:unittype"));
    unitType.setAttribute(QStringLiteral("unit:id"), _id);

    unitType.appendChild(QStringLiteral("unit:typeTemplates"));
    const ConnectorLists types = appendConnectorLists(unitType);
    xml::Element& typeState = unitType.appendChild(QStringLiteral("unit:state"));

    xml::Element& guiInfo = unitType.appendChild(QStringLiteral("unit:guiinfo"));
    const ConnectorLists layouts = appendConnectorLists(guiInfo);
    guiInfo.appendChild(QStringLiteral("unit:state"));

    xml::Element& description = guiInfo.appendChild(QStringLiteral("unit:description"));
    xml::Element& name = description.appendChild(QStringLiteral("unit:name"));
    if (!_guiName.isEmpty())
        name.setText(_guiName);
    description.appendChild(QStringLiteral("unit:icon"))
        .setAttribute(QStringLiteral("unit:filename"), QLatin1String("icons/") + _iconFileName);
    const ConnectorLists infos = appendConnectorLists(description);
    description.appendChild(QStringLiteral("unit:state"));

    xml::Element& plugins = unitType.appendChild(QStringLiteral("unit:plugins"));
    appendPlugin(
        plugins, QStringLiteral("simulation"), QStringLiteral("unit_%1_simulation").arg(_pluginBaseName));
    if (_withDialog)
        appendPlugin(plugins, QStringLiteral("dialog"), QStringLiteral("unit_%1_gui").arg(_pluginBaseName));

    processConnectors(_inputs, QStringLiteral("left"), types.in, layouts.in, infos.in);
    processConnectors(_outputs, QStringLiteral("right"), types.out, layouts.out, infos.out);
    processStateVars(_stateVars, typeState);

    return root.toDocument();
}

void Generator::processConnectors(const QList<VariableDescriptor>& connectors, const QString& side,
    xml::Element& typeConnectors, xml::Element& layouts, xml::Element& infos)
{
    for (const VariableDescriptor& d : connectors) {
        appendVariable(typeConnectors, QStringLiteral("unit:connector"), d);

        xml::Element& layout = layouts.appendChild(QStringLiteral("unit:layout"));
        layout.setAttribute(QStringLiteral("unit:varname"), d.name);
        layout.setAttribute(QStringLiteral("unit:side"), side);
        if (d.hidden)
            layout.setAttribute(QStringLiteral("unit:display"), QStringLiteral("hidden"));

        xml::Element& info = infos.appendChild(QStringLiteral("unit:info"));
        info.setAttribute(QStringLiteral("unit:varname"), d.name);
        info.appendChild(QStringLiteral("unit:description")).setText(d.description);
    }
}

void Generator::processStateVars(const QList<VariableDescriptor>& stateVars, xml::Element& state)
{
    for (const VariableDescriptor& d : stateVars)
        appendVariable(state, QStringLiteral("unit:statevar"), d);
}

} // namespace unit
