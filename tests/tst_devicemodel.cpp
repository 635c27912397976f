#include "support/DeviceShape.h"
#include "support/TestMain.h"

#include "device/Model.h"

#include <QAbstractItemModelTester>
#include <QMimeData>
#include <QSignalSpy>

#include <memory>

using device::Model;

namespace {

const QByteArray header = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<dev:device xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                          "xsi:schemaLocation=\"http://schemas.kiv.example/schema/device device.xsd\" "
                          "xmlns:dev=\"http://schemas.kiv.example/schema/device\" "
                          "xmlns:tr=\"http://schemas.kiv.example/schema/translation\" "
                          "xmlns:md=\"http://schemas.kiv.example/schema/model\" "
                          "dev:id=\"MyFuncBlocks\" dev:toplevel=\"true\">\n"
                          "  <dev:translations/>\n";

const QByteArray example = header
    + "  <dev:subdevices>\n"
      "    <dev:device dev:id=\"Sensors\">\n"
      "      <dev:subdevices/>\n"
      "      <dev:units>\n"
      "        <dev:unit dev:type=\"fb_a\"/>\n"
      "      </dev:units>\n"
      "    </dev:device>\n"
      "  </dev:subdevices>\n"
      "  <dev:units>\n"
      "    <dev:unit dev:type=\"fb_b\"/>\n"
      "  </dev:units>\n"
      "</dev:device>\n";

const QByteArray emptyDevice = header + "  <dev:subdevices/>\n  <dev:units/>\n</dev:device>\n";

QString shape(const Model& model)
{
    return deviceShape(model);
}

QModelIndex childAt(const Model& model, const QModelIndex& parent, int row)
{
    return model.index(row, 0, parent);
}

} // namespace

class DeviceModelTest : public QObject
{
    Q_OBJECT

private slots:
    void exampleIsWrittenByteForByte()
    {
        Model model;
        model.load(emptyDevice);
        const QModelIndex sensors = model.addDirectory(model.root());
        model.setData(sensors, "Sensors");
        model.setData(model.addUnit(sensors), "fb_a");
        model.setData(model.addUnit(model.root()), "fb_b");
        QCOMPARE(model.xml(), example);

        // Content is the same in a second model built the other way round.
        Model loaded;
        loaded.load(example);
        QCOMPARE(loaded.xml(), example);
        QCOMPARE(shape(loaded), QString("R:MyFuncBlocks[D:Sensors[U:fb_a] U:fb_b]"));
    }

    void withoutRootTheEmptyDeviceIsWritten_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("loadIt");
        QTest::newRow("nothing loaded") << QByteArray() << false;
        QTest::newRow("empty content") << QByteArray() << true;
        QTest::newRow("not well-formed") << QByteArray("<dev:device><dev:units>") << true;
        QTest::newRow("no prefix") << QByteArray(
            "<device id=\"x\"><units><unit type=\"a\"/></units></device>")
                                   << true;
        QTest::newRow("other prefix")
            << QByteArray("<d:device xmlns:d=\"http://schemas.kiv.example/schema/device\" d:id=\"x\"/>")
            << true;
        QTest::newRow("other document element") << QByteArray("<dev:unit dev:type=\"a\"/>") << true;
    }

    void withoutRootTheEmptyDeviceIsWritten()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, loadIt);
        Model model;
        if (loadIt) {
            model.load(example);
            model.load(content);
        }
        QVERIFY(!model.root().isValid());
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.xml(), emptyDevice);

        // The empty device loads back as a root without children.
        model.load(model.xml());
        QCOMPARE(shape(model), QString("R:MyFuncBlocks"));
        QCOMPARE(model.xml(), emptyDevice);
    }

    void shippedDeviceFileIsTheEmptyDevice()
    {
        const QString path = QFINDTESTDATA("../user/devices/MyFunctionBlocks/device.xml");
        QVERIFY(!path.isEmpty());
        const QByteArray shipped = TestHome::readFile(path);
        QCOMPARE(shipped, emptyDevice);
        Model model;
        model.load(shipped);
        QCOMPARE(shape(model), QString("R:MyFuncBlocks"));
        QCOMPARE(model.xml(), shipped);
    }

    void rootIdIsReadButAlwaysWrittenAsMyFuncBlocks_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("rootText");
        QTest::newRow("other id") << QByteArray("<dev:device dev:id=\"Other\"/>") << "Other";
        QTest::newRow("missing id") << QByteArray("<dev:device/>") << "";
        QTest::newRow("unprefixed id") << QByteArray("<dev:device id=\"Other\"/>") << "";
    }

    void rootIdIsReadButAlwaysWrittenAsMyFuncBlocks()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, rootText);
        Model model;
        model.load(content);
        QVERIFY(model.root().isValid());
        QCOMPARE(model.root().data().toString(), rootText);
        QCOMPARE(model.xml(), emptyDevice);
    }

    void nestedTreeRoundTrips()
    {
        const QByteArray content = "<dev:device dev:id=\"MyFuncBlocks\"><dev:translations/><dev:subdevices>"
                                   "<dev:device dev:id=\"A\"><dev:subdevices><dev:device dev:id=\"A1\">"
                                   "<dev:subdevices><dev:device dev:id=\"A1x\"/></dev:subdevices>"
                                   "<dev:units><dev:unit dev:type=\"u1\"/><dev:unit dev:type=\"u2\"/>"
                                   "</dev:units></dev:device></dev:subdevices><dev:units/></dev:device>"
                                   "<dev:device dev:id=\"B\"/></dev:subdevices><dev:units>"
                                   "<dev:unit dev:type=\"u3\"/></dev:units></dev:device>";
        Model model;
        model.load(content);
        const QString tree = "R:MyFuncBlocks[D:A[D:A1[D:A1x U:u1 U:u2]] D:B U:u3]";
        QCOMPARE(shape(model), tree);

        const QByteArray written = model.xml();
        Model reloaded;
        reloaded.load(written);
        QCOMPARE(shape(reloaded), tree);
        QCOMPARE(reloaded.xml(), written);
        // Sections are always written, even for a directory the file gave none.
        QVERIFY(written.contains("    <dev:device dev:id=\"B\">\n"
                                 "      <dev:subdevices/>\n"
                                 "      <dev:units/>\n"
                                 "    </dev:device>\n"));
    }

    void directoriesAreWrittenBeforeUnits()
    {
        // A move by drag and drop can put an entry above a directory.
        Model model;
        model.load(emptyDevice);
        QStandardItem* root = model.itemFromIndex(model.root());
        root->appendRow(Model::createUnitItem("u1"));
        root->appendRow(Model::createDeviceItem("D1"));
        root->appendRow(Model::createUnitItem("u2"));
        root->appendRow(Model::createDeviceItem("D2"));
        const QByteArray written = model.xml();
        QVERIFY(written.indexOf("dev:id=\"D2\"") < written.indexOf("dev:type=\"u1\""));

        model.load(written);
        QCOMPARE(shape(model), QString("R:MyFuncBlocks[D:D1 D:D2 U:u1 U:u2]"));
    }

    void sectionsAreReadInFileOrder()
    {
        Model model;
        model.load("<dev:device><dev:units><dev:unit dev:type=\"u1\"/></dev:units>"
                   "<dev:subdevices><dev:device dev:id=\"D1\"/></dev:subdevices>"
                   "<dev:units><dev:unit dev:type=\"u2\"/></dev:units>"
                   "<dev:subdevices><dev:device dev:id=\"D2\"/></dev:subdevices></dev:device>");
        QCOMPARE(shape(model), QString("R:[U:u1 D:D1 U:u2 D:D2]"));
    }

    void misplacedElementsAreIgnored_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("tree");
        QTest::newRow("unit directly in device") << QByteArray("<dev:unit dev:type=\"x\"/>") << "R:";
        QTest::newRow("device directly in units")
            << QByteArray("<dev:units><dev:device dev:id=\"x\"/><dev:unit dev:type=\"u\"/></dev:units>")
            << "R:[U:u]";
        QTest::newRow("unit in subdevices")
            << QByteArray("<dev:subdevices><dev:unit dev:type=\"x\"/></dev:subdevices>") << "R:";
        QTest::newRow("other prefix")
            << QByteArray("<d:units><d:unit d:type=\"x\"/></d:units><dev:subdevices><device id=\"y\"/>"
                          "<d:device d:id=\"z\"/></dev:subdevices>")
            << "R:";
        QTest::newRow("units inside translations") << QByteArray(
            "<dev:translations><dev:units><dev:unit dev:type=\"x\"/></dev:units>"
            "</dev:translations>") << "R:";
        QTest::newRow("text and comments")
            << QByteArray("text<!-- c --><dev:units>more<dev:unit dev:type=\"u\">t</dev:unit></dev:units>")
            << "R:[U:u]";
        QTest::newRow("missing attributes")
            << QByteArray("<dev:subdevices><dev:device/></dev:subdevices><dev:units><dev:unit/></dev:units>")
            << "R:[D: U:]";
    }

    void misplacedElementsAreIgnored()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, tree);
        Model model;
        model.load("<dev:device>" + body + "</dev:device>");
        QCOMPARE(shape(model), tree);
    }

    void itemsCarryTheirKindAndIcon()
    {
        Model model;
        model.load(example);
        const QModelIndex root = model.root();
        const QModelIndex sensors = childAt(model, root, 0);
        const QModelIndex unit = childAt(model, sensors, 0);
        QCOMPARE(root, model.index(0, 0));
        QCOMPARE(Model::itemType(root), int(Model::RootItem));
        QCOMPARE(Model::itemType(sensors), int(Model::DeviceItem));
        QCOMPARE(Model::itemType(unit), int(Model::UnitItem));
        QCOMPARE(Model::ItemTypeRole, Qt::UserRole + 1);

        const QIcon rootIcon = root.data(Qt::DecorationRole).value<QIcon>();
        QVERIFY(!rootIcon.isNull());
        QCOMPARE(sensors.data(Qt::DecorationRole).value<QIcon>().cacheKey(), rootIcon.cacheKey());
        // No block is installed here, so the entry carries the warning instead.
        QVERIFY(!unit.data(Qt::DecorationRole).value<QIcon>().isNull());
        QVERIFY(unit.data(Qt::DecorationRole).value<QIcon>().cacheKey() != rootIcon.cacheKey());
        QCOMPARE(unit.data(Qt::ToolTipRole).toString(),
            QString("No function block with the id fb_a is installed."));
        // An expanded directory shows the open folder.
        QVERIFY(rootIcon.pixmap(16, QIcon::Normal, QIcon::On).toImage()
            != rootIcon.pixmap(16, QIcon::Normal, QIcon::Off).toImage());

        Model second;
        const std::unique_ptr<QStandardItem> later(Model::createDeviceItem("x"));
        QCOMPARE(later->icon().cacheKey(), rootIcon.cacheKey());
    }

    void directoriesJoinTheLeadingDirectories_data()
    {
        QTest::addColumn<QString>("children");
        QTest::addColumn<int>("row");
        QTest::newRow("no children") << "" << 0;
        QTest::newRow("A U B") << "DUD" << 1;
        QTest::newRow("only directories") << "DD" << 2;
        QTest::newRow("only units") << "UU" << 0;
        QTest::newRow("unit first") << "UDD" << 0;
    }

    void directoriesJoinTheLeadingDirectories()
    {
        QFETCH(QString, children);
        QFETCH(int, row);
        Model model;
        model.load(emptyDevice);
        QStandardItem* root = model.itemFromIndex(model.root());
        for (const QChar kind : children)
            root->appendRow(kind == 'D' ? Model::createDeviceItem("d") : Model::createUnitItem("u"));

        const QModelIndex added = model.addDirectory(model.root());
        QCOMPARE(added, childAt(model, model.root(), row));
        QCOMPARE(added.data().toString(), QString("New directory"));
        QCOMPARE(Model::itemType(added), int(Model::DeviceItem));
        QCOMPARE(root->rowCount(), children.size() + 1);

        const QModelIndex unit = model.addUnit(model.root());
        QCOMPARE(unit.row(), children.size() + 1);
        QCOMPARE(unit.data().toString(), QString("Unit"));
        QCOMPARE(Model::itemType(unit), int(Model::UnitItem));
    }

    void editsWithoutTargetAreRefused()
    {
        Model model;
        QVERIFY(!model.addDirectory({}).isValid());
        QVERIFY(!model.addUnit({}).isValid());
        model.remove({});
        QVERIFY(!model.isChanged());

        model.load(example);
        const QString before = shape(model);
        model.remove(model.root());
        QCOMPARE(shape(model), before);
        QVERIFY(!model.isChanged());
    }

    void removeTakesTheSubtree()
    {
        Model model;
        model.load(example);
        model.remove(childAt(model, model.root(), 0));
        QCOMPARE(shape(model), QString("R:MyFuncBlocks[U:fb_b]"));
        model.remove(childAt(model, model.root(), 0));
        QCOMPARE(shape(model), QString("R:MyFuncBlocks"));
    }

    void modifiedFlag()
    {
        Model model;
        QVERIFY(!model.isChanged());
        model.load(example);
        QVERIFY(!model.isChanged());

        model.addDirectory(model.root());
        QVERIFY(model.isChanged());
        model.setChanged(false);
        model.addUnit(model.root());
        QVERIFY(model.isChanged());
        model.setChanged(false);
        model.remove(childAt(model, model.root(), 0));
        QVERIFY(model.isChanged());
        model.setChanged(false);
        model.setData(childAt(model, model.root(), 0), "renamed");
        QVERIFY(model.isChanged());

        // Loading neither raises nor lowers the flag.
        model.load(example);
        QVERIFY(model.isChanged());
        model.setChanged(false);
        model.load(example);
        QVERIFY(!model.isChanged());
    }

    void namesAreEscapedAndSurvive_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("ampersand") << "Tom & Jerry" << QByteArray("Tom &amp; Jerry");
        QTest::newRow("less than") << "a<b>c" << QByteArray("a&lt;b&gt;c");
        QTest::newRow("quote") << "say \"hi\"" << QByteArray("say &quot;hi&quot;");
        QTest::newRow("blanks and umlaut") << QString::fromUtf8(" Mäß ") << QByteArray(" M\xc3\xa4\xc3\x9f ");
    }

    void namesAreEscapedAndSurvive()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, written);
        Model model;
        model.load(emptyDevice);
        model.setData(model.addDirectory(model.root()), name);
        model.setData(model.addUnit(model.root()), name);
        const QByteArray content = model.xml();
        QVERIFY(content.contains("<dev:device dev:id=\"" + written + "\">"));
        QVERIFY(content.contains("<dev:unit dev:type=\"" + written + "\"/>"));

        model.load(content);
        const QModelIndex root = model.root();
        QCOMPARE(childAt(model, root, 0).data().toString(), name);
        QCOMPARE(childAt(model, root, 1).data().toString(), name);
    }

    void droppedDirectoryMovesWithItsSubtree()
    {
        // What the view hands the model when an entry is dropped onto a directory.
        Model model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.load(
            "<dev:device><dev:subdevices><dev:device dev:id=\"A\"><dev:units><dev:unit dev:type=\"a\"/>"
            "</dev:units></dev:device><dev:device dev:id=\"B\"><dev:units><dev:unit dev:type=\"b\"/>"
            "</dev:units></dev:device></dev:subdevices></dev:device>");
        const QModelIndex a = childAt(model, model.root(), 0);
        const QModelIndex b = childAt(model, model.root(), 1);
        std::unique_ptr<QMimeData> data(model.mimeData({ a }));
        QVERIFY(model.canDropMimeData(data.get(), Qt::MoveAction, -1, -1, b));
        QVERIFY(model.dropMimeData(data.get(), Qt::MoveAction, -1, -1, b));
        QVERIFY(model.isChanged());
        // The drop is one step: the item moves, no copy is made and removed.
        QCOMPARE(model.undoStack()->count(), 1);
        QCOMPARE(model.undoStack()->undoText(), QString("Move A"));
        model.undoStack()->undo();
        QCOMPARE(shape(model), QString("R:[D:A[U:a] D:B[U:b]]"));
        QVERIFY(!model.isChanged());
        model.undoStack()->redo();

        QCOMPARE(shape(model), QString("R:[D:B[U:b D:A[U:a]]]"));
        const QModelIndex moved = childAt(model, childAt(model, model.root(), 0), 1);
        QCOMPARE(Model::itemType(moved), int(Model::DeviceItem));
        QCOMPARE(model.flags(moved), model.flags(childAt(model, model.root(), 0)));
        QVERIFY(model.xml().contains("<dev:device dev:id=\"B\">\n"
                                     "      <dev:subdevices>\n"
                                     "        <dev:device dev:id=\"A\">\n"));
    }

    void addingBelowAFunctionBlockIsRefused()
    {
        Model model;
        model.load(example);
        const QModelIndex unit = childAt(model, model.root(), 1);
        QVERIFY(!model.addDirectory(unit).isValid());
        QVERIFY(!model.addUnit(unit).isValid());
        QVERIFY(!model.beginNewUnit(unit).isValid());
        QVERIFY(!model.move(childAt(model, model.root(), 0), unit));
        QCOMPARE(shape(model), QString("R:MyFuncBlocks[D:Sensors[U:fb_a] U:fb_b]"));
        QVERIFY(!model.isChanged());
        QCOMPARE(model.undoStack()->count(), 0);
    }

    void everyEditIsOneStep_data()
    {
        // Tree: R[A[A1[x] a] B[b] u]; paths name items by rows from the root.
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QList<int>>("item");
        QTest::addColumn<QList<int>>("target");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("step");
        const QList<int> none;
        QTest::newRow("add directory") << "dir" << none << QList<int> { 0 } << -1
                                       << "R:[D:A[D:A1[U:x] U:a] D:B[U:b] D:New directory U:u]"
                                       << "Add directory";
        QTest::newRow("add function block")
            << "unit" << none << QList<int> { 0, 1 } << -1 << "R:[D:A[D:A1[U:x] U:a] D:B[U:b U:Unit] U:u]"
            << "Add function block";
        QTest::newRow("remove subtree") << "remove" << QList<int> { 0, 0 } << none << -1 << "R:[D:B[U:b] U:u]"
                                        << "Remove A";
        QTest::newRow("rename") << "text" << QList<int> { 0, 1 } << none << -1
                                << "R:[D:A[D:A1[U:x] U:a] D:Motors[U:b] U:u]"
                                << "Rename B";
        QTest::newRow("change id") << "text" << QList<int> { 0, 2 } << none << -1
                                   << "R:[D:A[D:A1[U:x] U:a] D:B[U:b] U:Motors]"
                                   << "Change u to Motors";
        QTest::newRow("move into later sibling") << "move" << QList<int> { 0, 0 } << QList<int> { 0, 1 } << -1
                                                 << "R:[D:B[U:b D:A[D:A1[U:x] U:a]] U:u]"
                                                 << "Move A";
        QTest::newRow("move into earlier sibling's child")
            << "move" << QList<int> { 0, 2 } << QList<int> { 0, 0, 0 } << 0
            << "R:[D:A[D:A1[U:u U:x] U:a] D:B[U:b]]"
            << "Move u";
        QTest::newRow("move down among siblings")
            << "move" << QList<int> { 0, 0 } << QList<int> { 0 } << 2 << "R:[D:B[U:b] D:A[D:A1[U:x] U:a] U:u]"
            << "Move A";
        QTest::newRow("move up to the parent") << "move" << QList<int> { 0, 0, 0, 0 } << QList<int> { 0 } << 0
                                               << "R:[U:x D:A[D:A1 U:a] D:B[U:b] U:u]"
                                               << "Move x";
    }

    void everyEditIsOneStep()
    {
        QFETCH(QString, edit);
        QFETCH(QList<int>, item);
        QFETCH(QList<int>, target);
        QFETCH(int, row);
        QFETCH(QString, after);
        QFETCH(QString, step);
        Model model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.load("<dev:device><dev:subdevices><dev:device dev:id=\"A\"><dev:subdevices>"
                   "<dev:device dev:id=\"A1\"><dev:units><dev:unit dev:type=\"x\"/></dev:units></dev:device>"
                   "</dev:subdevices><dev:units><dev:unit dev:type=\"a\"/></dev:units></dev:device>"
                   "<dev:device dev:id=\"B\"><dev:units><dev:unit dev:type=\"b\"/></dev:units></dev:device>"
                   "</dev:subdevices><dev:units><dev:unit dev:type=\"u\"/></dev:units></dev:device>");
        const QString before = shape(model);
        const auto at = [&model](const QList<int>& path) {
            QModelIndex index;
            for (const int r : path)
                index = model.index(r, 0, index);
            return index;
        };
        QSignalSpy modified(&model, &Model::modifiedChanged);

        if (edit == "dir")
            QVERIFY(model.addDirectory(at(target)).isValid());
        else if (edit == "unit")
            QVERIFY(model.addUnit(at(target)).isValid());
        else if (edit == "remove")
            model.remove(at(item));
        else if (edit == "text")
            QVERIFY(model.setData(at(item), "Motors"));
        else
            QVERIFY(model.move(at(item), at(target), row));
        QCOMPARE(shape(model), after);
        QCOMPARE(model.undoStack()->count(), 1);
        QCOMPARE(model.undoStack()->undoText(), step);
        QVERIFY(model.isChanged());

        // Back and forth twice: the paths stay right however often.
        for (int round = 0; round < 2; ++round) {
            model.undoStack()->undo();
            QCOMPARE(shape(model), before);
            QVERIFY(!model.isChanged());
            model.undoStack()->redo();
            QCOMPARE(shape(model), after);
            QVERIFY(model.isChanged());
        }
        QCOMPARE(modified.size(), 5);
        QCOMPARE(modified.last().first().toBool(), true);
    }

    void modifiedFlagFollowsTheSavedStep()
    {
        Model model;
        model.load(example);
        model.addDirectory(model.root());
        model.setChanged(false);
        model.addUnit(model.root());
        QVERIFY(model.isChanged());
        model.undoStack()->undo();
        QVERIFY(!model.isChanged());
        model.undoStack()->undo();
        QVERIFY(model.isChanged());
        model.undoStack()->redo();
        QVERIFY(!model.isChanged());

        // A new edit after an undo makes the saved step unreachable.
        model.undoStack()->undo();
        model.remove(childAt(model, model.root(), 0));
        model.undoStack()->undo();
        QVERIFY(model.isChanged());
    }

    void moveIntoItsOwnSubtreeIsRefused()
    {
        Model model;
        model.load(example);
        const QModelIndex sensors = childAt(model, model.root(), 0);
        QVERIFY(!model.canMove(sensors, sensors));
        QVERIFY(!model.move(sensors, sensors));
        QVERIFY(!model.move(model.root(), sensors));
        std::unique_ptr<QMimeData> data(model.mimeData({ sensors }));
        QVERIFY(!model.canDropMimeData(data.get(), Qt::MoveAction, -1, -1, sensors));
        QVERIFY(!model.dropMimeData(data.get(), Qt::MoveAction, -1, -1, sensors));
        // A move onto its own place is no step either.
        QVERIFY(!model.move(sensors, model.root(), 0));
        QVERIFY(!model.move(sensors, model.root(), 1));
        QCOMPARE(model.undoStack()->count(), 0);
        QVERIFY(!model.isChanged());
    }

    void newUnitBecomesAStepOnlyWithAnId()
    {
        Model model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.load(example);
        const QModelIndex added = model.beginNewUnit(model.root());
        QVERIFY(model.isNewUnit(added));
        QCOMPARE(added.data().toString(), QString("Unit"));
        // One new entry at a time, and nothing else meanwhile.
        QVERIFY(!model.beginNewUnit(model.root()).isValid());
        QVERIFY(!model.addDirectory(model.root()).isValid());

        model.finishNewUnit(true);
        QCOMPARE(shape(model), QString("R:MyFuncBlocks[D:Sensors[U:fb_a] U:fb_b]"));
        QCOMPARE(model.undoStack()->count(), 0);
        QVERIFY(!model.isChanged());

        const QModelIndex second = model.beginNewUnit(childAt(model, model.root(), 0));
        QVERIFY(model.setData(second, "fb_c"));
        QCOMPARE(model.undoStack()->count(), 0);
        model.finishNewUnit(true);
        QCOMPARE(model.undoStack()->count(), 1);
        QCOMPARE(model.undoStack()->undoText(), QString("Add function block fb_c"));
        QCOMPARE(shape(model), QString("R:MyFuncBlocks[D:Sensors[U:fb_a U:fb_c] U:fb_b]"));
        model.undoStack()->undo();
        QCOMPARE(shape(model), QString("R:MyFuncBlocks[D:Sensors[U:fb_a] U:fb_b]"));
        QVERIFY(!model.isChanged());
        model.undoStack()->redo();
        QCOMPARE(shape(model), QString("R:MyFuncBlocks[D:Sensors[U:fb_a U:fb_c] U:fb_b]"));
    }

    void deepSubtreeIsRemovedAndRestored()
    {
        // Held steps free their subtree without recursion, however deep.
        QByteArray content = "<dev:device><dev:subdevices>";
        const int depth = 20000;
        for (int i = 0; i < depth; ++i)
            content += "<dev:device dev:id=\"d\"><dev:subdevices>";
        for (int i = 0; i < depth; ++i)
            content += "</dev:subdevices></dev:device>";
        content += "</dev:subdevices></dev:device>";
        auto model = std::make_unique<Model>();
        model->load(content);
        model->remove(childAt(*model, model->root(), 0));
        QCOMPARE(model->rowCount(model->root()), 0);
        model->undoStack()->undo();
        QCOMPARE(model->rowCount(model->root()), 1);
        model->undoStack()->redo();
        model.reset();
    }
};

FBM_TEST_MAIN(DeviceModelTest)
#include "tst_devicemodel.moc"
