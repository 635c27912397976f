#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

namespace kiv::qt::gui::widgets {

// A line edit with a label on its left and, when there is something to say
// about the text, a note below it.
class LabeledLineEdit : public QWidget
{
    Q_OBJECT

public:
    explicit LabeledLineEdit(const QString& label, QWidget* parent = nullptr);

    QLineEdit* lineEdit() const { return _lineEdit; }

    // Shows text under the line edit, or nothing when text is empty. Screen
    // readers hear it as the line edit's description.
    void setNote(const QString& text);
    QString note() const;

signals:
    void textChanged(const QString& text);

private:
    QLabel* _label;
    QLineEdit* _lineEdit;
    QLabel* _note;
};

} // namespace kiv::qt::gui::widgets
