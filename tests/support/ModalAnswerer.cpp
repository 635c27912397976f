#include "ModalAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMap>
#include <QMessageBox>
#include <QTest>

ModalAnswerer::ModalAnswerer(const QStringList& answers)
    : _answers(answers)
{
    connect(&_timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    _timer.start(10);
}

void ModalAnswerer::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    if (modal->property("answered").toBool()) {
        // An answer that did not close the dialog must not hang the test.
        if (++_polledSinceAnswer == 100) {
            seen << QStringLiteral("still open: ") + modal->windowTitle();
            modal->close();
        }
        return;
    }
    _polledSinceAnswer = 0;
    modal->setProperty("answered", true);
    parents << modal->parentWidget();
    const QString answer = _answers.isEmpty() ? QStringLiteral("Escape") : _answers.takeFirst();
    if (auto* box = qobject_cast<QMessageBox*>(modal))
        answerBox(box, answer);
    else if (auto* dialog = qobject_cast<QFileDialog*>(modal))
        answerFileDialog(dialog, answer);
    else
        seen << QStringLiteral("unknown dialog ") + modal->metaObject()->className();
}

void ModalAnswerer::answerBox(QMessageBox* box, const QString& answer)
{
    static const QMap<QMessageBox::Icon, QString> icons = {
        { QMessageBox::Critical, "Critical" },
        { QMessageBox::Question, "Question" },
        { QMessageBox::Information, "Information" },
        { QMessageBox::Warning, "Warning" },
    };
    static const QList<QPair<QMessageBox::StandardButton, QString>> names = {
        { QMessageBox::Ok, "OK" },
        { QMessageBox::Yes, "Yes" },
        { QMessageBox::No, "No" },
        { QMessageBox::Cancel, "Cancel" },
    };
    QStringList buttons;
    QAbstractButton* pressed = nullptr;
    for (const auto& [button, name] : names) {
        if (box->standardButtons() & button)
            buttons << name;
        if (name == answer)
            pressed = box->button(button);
    }
    // Buttons of the program's own, by their text; the box's own button
    // that shows the details is not an answer.
    const QString showDetails = QMessageBox::tr("Show Details...");
    for (QAbstractButton* button : box->buttons()) {
        if (box->standardButton(button) != QMessageBox::NoButton || button->text() == showDetails)
            continue;
        buttons << button->text();
        if (button->text() == answer)
            pressed = button;
    }
    seen << QStringList { icons.value(box->icon(), "NoIcon"), box->windowTitle(), box->text(),
        buttons.join(',') }
                .join('|');
    details << box->detailedText();
    if (pressed)
        pressed->click();
    else if (answer == QLatin1String("Return"))
        QTest::keyClick(box, Qt::Key_Return);
    else
        QTest::keyClick(box, Qt::Key_Escape);
}

void ModalAnswerer::answerFileDialog(QFileDialog* dialog, const QString& answer)
{
    seen << QStringList { "FileDialog", dialog->windowTitle(), dialog->nameFilters().join(';'),
        dialog->testOption(QFileDialog::DontUseNativeDialog) ? "own" : "native" }
                .join('|');
    if (answer == QLatin1String("reject") || answer == QLatin1String("Escape")) {
        dialog->reject();
        return;
    }
    // As if typed: selectFile() leaves a focused name field alone.
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText(answer);
    static_cast<QDialog*>(dialog)->accept();
}
