#pragma once

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QString>
#include <QTest>
#include <QToolButton>

#include "kiv/qt/gui/widgets/LabeledLineEdit.h"
#include "unit/ConnectorEditor.h"
#include "unit/Designer.h"
#include "unit/StateVarEditor.h"

// The parts of a designer form, found where its layout puts them, and the
// steps a user takes on them.
class DesignerParts
{
public:
    explicit DesignerParts(unit::Designer* designer)
        : _designer(designer)
    {
    }

    // The form's own layout, inside the area that scrolls it.
    QLayout* formLayout() const { return scrollArea()->widget()->layout(); }
    QScrollArea* scrollArea() const { return _designer->findChild<QScrollArea*>(); }
    QLayoutItem* item(int index) const { return formLayout()->itemAt(index); }
    template <typename T> T* at(int index) const { return qobject_cast<T*>(item(index)->widget()); }
    QGroupBox* guiInfo() const { return at<QGroupBox>(3); }
    QLayout* iconRow() const { return guiInfo()->layout()->itemAt(1)->layout(); }
    // Below the scrolling form, always in sight.
    QLayout* buttonRow() const { return _designer->layout()->itemAt(1)->widget()->layout(); }

    QLineEdit* vendor() const { return at<kiv::qt::gui::widgets::LabeledLineEdit>(0)->lineEdit(); }
    QLineEdit* name() const { return at<kiv::qt::gui::widgets::LabeledLineEdit>(1)->lineEdit(); }
    QLineEdit* id() const { return at<kiv::qt::gui::widgets::LabeledLineEdit>(2)->lineEdit(); }
    QLineEdit* guiName() const
    {
        return qobject_cast<kiv::qt::gui::widgets::LabeledLineEdit*>(guiInfo()->layout()->itemAt(0)->widget())
            ->lineEdit();
    }
    QLineEdit* icon() const
    {
        return qobject_cast<kiv::qt::gui::widgets::LabeledLineEdit*>(iconRow()->itemAt(0)->widget())
            ->lineEdit();
    }
    QLineEdit* pluginBaseName() const { return at<kiv::qt::gui::widgets::LabeledLineEdit>(10)->lineEdit(); }
    QList<QLineEdit*> fields() const
    {
        return { vendor(), name(), id(), guiName(), icon(), pluginBaseName() };
    }
    QStringList texts() const
    {
        QStringList texts;
        for (const QLineEdit* field : fields())
            texts << field->text();
        return texts;
    }

    QCheckBox* inputsCheck() const { return at<QCheckBox>(4); }
    unit::ConnectorEditor* inputs() const { return at<unit::ConnectorEditor>(5); }
    QCheckBox* outputsCheck() const { return at<QCheckBox>(6); }
    unit::ConnectorEditor* outputs() const { return at<unit::ConnectorEditor>(7); }
    QCheckBox* stateVarsCheck() const { return at<QCheckBox>(8); }
    unit::StateVarEditor* stateVars() const { return at<unit::StateVarEditor>(9); }
    QList<QCheckBox*> sectionChecks() const { return { inputsCheck(), outputsCheck(), stateVarsCheck() }; }
    QCheckBox* withDialog() const { return at<QCheckBox>(11); }

    QPushButton* browse() const { return qobject_cast<QPushButton*>(iconRow()->itemAt(1)->widget()); }
    QPushButton* button(int index) const
    {
        return qobject_cast<QPushButton*>(buttonRow()->itemAt(index)->widget());
    }
    QPushButton* clear() const { return button(1); }
    QPushButton* autoFill() const { return button(2); }
    QPushButton* generate() const { return button(3); }
    QString enabledButtons() const
    {
        return QString("%1,%2").arg(autoFill()->isEnabled()).arg(generate()->isEnabled());
    }

    static void type(QLineEdit* field, const QString& text)
    {
        field->clear();
        QTest::keyClicks(field, text);
    }
    static void addRow(QWidget* editor)
    {
        for (QToolButton* button : editor->findChildren<QToolButton*>()) {
            if (button->objectName() == QLatin1String("addBtn"))
                QTest::mouseClick(button, Qt::LeftButton);
        }
    }

    // The widget with the keyboard focus as a screen reader names it, with
    // its kind: "field Vendor", "table Inputs", "button Add input"...
    static QString focusName()
    {
        QWidget* focus = QApplication::focusWidget();
        QAccessibleInterface* accessible = focus ? QAccessible::queryAccessibleInterface(focus) : nullptr;
        if (!accessible)
            return QStringLiteral("nothing");
        const QMap<QAccessible::Role, QString> kinds
            = { { QAccessible::EditableText, "field" }, { QAccessible::CheckBox, "check" },
                  { QAccessible::Table, "table" }, { QAccessible::PushButton, "button" } };
        return kinds.value(accessible->role(), QStringLiteral("other")) + ' '
            + accessible->text(QAccessible::Name);
    }
    // The form's window active, so that keys go where the focus is.
    bool activate() const
    {
        _designer->window()->activateWindow();
        return QTest::qWaitForWindowActive(_designer->window());
    }
    // Presses key where the focus is, as a keyboard does.
    static void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }

    // Vendor "Acme", name "My Block" and the derived fields, as a user fills them.
    void fillIn(const QString& vendorText = "Acme")
    {
        type(vendor(), vendorText);
        type(name(), "My Block");
        QTest::mouseClick(autoFill(), Qt::LeftButton);
    }

private:
    unit::Designer* _designer;
};
