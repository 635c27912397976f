#include "ModalAnswer.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

ModalAnswer::ModalAnswer(QMessageBox::StandardButton button)
    : _button(button)
{
    QTimer::singleShot(0, this, [this] { poll(500); });
}

void ModalAnswer::poll(int attemptsLeft)
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) {
        if (attemptsLeft > 0)
            QTimer::singleShot(10, this, [this, attemptsLeft] { poll(attemptsLeft - 1); });
        return;
    }
    _shown = true;
    _icon = box->icon();
    _title = box->windowTitle();
    _text = box->text();
    _buttons = box->standardButtons();
    _parent = box->parentWidget();
    if (_button == QMessageBox::NoButton)
        QTest::keyClick(box, Qt::Key_Escape);
    else
        box->button(_button)->click();
}
