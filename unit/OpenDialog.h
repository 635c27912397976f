#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace unit {

// Lets the user choose a function block to open: one of the registry's
// blocks, found by any part of its id, or a unit.xml anywhere.
class OpenDialog : public QDialog
{
    Q_OBJECT

public:
    explicit OpenDialog(QWidget* parent = nullptr);

    // The unit description chosen; empty until the dialog is accepted.
    QString unitFile() const { return _unitFile; }
    // The unit description of a block the registry knows, as the list opens it.
    static QString unitFileOf(const QString& id);

private slots:
    void on_filter_textChanged(const QString& text);
    void on_otherFile_clicked();
    void updateButtons();
    void openCurrent();

private:
    QLineEdit* _filter;
    QTreeWidget* _blocks;
    QPushButton* _openButton;
    QPushButton* _otherFileButton;
    QString _unitFile;
};

} // namespace unit
