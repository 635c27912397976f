#include "support/DesignerParts.h"
#include "support/ModalAnswerer.h"
#include "support/TestMain.h"

#include "kiv/qt/gui/widgets/LabeledLineEdit.h"
#include "unit/ConnectorEditor.h"
#include "unit/Designer.h"
#include "unit/Registry.h"
#include "unit/StateVarEditor.h"

#include <QCheckBox>
#include <QDir>
#include <QDomDocument>
#include <QFileDialog>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include <sys/stat.h>

using kiv::qt::gui::widgets::LabeledLineEdit;

namespace {

const QString successText
    = QStringLiteral("Successfully generated description and source files for function block %1 in %2");

// A designer of its own, shown, with its parts at hand.
class Form : public DesignerParts
{
public:
    Form()
        : DesignerParts(&designer)
    {
        designer.resize(900, 1000);
        designer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&designer));
    }

    unit::Designer designer;
};

// What a generated unit.xml declares, one line per fact.
QStringList unitSummary(const QString& unitDir)
{
    QFile file(unitDir + "/unit.xml");
    if (!file.open(QIODevice::ReadOnly))
        return { "no unit.xml" };
    QDomDocument document;
    if (!document.setContent(&file))
        return { "malformed unit.xml" };
    const QDomElement unitType
        = document.documentElement().firstChildElement("unit:unittypes").firstChildElement("unit:unittype");
    const QDomElement description
        = unitType.firstChildElement("unit:guiinfo").firstChildElement("unit:description");
    QStringList summary { "id=" + unitType.attribute("unit:id"),
        "guiname=" + description.firstChildElement("unit:name").text(),
        "icon=" + description.firstChildElement("unit:icon").attribute("unit:filename") };

    for (const char* side : { "unit:in", "unit:out" }) {
        const QDomElement types = unitType.firstChildElement("unit:connectors").firstChildElement(side);
        QDomElement info
            = description.firstChildElement("unit:connectors").firstChildElement(side).firstChildElement();
        QDomElement layout = unitType.firstChildElement("unit:guiinfo")
                                 .firstChildElement("unit:connectors")
                                 .firstChildElement(side)
                                 .firstChildElement();
        for (QDomElement c = types.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
            summary << QStringList { side, c.attribute("var:varname"), c.attribute("var:type"),
                c.firstChildElement("var:default").attribute("var:val"),
                info.firstChildElement("unit:description").text(), layout.attribute("unit:display", "shown") }
                           .join(' ');
            info = info.nextSiblingElement();
            layout = layout.nextSiblingElement();
        }
    }
    for (QDomElement v = unitType.firstChildElement("unit:state").firstChildElement(); !v.isNull();
         v = v.nextSiblingElement())
        summary << "state " + v.attribute("var:varname") + " " + v.attribute("var:type");
    for (QDomElement p = unitType.firstChildElement("unit:plugins").firstChildElement(); !p.isNull();
         p = p.nextSiblingElement())
        summary << "plugin " + p.attribute("plugin:type") + " " + p.attribute("plugin:library");
    return summary;
}

} // namespace

class DesignerTest : public QObject
{
    Q_OBJECT

private:
    TestHome _home;

    QString blocks() const { return _home.path() + "/Ostrel/Velmora2/units/MyFunctionBlocks"; }
    QString unitDir(const QString& name = "myblock.unit") const { return blocks() + "/" + name; }
    QStringList unitDirs() const { return QDir(blocks()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot); }

    static void generate(Form& form) { QTest::mouseClick(form.generate(), Qt::LeftButton); }

    static void verifyCleared(const Form& form, int stateVars, const QList<bool>& sections)
    {
        QCOMPARE(form.texts(), QStringList(6, QString()));
        QVERIFY(!form.withDialog()->isChecked());
        QCOMPARE(form.inputs()->numConnectors(), 0);
        QCOMPARE(form.outputs()->numConnectors(), 0);
        QCOMPARE(form.stateVars()->numStateVars(), stateVars);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(form.sectionChecks().at(i)->isChecked(), sections.at(i));
        QCOMPARE(form.enabledButtons(), QString("0,0"));
    }

private slots:
    void init()
    {
        _home.reset();
        unit::Registry::singleton()->refresh();
    }

    void layoutAndInitialState()
    {
        Form form;
        QVBoxLayout* layout = qobject_cast<QVBoxLayout*>(form.formLayout());
        QVERIFY(layout);
        QStringList order;
        for (int i = 0; i < layout->count(); ++i) {
            QWidget* widget = layout->itemAt(i)->widget();
            QCOMPARE(layout->stretch(i), 0);
            QCOMPARE(layout->itemAt(i)->alignment(), Qt::Alignment());
            if (auto* edit = qobject_cast<LabeledLineEdit*>(widget))
                order << "edit " + edit->findChild<QLabel*>()->text();
            else if (auto* check = qobject_cast<QCheckBox*>(widget))
                order << "check " + check->text();
            else if (auto* group = qobject_cast<QGroupBox*>(widget))
                order << "group " + group->title();
            else if (widget)
                order << widget->metaObject()->className();
            else if (layout->itemAt(i)->spacerItem())
                order << "spacer";
            else
                order << "row";
        }
        QCOMPARE(order,
            QStringList({ "edit Vendor", "edit Name", "edit Unique ID", "group GUI info", "check Inputs",
                "unit::ConnectorEditor", "check Outputs", "unit::ConnectorEditor", "check State variables",
                "unit::StateVarEditor", "edit Plugin base name", "check With dialog", "spacer" }));

        QVERIFY(!form.guiInfo()->isCheckable());
        QCOMPARE(
            form.guiInfo()->layout()->itemAt(0)->widget()->findChild<QLabel*>()->text(), QString("Name"));
        QCOMPARE(
            form.iconRow()->itemAt(0)->widget()->findChild<QLabel*>()->text(), QString("Icon file name"));
        QCOMPARE(form.browse()->text(), QString("Browse..."));

        // Clear, Auto fill and Generate sit together between two stretches,
        // below the scrolling form.
        QVERIFY(!form.scrollArea()->isAncestorOf(form.generate()));
        QLayout* buttons = form.buttonRow();
        QCOMPARE(buttons->count(), 5);
        QVERIFY(buttons->itemAt(0)->spacerItem());
        QVERIFY(buttons->itemAt(4)->spacerItem());
        QCOMPARE(QStringList({ form.clear()->text(), form.autoFill()->text(), form.generate()->text() }),
            QStringList({ "Clear", "Auto fill", "Generate" }));
        QVERIFY(form.clear()->geometry().right() < form.autoFill()->geometry().left());
        const int middle = (form.clear()->geometry().left() + form.generate()->geometry().right()) / 2;
        QVERIFY(qAbs(middle - form.designer.width() / 2) < 20);

        QCOMPARE(form.enabledButtons(), QString("0,0"));
        QVERIFY(form.clear()->isEnabled());
        QVERIFY(!form.withDialog()->isChecked());
        for (QLineEdit* field : form.fields())
            QCOMPARE(field->validator() != nullptr, field == form.name());
        QCOMPARE(form.name()->validator()->parent(), form.name()->parent());
    }

    void sectionsShowAndHideTheirEditors()
    {
        Form form;
        const QList<QWidget*> editors = { form.inputs(), form.outputs(), form.stateVars() };
        for (int i = 0; i < 3; ++i) {
            QCheckBox* check = form.sectionChecks().at(i);
            QVERIFY(!check->isChecked());
            QVERIFY(!editors.at(i)->isVisible());
            check->click();
            QVERIFY(editors.at(i)->isVisible());
            Form::addRow(editors.at(i));
            check->click();
            QVERIFY(!editors.at(i)->isVisible());
            check->click();
            QVERIFY(editors.at(i)->isVisible());
        }
        // Hiding a section keeps its rows.
        QCOMPARE(form.inputs()->numConnectors(), 1);
        QCOMPARE(form.outputs()->numConnectors(), 1);
        QCOMPARE(form.stateVars()->numStateVars(), 1);
    }

    void buttonStates_data()
    {
        // Each step types into one field: "field=text" replaces, "field+=text" appends.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("enabled"); // Auto fill, Generate

        QTest::newRow("vendor, then name") << QStringList { "vendor=Acme", "name=My Block" } << "1,0";
        QTest::newRow("name beginning with a digit") << QStringList { "vendor=Acme", "name=1Block" } << "0,0";
        QTest::newRow("vendor after the name") << QStringList { "name=My Block", "vendor=Acme" } << "0,0";
        QTest::newRow("name edited after the vendor")
            << QStringList { "name=My Block", "vendor=Acme", "name+=2" } << "1,0";
        QTest::newRow("vendor of blanks") << QStringList { "vendor=  ", "name=Block" } << "1,0";
        QTest::newRow("GUI and plug-in names after the name")
            << QStringList { "vendor=Acme", "name=Block", "gui=Block", "plugin=block" } << "1,0";
        QTest::newRow("GUI and plug-in names before the name")
            << QStringList { "vendor=Acme", "gui=Block", "plugin=block", "name=Block" } << "1,1";
        QTest::newRow("GUI and plug-in names of blanks")
            << QStringList { "vendor=Acme", "gui= ", "plugin= ", "name=Block" } << "1,1";
        QTest::newRow("vendor emptied after the name")
            << QStringList { "vendor=Acme", "gui=Block", "plugin=block", "name=Block", "vendor=" } << "1,1";
        QTest::newRow("name made unacceptable")
            << QStringList { "vendor=Acme", "gui=Block", "plugin=block", "name=Block", "name+=_" } << "0,0";
        QTest::newRow("name emptied")
            << QStringList { "vendor=Acme", "gui=Block", "plugin=block", "name=Block", "name=" } << "0,0";
    }

    void buttonStates()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, enabled);
        Form form;
        const QMap<QString, QLineEdit*> fields = { { "vendor", form.vendor() }, { "name", form.name() },
            { "gui", form.guiName() }, { "plugin", form.pluginBaseName() } };
        for (const QString& step : steps) {
            const bool append = step.contains("+=");
            const QString field = step.section(append ? "+=" : "=", 0, 0);
            const QString text = step.section(append ? "+=" : "=", 1);
            if (!append)
                fields.value(field)->clear();
            QTest::keyClicks(fields.value(field), text);
        }
        QCOMPARE(form.enabledButtons(), enabled);
    }

    void autoFill_data()
    {
        QTest::addColumn<QString>("vendor");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("guiName");
        QTest::addColumn<QString>("pluginBaseName");

        QTest::newRow("plain") << "Acme"
                               << "My Block"
                               << "Acme My Block"
                               << "My Block"
                               << "velmora_myfunctionblocks_myblock";
        QTest::newRow("vendor ending in a blank") << "Acme "
                                                  << "My Block"
                                                  << "Acme  My Block"
                                                  << "My Block"
                                                  << "velmora_myfunctionblocks_myblock";
        QTest::newRow("vendor of blanks") << "  "
                                          << "Block"
                                          << "   Block"
                                          << "Block"
                                          << "velmora_myfunctionblocks_block";
        QTest::newRow("name ending in a blank") << "ACME"
                                                << "MixedCase 2 "
                                                << "ACME MixedCase 2 "
                                                << "MixedCase 2 "
                                                << "velmora_myfunctionblocks_mixedcase2";
    }

    void autoFill()
    {
        QFETCH(QString, vendor);
        QFETCH(QString, name);
        Form form;
        for (QLineEdit* field : { form.id(), form.guiName(), form.pluginBaseName() })
            field->setText("old");
        Form::type(form.vendor(), vendor);
        Form::type(form.name(), name);

        ModalAnswerer answerer;
        QTest::mouseClick(form.autoFill(), Qt::LeftButton);
        QTEST(form.id()->text(), "id");
        QTEST(form.guiName()->text(), "guiName");
        QTEST(form.pluginBaseName()->text(), "pluginBaseName");
        QCOMPARE(form.vendor()->text(), vendor);
        QCOMPARE(form.name()->text(), name);
        QCOMPARE(form.enabledButtons(), QString("1,1"));
        QCOMPARE(answerer.seen, QStringList());
    }

    void generateChecksRequiredFields_data()
    {
        QTest::addColumn<QStringList>("texts"); // vendor, name, id, GUI name, icon, plug-in base name
        QTest::addColumn<QString>("message");

        QTest::newRow("all empty") << QStringList(6, QString()) << "No vendor was specified!";
        QTest::newRow("vendor of blanks") << QStringList { "  ", "Block", "Acme Block", "Block", "", "block" }
                                          << "No vendor was specified!";
        QTest::newRow("name before id")
            << QStringList { "Acme", "", "", "Block", "", "block" } << "No name was specified!";
        QTest::newRow("id of white space")
            << QStringList { "Acme", "Block", " \t ", "", "", "" } << "No ID was specified!";
        QTest::newRow("GUI name before plug-in base name")
            << QStringList { "Acme", "Block", "Acme Block", " ", "", " " } << "No GUI name was specified!";
        QTest::newRow("plug-in base name") << QStringList { "Acme", "Block", "Acme Block", "Block",
            "icon.png", "\n" } << "No plugin base name was specified!";
        // The plug-in base name must make one library name and one CMake word.
        const QString baseName = "The plug-in base name may hold only letters, digits and underscores.";
        for (const char* name : { "my block", "block)", "1block", "my-block", "bl\u00f6ck", "a.b", "$ENV" })
            QTest::newRow(qPrintable(QString("plug-in base name ") + name))
                << QStringList { "Acme", "Block", "Acme Block", "Block", "", name } << baseName;
    }

    void generateChecksRequiredFields()
    {
        QFETCH(QStringList, texts);
        QFETCH(QString, message);
        Form form;
        for (int i = 0; i < texts.size(); ++i)
            form.fields().at(i)->setText(texts.at(i));
        form.withDialog()->setChecked(true);

        // Not every case can enable the button: the slot is called directly.
        ModalAnswerer answerer({ "OK" });
        QVERIFY(QMetaObject::invokeMethod(&form.designer, "on_generate_clicked"));
        QCOMPARE(answerer.seen, QStringList { "Critical|Error|" + message + "|OK" });
        QCOMPARE(form.texts(), texts);
        QVERIFY(form.withDialog()->isChecked());
        QCOMPARE(unitDirs(), QStringList());
    }

    void successShowsTheIdAsTyped()
    {
        // Placeholders in what the user typed are text, not places for the path.
        Form form;
        form.fillIn("Acme");
        form.id()->setText("Acme %2 %1");
        ModalAnswerer answerer({ "OK" });
        generate(form);
        QCOMPARE(answerer.seen,
            QStringList { "Information|Success|Successfully generated description and source files for "
                          "function block Acme %2 %1 in "
                + unitDir() + "|OK,Open Folder" });
    }

    void pluginBaseNameBoundariesAreAccepted_data()
    {
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<QString>("library");
        QTest::newRow("underscore alone") << "_"
                                          << "unit___simulation";
        QTest::newRow("digits after a letter") << "Z9_z0"
                                               << "unit_Z9_z0_simulation";
        QTest::newRow("blanks around are trimmed") << " block "
                                                   << "unit_block_simulation";
    }

    void pluginBaseNameBoundariesAreAccepted()
    {
        QFETCH(QString, baseName);
        QFETCH(QString, library);
        Form form;
        form.fillIn();
        form.pluginBaseName()->setText(baseName);
        ModalAnswerer answerer({ "OK" });
        generate(form);
        QCOMPARE(answerer.seen,
            QStringList {
                "Information|Success|" + successText.arg("Acme My Block", unitDir()) + "|OK,Open Folder" });
        QVERIFY(unitSummary(unitDir()).contains("plugin simulation " + library));
    }

    void generateHandsOverTheFormAndClearsIt()
    {
        Form form;
        form.fillIn("Acme ");
        QCOMPARE(form.id()->text(), QString("Acme  My Block"));
        const QString icon = _home.path() + "/pictures/block.png";
        QDir().mkpath(_home.path() + "/pictures");
        QVERIFY(QImage(16, 16, QImage::Format_RGB32).save(icon));
        form.icon()->setText("  " + icon + " ");
        form.withDialog()->setChecked(true);

        form.inputsCheck()->click();
        Form::addRow(form.inputs());
        Form::addRow(form.inputs());
        QTableWidget* inputTable = form.inputs()->findChild<QTableWidget*>();
        inputTable->item(1, 2)->setText("Speed");
        inputTable->item(1, 4)->setText("true");
        // Rows of an unchecked section stay out of the block.
        form.outputsCheck()->click();
        Form::addRow(form.outputs());
        form.outputsCheck()->click();
        form.stateVarsCheck()->click();
        Form::addRow(form.stateVars());

        ModalAnswerer answerer({ "OK" });
        generate(form);
        QCOMPARE(answerer.seen,
            QStringList {
                "Information|Success|" + successText.arg("Acme  My Block", unitDir()) + "|OK,Open Folder" });

        QCOMPARE(unitSummary(unitDir()),
            QStringList({ "id=Acme  My Block", "guiname=My Block", "icon=icons/block.png",
                "unit:in in0 float 0 Input 0 shown", "unit:in in1 float 0 Speed hidden", "state var0 float",
                "plugin simulation unit_velmora_myfunctionblocks_myblock_simulation",
                "plugin dialog unit_velmora_myfunctionblocks_myblock_gui" }));
        QVERIFY(TestHome::readFile(unitDir() + "/plugin/simulation/main.cpp")
                    .contains("( \"Acme\", \"My Block\" )"));
        QVERIFY(QFileInfo(unitDir() + "/icons/block.png").isFile());
        QCOMPARE(unit::Registry::singleton()->getDir("Acme  My Block"), QDir(unitDir()));

        verifyCleared(form, 1, { true, false, true });
    }

    void clearKeepsStateVariablesAndSections()
    {
        Form form;
        form.fillIn();
        form.icon()->setText("icon.png");
        form.withDialog()->setChecked(true);
        for (QCheckBox* check : form.sectionChecks())
            check->click();
        Form::addRow(form.inputs());
        Form::addRow(form.outputs());
        Form::addRow(form.stateVars());
        Form::addRow(form.stateVars());
        form.stateVarsCheck()->click();

        ModalAnswerer answerer;
        QTest::mouseClick(form.clear(), Qt::LeftButton);
        QCOMPARE(answerer.seen, QStringList());
        verifyCleared(form, 2, { true, true, false });
        QVERIFY(form.inputs()->isVisible());
        QVERIFY(!form.stateVars()->isVisible());
    }

    void existingTargetDirectory_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("written"); // empty: nothing generated

        QTest::newRow("Yes overwrites") << "Yes"
                                        << "myblock.unit";
        QTest::newRow("No chooses another directory") << "No"
                                                      << "myblock_0.unit";
        QTest::newRow("Cancel stops") << "Cancel"
                                      << "";
        QTest::newRow("Escape stops") << "Escape"
                                      << "";
    }

    void existingTargetDirectory()
    {
        QFETCH(QString, answer);
        QFETCH(QString, written);
        QVERIFY(QDir().mkpath(unitDir()));
        Form form;
        form.fillIn();
        // Only the outputs section is checked when Generate is pressed.
        for (QCheckBox* check : form.sectionChecks())
            check->click();
        Form::addRow(form.inputs());
        Form::addRow(form.outputs());
        Form::addRow(form.stateVars());
        form.inputsCheck()->click();
        form.stateVarsCheck()->click();
        const QStringList texts = form.texts();

        ModalAnswerer answerer({ answer, "OK" });
        generate(form);
        for (const QWidget* parent : answerer.parents)
            QCOMPARE(parent, static_cast<QWidget*>(&form.designer));

        QStringList expected { "Question|Target directory exists|The target directory " + unitDir()
            + " already exists. Shall existing XML and CMake files be overwritten (this does not affect "
              "C++ source and header files)?\nIf you say \"no\", an alternative directory name will be "
              "chosen.\nPlease note that this will not affect the device structure.|Yes,No,Cancel" };
        if (written.isEmpty()) {
            QCOMPARE(answerer.seen, expected);
            QCOMPARE(unitDirs(), QStringList { "myblock.unit" });
            QVERIFY(!QFileInfo::exists(unitDir() + "/unit.xml"));
            QCOMPARE(form.texts(), texts);
            QCOMPARE(form.inputs()->numConnectors(), 1);
            QCOMPARE(form.enabledButtons(), QString("1,1"));
            return;
        }
        expected << "Information|Success|" + successText.arg("Acme My Block", unitDir(written))
                + "|OK,Open Folder";
        QCOMPARE(answerer.seen, expected);
        QCOMPARE(unitSummary(unitDir(written)),
            QStringList({ "id=Acme My Block", "guiname=My Block", "icon=icons/",
                "unit:out out0 float 0 Output 0 shown",
                "plugin simulation unit_velmora_myfunctionblocks_myblock_simulation" }));
        QCOMPARE(QFileInfo::exists(unitDir() + "/unit.xml"), written == "myblock.unit");
        verifyCleared(form, 1, { false, true, false });
    }

    // "Belt Speed" and "BeltSpeed" share a directory: one Enter must not
    // replace the first block with the second.
    void enterNeverReplacesAnotherBlock_data()
    {
        QTest::addColumn<QString>("secondName");
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("warned");
        QTest::newRow("another block: No") << "BeltSpeed"
                                           << "beltspeed_0.unit" << true;
        QTest::newRow("the same block: Yes") << "Belt Speed"
                                             << "beltspeed.unit" << false;
    }

    void enterNeverReplacesAnotherBlock()
    {
        QFETCH(QString, secondName);
        QFETCH(QString, written);
        QFETCH(bool, warned);
        Form form;
        form.type(form.vendor(), "Acme");
        form.type(form.name(), "Belt Speed");
        QTest::mouseClick(form.autoFill(), Qt::LeftButton);
        {
            ModalAnswerer answerer({ "OK" });
            generate(form);
        }
        const QByteArray first = TestHome::readFile(unitDir("beltspeed.unit") + "/unit.xml");

        form.type(form.vendor(), "Acme");
        form.type(form.name(), secondName);
        QTest::mouseClick(form.autoFill(), Qt::LeftButton);
        // The base name question comes first when the names share it.
        ModalAnswerer answerer(
            warned ? QStringList { "Yes", "Return", "OK" } : QStringList { "Return", "OK" });
        generate(form);
        if (warned)
            QVERIFY(answerer.seen.takeFirst().startsWith("Question|Plug-in base name in use|"));
        // No would make a second directory for the same id: only another block offers it.
        QString question = "Question|Target directory exists|The target directory "
            + unitDir("beltspeed.unit")
            + " already exists. Shall existing XML and CMake files be overwritten (this does not affect "
              "C++ source and header files)?\n"
            + (warned ? "If you say \"no\", an alternative directory name will be chosen.\n" : "")
            + "Please note that this will not affect the device structure.";
        if (warned)
            question += "\nIt holds the function block Acme Belt Speed, which would be replaced.";
        QCOMPARE(answerer.seen,
            QStringList({ question + (warned ? "|Yes,No,Cancel" : "|Yes,Cancel"),
                "Information|Success|" + successText.arg("Acme " + secondName, unitDir(written))
                    + "|OK,Open Folder" }));
        QCOMPARE(TestHome::readFile(unitDir("beltspeed.unit") + "/unit.xml"), first);
        QCOMPARE(unitDirs().size(), warned ? 2 : 1);
        QCOMPARE(unitSummary(unitDir(written)).first(), "id=Acme " + secondName);
    }

    void iconMustBeAFile_data()
    {
        QTest::addColumn<QString>("icon");
        QTest::addColumn<bool>("generates");
        QTest::newRow("empty") << "" << true;
        QTest::newRow("blanks") << "   " << true;
        QTest::newRow("file") << "icon.png" << true;
        QTest::newRow("missing") << "missing.png" << false;
        QTest::newRow("directory") << "icons" << false;
        QTest::newRow("fifo") << "fifo.png" << false;
        QTest::newRow("dangling link") << "dangling.png" << false;
    }

    void iconMustBeAFile()
    {
        QFETCH(QString, icon);
        QFETCH(bool, generates);
        const QString dir = _home.path() + "/pictures/";
        TestHome::writeFile(dir + "icon.png", "png");
        QVERIFY(QDir().mkpath(dir + "icons"));
        QCOMPARE(::mkfifo(QFile::encodeName(dir + "fifo.png").constData(), 0600), 0);
        QVERIFY(QFile::link(dir + "gone.png", dir + "dangling.png"));
        const QString path = icon.trimmed().isEmpty() ? icon : dir + icon;

        Form form;
        form.fillIn();
        form.icon()->setText(path);
        const QStringList texts = form.texts();
        ModalAnswerer answerer({ "OK" });
        generate(form);
        if (generates) {
            QCOMPARE(answerer.seen.size(), 1);
            QVERIFY(answerer.seen.first().startsWith("Information|Success|"));
            QCOMPARE(unitSummary(unitDir()).at(2),
                QString(icon == "icon.png" ? "icon=icons/icon.png" : "icon=icons/"));
            return;
        }
        QCOMPARE(
            answerer.seen, QStringList { "Critical|Error|The icon file " + path + " does not exist.|OK" });
        QCOMPARE(form.texts(), texts);
        QVERIFY(unitDirs().isEmpty());
    }

    void failedGenerationKeepsTheForm_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("boxes");

        const QString question = "Question|Target directory exists|";
        QTest::newRow("id declared elsewhere")
            << "units/other/unit.xml" << QStringList { "OK" }
            << QStringList { "Critical|Non-unique ID|The specified ID is already in use. Please use a "
                             "different ID for this function block.|OK" };
        QTest::newRow("function block directory is a file")
            << "units/MyFunctionBlocks" << QStringList { "OK" }
            << QStringList { "Critical|Generation failed|Unable to write HOME/Ostrel/Velmora2/units/"
                             "MyFunctionBlocks/myblock.unit. The function block was not generated "
                             "completely.|OK" };
        QTest::newRow("plugin directory is a file")
            << "units/MyFunctionBlocks/myblock.unit/plugin" << QStringList { "Yes", "OK" }
            << QStringList { question,
                   "Critical|Generation failed|Unable to write HOME/Ostrel/Velmora2/units/MyFunctionBlocks/"
                   "myblock.unit/plugin. The function block was not generated completely.|OK" };
    }

    void failedGenerationKeepsTheForm()
    {
        QFETCH(QString, obstacle);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, boxes);
        const QString units = _home.path() + "/Ostrel/Velmora2/";
        TestHome::writeFile(units + obstacle,
            "<unit:unit><unit:unittypes><unit:unittype unit:id=\"Acme My "
            "Block\"/></unit:unittypes></unit:unit>\n");
        unit::Registry::singleton()->refresh();

        Form form;
        form.fillIn();
        form.withDialog()->setChecked(true);
        form.inputsCheck()->click();
        Form::addRow(form.inputs());
        const QStringList texts = form.texts();

        ModalAnswerer answerer(answers);
        generate(form);
        QStringList seen = answerer.seen;
        for (QString& box : seen) {
            box.replace(_home.path(), "HOME");
            if (box.startsWith("Question|"))
                box = box.section('|', 0, 1) + '|';
        }
        QCOMPARE(seen, boxes);
        QCOMPARE(form.texts(), texts);
        QVERIFY(form.withDialog()->isChecked());
        QCOMPARE(form.inputs()->numConnectors(), 1);
        QCOMPARE(form.enabledButtons(), QString("1,1"));
    }

    // Tab and Shift+Tab leave a table from a cell and from an open cell
    // editor, taking the edit.
    void tabLeavesTheTables_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("editing");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("focus");
        QTest::newRow("cell, Tab") << 0 << false << int(Qt::NoModifier) << "button Add input";
        QTest::newRow("cell, Shift+Tab") << 1 << false << int(Qt::ShiftModifier) << "check Inputs";
        QTest::newRow("name editor, Tab") << 0 << true << int(Qt::NoModifier) << "button Add input";
        QTest::newRow("type editor, Shift+Tab") << 1 << true << int(Qt::ShiftModifier) << "check Inputs";
    }

    void tabLeavesTheTables()
    {
        QFETCH(int, column);
        QFETCH(bool, editing);
        QFETCH(int, modifiers);
        Form form;
        form.inputsCheck()->setChecked(true);
        Form::addRow(form.inputs());
        QVERIFY(form.activate());
        auto* table = form.inputs()->findChild<QTableWidget*>();
        table->setFocus();
        table->setCurrentCell(0, column);
        if (editing)
            table->editItem(table->item(0, column));
        if (editing && column == 0)
            QTest::keyClicks(QApplication::focusWidget(), "speed");
        Form::press(Qt::Key_Tab, Qt::KeyboardModifiers(modifiers));
        QTEST(Form::focusName(), "focus");
        QCOMPARE(form.inputs()->name(0), QString(editing && column == 0 ? "speed" : "in0"));
        const QList<QWidget*> editors = table->viewport()->findChildren<QWidget*>();
        QVERIFY(std::none_of(editors.cbegin(), editors.cend(), [](QWidget* w) { return w->isVisible(); }));
    }

    void returnPressesTheFocusedButton()
    {
        Form form;
        form.inputsCheck()->setChecked(true);
        QVERIFY(form.activate());
        form.inputs()->findChild<QToolButton*>("addBtn")->setFocus();
        Form::press(Qt::Key_Return);
        Form::press(Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(form.inputs()->numConnectors(), 2);
        ModalAnswerer answerer({ "OK" });
        // Nothing to generate yet.
        Form::press(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(answerer.seen, QStringList());

        Form::type(form.vendor(), "Acme");
        Form::type(form.name(), "My Block");
        form.autoFill()->setFocus();
        Form::press(Qt::Key_Return);
        QCOMPARE(form.id()->text(), QString("Acme My Block"));
        // Ctrl+Return from a cell editor: its edit is part of what is generated.
        auto* table = form.inputs()->findChild<QTableWidget*>();
        table->setFocus();
        table->editItem(table->item(1, 0));
        QTest::keyClicks(QApplication::focusWidget(), "speed");
        Form::press(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(answerer.seen.size(), 1);
        QCOMPARE(unitSummary(unitDir()).at(4).section(' ', 0, 1), QString("unit:in speed"));
    }

    // The line under the name and the disabled Generate's tool tip say what
    // keeps the block from being generated; each field counts when it changes.
    void formSaysWhatIsMissing()
    {
        Form form;
        QCOMPARE(form.generate()->toolTip(),
            QString("The vendor is missing.\nThe name is missing.\nThe GUI name is missing.\nThe plug-in "
                    "base name "
                    "is missing."));
        auto* nameEdit = qobject_cast<LabeledLineEdit*>(form.name()->parentWidget());
        QVERIFY(nameEdit->note().isEmpty());
        // The name last: only the name re-evaluates the buttons.
        for (QLineEdit* field : { form.guiName(), form.pluginBaseName(), form.vendor(), form.name() })
            field->setText(field == form.name() ? "Förderband" : "x");
        QCOMPARE(nameEdit->note(),
            QString("A name starts with a letter A-Z and holds only letters A-Z, digits and blanks. Write ä "
                    "as ae, ö "
                    "as oe, ü as ue and ß as ss."));
        QVERIFY(nameEdit->findChildren<QLabel*>().last()->isVisible());
        QCOMPARE(form.generate()->toolTip(),
            QString(
                "The name is not acceptable: it starts with a letter A-Z and holds only letters A-Z, digits "
                "and blanks."));
        form.name()->setText("Foerderband");
        QVERIFY(nameEdit->note().isEmpty());
        QVERIFY(form.generate()->isEnabled());
    }

    // "Belt Speed" and "BeltSpeed" would build libraries of the same names.
    void sharedPluginBaseNameIsAskedAbout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<int>("blocks");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("another block, Return") << "BeltSpeed" << QStringList { "Return" } << 1 << "unit.xml";
        QTest::newRow("another block, Yes")
            << "BeltSpeed" << QStringList { "Yes", "No", "OK" } << 2 << "unit.xml";
        QTest::newRow("the same block again")
            << "Belt Speed" << QStringList { "Yes", "OK" } << 1 << "unit.xml";
        QTest::newRow("another block's UNIT.XML")
            << "BeltSpeed" << QStringList { "Return" } << 1 << "UNIT.XML";
    }

    void sharedPluginBaseNameIsAskedAbout()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, answers);
        QFETCH(int, blocks);
        QFETCH(QString, fileName);
        const QString asked
            = "Question|Plug-in base name in use|The plug-in base name velmora_myfunctionblocks_"
              "beltspeed is already used by the function block Acme Belt Speed. Both would build "
              "plug-in libraries of the same name. Generate anyway?|Yes,No";
        Form form;
        for (const QString& typed : { QString("Belt Speed"), name }) {
            Form::type(form.vendor(), "Acme");
            Form::type(form.name(), typed);
            QTest::mouseClick(form.autoFill(), Qt::LeftButton);
            ModalAnswerer answerer(typed == name ? answers : QStringList { "OK" });
            generate(form);
            if (typed == name)
                QCOMPARE(answerer.seen.first() == asked, name == "BeltSpeed");
            else if (QDir dir(this->blocks() + "/" + unitDirs().first()); dir.rename("unit.xml", fileName))
                unit::Registry::singleton()->refresh();
        }
        QCOMPARE(unitDirs().size(), blocks);
        QCOMPARE(form.name()->text(), answers.size() == 1 ? name : QString());
    }

    // A line break pasted into a field would start a line of its own in the
    // generated sources.
    void controlCharactersAreRefused_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("label");
        QTest::newRow("vendor, tab") << 0 << "Ac\tme"
                                     << "Vendor";
        QTest::newRow("id, line feed") << 2 << "Acme\n#error injected"
                                       << "Unique ID";
        QTest::newRow("GUI name, NUL") << 3 << QString("My") + QChar(0) + "Block"
                                       << "GUI name";
        QTest::newRow("icon, line separator") << 4 << QString("a") + QChar(0x2028) + ".png"
                                              << "Icon file name";
        QTest::newRow("plug-in base name, DEL")
            << 5 << QString("myblock") + QChar(0x7f) << "Plugin base name";
    }

    void controlCharactersAreRefused()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(QString, label);
        Form form;
        form.fillIn();
        form.fields().at(field)->setText(text);
        ModalAnswerer answerer({ "OK" });
        generate(form);
        QCOMPARE(answerer.seen,
            QStringList { "Critical|Error|The field " + label
                + " may not hold line breaks or other control characters.|OK" });
        QCOMPARE(unitDirs(), QStringList());
    }

    void browse_data()
    {
        QTest::addColumn<bool>("pick");

        QTest::newRow("picked") << true;
        QTest::newRow("cancelled") << false;
    }

    void browse()
    {
        QFETCH(bool, pick);
        const QString icon = _home.path() + "/block.png";
        QVERIFY(QImage(16, 16, QImage::Format_RGB32).save(icon));
        Form form;
        form.icon()->setText("old.png");

        ModalAnswerer answerer({ pick ? icon : "reject" });
        QTest::mouseClick(form.browse(), Qt::LeftButton);
        QCOMPARE(answerer.seen, QStringList { "FileDialog|Open file|PNG files (*.png)|own" });
        QCOMPARE(form.icon()->text(), pick ? icon : QString());
    }
};

FBM_TEST_MAIN(DesignerTest)
#include "tst_designer.moc"
