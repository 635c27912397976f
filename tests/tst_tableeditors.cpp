#include "support/TestMain.h"

#include "unit/ConnectorEditor.h"
#include "unit/StateVarEditor.h"

#include <QAbstractItemDelegate>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMap>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolButton>

#include <limits>
#include <memory>

namespace {

// Both editors driven through one interface, as a user sees them: the
// buttons, the table and the cell editors the delegate hands out.
class Subject
{
public:
    explicit Subject(const QString& kind, const QString& namePrefix = QStringLiteral("in"),
        const QString& descriptionPrefix = QStringLiteral("Input"))
    {
        if (kind == QLatin1String("connector")) {
            _connector = new unit::ConnectorEditor(namePrefix, descriptionPrefix);
            _widget.reset(_connector);
            prefix = namePrefix;
            defaultColumn = 3;
        } else {
            _stateVar = new unit::StateVarEditor;
            _widget.reset(_stateVar);
            prefix = QStringLiteral("var");
            defaultColumn = 2;
        }
        table = _widget->findChild<QTableWidget*>();
        _widget->resize(700, 500);
        _widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(_widget.get()));
    }

    QWidget* widget() const { return _widget.get(); }
    unit::ConnectorEditor* connector() const { return _connector; }

    int count() const { return _connector ? _connector->numConnectors() : _stateVar->numStateVars(); }
    QString name(int row) const { return _connector ? _connector->name(row) : _stateVar->name(row); }
    QString type(int row) const { return _connector ? _connector->type(row) : _stateVar->type(row); }
    QString defaultValue(int row) const
    {
        return _connector ? _connector->defaultValue(row) : _stateVar->defaultValue(row);
    }
    QVariant rememberedType(int row) const { return table->item(row, defaultColumn)->data(Qt::UserRole); }

    QToolButton* button(const QString& accessibleName) const
    {
        for (QToolButton* button : _widget->findChildren<QToolButton*>()) {
            if (button->accessibleName() == accessibleName)
                return button;
        }
        return nullptr;
    }
    void click(const QString& accessibleName, int times = 1) const
    {
        for (int i = 0; i < times; ++i)
            QTest::mouseClick(button(accessibleName), Qt::LeftButton);
    }
    QString enabledButtons() const
    {
        QStringList names;
        for (const char* name : { "Add", "Remove", "Move up", "Move down" }) {
            if (button(name)->isEnabled())
                names << name;
        }
        return names.join(',');
    }

    void clickCell(int row, int column) const
    {
        QTableWidgetItem* item = table->item(row, column);
        table->scrollToItem(item);
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualItemRect(item).center());
    }

    QModelIndex index(int row, int column) const { return table->model()->index(row, column); }
    QWidget* open(int row, int column) const
    {
        QWidget* editor = table->itemDelegate()->createEditor(table->viewport(), {}, index(row, column));
        if (editor)
            table->itemDelegate()->setEditorData(editor, index(row, column));
        return editor;
    }
    void commit(QWidget* editor, int row, int column) const
    {
        table->itemDelegate()->setModelData(editor, table->model(), index(row, column));
        delete editor;
    }
    void type(int row, int column, const QString& text) const
    {
        auto* edit = qobject_cast<QLineEdit*>(open(row, column));
        QVERIFY(edit);
        edit->selectAll();
        QTest::keyClicks(edit, text);
        if (text.isEmpty())
            edit->clear();
        commit(edit, row, column);
    }
    void choose(int row, int column, const QString& text) const
    {
        auto* combo = qobject_cast<QComboBox*>(open(row, column));
        QVERIFY(combo);
        combo->setCurrentIndex(combo->findText(text));
        QCOMPARE(combo->currentText(), text);
        commit(combo, row, column);
    }
    void setDouble(int row, double value) const
    {
        auto* spin = qobject_cast<QDoubleSpinBox*>(open(row, defaultColumn));
        QVERIFY(spin);
        spin->setValue(value);
        commit(spin, row, defaultColumn);
    }

    QTableWidget* table = nullptr;
    QString prefix;
    int defaultColumn = 0;

private:
    std::unique_ptr<QWidget> _widget;
    unit::ConnectorEditor* _connector = nullptr;
    unit::StateVarEditor* _stateVar = nullptr;
};

} // namespace

class TableEditorsTest : public QObject
{
    Q_OBJECT

private slots:
    void resourcesAndNames()
    {
        for (const char* icon : { "add", "remove", "up", "down" }) {
            const QPixmap pixmap(QStringLiteral(":/icons/%1.png").arg(icon));
            QCOMPARE(pixmap.size(), QSize(16, 16));
        }
        Subject connector("connector");
        Subject stateVar("statevar");
        QCOMPARE(connector.widget()->metaObject()->className(), "unit::ConnectorEditor");
        QCOMPARE(stateVar.widget()->metaObject()->className(), "unit::StateVarEditor");
        for (const Subject* subject : { &connector, &stateVar }) {
            for (const char* name : { "Add", "Remove", "Move up", "Move down" }) {
                QToolButton* button = subject->button(name);
                QVERIFY2(button, name);
                QVERIFY(!button->icon().isNull());
                QVERIFY(button->text().isEmpty());
                QCOMPARE(button->toolTip(), QString(name));
            }
            QVERIFY(subject->table->verticalHeader()->isHidden());
        }
    }

    void newRows_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("connector") << QStringLiteral("connector");
        QTest::newRow("statevar") << QStringLiteral("statevar");
    }
    void newRows()
    {
        QFETCH(QString, kind);
        Subject s(kind);
        s.click("Add", 2);
        QCOMPARE(s.count(), 2);
        QCOMPARE(s.name(1), s.prefix + "1");
        QCOMPARE(s.type(1), QStringLiteral("float"));
        QCOMPARE(s.defaultValue(1), QStringLiteral("0"));
        for (int column = 0; column < s.table->columnCount(); ++column) {
            const QVariant remembered = s.table->item(0, column)->data(Qt::UserRole);
            QCOMPARE(remembered, column == s.defaultColumn ? QVariant(QStringLiteral("float")) : QVariant());
        }
        if (s.connector()) {
            QCOMPARE(s.connector()->description(1), QStringLiteral("Input 1"));
            QVERIFY(!s.connector()->hidden(1));
        }
        // Adding neither selects the new row nor opens an editor.
        QCOMPARE(s.table->currentRow(), -1);
        QVERIFY(s.table->viewport()->findChildren<QWidget*>().isEmpty());
    }

    void smallestFreeNumber_data() { newRows_data(); }
    void smallestFreeNumber()
    {
        QFETCH(QString, kind);
        Subject s(kind);
        s.click("Add", 3);
        s.clickCell(1, 0);
        s.click("Remove");
        s.click("Add");
        QCOMPARE(s.name(2), s.prefix + "1");

        s.clickCell(0, 0);
        s.click("Remove");
        s.click("Add");
        QCOMPARE(s.name(2), s.prefix + "0");

        // Taken names compare exactly: an upper-case twin leaves the number free.
        s.type(2, 0, s.prefix.toUpper() + "0");
        QCOMPARE(s.name(2), s.prefix.toUpper() + "0");
        s.click("Add");
        QCOMPARE(s.name(3), s.prefix + "0");

        s.click("Add", 8);
        QCOMPARE(s.count(), 12);
        QCOMPARE(s.name(11), s.prefix + "10");
    }

    void connectorPrefixes_data()
    {
        QTest::addColumn<QString>("namePrefix");
        QTest::addColumn<QString>("descriptionPrefix");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        // clang-format off
        QTest::newRow("outputs") << "out" << "Output" << "out0" << "Output 0";
        QTest::newRow("no name prefix") << "" << "Input" << "con0" << "Input 0";
        QTest::newRow("no description prefix") << "in" << "" << "in0" << "in0";
        // clang-format on
    }
    void connectorPrefixes()
    {
        QFETCH(QString, namePrefix);
        QFETCH(QString, descriptionPrefix);
        Subject s("connector", namePrefix, descriptionPrefix);
        s.click("Add");
        QTEST(s.connector()->name(0), "name");
        QTEST(s.connector()->description(0), "description");
    }

    void nameRules_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        // clang-format off
        for (const QString kind : { "connector", "statevar" }) {
            const QString p = kind == "connector" ? "in" : "var";
            const QByteArray tag = kind.toLatin1() + '/';
            QTest::newRow(tag + "empty") << kind << "" << p + "1";
            QTest::newRow(tag + "blanks") << kind << "   " << p + "1";
            QTest::newRow(tag + "other row in other case") << kind << p.toUpper() + "0" << p + "1";
            QTest::newRow(tag + "other row with blanks") << kind << " " + p + "0 " << p + "1";
            QTest::newRow(tag + "own name in other case") << kind << p.toUpper() + "1" << p.toUpper() + "1";
            QTest::newRow(tag + "kept untrimmed") << kind << " speed " << " speed ";
        }
        // clang-format on
    }
    void nameRules()
    {
        QFETCH(QString, kind);
        QFETCH(QString, typed);
        Subject s(kind);
        s.click("Add", 2);
        s.type(1, 0, typed);
        QTEST(s.name(1), "expected");
        QCOMPARE(s.name(0), s.prefix + "0");
    }

    void descriptionRule()
    {
        Subject s("connector");
        s.click("Add");
        s.type(0, 2, "   ");
        QCOMPARE(s.connector()->description(0), QStringLiteral("Input 0"));
        s.type(0, 2, "");
        QCOMPARE(s.connector()->description(0), QStringLiteral("Input 0"));
        s.type(0, 2, " set point ");
        QCOMPARE(s.connector()->description(0), QStringLiteral(" set point "));
    }

    void typeChange_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("expected");
        // clang-format off
        for (const QString kind : { "connector", "statevar" }) {
            const QByteArray tag = kind.toLatin1() + '/';
            QTest::newRow(tag + "float to bool") << kind << "float" << "bool" << "false";
            QTest::newRow(tag + "bool to uint32") << kind << "bool" << "uint32" << "0";
            QTest::newRow(tag + "float to int32") << kind << "float" << "int32" << "0";
            QTest::newRow(tag + "float again") << kind << "float" << "float" << "2.5";
            QTest::newRow(tag + "bool again") << kind << "bool" << "bool" << "true";
        }
        // clang-format on
    }
    void typeChange()
    {
        QFETCH(QString, kind);
        QFETCH(QString, from);
        QFETCH(QString, to);
        Subject s(kind);
        s.click("Add");
        if (from == QLatin1String("float")) {
            s.setDouble(0, 2.5);
        } else {
            s.choose(0, 1, from);
            s.choose(0, s.defaultColumn, "true");
        }
        s.choose(0, 1, to);
        QCOMPARE(s.type(0), to);
        QTEST(s.defaultValue(0), "expected");
        QCOMPARE(s.rememberedType(0).toString(), to);
    }

    void moves_data() { newRows_data(); }
    void moves()
    {
        QFETCH(QString, kind);
        Subject s(kind);
        s.click("Add", 3);
        s.setDouble(0, 2.5);
        s.choose(1, 1, "bool");
        s.choose(1, s.defaultColumn, "true");
        if (s.connector())
            s.choose(0, 4, "true");
        QSignalSpy changes(s.table, &QTableWidget::itemChanged);

        s.clickCell(0, 1);
        s.click("Move down");
        QCOMPARE(s.name(0), s.prefix + "1");
        QCOMPARE(s.type(0), QStringLiteral("bool"));
        QCOMPARE(s.defaultValue(0), QStringLiteral("true"));
        QCOMPARE(s.name(1), s.prefix + "0");
        QCOMPARE(s.type(1), QStringLiteral("float"));
        QCOMPARE(s.defaultValue(1), QStringLiteral("2.5"));
        QCOMPARE(s.rememberedType(0).toString(), QStringLiteral("bool"));
        QCOMPARE(s.rememberedType(1).toString(), QStringLiteral("float"));
        if (s.connector()) {
            QCOMPARE(s.connector()->description(1), QStringLiteral("Input 0"));
            QVERIFY(s.connector()->hidden(1));
            QVERIFY(!s.connector()->hidden(0));
        }
        QCOMPARE(changes.count(), 0);
        QCOMPARE(s.table->currentRow(), 1);
        QCOMPARE(s.table->currentColumn(), 1);
        QVERIFY(s.table->item(1, 1)->isSelected());

        // The remembered types travelled: choosing the same type keeps each value.
        s.choose(1, 1, "float");
        s.choose(0, 1, "bool");
        QCOMPARE(s.defaultValue(1), QStringLiteral("2.5"));
        QCOMPARE(s.defaultValue(0), QStringLiteral("true"));

        s.click("Move down");
        QCOMPARE(s.name(2), s.prefix + "0");
        QCOMPARE(s.table->currentRow(), 2);
        s.click("Move up", 2);
        QCOMPARE(s.name(0), s.prefix + "0");
        QCOMPARE(s.defaultValue(0), QStringLiteral("2.5"));
        QCOMPARE(s.table->currentRow(), 0);
    }

    void buttonStates_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("enabled");
        // clang-format off
        for (const QString kind : { "connector", "statevar" }) {
            const QByteArray tag = kind.toLatin1() + '/';
            QTest::newRow(tag + "empty") << kind << 0 << -1 << "Add";
            QTest::newRow(tag + "rows, none current") << kind << 3 << -1 << "Add";
            QTest::newRow(tag + "one row") << kind << 1 << 0 << "Add,Remove";
            QTest::newRow(tag + "first") << kind << 3 << 0 << "Add,Remove,Move down";
            QTest::newRow(tag + "middle") << kind << 3 << 1 << "Add,Remove,Move up,Move down";
            QTest::newRow(tag + "last") << kind << 3 << 2 << "Add,Remove,Move up";
        }
        // clang-format on
    }
    void buttonStates()
    {
        QFETCH(QString, kind);
        QFETCH(int, rows);
        QFETCH(int, current);
        Subject s(kind);
        s.click("Add", rows);
        if (current >= 0)
            s.clickCell(current, 0);
        QTEST(s.enabledButtons(), "enabled");
    }

    void buttonStatesFollowActions_data() { newRows_data(); }
    void buttonStatesFollowActions()
    {
        QFETCH(QString, kind);
        Subject s(kind);
        s.click("Add", 2);
        s.clickCell(0, 0);
        s.click("Move down");
        QCOMPARE(s.enabledButtons(), QStringLiteral("Add,Remove,Move up"));
        s.click("Remove");
        QCOMPARE(s.count(), 1);
        QCOMPARE(s.enabledButtons(), QStringLiteral("Add,Remove"));
        s.click("Add");
        QCOMPARE(s.enabledButtons(), QStringLiteral("Add,Remove,Move down"));
        s.click("Remove", 2);
        QCOMPARE(s.count(), 0);
        QCOMPARE(s.enabledButtons(), QStringLiteral("Add"));
    }

    void clearEmptiesAndRestarts_data() { newRows_data(); }
    void clearEmptiesAndRestarts()
    {
        QFETCH(QString, kind);
        Subject s(kind);
        s.click("Add", 3);
        s.clickCell(1, 0);
        if (s.connector())
            s.connector()->clear();
        else
            static_cast<unit::StateVarEditor*>(s.widget())->clear();
        QCOMPARE(s.count(), 0);
        QCOMPARE(s.table->currentRow(), -1);
        QCOMPARE(s.enabledButtons(), QStringLiteral("Add"));
        QStringList headers;
        for (int column = 0; column < s.table->columnCount(); ++column)
            headers << s.table->horizontalHeaderItem(column)->text();
        QCOMPARE(headers,
            s.connector() ? QStringList({ "Name", "Type", "Description", "Default value", "Hidden" })
                          : QStringList({ "Name", "Type", "Default value" }));
        s.click("Add");
        QCOMPARE(s.name(0), s.prefix + "0");
    }

    void cellEditors_data() { newRows_data(); }
    void cellEditors()
    {
        QFETCH(QString, kind);
        Subject s(kind);
        s.click("Add");

        std::unique_ptr<QWidget> name(s.open(0, 0));
        auto* edit = qobject_cast<QLineEdit*>(name.get());
        QVERIFY(edit);
        QCOMPARE(edit->text(), s.prefix + "0");
        QVERIFY(!edit->validator());
        QVERIFY(edit->inputMask().isEmpty());

        std::unique_ptr<QWidget> type(s.open(0, 1));
        auto* combo = qobject_cast<QComboBox*>(type.get());
        QVERIFY(combo);
        QVERIFY(!combo->isEditable());
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        QCOMPARE(items, QStringList({ "float", "int32", "uint32", "bool" }));
        QCOMPARE(combo->currentText(), QStringLiteral("float"));

        // An editor of another class than the column asks for is left alone.
        QLineEdit stranger(QStringLiteral("untouched"));
        s.table->itemDelegate()->setEditorData(&stranger, s.index(0, 1));
        QCOMPARE(stranger.text(), QStringLiteral("untouched"));
        s.table->itemDelegate()->setModelData(&stranger, s.table->model(), s.index(0, 1));
        QCOMPARE(s.type(0), QStringLiteral("float"));

        if (s.connector()) {
            std::unique_ptr<QWidget> hidden(s.open(0, 4));
            auto* hiddenCombo = qobject_cast<QComboBox*>(hidden.get());
            QVERIFY(hiddenCombo);
            QCOMPARE(hiddenCombo->count(), 2);
            QCOMPARE(hiddenCombo->itemText(0), QStringLiteral("false"));
            QCOMPARE(hiddenCombo->itemText(1), QStringLiteral("true"));
        }
    }

    void defaultValueEditors_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("type");
        QTest::addColumn<double>("minimum");
        QTest::addColumn<double>("maximum");
        // clang-format off
        for (const QString kind : { "connector", "statevar" }) {
            const QByteArray tag = kind.toLatin1() + '/';
            QTest::newRow(tag + "float") << kind << "float" << -1e9 << 1e9;
            QTest::newRow(tag + "int32") << kind << "int32" << -2147483648.0 << 2147483647.0;
            QTest::newRow(tag + "uint32") << kind << "uint32" << 0.0 << 4294967295.0;
            QTest::newRow(tag + "bool") << kind << "bool" << 0.0 << 0.0;
            QTest::newRow(tag + "unknown") << kind << "double" << 0.0 << 0.0;
        }
        // clang-format on
    }
    void defaultValueEditors()
    {
        QFETCH(QString, kind);
        QFETCH(QString, type);
        QFETCH(double, minimum);
        QFETCH(double, maximum);
        Subject s(kind);
        s.click("Add");
        if (type == QLatin1String("double"))
            s.table->item(0, 1)->setText(type); // not offered by the combo box
        else
            s.choose(0, 1, type);
        std::unique_ptr<QWidget> editor(s.open(0, s.defaultColumn));
        if (type == QLatin1String("double")) {
            QVERIFY(!editor);
        } else if (type == QLatin1String("bool")) {
            auto* combo = qobject_cast<QComboBox*>(editor.get());
            QVERIFY(combo);
            QCOMPARE(combo->count(), 2);
            QCOMPARE(combo->currentText(), QStringLiteral("false"));
        } else if (auto* spin = qobject_cast<QDoubleSpinBox*>(editor.get())) {
            QVERIFY(type != QLatin1String("int32"));
            QCOMPARE(spin->minimum(), minimum);
            QCOMPARE(spin->maximum(), maximum);
            QCOMPARE(spin->decimals(), type == QLatin1String("float") ? 6 : 0);
            QCOMPARE(spin->singleStep(), 1.0);
        } else {
            auto* intSpin = qobject_cast<QSpinBox*>(editor.get());
            QVERIFY(intSpin);
            QCOMPARE(double(intSpin->minimum()), minimum);
            QCOMPARE(double(intSpin->maximum()), maximum);
            QCOMPARE(intSpin->singleStep(), 1);
        }
    }

    void numbersStoredAndRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        // clang-format off
        for (const QString kind : { "connector", "statevar" }) {
            const QByteArray tag = kind.toLatin1() + '/';
            QTest::newRow(tag + "2.50") << kind << "float" << "2.50" << "2.5";
            QTest::newRow(tag + "3.00") << kind << "float" << "3.00" << "3";
            QTest::newRow(tag + "0.10") << kind << "float" << "0.10" << "0.1";
            QTest::newRow(tag + "float 123.456") << kind << "float" << "123.456" << "123.456";
            QTest::newRow(tag + "float six decimals") << kind << "float" << "-0.000001" << "-1e-06";
            QTest::newRow(tag + "float negative") << kind << "float" << "-2.5" << "-2.5";
            QTest::newRow(tag + "float highest") << kind << "float" << "999999999.999999" << "999999999.999999";
            QTest::newRow(tag + "float lowest") << kind << "float" << "-1000000000" << "-1000000000";
            // Keys beyond the range or the decimals are refused as they are typed.
            QTest::newRow(tag + "float seventh decimal") << kind << "float" << "0.1234567" << "0.123456";
            QTest::newRow(tag + "float beyond") << kind << "float" << "10000000000" << "1000000000";
            QTest::newRow(tag + "int32 lowest") << kind << "int32" << "-2147483648" << "-2147483648";
            QTest::newRow(tag + "int32 beyond") << kind << "int32" << "2147483648" << "214748364";
            QTest::newRow(tag + "uint32 above int") << kind << "uint32" << "4000000000" << "4000000000";
            QTest::newRow(tag + "uint32 highest") << kind << "uint32" << "4294967295" << "4294967295";
            QTest::newRow(tag + "uint32 beyond") << kind << "uint32" << "4294967296" << "429496729";
            QTest::newRow(tag + "uint32 negative") << kind << "uint32" << "-5" << "0";
        }
        // clang-format on
    }
    void numbersStoredAndRead()
    {
        QFETCH(QString, kind);
        QFETCH(QString, type);
        QFETCH(QString, typed);
        Subject s(kind);
        s.click("Add");
        s.choose(0, 1, type);
        auto* spin = qobject_cast<QAbstractSpinBox*>(s.open(0, s.defaultColumn));
        QVERIFY(spin);
        spin->selectAll();
        QTest::keyClicks(spin, typed);
        s.commit(spin, 0, s.defaultColumn);
        QTEST(s.defaultValue(0), "expected");
        // A number equal to the text "0" already there leaves the cell as it was.
        const QVariant stored = s.table->item(0, s.defaultColumn)->data(Qt::EditRole);
        const QMap<QString, int> storedTypes = { { "float", QMetaType::Double }, { "int32", QMetaType::Int },
            { "uint32", QMetaType::LongLong } };
        if (stored != QVariant(QStringLiteral("0")))
            QCOMPARE(stored.typeId(), storedTypes.value(type));
    }

    void cellValuesLoadIntoEditors_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("shown");
        // clang-format off
        for (const QString kind : { "connector", "statevar" }) {
            const QByteArray tag = kind.toLatin1() + '/';
            QTest::newRow(tag + "float") << kind << "float" << "12.25" << "12.250000";
            QTest::newRow(tag + "float negative") << kind << "float" << "-4" << "-4.000000";
            QTest::newRow(tag + "float below range") << kind << "float" << "-2e9" << "-1000000000.000000";
            QTest::newRow(tag + "uint32 above int") << kind << "uint32" << "4294967295" << "4294967295";
            QTest::newRow(tag + "int32 negative") << kind << "int32" << "-7" << "-7";
            QTest::newRow(tag + "uint32 negative") << kind << "uint32" << "-7" << "0";
            QTest::newRow(tag + "bool exact") << kind << "bool" << "true" << "true";
            QTest::newRow(tag + "bool other case") << kind << "bool" << "TRUE" << "";
        }
        // clang-format on
    }
    void cellValuesLoadIntoEditors()
    {
        QFETCH(QString, kind);
        QFETCH(QString, type);
        QFETCH(QString, cell);
        Subject s(kind);
        s.click("Add");
        s.choose(0, 1, type);
        s.table->item(0, s.defaultColumn)->setText(cell);
        std::unique_ptr<QWidget> editor(s.open(0, s.defaultColumn));
        if (auto* combo = qobject_cast<QComboBox*>(editor.get()))
            QTEST(combo->currentText(), "shown");
        else if (auto* spin = qobject_cast<QAbstractSpinBox*>(editor.get()))
            QTEST(spin->text(), "shown");
        else
            QFAIL("no editor");
    }

    void hiddenReadsExactTrue()
    {
        Subject s("connector");
        s.click("Add");
        s.choose(0, 4, "true");
        QVERIFY(s.connector()->hidden(0));
        for (const char* text : { "True", "TRUE", "1", " true" }) {
            s.table->item(0, 4)->setText(text);
            QVERIFY2(!s.connector()->hidden(0), text);
        }
    }
};

FBM_TEST_MAIN(TableEditorsTest)
#include "tst_tableeditors.moc"
