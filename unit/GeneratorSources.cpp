#include "unit/Generator.h"

#include <QIODevice>
#include <QStringConverter>
#include <QTextStream>

namespace unit {

namespace {

// The class headers of both plug-ins: an include guard around one class
// derived from a class of the plug-in API.
QStringList classHeader(
    const QString& name, const QString& apiHeader, const QString& apiClass, const QStringList& body)
{
    const QString guard = QLatin1Char('_') + name + QLatin1String("_H_");
    QStringList lines = {
        QLatin1String("#ifndef ") + guard,
        QLatin1String("#define ") + guard,
        QString(),
        QLatin1String("#include \"plugin/") + apiHeader + QLatin1String(".h\""),
        QString(),
        QLatin1String("class ") + name + QLatin1String(" : public plugin::") + apiClass,
        QStringLiteral("{"),
    };
    lines << body << QStringLiteral("private:") << QStringLiteral("};") << QString()
          << QLatin1String("#endif // ") + guard;
    return lines;
}

} // namespace

QByteArray Generator::unitSimMainCpp() const
{
    const QString addLine = QLatin1String("ADD_UNIT( \"") + cppStringContent(_id) + QLatin1String("\", ")
        + className() + QLatin1String(" )");
    return entryFile(QStringLiteral("simulation"), QStringLiteral("SIMULATION_INTERFACE"),
        QStringLiteral("UNITS"), addLine);
}

QString Generator::unitSimClass(QByteArray& header, QByteArray& source) const
{
    const QString name = className();
    header
        = localText(classHeader(name, QStringLiteral("simulation/Unit"), QStringLiteral("simulation::Unit"),
            {
                QStringLiteral("public:"),
                QLatin1Char('\t') + name + QLatin1String(" (plugin::simulation::UnitDelegate& del);"),
                QString(),
                QStringLiteral("\tvoid step (void);"),
                QString(),
            }));
    source = localText({
        QLatin1String("#include \"") + name + QLatin1String(".h\""),
        QString(),
        name + QLatin1String("::") + name + QLatin1String(" (plugin::simulation::UnitDelegate& del)"),
        QStringLiteral(": plugin::simulation::Unit(del, plugin::simulation::Deterministic)"),
        QStringLiteral("{"),
        QStringLiteral("}"),
        QString(),
        QLatin1String("void ") + name + QLatin1String("::step (void)"),
        QStringLiteral("{"),
        QStringLiteral("}"),
        QString(),
    });
    return name;
}

QByteArray Generator::unitGuiMainCpp() const
{
    const QString addLine = QLatin1String("ADD_UNITWIDGET( \"") + cppStringContent(_id)
        + QLatin1String("\", \"dialog\", ") + className() + QLatin1String(" )");
    return entryFile(
        QStringLiteral("gui"), QStringLiteral("GUI_INTERFACE"), QStringLiteral("UNITWIDGETS"), addLine);
}

QString Generator::unitGuiClass(QByteArray& header, QByteArray& source) const
{
    const QString name = className();
    header = localText(classHeader(name, QStringLiteral("gui/UnitDialog"), QStringLiteral("gui::UnitDialog"),
        {
            QStringLiteral("\tQ_OBJECT"),
            QString(),
            QStringLiteral("public:"),
            QLatin1Char('\t') + name + QLatin1String(" (plugin::gui::UnitDelegate& del);"),
            QString(),
            QStringLiteral("\tvoid update (const plugin::gui::UnitHistoryBundle& buf);"),
            QStringLiteral("\tvoid translate (void);"),
            QString(),
        }));

    QStringList lines = {
        QLatin1String("#include \"") + name + QLatin1String(".h\""),
        QString(),
        name + QLatin1String("::") + name + QLatin1String(" (plugin::gui::UnitDelegate& del)"),
        QStringLiteral(": plugin::gui::UnitDialog(del)"),
        QStringLiteral("{"),
    };
    if (!_inputs.isEmpty() || !_outputs.isEmpty() || !_stateVars.isEmpty()) {
        lines << QStringLiteral(
            "\t// If the dialog is supposed to be notified when a input's, output's or state "
            "variable's value changes,")
              << QStringLiteral(
                     "\t// just uncomment the corresponding line below and modify the update() method.")
              << QString();
    }
    const auto registerLines = [&lines](const QList<VariableDescriptor>& list, const QString& kind) {
        for (const VariableDescriptor& d : list)
            lines << QLatin1String("\t//del.register") + kind + QLatin1String("(\"") + d.name
                    + QLatin1String("\", 1);");
    };
    registerLines(_inputs, QStringLiteral("Input"));
    registerLines(_outputs, QStringLiteral("Output"));
    registerLines(_stateVars, QStringLiteral("StateVariable"));
    lines << QStringLiteral("}") << QString();

    lines << QLatin1String("void ") + name
            + QLatin1String("::update (const plugin::gui::UnitHistoryBundle& buf)")
          << QStringLiteral("{");
    const auto historyLines
        = [&lines](const QList<VariableDescriptor>& list, const QString& prefix, const QString& kind) {
              for (const VariableDescriptor& d : list) {
                  const QString var = prefix + d.name;
                  lines << QLatin1String("\t//plugin::gui::VariableHistoryBuffer* ") + var
                          + QLatin1String(" = buf.get") + kind + QLatin1String("History(\"") + d.name
                          + QLatin1String("\");")
                        << QLatin1String("\t//if (") + var + QLatin1String(") { }");
              }
          };
    historyLines(_inputs, QStringLiteral("i_"), QStringLiteral("Input"));
    historyLines(_outputs, QStringLiteral("o_"), QStringLiteral("Output"));
    historyLines(_stateVars, QStringLiteral("v_"), QStringLiteral("StateVariable"));
    lines << QStringLiteral("}") << QString();

    lines << QLatin1String("void ") + name + QLatin1String("::translate (void)") << QStringLiteral("{")
          << QStringLiteral("}") << QString();
    source = localText(lines);
    return name;
}

QByteArray Generator::entryFile(const QString& plugin, const QString& interfaceMacro,
    const QString& listMacro, const QString& addLine) const
{
    return localText({
        QLatin1String("#include \"plugin/") + plugin + QLatin1String("/Interface.h\""),
        QLatin1String("#include \"") + className() + QLatin1String(".h\""),
        QString(),
        QLatin1String("BEGIN_") + interfaceMacro + QLatin1String("( \"") + cppStringContent(_vendor)
            + QLatin1String("\", \"") + _name + QLatin1String("\" )"),
        QLatin1String("\tBEGIN_") + listMacro,
        QLatin1String("\t\t") + addLine,
        QLatin1String("\tEND_") + listMacro,
        QLatin1String("END_") + interfaceMacro,
    });
}

QByteArray Generator::localText(const QStringList& lines)
{
    QByteArray bytes;
    QTextStream stream(&bytes, QIODevice::WriteOnly);
    stream.setEncoding(QStringConverter::System);
    for (const QString& line : lines)
        stream << line << '\n';
    stream.flush();
    return bytes;
}

QString Generator::cppStringContent(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return escaped;
}

} // namespace unit
