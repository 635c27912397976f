#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

namespace kiv::qt::gui::widgets {

// A line edit with a label on its left.
class LabeledLineEdit : public QWidget
{
    Q_OBJECT

public:
    explicit LabeledLineEdit(const QString& label, QWidget* parent = nullptr);

    QLineEdit* lineEdit() const { return _lineEdit; }

signals:
    void textChanged(const QString& text);

private:
    QLabel* _label;
    QLineEdit* _lineEdit;
};

} // namespace kiv::qt::gui::widgets
