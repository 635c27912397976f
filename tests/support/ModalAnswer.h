#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>

// Answers the next modal message box from a timer, as a user would: records
// its icon, title, text and buttons, then presses the chosen button (or
// presses Escape when the button is QMessageBox::NoButton).
// Timers stop with the object, so an unanswered box never outlives the test.
class ModalAnswer : public QObject
{
public:
    explicit ModalAnswer(QMessageBox::StandardButton button);

    bool shown() const { return _shown; }
    QMessageBox::Icon icon() const { return _icon; }
    QString title() const { return _title; }
    QString text() const { return _text; }
    QMessageBox::StandardButtons buttons() const { return _buttons; }
    QWidget* parent() const { return _parent; }

private:
    void poll(int attemptsLeft);

    QMessageBox::StandardButton _button;
    bool _shown = false;
    QMessageBox::Icon _icon = QMessageBox::NoIcon;
    QString _title;
    QString _text;
    QMessageBox::StandardButtons _buttons;
    QWidget* _parent = nullptr;
};
