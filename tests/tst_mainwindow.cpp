#include "support/DesignerParts.h"
#include "support/InstalledUnits.h"
#include "support/ModalAnswerer.h"
#include "support/TestMain.h"

#include "app/MainWindow.h"
#include "device/Model.h"
#include "device/View.h"
#include "fs/UserPaths.h"
#include "unit/Designer.h"

#include <QDateTime>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>

#include <memory>

namespace {

const QByteArray deviceWithDirectory
    = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<dev:device dev:id=\"MyFuncBlocks\"><dev:subdevices><dev:device dev:id=\"Sensors\">"
      "<dev:units><dev:unit dev:type=\"fb_a\"/></dev:units></dev:device></dev:subdevices>"
      "<dev:units><dev:unit dev:type=\"fb_b\"/></dev:units></dev:device>\n";

const QString saveQuestion
    = QStringLiteral("Question|Save changes|The device has been changed. Save changes?|Yes,No,Cancel");

device::Model* modelOf(const MainWindow& window)
{
    return qobject_cast<device::Model*>(window.findChild<device::View*>()->model());
}

QPushButton* saveButton(const MainWindow& window)
{
    const auto buttons = window.findChildren<QPushButton*>();
    for (QPushButton* button : buttons) {
        if (button->text() == QLatin1String("Save"))
            return button;
    }
    return nullptr;
}

// An edit as the device view makes it.
void editDevice(const MainWindow& window)
{
    device::Model* model = modelOf(window);
    QVERIFY(model->addDirectory(model->root()).isValid());
    QVERIFY(model->isChanged());
}

const QString designerQuestion = QStringLiteral("Question|Close|The function block designer holds input that "
                                                "was not generated. Close anyway?|Yes,No");

void openAllSections(const DesignerParts& form)
{
    for (QCheckBox* section : form.sectionChecks())
        section->setChecked(true);
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private:
    TestHome _home;

    static QString devicePath() { return fs::UserPaths::deviceFile(); }

private slots:
    void init()
    {
        _home.reset();
        // Qt keeps the settings file's path from the first use: a window
        // remembered by one test must not open another on the designer tab.
        QSettings().clear();
        TestHome::writeFile(devicePath(), deviceWithDirectory);
    }

    void tabsAndTexts()
    {
        MainWindow window;
        QCOMPARE(window.windowTitle(), QString("Velmora 2 function block manager[*]"));
        auto* tabs = window.findChild<QTabWidget*>();
        QVERIFY(tabs);
        QCOMPARE(tabs->count(), 2);
        QCOMPARE(tabs->tabText(0), QString("Device manager"));
        QCOMPARE(tabs->tabText(1), QString("Function block designer"));
        QCOMPARE(tabs->currentIndex(), 0);
        QVERIFY(tabs->widget(0)->findChild<device::View*>());
        QVERIFY(qobject_cast<unit::Designer*>(tabs->widget(1)));

        auto* save = saveButton(window);
        QVERIFY(save);
        QCOMPARE(save->parentWidget(), tabs->widget(0));
        QVERIFY(save->isEnabled());

        // The button keeps its natural width in the middle under the tree.
        window.resize(900, 600);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QWidget* page = tabs->widget(0);
        QCOMPARE(save->width(), save->sizeHint().width());
        QVERIFY(qAbs(save->geometry().center().x() - page->rect().center().x()) <= 1);
        QVERIFY(save->geometry().top() > page->findChild<device::View*>()->geometry().bottom());
    }

    void loadsTheDeviceAndExpandsItsRoot()
    {
        MainWindow window;
        device::Model* model = modelOf(window);
        QVERIFY(model->root().isValid());
        QCOMPARE(model->root().data().toString(), QString("MyFuncBlocks"));
        QCOMPARE(model->rowCount(model->root()), 2);
        QVERIFY(window.findChild<device::View*>()->isExpanded(model->root()));
        QVERIFY(!model->isChanged());
    }

    void missingDeviceFileGivesAnEmptyTabAndSaveCreatesIt()
    {
        QVERIFY(QFile::remove(devicePath()));
        MainWindow window;
        QVERIFY(!modelOf(window)->root().isValid());
        saveButton(window)->click();
        QCOMPARE(TestHome::readFile(devicePath()), modelOf(window)->xml());
        QVERIFY(!QFileInfo::exists(devicePath() + ".bak"));
    }

    void saveWritesTheModelAndClearsTheFlag()
    {
        MainWindow window;
        editDevice(window);
        saveButton(window)->click();
        QCOMPARE(TestHome::readFile(devicePath()), modelOf(window)->xml());
        QVERIFY(TestHome::readFile(devicePath()).contains("<dev:device dev:id=\"New directory\">"));
        QVERIFY(!modelOf(window)->isChanged());
        // Sensors, fb_a, fb_b and the new directory.
        QCOMPARE(window.findChild<QStatusBar*>()->currentMessage(), "Saved 4 entries to " + devicePath());

        // Saved: closing asks nothing until the next edit.
        window.show();
        ModalAnswerer answerer;
        QVERIFY(window.close());
        QCOMPARE(answerer.seen, QStringList());
    }

    void closeWithoutEditsAsksNothingAndTouchesNothing()
    {
        const QDateTime old = QDateTime::currentDateTime().addDays(-1);
        {
            QFile file(devicePath());
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
        }
        MainWindow window;
        window.show();
        ModalAnswerer answerer;
        QVERIFY(window.close());
        QCOMPARE(answerer.seen, QStringList());
        QCOMPARE(TestHome::readFile(devicePath()), deviceWithDirectory);
        QCOMPARE(QFileInfo(devicePath()).lastModified(), old);
    }

    void closeQuestionAnswers_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("saves");
        QTest::newRow("yes") << "Yes" << true << true;
        QTest::newRow("no") << "No" << true << false;
        QTest::newRow("cancel") << "Cancel" << false << false;
        QTest::newRow("escape") << "Escape" << false << false;
    }

    void closeQuestionAnswers()
    {
        QFETCH(QString, answer);
        QFETCH(bool, closes);
        QFETCH(bool, saves);
        MainWindow window;
        window.show();
        editDevice(window);

        {
            ModalAnswerer answerer({ answer });
            QCOMPARE(window.close(), closes);
            QCOMPARE(answerer.seen, QStringList { saveQuestion });
            QCOMPARE(answerer.parents, QList<QWidget*> { &window });
        }
        QCOMPARE(window.isVisible(), !closes);
        QCOMPARE(TestHome::readFile(devicePath()) == deviceWithDirectory, !saves);
        if (saves)
            QCOMPARE(TestHome::readFile(devicePath()), modelOf(window)->xml());
        QCOMPARE(modelOf(window)->isChanged(), !saves);

        if (!closes) {
            // Still changed: the next close asks again.
            ModalAnswerer again({ "No" });
            QVERIFY(window.close());
            QCOMPARE(again.seen, QStringList { saveQuestion });
        }
    }

    void failedSaveIsReportedAndKeepsTheChange()
    {
        MainWindow window;
        window.show();
        editDevice(window);
        // A plain file where the device's directory should be: the device
        // file is gone, so the save asks first.
        const QString dir = QFileInfo(devicePath()).absolutePath();
        QVERIFY(QDir(dir).removeRecursively());
        TestHome::writeFile(dir, "not a directory");
        const QString changed = "Question|Device changed on disk|The device file " + devicePath()
            + " was changed by another program since it was loaded. Replace it with the device shown "
              "here?|Yes,No";
        const QString error = "Critical|Error|Unable to save the device to " + devicePath() + ".|OK";
        {
            ModalAnswerer answerer({ "Yes", "OK" });
            saveButton(window)->click();
            QCOMPARE(answerer.seen, QStringList({ changed, error }));
            QCOMPARE(answerer.parents, QList<QWidget*>({ &window, &window }));
        }
        QVERIFY(modelOf(window)->isChanged());
        QCOMPARE(TestHome::readFile(dir), QByteArray("not a directory"));

        // Yes to the close question with a save that fails keeps the window open.
        ModalAnswerer answerer({ "Yes", "Yes", "OK" });
        QVERIFY(!window.close());
        QCOMPARE(answerer.seen, QStringList({ saveQuestion, changed, error }));
        QVERIFY(window.isVisible());
        QVERIFY(modelOf(window)->isChanged());
    }

    void designerInputAsksBeforeClosing_data()
    {
        QTest::addColumn<bool>("deviceChanged");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("seen");
        QTest::addColumn<bool>("closes");
        // clang-format off
        QTest::newRow("empty form") << false << "" << QStringList() << QStringList() << true;
        QTest::newRow("input, yes") << false << "Acme" << QStringList { "Yes" } << QStringList { designerQuestion } << true;
        QTest::newRow("input, no") << false << "Acme" << QStringList { "No" } << QStringList { designerQuestion } << false;
        QTest::newRow("input, Enter keeps it") << false << "Acme" << QStringList { "Return" } << QStringList { designerQuestion } << false;
        QTest::newRow("device first") << true << "Acme" << QStringList { "No", "Yes" }
            << QStringList { saveQuestion, designerQuestion } << true;
        QTest::newRow("device cancelled: nothing more") << true << "Acme" << QStringList { "Cancel" }
            << QStringList { saveQuestion } << false;
        // clang-format on
    }

    void designerInputAsksBeforeClosing()
    {
        QFETCH(bool, deviceChanged);
        QFETCH(QString, typed);
        QFETCH(QStringList, answers);
        MainWindow window;
        window.show();
        if (deviceChanged)
            editDevice(window);
        DesignerParts form(window.findChild<unit::Designer*>());
        DesignerParts::type(form.vendor(), typed);
        {
            ModalAnswerer answerer(answers);
            QTEST(window.close(), "closes");
            QTEST(answerer.seen, "seen");
        }
        if (window.isVisible()) {
            // Nothing of the form is lost by a No.
            QCOMPARE(form.vendor()->text(), typed);
            ModalAnswerer answerer(deviceChanged ? QStringList { "No", "Yes" } : QStringList { "Yes" });
            QVERIFY(window.close());
        }
    }

    void generatedOrClearedFormAsksNothing()
    {
        MainWindow window;
        window.show();
        DesignerParts form(window.findChild<unit::Designer*>());
        form.fillIn();
        {
            ModalAnswerer answerer({ "OK" });
            QTest::mouseClick(form.generate(), Qt::LeftButton);
            QCOMPARE(answerer.seen.size(), 1);
        }
        DesignerParts::type(form.vendor(), "Acme");
        QTest::mouseClick(form.clear(), Qt::LeftButton);
        ModalAnswerer answerer;
        QVERIFY(window.close());
        QCOMPARE(answerer.seen, QStringList());
    }

    void openActionInTheFileMenu()
    {
        MainWindow window;
        const auto menus = window.findChildren<QMenu*>();
        QAction* open = nullptr;
        for (const QMenu* menu : menus) {
            for (QAction* action : menu->actions()) {
                if (action->text() == QLatin1String("Open function block..."))
                    open = action;
            }
            if (open)
                QCOMPARE(menu->title(), QString("&File"));
            if (open)
                break;
        }
        QVERIFY(open);
        QCOMPARE(open->shortcut(), QKeySequence("Ctrl+O"));
    }

    // Measured on the offscreen platform with its default font.
    void sizesFitSmallAndLargeScreens()
    {
        MainWindow window;
        auto* tabs = window.findChild<QTabWidget*>();
        tabs->setCurrentIndex(1);
        DesignerParts form(window.findChild<unit::Designer*>());
        openAllSections(form);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // Every button reachable on a 1366x768 screen: the form scrolls.
        QVERIFY2(
            window.minimumSizeHint().height() <= 600, QByteArray::number(window.minimumSizeHint().height()));

        // The first size shows the whole form on a 1280x1024 screen (title
        // bar and panel take the rest).
        const QSize first = window.sizeHint().expandedTo(QSize(900, 0));
        QVERIFY2(first.width() <= 1280 && first.height() <= 960,
            qPrintable(QString("%1x%2").arg(first.width()).arg(first.height())));
        window.resize(first);
        QTest::qWait(50);
        QVERIFY(!form.scrollArea()->verticalScrollBar()->isVisible());
        QVERIFY(!form.scrollArea()->horizontalScrollBar()->isVisible());
        QVERIFY(form.generate()->isVisible());
    }

    void columnsShowTheirContentIn900Pixels()
    {
        MainWindow window;
        window.findChild<QTabWidget*>()->setCurrentIndex(1);
        DesignerParts form(window.findChild<unit::Designer*>());
        openAllSections(form);
        window.resize(900, 1000);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (QWidget* editor : QList<QWidget*> { form.inputs(), form.outputs(), form.stateVars() }) {
            DesignerParts::addRow(editor);
            auto* table = editor->findChild<QTableWidget*>();
            // The whole type combo box, with its longest entry.
            const QModelIndex type = table->model()->index(0, 1);
            std::unique_ptr<QWidget> combo(
                table->itemDelegate()->createEditor(table->viewport(), QStyleOptionViewItem(), type));
            QVERIFY(table->columnWidth(1) >= combo->sizeHint().width());
            // A longer name than fits widens its column.
            const int before = table->columnWidth(0);
            table->item(0, 0)->setText("a_rather_long_connector_name");
            QVERIFY(table->columnWidth(0) > before);
            QVERIFY(table->columnWidth(0)
                >= table->fontMetrics().horizontalAdvance("a_rather_long_connector_name"));
            QTest::qWait(20);
            QVERIFY2(!table->horizontalScrollBar()->isVisible(), editor->metaObject()->className());
            int total = 0;
            for (int col = 0; col < table->columnCount(); ++col)
                total += table->columnWidth(col);
            QVERIFY(total <= table->viewport()->width());
        }
    }

    void remembersSizePositionAndTab()
    {
        QSettings().setValue("userdir", "/some/template");
        {
            MainWindow window;
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            window.resize(700, 520);
            window.findChild<QTabWidget*>()->setCurrentIndex(1);
            QVERIFY(window.close());
        }
        MainWindow again;
        QCOMPARE(again.findChild<QTabWidget*>()->currentIndex(), 1);
        QCOMPARE(again.size(), QSize(700, 520));
        QSettings settings;
        QCOMPARE(settings.value("userdir").toString(), QString("/some/template"));
        QCOMPARE(settings.childGroups(), QStringList({ "DeviceView", "MainWindow" }));
    }

    void readableOrEmptyDeviceGetsNoBackup_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("device") << deviceWithDirectory;
        QTest::newRow("empty file") << QByteArray();
    }

    void readableOrEmptyDeviceGetsNoBackup()
    {
        QFETCH(QByteArray, content);
        TestHome::writeFile(devicePath(), content);
        MainWindow window;
        saveButton(window)->click();
        QVERIFY(!QFileInfo::exists(devicePath() + ".bak"));
    }

    void modifiedMarkAndCloseQuestionFollowUndo()
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QVERIFY(!window.isWindowModified());
        device::Model* model = modelOf(window);
        editDevice(window);
        QVERIFY(window.isWindowModified());

        // Undone back to the file's state: unchanged, nothing to ask.
        auto* view = window.findChild<device::View*>();
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!model->isChanged());
        QVERIFY(!window.isWindowModified());

        // Saved after a redo: the saved step is the unchanged one now.
        QTest::keyClick(view, Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(window.isWindowModified());
        QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(TestHome::readFile(devicePath()), model->xml());
        QVERIFY(!window.isWindowModified());
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(window.isWindowModified());
        QTest::keyClick(view, Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(!window.isWindowModified());
        ModalAnswerer answerer;
        QVERIFY(window.close());
        QCOMPARE(answerer.seen, QStringList());
    }

    void ctrlQClosesThroughTheQuestion()
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        editDevice(window);
        // Window-wide, also from the designer tab.
        window.findChild<QTabWidget*>()->setCurrentIndex(1);
        {
            ModalAnswerer answerer({ "Cancel" });
            QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
            QCOMPARE(answerer.seen, QStringList { saveQuestion });
        }
        QVERIFY(window.isVisible());
        // (The offscreen platform leaves no window active after a box.)
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        ModalAnswerer answerer({ "No" });
        QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!window.isVisible());
    }

    void menusShowEveryEditWithItsKeys()
    {
        MainWindow window;
        const auto menus = window.findChildren<QMenu*>();
        QMap<QString, QStringList> entries;
        for (const QMenu* menu : menus) {
            for (const QAction* action : menu->actions()) {
                if (!action->isSeparator())
                    entries[menu->title()] << action->text() + "|" + action->shortcut().toString();
            }
        }
        QCOMPARE(entries["&File"],
            QStringList({ "Open function block...|Ctrl+O", "&Save|Ctrl+S", "&Quit|Ctrl+Q" }));
        QCOMPARE(entries["&Edit"],
            QStringList(
                { "Undo|Ctrl+Z", "Redo|Ctrl+Shift+Z", "Add directory|Ctrl+Ins", "Add function block|Ins",
                    "Rename|F2", "Remove|Del", "Cut|Ctrl+X", "Paste|Ctrl+V", "Move up|Alt+Up",
                    "Move down|Alt+Down", "Open in designer|Ctrl+E", "Next missing function block|F8" }));
        QCOMPARE(entries["&Help"], QStringList({ "&About|", "About &Qt|" }));

        // The edits belong to the device: behind the designer they rest.
        auto* tabs = window.findChild<QTabWidget*>();
        QMenu* edit = nullptr;
        for (QMenu* menu : menus) {
            if (menu->title() == "&Edit")
                edit = menu;
        }
        QVERIFY(edit);
        tabs->setCurrentIndex(1);
        QVERIFY(!edit->isEnabled());
        tabs->setCurrentIndex(0);
        QVERIFY(edit->isEnabled());
    }

    void aboutNamesTheVersion()
    {
        MainWindow window;
        window.show();
        QAction* about = nullptr;
        for (QMenu* menu : window.findChildren<QMenu*>()) {
            for (QAction* action : menu->actions()) {
                if (action->text() == "&About")
                    about = action;
            }
        }
        QVERIFY(about);
        ModalAnswerer answerer({ "OK" });
        about->trigger();
        QCOMPARE(answerer.seen.size(), 1);
        QVERIFY2(
            answerer.seen.first().contains("version " FBM_TEST_VERSION), qPrintable(answerer.seen.first()));
    }

    void statusBarCountsEntriesOfMissingBlocks()
    {
        // The registry is empty here: both entries name missing blocks.
        MainWindow window;
        auto* status = window.findChild<QStatusBar*>();
        QVERIFY(status);
        QLabel* label = status->findChild<QLabel*>();
        QVERIFY(label);
        QCOMPARE(label->text(), QString("Entries naming function blocks that are not installed: 2"));
        modelOf(window)->remove(modelOf(window)->index(1, 0, modelOf(window)->root()));
        QCOMPARE(label->text(), QString("Entries naming function blocks that are not installed: 1"));
    }

    void pendingEditEndsBeforeSaveAndClose_data()
    {
        QTest::addColumn<bool>("directory");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("closing");
        QTest::addColumn<QByteArray>("written");
        // clang-format off
        QTest::newRow("offered id, Ctrl+S") << false << "" << false << QByteArray("dev:type=\"a\"");
        QTest::newRow("typed id, Ctrl+S") << false << "B" << false << QByteArray("dev:type=\"b\"");
        QTest::newRow("no match, Ctrl+S") << false << "zz" << false << QByteArray();
        QTest::newRow("directory, Ctrl+S") << true << "Motors" << false << QByteArray("\"Motors\"");
        QTest::newRow("typed id, Ctrl+Q, Yes") << false << "b" << true << QByteArray("dev:type=\"b\"");
        QTest::newRow("no match, Ctrl+Q asks nothing") << false << "zz" << true << QByteArray();
        // clang-format on
    }

    void pendingEditEndsBeforeSaveAndClose()
    {
        QFETCH(bool, directory);
        QFETCH(QString, typed);
        QFETCH(bool, closing);
        QFETCH(QByteArray, written);
        installUnits({ "a", "b" });
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(window.findChild<device::View*>(), Qt::Key_Insert,
            directory ? Qt::ControlModifier : Qt::NoModifier);
        QWidget* editor = QApplication::focusWidget();
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, typed);
        ModalAnswerer answerer({ "Yes" });
        QTest::keyClick(editor, closing ? Qt::Key_Q : Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(answerer.seen, closing && !written.isEmpty() ? QStringList { saveQuestion } : QStringList());
        QCOMPARE(window.isVisible(), !closing);
        const QByteArray file = TestHome::readFile(devicePath());
        QCOMPARE(file, closing && written.isEmpty() ? deviceWithDirectory : modelOf(window)->xml());
        QCOMPARE(modelOf(window)->rowCount(modelOf(window)->root()), written.isEmpty() ? 2 : 3);
        QVERIFY(file.contains(written) && !file.contains("\"Unit\""));
    }

    void remembersOpenDirectories()
    {
        // Two levels of one name: what is kept is a path of names.
        TestHome::writeFile(devicePath(),
            "<dev:device dev:id=\"MyFuncBlocks\"><dev:subdevices><dev:device dev:id=\"S\"><dev:subdevices>"
            "<dev:device dev:id=\"S\"/></dev:subdevices></dev:device></dev:subdevices></dev:device>");
        QStringList open;
        for (int run = 0; run < 3; ++run) {
            MainWindow window;
            auto* view = window.findChild<device::View*>();
            const QModelIndex root = modelOf(window)->root();
            const QModelIndex outer = root.model()->index(0, 0, root);
            open << QString("%1%2%3")
                        .arg(view->isExpanded(root))
                        .arg(view->isExpanded(outer))
                        .arg(view->isExpanded(root.model()->index(0, 0, outer)));
            // A closed root opens again at the next start, or nothing would be seen.
            run == 0 ? view->expand(outer) : view->collapse(root);
            window.show();
            window.close();
        }
        QCOMPARE(open, QStringList({ "100", "110", "100" }));
    }
};

FBM_TEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
