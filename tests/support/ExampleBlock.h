#pragma once

#include "unit/Exception.h"
#include "unit/Generator.h"

// The documented example block: id "ACME My Block", one input, one hidden
// output, one state variable, plug-in base name "myblock".
inline unit::Generator exampleBlock(bool withDialog = true, const QString& icon = {})
{
    unit::Generator g(withDialog);
    g.setVendor("ACME");
    g.setName("My Block");
    g.setId("ACME My Block");
    g.setGuiName("My Block");
    if (!icon.isEmpty())
        g.setIcon(icon);
    g.setPluginBaseName("myblock");
    g.addConnector(unit::Generator::Input, "in1", "float", "Input 1", "0", false);
    g.addConnector(unit::Generator::Output, "out1", "bool", "Output 1", "false", true);
    g.addStateVar("counter", "int32", "0");
    return g;
}

// Generates and returns the code of the exception, 0 when there was none.
inline int generateCode(unit::Generator& g, bool overwrite, QString* message = nullptr)
{
    try {
        g.generate(overwrite);
    } catch (const Exception& e) {
        if (message)
            *message = QString::fromStdString(e.getMessage());
        return e.code;
    }
    return 0;
}
