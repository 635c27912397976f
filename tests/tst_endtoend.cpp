#include "support/DesignerParts.h"
#include "support/ModalAnswerer.h"
#include "support/TestMain.h"

#include "app/MainWindow.h"
#include "app/Startup.h"
#include "device/Model.h"
#include "device/View.h"
#include "fs/UserPaths.h"
#include "unit/Designer.h"
#include "unit/Registry.h"

#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

namespace {

// Chooses an entry of the context menu that a right press opens, as the user would.
void chooseFromContextMenu(device::View* view, const QModelIndex& index, const QString& entry)
{
    bool chosen = false;
    QTimer::singleShot(50, view, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction* action : menu->actions()) {
            if (action->text() == entry) {
                menu->setActiveAction(action);
                QTest::keyClick(menu, Qt::Key_Return);
                chosen = true;
                return;
            }
        }
        menu->close();
    });
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, view->visualRect(index).center());
    QVERIFY(chosen);
}

} // namespace

class EndToEndTest : public QObject
{
    Q_OBJECT

private:
    TestHome _home;

private slots:
    void initTestCase()
    {
        QCoreApplication::setOrganizationName("KIV GmbH");
        QCoreApplication::setApplicationName("Velmora 2");
    }

    // Start-up as the program does it; test programs sit one level below
    // the build tree, like bin/, so the shipped template is found.
    void init()
    {
        _home.reset();
        readIni(_home.path() + "/no-ini-here/velmora2.ini");
        initUserProfile();
        unit::Registry::singleton()->refresh();
        QVERIFY(unit::Registry::singleton()->hasID("Examples Gain"));
    }

    void generateABlockAndPutItIntoTheDevice()
    {
        MainWindow window;
        window.resize(900, 900);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* tabs = window.findChild<QTabWidget*>();

        // The designer: vendor and name, auto fill, one input, generate.
        tabs->setCurrentIndex(1);
        const DesignerParts form(window.findChild<unit::Designer*>());
        DesignerParts::type(form.vendor(), "Zeta");
        DesignerParts::type(form.name(), "Mixer");
        QTest::mouseClick(form.autoFill(), Qt::LeftButton);
        QCOMPARE(form.id()->text(), QString("Zeta Mixer"));
        form.inputsCheck()->click();
        DesignerParts::addRow(form.inputs());
        QCOMPARE(form.inputs()->numConnectors(), 1);
        {
            ModalAnswerer answerer({ "OK" });
            QTest::mouseClick(form.generate(), Qt::LeftButton);
            QCOMPARE(answerer.seen.size(), 1);
            QVERIFY(answerer.seen.at(0).startsWith("Information|Success|"));
        }
        const QString unitDir = fs::UserPaths::functionBlocksPath() + "mixer.unit";
        QVERIFY(unit::Registry::singleton()->hasID("Zeta Mixer"));

        // The device manager: a function block entry below the root, given the new id.
        tabs->setCurrentIndex(0);
        auto* view = window.findChild<device::View*>();
        const QModelIndex root = view->model()->index(0, 0);
        QCOMPARE(root.data().toString(), QString("MyFuncBlocks"));
        chooseFromContextMenu(view, root, "Add function block");
        QCOMPARE(view->model()->rowCount(root), 1);
        const QModelIndex entry = view->model()->index(0, 0, root);
        // "Add function block" opens the list of ids on the new entry; where the
        // platform closed it with the menu, the user opens it again.
        auto* ids = view->viewport()->findChild<QComboBox*>();
        if (!ids) {
            view->edit(entry);
            ids = view->viewport()->findChild<QComboBox*>();
        }
        QVERIFY(ids);
        QCOMPARE(ids->currentText(), QString("Examples Counter"));
        ids->setCurrentIndex(ids->findText("Zeta Mixer"));
        QTest::keyClick(ids, Qt::Key_Return);
        QTRY_VERIFY(!view->viewport()->findChild<QComboBox*>());
        QCOMPARE(entry.data().toString(), QString("Zeta Mixer"));

        // The device page holds the tree and the one button, "Save".
        QTest::mouseClick(tabs->widget(0)->findChild<QPushButton*>(), Qt::LeftButton);
        ModalAnswerer noQuestion;
        QVERIFY(window.close());
        QCOMPARE(noQuestion.seen, QStringList());

        // What is on disk now.
        const QByteArray unitXml = TestHome::readFile(unitDir + "/unit.xml");
        QVERIFY(unitXml.contains("<unit:unittype unit:id=\"Zeta Mixer\">"));
        QVERIFY(unitXml.contains("<unit:connector var:varname=\"in0\" var:type=\"float\">"));
        QVERIFY(QFileInfo::exists(unitDir + "/plugin/simulation/Mixer.h"));
        QVERIFY(QFileInfo::exists(unitDir + "/plugin/simulation/main.cpp"));
        QVERIFY(!QFileInfo::exists(unitDir + "/plugin/gui"));

        QByteArray expected = TestHome::readFile(
            QCoreApplication::applicationDirPath() + "/../user/devices/MyFunctionBlocks/device.xml");
        expected.replace(
            "  <dev:units/>\n", "  <dev:units>\n    <dev:unit dev:type=\"Zeta Mixer\"/>\n  </dev:units>\n");
        QCOMPARE(TestHome::readFile(fs::UserPaths::deviceFile()), expected);
    }

    void entriesOpenAndCreateTheirBlocks()
    {
        TestHome::writeFile(fs::UserPaths::deviceFile(),
            "<dev:device dev:id=\"MyFuncBlocks\"><dev:units><dev:unit dev:type=\"Examples Gain\"/>"
            "<dev:unit dev:type=\"Zeta Pump\"/></dev:units></dev:device>");
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto* tabs = window.findChild<QTabWidget*>();
        auto* view = window.findChild<device::View*>();
        const QAction* open = view->editActions().at(13);
        const DesignerParts form(window.findChild<unit::Designer*>());
        auto* missing = window.findChild<QStatusBar*>()->findChild<QLabel*>();

        // An installed block opens as "Open function block..." opens it.
        QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 1);
        QVERIFY(form.id()->text() == "Examples Gain" && !form.guiName()->text().isEmpty());
        QTest::mouseClick(form.clear(), Qt::LeftButton);

        // A missing one is created from its entry, and is marked installed at
        // once, while the success box is still open.
        tabs->setCurrentIndex(0);
        view->setFocus();
        QTest::keyClick(view, Qt::Key_F8);
        QCOMPARE(open->text(), QString("Create function block"));
        QTest::keyClick(view, Qt::Key_E, Qt::ControlModifier);
        QVERIFY(tabs->currentIndex() == 1 && form.id()->text() == "Zeta Pump");
        DesignerParts::type(form.vendor(), "Zeta");
        DesignerParts::type(form.name(), "Pump");
        QTest::mouseClick(form.autoFill(), Qt::LeftButton);
        QVERIFY(missing->isVisible());
        bool refreshed = false;
        QTimer::singleShot(0, &window, [&] { refreshed = missing->isHidden(); });
        ModalAnswerer answerer({ "OK" });
        QTest::mouseClick(form.generate(), Qt::LeftButton);
        QVERIFY(refreshed && answerer.seen.value(0).startsWith("Information|Success|"));
        QVERIFY(!view->currentIndex().data(Qt::DecorationRole).isValid());
        QCOMPARE(open->text(), QString("Open in designer"));
        QVERIFY(!qobject_cast<device::Model*>(view->model())->isChanged());
    }
};

FBM_TEST_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
