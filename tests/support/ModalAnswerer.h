#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

class QFileDialog;
class QMessageBox;
class QWidget;

// Answers the modal dialogs that open while it lives, one answer each in
// turn, and records what every dialog showed. A dialog nobody expected is
// recorded too and dismissed with Escape, so that a test fails instead of
// hanging.
//
// A message box is recorded as "Icon|Title|Text|Buttons" (for example
// "Critical|Error|No vendor was specified!|OK"), a file dialog as
// "FileDialog|Title|Filters|own or native".
class ModalAnswerer : public QObject
{
public:
    // A message box answer is the name of a standard button ("Yes", "OK"...),
    // the text of another button, "Escape", or "Return" for the box's default
    // button; a file dialog answer is a path to pick, or "reject".
    explicit ModalAnswerer(const QStringList& answers = {});

    QStringList seen;
    // The detailed text of each message box seen, empty when it has none.
    QStringList details;
    // The parent widget of each dialog seen, in the same order.
    QList<QWidget*> parents;

private:
    void poll();
    void answerBox(QMessageBox* box, const QString& answer);
    void answerFileDialog(QFileDialog* dialog, const QString& answer);

    QStringList _answers;
    QTimer _timer;
    int _polledSinceAnswer = 0;
};
