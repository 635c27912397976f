#pragma once

#include <QWidget>

class QCheckBox;
class QPushButton;

namespace kiv::qt::gui::widgets {
class LabeledLineEdit;
}

namespace unit {

class ConnectorEditor;
class StateVarEditor;

// The form in which the user describes a new function block and has its
// plug-in project generated.
class Designer : public QWidget
{
    Q_OBJECT

public:
    explicit Designer(QWidget* parent = nullptr);

private slots:
    void on_autoFill_clicked();
    void on_generate_clicked();
    void on_browseIcons_clicked();
    void on_textChanged();
    void clear();

private:
    kiv::qt::gui::widgets::LabeledLineEdit* _vendorEdit;
    kiv::qt::gui::widgets::LabeledLineEdit* _nameEdit;
    kiv::qt::gui::widgets::LabeledLineEdit* _idEdit;
    kiv::qt::gui::widgets::LabeledLineEdit* _guiNameEdit;
    kiv::qt::gui::widgets::LabeledLineEdit* _iconEdit;
    kiv::qt::gui::widgets::LabeledLineEdit* _pluginBaseNameEdit;
    QCheckBox* _withDialogCheck;
    ConnectorEditor* _inputEditor;
    ConnectorEditor* _outputEditor;
    StateVarEditor* _stateVarEditor;
    QCheckBox* _inputsCheck;
    QCheckBox* _outputsCheck;
    QCheckBox* _stateVarsCheck;
    QPushButton* _autoFillButton;
    QPushButton* _clearButton;
    QPushButton* _generateButton;
    QPushButton* _browseButton;
};

} // namespace unit
