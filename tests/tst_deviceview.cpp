#include "support/TestMain.h"

#include "fs/UserPaths.h"
#include "device/ItemDelegate.h"
#include "device/Model.h"
#include "device/View.h"
#include "unit/Registry.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>

#include <functional>

using device::Model;
using device::View;

namespace {

const QByteArray tree
    = "<dev:device dev:id=\"MyFuncBlocks\"><dev:subdevices>"
      "<dev:device dev:id=\"A\"><dev:subdevices><dev:device dev:id=\"A1\"/></dev:subdevices>"
      "<dev:units><dev:unit dev:type=\"inA\"/></dev:units></dev:device>"
      "</dev:subdevices><dev:units><dev:unit dev:type=\"top\"/></dev:units></dev:device>";

struct Menu
{
    bool shown = false;
    QStringList texts;
};

} // namespace

class DeviceViewTest : public QObject
{
    Q_OBJECT

private:
    TestHome _home;
    std::unique_ptr<Model> _model;
    std::unique_ptr<View> _view;

    QModelIndex root() const { return _model->root(); }
    QModelIndex dirA() const { return _model->index(0, 0, root()); }
    QModelIndex unitTop() const { return _model->index(1, 0, root()); }

    // Fills the registry with one unit file per id.
    void setRegistry(const QStringList& ids)
    {
        QDir(QDir::homePath() + "/" + fs::UserPaths::unitsRelative()).removeRecursively();
        for (const QString& id : ids) {
            TestHome::writeFile(
                QDir::homePath() + "/" + fs::UserPaths::unitsRelative() + "/" + id + ".unit/unit.xml",
                "<unit:unit><unit:unittypes><unit:unittype unit:id=\"" + id.toUtf8()
                    + "\"/></unit:unittypes></unit:unit>");
        }
        unit::Registry::singleton()->refresh();
    }

    // Presses a mouse button on the index and reads the context menu, if one
    // opens; the entry named by choose is then taken and afterChoice runs at
    // once. (The offscreen platform hands activation to the menu and gives it
    // back to no one, which closes an open editor once the press is over.)
    Menu press(const QModelIndex& index, Qt::MouseButton button, const QString& choose = {},
        const std::function<void()>& afterChoice = {})
    {
        Menu menu;
        QTimer::singleShot(0, this, [&] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!popup)
                return;
            menu.shown = true;
            for (QAction* action : popup->actions()) {
                menu.texts << action->text();
                QVERIFY(action->shortcut().isEmpty());
                if (action->text() == choose)
                    popup->setActiveAction(action);
            }
            if (choose.isEmpty()) {
                popup->close();
                return;
            }
            QTest::keyClick(popup, Qt::Key_Return);
            if (afterChoice)
                afterChoice();
        });
        const QPoint pos = index.isValid() ? _view->visualRect(index).center()
                                           : QPoint(5, _view->viewport()->height() - 5);
        QTest::mousePress(_view->viewport(), button, {}, pos);
        QTest::mouseRelease(_view->viewport(), button, {}, pos);
        QCoreApplication::processEvents();
        return menu;
    }

    QWidget* editor(const QModelIndex& index) const { return _view->indexWidget(index); }

private slots:
    void init()
    {
        _home.reset();
        setRegistry({});
        _model = std::make_unique<Model>();
        _model->load(tree);
        _view = std::make_unique<View>(_model.get());
        _view->resize(400, 300);
        _view->show();
        _view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(_view.get()));
        _view->expand(root());
    }

    void cleanup()
    {
        _view.reset();
        _model.reset();
    }

    void viewIsSetUpForMovesInsideTheTree()
    {
        QCOMPARE(_view->model(), _model.get());
        QVERIFY(_view->isHeaderHidden());
        QCOMPARE(_view->dragDropMode(), QAbstractItemView::InternalMove);
        QVERIFY(_view->dragEnabled());
        QVERIFY(_view->acceptDrops());
        QVERIFY(_view->showDropIndicator());
        QCOMPARE(_view->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(_view->selectionBehavior(), QAbstractItemView::SelectItems);
        QVERIFY(dynamic_cast<device::ItemDelegate*>(_view->itemDelegate()));
    }

    void contextMenuFollowsTheKind_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QStringList>("texts");
        const QStringList adds = { "Add directory", "Add function block" };
        QTest::newRow("root") << 0 << int(Qt::RightButton) << true << adds;
        QTest::newRow("directory") << 1 << int(Qt::RightButton) << true << (adds + QStringList { "Remove" });
        QTest::newRow("function block") << 2 << int(Qt::RightButton) << true << QStringList { "Remove" };
        QTest::newRow("empty space") << 3 << int(Qt::RightButton) << false << QStringList();
        QTest::newRow("left on directory") << 1 << int(Qt::LeftButton) << false << QStringList();
        QTest::newRow("middle on root") << 0 << int(Qt::MiddleButton) << false << QStringList();
    }

    void contextMenuFollowsTheKind()
    {
        QFETCH(int, which);
        QFETCH(int, button);
        QFETCH(bool, shown);
        QFETCH(QStringList, texts);
        const QModelIndex index = QList<QModelIndex> { root(), dirA(), unitTop(), {} }.at(which);
        const Menu menu = press(index, Qt::MouseButton(button));
        QCOMPARE(menu.shown, shown);
        QCOMPARE(menu.texts, texts);
        // Every press selects the item under the pointer, so the menu acts on it.
        if (index.isValid())
            QCOMPARE(_view->selectionModel()->selectedIndexes(), QModelIndexList { index });
        QVERIFY(!_model->isChanged());
    }

    void addDirectoryOpensItsNameEditor()
    {
        _view->collapse(dirA());
        bool committed = false;
        press(dirA(), Qt::RightButton, "Add directory", [&] {
            QVERIFY(_view->isExpanded(dirA()));
            QCOMPARE(_model->rowCount(dirA()), 3);
            const QModelIndex added = _model->index(1, 0, dirA());
            QCOMPARE(added.data().toString(), QString("New directory"));
            QVERIFY(_model->isChanged());
            auto* line = qobject_cast<QLineEdit*>(editor(added));
            QVERIFY(line);
            QCOMPARE(QApplication::focusWidget(), line);
            QCOMPARE(line->text(), QString("New directory"));

            _model->setChanged(false);
            line->setText(" Motors ");
            QTest::keyClick(line, Qt::Key_Return);
            QTRY_VERIFY(!editor(added));
            QCOMPARE(added.data().toString(), QString(" Motors "));
            QVERIFY(_model->isChanged());
            committed = true;
        });
        QVERIFY(committed);
    }

    void addFunctionBlockOffersTheRegistryIds()
    {
        setRegistry({ "c", "B", "a" });
        bool committed = false;
        press(root(), Qt::RightButton, "Add function block", [&] {
            const QModelIndex added = _model->index(2, 0, root());
            QCOMPARE(added.data().toString(), QString("Unit"));
            auto* combo = qobject_cast<QComboBox*>(editor(added));
            QVERIFY(combo);
            QCOMPARE(QApplication::focusWidget(), combo);
            QVERIFY(combo->isEditable());
            QCOMPARE(combo->insertPolicy(), QComboBox::NoInsert);
            QStringList items;
            for (int i = 0; i < combo->count(); ++i)
                items << combo->itemText(i);
            QCOMPARE(items, QStringList({ "B", "a", "c" }));
            QCOMPARE(combo->currentText(), QString("B"));

            combo->setCurrentIndex(2);
            QTest::keyClick(combo, Qt::Key_Return);
            QTRY_VERIFY(!editor(added));
            QCOMPARE(added.data().toString(), QString("c"));
            committed = true;
        });
        QVERIFY(committed);

        // Ids found by a later refresh are offered the next time.
        setRegistry({ "c", "B", "a", "D" });
        _view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(_view.get()));
        const QModelIndex added = _model->index(2, 0, root());
        _view->edit(added);
        auto* combo = qobject_cast<QComboBox*>(editor(added));
        QVERIFY(combo);
        QCOMPARE(combo->count(), 4);
        QCOMPARE(combo->currentText(), QString("c"));
    }

    void functionBlockWithEmptyRegistryCannotBeEdited()
    {
        bool checked = false;
        press(dirA(), Qt::RightButton, "Add function block", [&] {
            const QModelIndex added = _model->index(2, 0, dirA());
            QCOMPARE(added.data().toString(), QString("Unit"));
            QVERIFY(_model->isChanged());
            QVERIFY(!editor(added));
            checked = true;
        });
        QVERIFY(checked);
        _view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(_view.get()));
        _view->edit(unitTop());
        QVERIFY(!editor(unitTop()));
        QCOMPARE(unitTop().data().toString(), QString("top"));
    }

    void removeTakesTheRightClickedEntry()
    {
        press(dirA(), Qt::RightButton, "Remove");
        QCOMPARE(_model->rowCount(root()), 1);
        QCOMPARE(_model->index(0, 0, root()).data().toString(), QString("top"));
        QVERIFY(_model->isChanged());

        _model->setChanged(false);
        press(_model->index(0, 0, root()), Qt::RightButton, "Remove");
        QCOMPARE(_model->rowCount(root()), 0);
        QVERIFY(_model->isChanged());
    }

    void delegateStoresOnlyNonBlankText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("blanks only") << "   "
                                     << "A";
        QTest::newRow("empty") << ""
                               << "A";
        QTest::newRow("padded") << " B "
                                << " B ";
    }

    void delegateStoresOnlyNonBlankText()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        const QAbstractItemDelegate* delegate = _view->itemDelegate();
        std::unique_ptr<QWidget> widget(delegate->createEditor(_view->viewport(), {}, dirA()));
        auto* line = qobject_cast<QLineEdit*>(widget.get());
        QVERIFY(line);
        QVERIFY(!line->validator());
        delegate->setEditorData(line, dirA());
        QCOMPARE(line->text(), QString("A"));
        line->setText(typed);
        delegate->setModelData(line, _model.get(), dirA());
        QCOMPARE(dirA().data().toString(), stored);
        QCOMPARE(_model->isChanged(), stored != "A");
    }

    void rootHasNoEditor()
    {
        setRegistry({ "x" });
        QVERIFY(!_view->itemDelegate()->createEditor(_view->viewport(), {}, root()));
        _view->edit(root());
        QVERIFY(!editor(root()));
        QCOMPARE(root().data().toString(), QString("MyFuncBlocks"));
    }

    void dropsFollowTheItemFlags()
    {
        // The view lets a drag rest only on drop-enabled targets and turns a
        // drop onto any other item into a drop beside it, so these flags decide:
        // no entry gets a child, nothing lands beside the root, the root stays.
        const Qt::ItemFlags base = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
        QCOMPARE(_model->flags(root()), base | Qt::ItemIsDropEnabled);
        QCOMPARE(_model->flags(dirA()), base | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
        QCOMPARE(_model->flags(unitTop()), base | Qt::ItemIsDragEnabled);
        QCOMPARE(_model->flags(_view->rootIndex()), Qt::ItemFlags());
        QVERIFY(_model->supportedDropActions() & Qt::MoveAction);

        // Entries added later follow the same rules.
        QCOMPARE(_model->flags(_model->addUnit(dirA())), _model->flags(unitTop()));
        QCOMPARE(_model->flags(_model->addDirectory(dirA())), _model->flags(dirA()));
    }
};

FBM_TEST_MAIN(DeviceViewTest)
#include "tst_deviceview.moc"
