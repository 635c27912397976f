#include "support/ExampleBlock.h"
#include "support/TestMain.h"

#include "unit/Generator.h"
#include "xml/Schema.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using unit::Generator;

namespace {

// The worked example of a unit description; SCHEMA and XSI are filled in.
const char* const workedExampleXml = R"(<?xml version="1.0" encoding="UTF-8"?>
<unit:unit xmlns:xsi="XSI" xsi:schemaLocation="SCHEMA/schema/unit unit.xsd" xmlns:plugin="SCHEMA/schema/plugin" xmlns:unit="SCHEMA/schema/unit" xmlns:var="SCHEMA/schema/variable" xmlns:tmpl="SCHEMA/schema/template" xmlns:tr="SCHEMA/schema/translation">
  <unit:translations/>
  <unit:unittypes>
    <unit:unittype unit:id="ACME My Block">
      <unit:typeTemplates/>
      <unit:connectors>
        <unit:in>
          <unit:connector var:varname="in1" var:type="float">
            <var:default var:val="0"/>
          </unit:connector>
        </unit:in>
        <unit:out>
          <unit:connector var:varname="out1" var:type="bool">
            <var:default var:val="false"/>
          </unit:connector>
        </unit:out>
      </unit:connectors>
      <unit:state>
        <unit:statevar var:varname="counter" var:type="int32">
          <var:default var:val="0"/>
        </unit:statevar>
      </unit:state>
      <unit:guiinfo>
        <unit:connectors>
          <unit:in>
            <unit:layout unit:varname="in1" unit:side="left"/>
          </unit:in>
          <unit:out>
            <unit:layout unit:varname="out1" unit:side="right" unit:display="hidden"/>
          </unit:out>
        </unit:connectors>
        <unit:state/>
        <unit:description>
          <unit:name>My Block</unit:name>
          <unit:icon unit:filename="icons/block.png"/>
          <unit:connectors>
            <unit:in>
              <unit:info unit:varname="in1">
                <unit:description>Input 1</unit:description>
              </unit:info>
            </unit:in>
            <unit:out>
              <unit:info unit:varname="out1">
                <unit:description>Output 1</unit:description>
              </unit:info>
            </unit:out>
          </unit:connectors>
          <unit:state/>
        </unit:description>
      </unit:guiinfo>
      <unit:plugins>
        <unit:plugin plugin:type="simulation" plugin:library="unit_myblock_simulation"/>
        <unit:plugin plugin:type="dialog" plugin:library="unit_myblock_gui"/>
      </unit:plugins>
    </unit:unittype>
  </unit:unittypes>
</unit:unit>
)";

const char* const emptyBlockXml = R"(<?xml version="1.0" encoding="UTF-8"?>
<unit:unit xmlns:xsi="XSI" xsi:schemaLocation="SCHEMA/schema/unit unit.xsd" xmlns:plugin="SCHEMA/schema/plugin" xmlns:unit="SCHEMA/schema/unit" xmlns:var="SCHEMA/schema/variable" xmlns:tmpl="SCHEMA/schema/template" xmlns:tr="SCHEMA/schema/translation">
  <unit:translations/>
  <unit:unittypes>
    <unit:unittype unit:id="">
      <unit:typeTemplates/>
      <unit:connectors>
        <unit:in/>
        <unit:out/>
      </unit:connectors>
      <unit:state/>
      <unit:guiinfo>
        <unit:connectors>
          <unit:in/>
          <unit:out/>
        </unit:connectors>
        <unit:state/>
        <unit:description>
          <unit:name/>
          <unit:icon unit:filename="icons/"/>
          <unit:connectors>
            <unit:in/>
            <unit:out/>
          </unit:connectors>
          <unit:state/>
        </unit:description>
      </unit:guiinfo>
      <unit:plugins>
        <unit:plugin plugin:type="simulation" plugin:library="unit__simulation"/>
      </unit:plugins>
    </unit:unittype>
  </unit:unittypes>
</unit:unit>
)";

// Empty default values and descriptions, markup characters in the values, no dialog.
const char* const sparseBlockXml = R"(<?xml version="1.0" encoding="UTF-8"?>
<unit:unit xmlns:xsi="XSI" xsi:schemaLocation="SCHEMA/schema/unit unit.xsd" xmlns:plugin="SCHEMA/schema/plugin" xmlns:unit="SCHEMA/schema/unit" xmlns:var="SCHEMA/schema/variable" xmlns:tmpl="SCHEMA/schema/template" xmlns:tr="SCHEMA/schema/translation">
  <unit:translations/>
  <unit:unittypes>
    <unit:unittype unit:id="a&amp;b &quot;c&quot; &lt;d&gt;">
      <unit:typeTemplates/>
      <unit:connectors>
        <unit:in>
          <unit:connector var:varname="speed" var:type="float"/>
          <unit:connector var:varname="on" var:type="bool">
            <var:default var:val="1"/>
          </unit:connector>
        </unit:in>
        <unit:out>
          <unit:connector var:varname="y" var:type="uint32"/>
        </unit:out>
      </unit:connectors>
      <unit:state>
        <unit:statevar var:varname="s" var:type="float"/>
      </unit:state>
      <unit:guiinfo>
        <unit:connectors>
          <unit:in>
            <unit:layout unit:varname="speed" unit:side="left" unit:display="hidden"/>
            <unit:layout unit:varname="on" unit:side="left"/>
          </unit:in>
          <unit:out>
            <unit:layout unit:varname="y" unit:side="right"/>
          </unit:out>
        </unit:connectors>
        <unit:state/>
        <unit:description>
          <unit:name>Fish &amp; Chips &lt;3 "x"</unit:name>
          <unit:icon unit:filename="icons/"/>
          <unit:connectors>
            <unit:in>
              <unit:info unit:varname="speed">
                <unit:description>Speed</unit:description>
              </unit:info>
              <unit:info unit:varname="on">
                <unit:description>a &lt; b</unit:description>
              </unit:info>
            </unit:in>
            <unit:out>
              <unit:info unit:varname="y">
                <unit:description></unit:description>
              </unit:info>
            </unit:out>
          </unit:connectors>
          <unit:state/>
        </unit:description>
      </unit:guiinfo>
      <unit:plugins>
        <unit:plugin plugin:type="simulation" plugin:library="unit_sparse_simulation"/>
      </unit:plugins>
    </unit:unittype>
  </unit:unittypes>
</unit:unit>
)";

QByteArray lines(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + '\n';
    return bytes;
}

QByteArray cmakeLines(const QString& name, const QString& recipe)
{
    return lines({ "cmake_minimum_required( VERSION 2.6...3.10 )", "SET( NAME " + name + " )", "",
        "IF( WIN32 )", "\tINCLUDE( $ENV{VELMORA2_API_DIR}/cmake/" + recipe + " )", "ELSE( WIN32 )",
        "\tINCLUDE( /usr/local/Velmora2/api/cmake/" + recipe + " )", "ENDIF( WIN32 )" });
}

} // namespace

class GeneratorTextsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir _files;

    static Generator skeletonBlock(bool withVariables)
    {
        Generator g(true);
        g.setVendor("ACME");
        g.setName("my block");
        g.setId("ACME my block");
        g.setPluginBaseName("myblock");
        if (withVariables) {
            g.addConnector(Generator::Input, "x", "float", "", "0", false);
            g.addConnector(Generator::Input, "x2", "int32", "", "", true);
            g.addConnector(Generator::Output, "y", "bool", "", "", false);
            g.addStateVar("s", "uint32", "0");
        }
        return g;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(_files.isValid());
        TestHome::writeFile(_files.filePath("block.png"), "png");
    }

    void unitXml_data()
    {
        QTest::addColumn<QByteArray>("actual");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("worked example")
            << exampleBlock(true, _files.filePath("block.png")).unitXml() << QByteArray(workedExampleXml);
        QTest::newRow("empty block") << Generator(false).unitXml() << QByteArray(emptyBlockXml);

        Generator g(false);
        g.setName("Sparse");
        g.setId("a&b \"c\" <d>");
        g.setGuiName("Fish & Chips <3 \"x\"");
        g.setIcon(_files.filePath("missing.png"));
        g.setPluginBaseName("sparse");
        g.addConnector(Generator::Input, "speed", "float", "Speed", "", true);
        g.addConnector(Generator::ConnectorType(7), "y", "uint32", "", "", false);
        g.addConnector(Generator::Input, "on", "bool", "a < b", "1", false);
        g.addStateVar("s", "float", "");
        QTest::newRow("sparse values") << g.unitXml() << QByteArray(sparseBlockXml);
    }

    void unitXml()
    {
        QFETCH(QByteArray, actual);
        QFETCH(QByteArray, expected);
        expected.replace("SCHEMA", xml::schemaBase.toUtf8()).replace("XSI", xml::xsiNamespace.toUtf8());
        QCOMPARE(actual, expected);
    }

    void cmakeScripts()
    {
        Generator g(true);
        g.setPluginBaseName("velmora_myfunctionblocks_myblock");
        QCOMPARE(
            g.unitCMakeScript(), cmakeLines("unit_velmora_myfunctionblocks_myblock", "unit_plugin.cmake"));
        QCOMPARE(g.unitSimCMakeScript(),
            cmakeLines("unit_velmora_myfunctionblocks_myblock_simulation", "unit_plugin_simulation.cmake"));
        QCOMPARE(g.unitGuiCMakeScript(),
            cmakeLines("unit_velmora_myfunctionblocks_myblock_gui", "unit_plugin_gui.cmake"));

        Generator withoutDialog(false);
        withoutDialog.setPluginBaseName("velmora_myfunctionblocks_myblock");
        QVERIFY(withoutDialog.unitGuiCMakeScript().isEmpty());
        QCOMPARE(withoutDialog.unitSimCMakeScript(), g.unitSimCMakeScript());
    }

    void simulationSkeleton()
    {
        const Generator g = skeletonBlock(true);
        QCOMPARE(g.unitSimMainCpp(),
            lines({ "#include \"plugin/simulation/Interface.h\"", "#include \"Myblock.h\"", "",
                "BEGIN_SIMULATION_INTERFACE( \"ACME\", \"my block\" )", "\tBEGIN_UNITS",
                "\t\tADD_UNIT( \"ACME my block\", Myblock )", "\tEND_UNITS", "END_SIMULATION_INTERFACE" }));

        QByteArray header, source;
        QCOMPARE(g.unitSimClass(header, source), QString("Myblock"));
        QCOMPARE(header,
            lines({ "#ifndef _Myblock_H_", "#define _Myblock_H_", "", "#include \"plugin/simulation/Unit.h\"",
                "", "class Myblock : public plugin::simulation::Unit", "{",
                "public:", "\tMyblock (plugin::simulation::UnitDelegate& del);", "", "\tvoid step (void);",
                "", "private:", "};", "", "#endif // _Myblock_H_" }));
        QCOMPARE(source,
            lines({ "#include \"Myblock.h\"", "", "Myblock::Myblock (plugin::simulation::UnitDelegate& del)",
                ": plugin::simulation::Unit(del, plugin::simulation::Deterministic)", "{", "}", "",
                "void Myblock::step (void)", "{", "}", "" }));

        // Connectors do not show in the simulation files.
        QByteArray bareHeader, bareSource;
        skeletonBlock(false).unitSimClass(bareHeader, bareSource);
        QCOMPARE(bareHeader, header);
        QCOMPARE(bareSource, source);
    }

    void guiSkeleton()
    {
        const Generator g = skeletonBlock(true);
        QCOMPARE(g.unitGuiMainCpp(),
            lines({ "#include \"plugin/gui/Interface.h\"", "#include \"Myblock.h\"", "",
                "BEGIN_GUI_INTERFACE( \"ACME\", \"my block\" )", "\tBEGIN_UNITWIDGETS",
                "\t\tADD_UNITWIDGET( \"ACME my block\", \"dialog\", Myblock )", "\tEND_UNITWIDGETS",
                "END_GUI_INTERFACE" }));

        QByteArray header, source;
        QCOMPARE(g.unitGuiClass(header, source), QString("Myblock"));
        QCOMPARE(header,
            lines({ "#ifndef _Myblock_H_", "#define _Myblock_H_", "", "#include \"plugin/gui/UnitDialog.h\"",
                "", "class Myblock : public plugin::gui::UnitDialog", "{", "\tQ_OBJECT", "",
                "public:", "\tMyblock (plugin::gui::UnitDelegate& del);", "",
                "\tvoid update (const plugin::gui::UnitHistoryBundle& buf);", "\tvoid translate (void);", "",
                "private:", "};", "", "#endif // _Myblock_H_" }));
        QCOMPARE(source,
            lines({ "#include \"Myblock.h\"", "", "Myblock::Myblock (plugin::gui::UnitDelegate& del)",
                ": plugin::gui::UnitDialog(del)", "{",
                "\t// If the dialog is supposed to be notified when a input's, output's or state variable's "
                "value changes,",
                "\t// just uncomment the corresponding line below and modify the update() method.", "",
                "\t//del.registerInput(\"x\", 1);", "\t//del.registerInput(\"x2\", 1);",
                "\t//del.registerOutput(\"y\", 1);", "\t//del.registerStateVariable(\"s\", 1);", "}", "",
                "void Myblock::update (const plugin::gui::UnitHistoryBundle& buf)", "{",
                "\t//plugin::gui::VariableHistoryBuffer* i_x = buf.getInputHistory(\"x\");",
                "\t//if (i_x) { }",
                "\t//plugin::gui::VariableHistoryBuffer* i_x2 = buf.getInputHistory(\"x2\");",
                "\t//if (i_x2) { }",
                "\t//plugin::gui::VariableHistoryBuffer* o_y = buf.getOutputHistory(\"y\");",
                "\t//if (o_y) { }",
                "\t//plugin::gui::VariableHistoryBuffer* v_s = buf.getStateVariableHistory(\"s\");",
                "\t//if (v_s) { }", "}", "", "void Myblock::translate (void)", "{", "}", "" }));

        QByteArray bareHeader, bareSource;
        skeletonBlock(false).unitGuiClass(bareHeader, bareSource);
        QCOMPARE(bareHeader, header);
        QCOMPARE(bareSource,
            lines({ "#include \"Myblock.h\"", "", "Myblock::Myblock (plugin::gui::UnitDelegate& del)",
                ": plugin::gui::UnitDialog(del)", "{", "}", "",
                "void Myblock::update (const plugin::gui::UnitHistoryBundle& buf)", "{", "}", "",
                "void Myblock::translate (void)", "{", "}", "" }));
    }

    void classNameRaisesOnlyTheFirstCharacter_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        QTest::newRow("mixed") << "my Block 2"
                               << "MyBlock2";
        QTest::newRow("lower") << "my block"
                               << "Myblock";
        QTest::newRow("upper kept") << "ABC def"
                                    << "ABCdef";
        QTest::newRow("empty") << ""
                               << "";
    }

    void classNameRaisesOnlyTheFirstCharacter()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        Generator g(true);
        g.setName(name);
        QByteArray header, source;
        QCOMPARE(g.unitSimClass(header, source), className);
        QCOMPARE(g.unitGuiClass(header, source), className);
        QVERIFY(header.startsWith("#ifndef _" + className.toUtf8() + "_H_\n"));
    }

    void entryFilesEscapeVendorAndId()
    {
        Generator g(true);
        g.setVendor("Say \"hi\" \\o/");
        g.setName("Block");
        g.setId("id\\\"x\"");
        const QByteArray simMain = g.unitSimMainCpp();
        QVERIFY(simMain.contains("\nBEGIN_SIMULATION_INTERFACE( \"Say \\\"hi\\\" \\\\o/\", \"Block\" )\n"));
        QVERIFY(simMain.contains("\n\t\tADD_UNIT( \"id\\\\\\\"x\\\"\", Block )\n"));
        const QByteArray guiMain = g.unitGuiMainCpp();
        QVERIFY(guiMain.contains("\nBEGIN_GUI_INTERFACE( \"Say \\\"hi\\\" \\\\o/\", \"Block\" )\n"));
        QVERIFY(guiMain.contains("\n\t\tADD_UNITWIDGET( \"id\\\\\\\"x\\\"\", \"dialog\", Block )\n"));
    }

    void generatedSourcesCompile();
};

namespace {

// Just enough of the plug-in API for the generated sources to be checked by a
// compiler; a broken string literal in a macro argument fails to parse.
const char* const simulationInterface = R"(#pragma once
namespace standin {
template <class T> void addUnit(const char* id);
}
#define BEGIN_SIMULATION_INTERFACE(vendor, name) \
    static const char* const pluginVendor = vendor; \
    static const char* const pluginName = name; \
    void registerUnits() {
#define BEGIN_UNITS
#define ADD_UNIT(id, Class) standin::addUnit<Class>(id);
#define END_UNITS
#define END_SIMULATION_INTERFACE }
)";

const char* const simulationUnit = R"(#pragma once
namespace plugin::simulation {
class UnitDelegate {};
enum Behaviour { Deterministic };
class Unit {
public:
    Unit(UnitDelegate& del, Behaviour behaviour);
    virtual ~Unit();
    virtual void step() = 0;
};
}
)";

const char* const guiInterface = R"(#pragma once
namespace standin {
template <class T> void addWidget(const char* id, const char* kind);
}
#define BEGIN_GUI_INTERFACE(vendor, name) \
    static const char* const pluginVendor = vendor; \
    static const char* const pluginName = name; \
    void registerWidgets() {
#define BEGIN_UNITWIDGETS
#define ADD_UNITWIDGET(id, kind, Class) standin::addWidget<Class>(id, kind);
#define END_UNITWIDGETS
#define END_GUI_INTERFACE }
)";

const char* const guiUnitDialog = R"(#pragma once
#define Q_OBJECT
namespace plugin::gui {
class UnitDelegate {};
class VariableHistoryBuffer {};
class UnitHistoryBundle {};
class UnitDialog {
public:
    explicit UnitDialog(UnitDelegate& del);
    virtual ~UnitDialog();
};
}
)";

} // namespace

void GeneratorTextsTest::generatedSourcesCompile()
{
    const QString compiler = QStandardPaths::findExecutable("c++");
    if (compiler.isEmpty())
        QSKIP("no C++ compiler on this machine");

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    TestHome::writeFile(dir.filePath("api/plugin/simulation/Interface.h"), simulationInterface);
    TestHome::writeFile(dir.filePath("api/plugin/simulation/Unit.h"), simulationUnit);
    TestHome::writeFile(dir.filePath("api/plugin/gui/Interface.h"), guiInterface);
    TestHome::writeFile(dir.filePath("api/plugin/gui/UnitDialog.h"), guiUnitDialog);

    Generator g(true);
    g.setVendor("Q \"uoted\" \\ vendor\\");
    g.setName("my block 2");
    g.setId("id\\with\"quote");
    g.addConnector(Generator::Input, "x", "float", "", "0", false);
    g.addConnector(Generator::Output, "y", "bool", "", "", true);
    g.addStateVar("s", "int32", "0");

    QByteArray header, source;
    const QString name = g.unitSimClass(header, source);
    TestHome::writeFile(dir.filePath("simulation/main.cpp"), g.unitSimMainCpp());
    TestHome::writeFile(dir.filePath("simulation/" + name + ".h"), header);
    TestHome::writeFile(dir.filePath("simulation/" + name + ".cpp"), source);
    g.unitGuiClass(header, source);
    TestHome::writeFile(dir.filePath("gui/main.cpp"), g.unitGuiMainCpp());
    TestHome::writeFile(dir.filePath("gui/" + name + ".h"), header);
    TestHome::writeFile(dir.filePath("gui/" + name + ".cpp"), source);

    const QStringList files
        = { "simulation/main.cpp", "simulation/" + name + ".cpp", "gui/main.cpp", "gui/" + name + ".cpp" };
    for (const QString& file : files) {
        QProcess cxx;
        cxx.setProcessChannelMode(QProcess::MergedChannels);
        cxx.start(compiler,
            { "-std=c++17", "-fsyntax-only", "-Werror", "-I", dir.filePath("api"), dir.filePath(file) });
        QVERIFY(cxx.waitForFinished(60000));
        QVERIFY2(cxx.exitCode() == 0, qPrintable(file + ":\n" + QString::fromLocal8Bit(cxx.readAll())));
    }
}

FBM_TEST_MAIN(GeneratorTextsTest)
#include "tst_generator_texts.moc"
