#include "support/DeviceShape.h"
#include "support/InstalledUnits.h"
#include "support/TestMain.h"

#include "device/ItemDelegate.h"
#include "device/Model.h"
#include "device/View.h"

#include <QAbstractItemModelTester>
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>
#include <QUndoStack>

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
    std::unique_ptr<QAbstractItemModelTester> _tester;

    QModelIndex root() const { return _model->root(); }
    QModelIndex dirA() const { return _model->index(0, 0, root()); }
    QModelIndex unitTop() const { return _model->index(1, 0, root()); }

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

    QString shape() const { return deviceShape(*_model); }

    // A key as the user presses it, to whatever has the focus.
    static void key(int code, Qt::KeyboardModifiers modifiers = {})
    {
        QWidget* target = QApplication::focusWidget();
        QVERIFY(target);
        QTest::keyClick(target, Qt::Key(code), modifiers);
    }

    // A key as the platform delivers it: to an open list first.
    static void keyToActive(int code)
    {
        QWidget* popup = QApplication::activePopupWidget();
        QTest::keyClick(popup ? popup : QApplication::focusWidget(), Qt::Key(code));
    }

    QModelIndex at(const QList<int>& path) const
    {
        QModelIndex index;
        for (const int row : path)
            index = _model->index(row, 0, index);
        return index;
    }

    // Opens the menu by keyboard and reads it; the entry named by choose is taken.
    Menu menuByKey(int key, Qt::KeyboardModifiers modifiers, const QString& choose = {})
    {
        Menu menu;
        QTimer::singleShot(0, this, [&] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!popup)
                return;
            menu.shown = true;
            const QRect item = _view->visualRect(_view->currentIndex());
            const QPoint below = _view->viewport()->mapToGlobal(item.bottomLeft());
            // At the item, not where the mouse happens to be.
            QVERIFY(qAbs(popup->pos().y() - below.y()) <= item.height());
            for (QAction* action : popup->actions()) {
                menu.texts << action->text();
                if (action->text() == choose)
                    popup->setActiveAction(action);
            }
            if (choose.isEmpty())
                popup->close();
            else
                QTest::keyClick(popup, Qt::Key_Return);
        });
        QTest::keyClick(_view.get(), Qt::Key(key), modifiers);
        QCoreApplication::processEvents();
        return menu;
    }

private slots:
    void init()
    {
        _home.reset();
        installUnits({});
        _model = std::make_unique<Model>();
        _model->load(tree);
        _tester = std::make_unique<QAbstractItemModelTester>(
            _model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        _view = std::make_unique<View>(_model.get());
        _view->resize(400, 300);
        _view->show();
        _view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(_view.get()));
        _view->expand(root());
        _view->setFocus();
    }

    void cleanup()
    {
        _view.reset();
        _tester.reset();
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
        installUnits({ "c", "B", "a" });
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
        installUnits({ "c", "B", "a", "D" });
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
        installUnits({ "x" });
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

    void keyboardAddsRenamesAndRemoves()
    {
        installUnits({ "a", "b" });
        // On a function block entry, adding goes to its directory.
        _view->setCurrentIndex(unitTop());
        key(Qt::Key_Insert);
        QModelIndex added = _model->index(2, 0, root());
        QVERIFY(qobject_cast<QComboBox*>(editor(added)));
        key(Qt::Key_Return);
        QTRY_VERIFY(!editor(added));
        QCOMPARE(shape(), QString("R:MyFuncBlocks[D:A[D:A1 U:inA] U:top U:a]"));

        key(Qt::Key_Insert, Qt::ControlModifier);
        added = _model->index(1, 0, root());
        auto* line = qobject_cast<QLineEdit*>(editor(added));
        QVERIFY(line);
        QTest::keyClicks(line, "Motors");
        key(Qt::Key_Return);
        QTRY_VERIFY(!editor(added));
        QCOMPARE(_view->currentIndex(), added);
        QCOMPARE(added.data().toString(), QString("Motors"));

        // The second key for a directory; Escape keeps its name.
        key(Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
        const QModelIndex inner = _model->index(0, 0, added);
        QVERIFY(qobject_cast<QLineEdit*>(editor(inner)));
        key(Qt::Key_Escape);
        QTRY_VERIFY(!editor(inner));
        QCOMPARE(shape(), QString("R:MyFuncBlocks[D:A[D:A1 U:inA] D:Motors[D:New directory] U:top U:a]"));

        // While a name is edited, Delete and Insert belong to the text.
        _view->setCurrentIndex(added);
        key(Qt::Key_F2);
        line = qobject_cast<QLineEdit*>(editor(added));
        QVERIFY(line);
        line->setCursorPosition(0);
        key(Qt::Key_Delete);
        key(Qt::Key_Insert);
        QCOMPARE(line->text(), QString("otors"));
        key(Qt::Key_Return);
        QTRY_VERIFY(!editor(added));
        QCOMPARE(shape(), QString("R:MyFuncBlocks[D:A[D:A1 U:inA] D:otors[D:New directory] U:top U:a]"));

        // Delete takes the current item and moves on to its neighbour.
        key(Qt::Key_Delete);
        QCOMPARE(shape(), QString("R:MyFuncBlocks[D:A[D:A1 U:inA] U:top U:a]"));
        QCOMPARE(_view->currentIndex().data().toString(), QString("top"));
        key(Qt::Key_Delete);
        key(Qt::Key_Delete);
        QCOMPARE(shape(), QString("R:MyFuncBlocks[D:A[D:A1 U:inA]]"));

        // The root is neither removed nor renamed.
        _view->setCurrentIndex(root());
        key(Qt::Key_Delete);
        key(Qt::Key_F2);
        QVERIFY(!editor(root()));
        QCOMPARE(shape(), QString("R:MyFuncBlocks[D:A[D:A1 U:inA]]"));
    }

    void menuKeysOpenTheCurrentItemsMenu_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("menu key") << int(Qt::Key_Menu) << int(Qt::NoModifier);
        QTest::newRow("shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier);
    }

    void menuKeysOpenTheCurrentItemsMenu()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        const auto mods = Qt::KeyboardModifiers(modifiers);
        _view->setCurrentIndex(unitTop());
        QCOMPARE(menuByKey(key, mods).texts, QStringList { "Remove" });
        _view->setCurrentIndex(root());
        QCOMPARE(menuByKey(key, mods).texts, QStringList({ "Add directory", "Add function block" }));
        _view->setCurrentIndex(dirA());
        const Menu menu = menuByKey(key, mods, "Remove");
        QCOMPARE(menu.texts, QStringList({ "Add directory", "Add function block", "Remove" }));
        QCOMPARE(shape(), QString("R:MyFuncBlocks[U:top]"));
    }

    void rightClickOnAnExpandArrowActsOnThatItem()
    {
        // The arrow opens or closes without selecting, so the selection is
        // still elsewhere when the menu opens.
        _view->setCurrentIndex(unitTop());
        const QRect rect = _view->visualRect(dirA());
        const QPoint arrow(rect.left() - _view->indentation() / 2, rect.center().y());
        QCOMPARE(_view->indexAt(arrow), dirA());
        QTimer::singleShot(0, this, [&] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(popup);
            popup->setActiveAction(popup->actions().at(2));
            QTest::keyClick(popup, Qt::Key_Return);
        });
        QTest::mousePress(_view->viewport(), Qt::RightButton, {}, arrow);
        QTest::mouseRelease(_view->viewport(), Qt::RightButton, {}, arrow);
        QCoreApplication::processEvents();
        QCOMPARE(shape(), QString("R:MyFuncBlocks[U:top]"));
    }

    void undoAndRedoEveryEdit_data()
    {
        QTest::addColumn<QList<int>>("current");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("undoText");
        QTest::newRow("add directory") << QList<int> { 0, 0 } << "Ctrl+Ins"
                                       << "R:MyFuncBlocks[D:A[D:A1 D:New directory U:inA] U:top]"
                                       << "Undo Add directory";
        QTest::newRow("add function block") << QList<int> { 0, 0 } << "Ins"
                                            << "R:MyFuncBlocks[D:A[D:A1 U:inA U:a] U:top]"
                                            << "Undo Add function block a";
        QTest::newRow("remove with subtree") << QList<int> { 0, 0 } << "Del"
                                             << "R:MyFuncBlocks[U:top]"
                                             << "Undo Remove A";
        QTest::newRow("rename") << QList<int> { 0, 0, 0 } << "F2 rename"
                                << "R:MyFuncBlocks[D:A[D:Motors U:inA] U:top]"
                                << "Undo Rename A1";
        QTest::newRow("change id") << QList<int> { 0, 1 } << "F2 pick"
                                   << "R:MyFuncBlocks[D:A[D:A1 U:inA] U:b]"
                                   << "Undo Change top to b";
        QTest::newRow("move up") << QList<int> { 0, 0, 1 } << "Alt+Up"
                                 << "R:MyFuncBlocks[D:A[U:inA D:A1] U:top]"
                                 << "Undo Move inA";
        QTest::newRow("move down") << QList<int> { 0, 0 } << "Alt+Down"
                                   << "R:MyFuncBlocks[U:top D:A[D:A1 U:inA]]"
                                   << "Undo Move A";
        QTest::newRow("cut and paste") << QList<int> { 0, 1 } << "Cut A1 Paste"
                                       << "R:MyFuncBlocks[D:A[D:A1[U:top] U:inA]]"
                                       << "Undo Move top";
    }

    void undoAndRedoEveryEdit()
    {
        QFETCH(QList<int>, current);
        QFETCH(QString, edit);
        QFETCH(QString, after);
        QFETCH(QString, undoText);
        installUnits({ "a", "b" });
        _view->expandAll();
        const QString before = shape();
        _view->setCurrentIndex(at(current));

        if (edit == "Ctrl+Ins") {
            key(Qt::Key_Insert, Qt::ControlModifier);
            key(Qt::Key_Return);
        } else if (edit == "Ins") {
            key(Qt::Key_Insert);
            key(Qt::Key_Return);
        } else if (edit == "Del") {
            key(Qt::Key_Delete);
        } else if (edit == "F2 rename") {
            key(Qt::Key_F2);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(QApplication::focusWidget(), "Motors");
            key(Qt::Key_Return);
        } else if (edit == "F2 pick") {
            key(Qt::Key_F2);
            key(Qt::Key_Down);
            key(Qt::Key_Down);
            key(Qt::Key_Return);
        } else if (edit == "Alt+Up") {
            key(Qt::Key_Up, Qt::AltModifier);
        } else if (edit == "Alt+Down") {
            key(Qt::Key_Down, Qt::AltModifier);
        } else {
            key(Qt::Key_X, Qt::ControlModifier);
            _view->setCurrentIndex(at({ 0, 0, 0 }));
            key(Qt::Key_V, Qt::ControlModifier);
        }
        const auto* undo = _view->editActions().at(0);
        // Editors commit once the event loop runs again.
        QTRY_VERIFY(undo->isEnabled());
        QCOMPARE(shape(), after);
        QVERIFY(_model->isChanged());
        QCOMPARE(_model->undoStack()->count(), 1);
        QCOMPARE(undo->text(), undoText);

        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(shape(), before);
        QVERIFY(!_model->isChanged());
        key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(shape(), after);
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(shape(), before);
        key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(shape(), after);
        QVERIFY(_model->isChanged());
    }

    void cancelledNewEntryLeavesNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("after");
        const QString unchanged = "R:MyFuncBlocks[D:A[D:A1 U:inA] U:top]";
        QTest::newRow("escape") << "escape" << unchanged;
        QTest::newRow("focus lost untouched") << "focus" << unchanged;
        QTest::newRow("return takes the offered id") << "return"
                                                     << "R:MyFuncBlocks[D:A[D:A1 U:inA] U:top U:a]";
        QTest::newRow("picked, then focus lost") << "pick"
                                                 << "R:MyFuncBlocks[D:A[D:A1 U:inA] U:top U:b]";
    }

    void cancelledNewEntryLeavesNothing()
    {
        QFETCH(QString, how);
        QFETCH(QString, after);
        installUnits({ "a", "b" });
        _view->setCurrentIndex(root());
        key(Qt::Key_Insert);
        const QModelIndex added = _model->index(2, 0, root());
        auto* combo = qobject_cast<QComboBox*>(editor(added));
        QVERIFY(combo);
        QCOMPARE(combo->currentText(), QString("a"));
        if (how == "escape") {
            key(Qt::Key_Escape);
        } else if (how == "return") {
            key(Qt::Key_Return);
        } else {
            if (how == "pick")
                key(Qt::Key_Down);
            _view->setFocus();
        }
        QTRY_COMPARE(shape(), after);
        QCOMPARE(_model->undoStack()->count(), after == shape() && how != "escape" && how != "focus" ? 1 : 0);
        QCOMPARE(_model->isChanged(), _model->undoStack()->count() == 1);
        QVERIFY(!_model->newUnit().isValid());
    }

    void missingIdIsKeptUnlessAnotherIsPicked()
    {
        installUnits({ "x", "inA" });
        const QString tip = "No function block with the id top is installed.";
        QCOMPARE(unitTop().data(Qt::ToolTipRole).toString(), tip);
        QVERIFY(!unitTop().data(Qt::DecorationRole).value<QIcon>().isNull());
        const QModelIndex known = _model->index(1, 0, dirA());
        QVERIFY(!known.data(Qt::DecorationRole).isValid());
        QVERIFY(!known.data(Qt::ToolTipRole).isValid());

        _view->setCurrentIndex(unitTop());
        key(Qt::Key_F2);
        auto* combo = qobject_cast<QComboBox*>(editor(unitTop()));
        QVERIFY(combo);
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->currentIndex(), 0);
        QCOMPARE(combo->itemText(0), QString("top"));
        QCOMPARE(combo->itemData(0, Qt::ToolTipRole).toString(), tip);
        QVERIFY(!combo->itemIcon(0).isNull());
        // Left without a choice: the id stays, and nothing changed.
        _view->setFocus();
        QTRY_VERIFY(!editor(unitTop()));
        QCOMPARE(unitTop().data().toString(), QString("top"));
        QVERIFY(!_model->isChanged());

        key(Qt::Key_F2);
        key(Qt::Key_Down);
        key(Qt::Key_Return);
        QTRY_VERIFY(!editor(unitTop()));
        QCOMPARE(unitTop().data().toString(), QString("inA"));
        QCOMPARE(_model->undoStack()->count(), 1);
    }

    void pickerFindsIdsByAnyPart()
    {
        QStringList ids;
        for (int i = 0; i < 60; ++i)
            ids << QString("Block %1").arg(i, 2, 10, QChar('0'));
        ids << "Examples Gain"
            << "Other gain";
        installUnits(ids);
        _view->setCurrentIndex(root());
        key(Qt::Key_Insert);
        const QModelIndex added = _model->index(2, 0, root());
        auto* combo = qobject_cast<QComboBox*>(editor(added));
        QVERIFY(combo);
        // As tall as a combo box is, whatever the row.
        QCOMPARE(combo->height(), combo->sizeHint().height());
        QCOMPARE(combo->maxVisibleItems(), 20);

        QTest::keyClicks(combo, "GAI");
        QCompleter* completer = combo->completer();
        QVERIFY(completer);
        QTRY_VERIFY(completer->popup()->isVisible());
        QStringList found;
        for (int row = 0; row < completer->completionModel()->rowCount(); ++row)
            found << completer->completionModel()->index(row, 0).data().toString();
        QCOMPARE(found, QStringList({ "Examples Gain", "Other gain" }));

        QTest::keyClick(completer->popup(), Qt::Key_Down);
        QTest::keyClick(completer->popup(), Qt::Key_Down);
        QTest::keyClick(completer->popup(), Qt::Key_Return);
        QTRY_VERIFY(!editor(added));
        QCOMPARE(added.data().toString(), QString("Other gain"));

        // (The offscreen platform gives the focus back to no one after a popup.)
        _view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(_view.get()));
        _view->setFocus();

        // The full list shows 20 rows and scrolls for the rest.
        key(Qt::Key_F2);
        combo = qobject_cast<QComboBox*>(editor(added));
        QVERIFY(combo);
        combo->showPopup();
        auto* list = combo->view();
        QTRY_VERIFY(list->isVisible());
        const int rows = list->viewport()->height() / list->sizeHintForRow(0);
        QVERIFY2(rows >= 18 && rows <= 21, qPrintable(QString::number(rows)));
        QVERIFY(list->verticalScrollBar()->maximum() > 0);
        combo->hidePopup();
        key(Qt::Key_Escape);
    }

    void oneReturnTakesAnId_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("downs");
        QTest::addColumn<QString>("stored");
        QTest::newRow("one match") << "gam" << 0 << "Gamma";
        QTest::newRow("several, none highlighted") << "VALV" << 0 << "Acme Valve";
        QTest::newRow("several, second highlighted") << "valv" << 2 << "Beta valve";
        QTest::newRow("no match") << "pump" << 0 << "";
    }

    void oneReturnTakesAnId()
    {
        QFETCH(QString, typed);
        QFETCH(int, downs);
        QFETCH(QString, stored);
        installUnits({ "Acme Valve", "Beta valve", "Gamma" });
        _view->setCurrentIndex(root());
        key(Qt::Key_Insert);
        const QPersistentModelIndex added = _model->index(2, 0, root());
        auto* combo = qobject_cast<QComboBox*>(editor(added));
        QVERIFY(combo);
        QTest::keyClicks(combo, typed);
        for (int i = 0; i < downs; ++i)
            keyToActive(Qt::Key_Down);
        keyToActive(Qt::Key_Return);
        // With no match the picker stays and says why; Escape drops the entry.
        QCOMPARE(editor(added) == combo, stored.isEmpty());
        if (stored.isEmpty()) {
            QCOMPARE(combo->toolTip(), QString("No installed function block matches pump."));
            key(Qt::Key_Escape);
        }
        QTRY_COMPARE(_model->index(2, 0, root()).data().toString(), stored);
        QCOMPARE(_model->undoStack()->count(), stored.isEmpty() ? 0 : 1);
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(_model->rowCount(root()), 2);
        key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(_model->index(2, 0, root()).data().toString(), stored);
    }

    void missingEntriesAreFoundInClosedDirectories()
    {
        installUnits({ "A1" });
        _view->collapse(dirA());
        const QString tip = "Entries in this directory naming function blocks that are not installed: %1";
        QCOMPARE(root().data(Qt::ToolTipRole).toString(), tip.arg(2));
        QCOMPARE(dirA().data(Qt::ToolTipRole).toString(), tip.arg(1));
        QVERIFY(!_model->index(0, 0, dirA()).data(Qt::ToolTipRole).isValid());

        // In the order the tree shows them, round to the top after the last.
        _view->setCurrentIndex(root());
        for (const char* id : { "inA", "top", "inA" }) {
            key(Qt::Key_F8);
            QCOMPARE(_view->currentIndex().data().toString(), id);
        }
        QVERIFY(_view->isExpanded(dirA()));
        installUnits({ "A1", "inA", "top" });
        QVERIFY(!root().data(Qt::ToolTipRole).isValid());
    }

    void screenReaderNamesTheTreeAndMissingEntries()
    {
        installUnits({ "inA" });
        QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(_view.get());
        QVERIFY(tree);
        QCOMPARE(tree->text(QAccessible::Name), QString("Device"));
        QCOMPARE(tree->tableInterface()->columnDescription(0), QString("Directories and function blocks"));
        QStringList described;
        for (int i = 0; i < tree->childCount(); ++i) {
            const QAccessibleInterface* cell = tree->child(i);
            if (cell->role() != QAccessible::ColumnHeader && !cell->text(QAccessible::Description).isEmpty())
                described << cell->text(QAccessible::Name) + ": " + cell->text(QAccessible::Description);
        }
        QCOMPARE(described.join('|'),
            "MyFuncBlocks: " + root().data(Qt::ToolTipRole).toString()
                + "|top: No function block with the id top is installed.");
    }
};

FBM_TEST_MAIN(DeviceViewTest)
#include "tst_deviceview.moc"
