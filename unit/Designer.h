#pragma once

#include <QStringList>
#include <QWidget>

class QCheckBox;
class QPushButton;

namespace kiv::qt::gui::widgets {
class LabeledLineEdit;
}

namespace unit {

class ConnectorEditor;
class Generator;
class StateVarEditor;
class UnitFile;

// The form in which the user describes a new function block and has its
// plug-in project generated.
class Designer : public QWidget
{
    Q_OBJECT

public:
    explicit Designer(QWidget* parent = nullptr);

    // Fills the form with the function block that unitFile describes, so that
    // it can be changed and generated again in its own directory. Asks first
    // when the form holds input; tells the user what the file holds beyond
    // the form. False when nothing was opened.
    bool open(const QString& unitFile);
    // Whether the form holds something typed since it was last empty, opened
    // or generated.
    bool holdsInput() const;
    // Starts a block for an id that a device names: the Unique ID field
    // takes it, the rest of the form stays as it is.
    void startBlock(const QString& id);

    // The whole form with every section open, however little of it a small
    // window shows.
    QSize sizeHint() const override;

signals:
    // A block was written and the registry knows its id.
    void generated();

private slots:
    void on_autoFill_clicked();
    void on_generate_clicked();
    void on_browseIcons_clicked();
    void on_textChanged();
    void clear();

private:
    // Everything the user can type into the form, for noticing changes.
    QStringList content() const;
    void fill(const UnitFile& unit);
    // Asks whether an existing target directory may be overwritten; false
    // when the user cancels.
    bool askOverwrite(Generator& generator, bool& overwrite);
    // The success box, whose second button opens the unit directory in the
    // desktop's file manager.
    void reportSuccess(const QString& id, const QString& unitDir);

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
    QWidget* _form;
    // The block the form was filled from: generating the same id again
    // writes into its directory.
    QString _openedDir;
    QString _openedId;
    QStringList _unchanged;
};

} // namespace unit
