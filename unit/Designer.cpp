#include "unit/Designer.h"

#include "kiv/qt/gui/widgets/LabeledLineEdit.h"
#include "unit/ConnectorEditor.h"
#include "unit/Exception.h"
#include "unit/Generator.h"
#include "unit/NameValidator.h"
#include "unit/StateVarEditor.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

using kiv::qt::gui::widgets::LabeledLineEdit;

namespace unit {

namespace {

QString text(const LabeledLineEdit* edit)
{
    return edit->lineEdit()->text();
}

void addConnectors(Generator& generator, Generator::ConnectorType type, const ConnectorEditor* editor)
{
    for (int row = 0; row < editor->numConnectors(); ++row)
        generator.addConnector(type, editor->name(row), editor->type(row), editor->description(row),
            editor->defaultValue(row), editor->hidden(row));
}

void addStateVars(Generator& generator, const StateVarEditor* editor)
{
    for (int row = 0; row < editor->numStateVars(); ++row)
        generator.addStateVar(editor->name(row), editor->type(row), editor->defaultValue(row));
}

} // namespace

Designer::Designer(QWidget* parent)
    : QWidget(parent)
    , _vendorEdit(new LabeledLineEdit(tr("Vendor")))
    , _nameEdit(new LabeledLineEdit(tr("Name")))
    , _idEdit(new LabeledLineEdit(tr("Unique ID")))
    , _guiNameEdit(new LabeledLineEdit(tr("Name")))
    , _iconEdit(new LabeledLineEdit(tr("Icon file name")))
    , _pluginBaseNameEdit(new LabeledLineEdit(tr("Plugin base name")))
    , _withDialogCheck(new QCheckBox(tr("With dialog")))
    , _inputEditor(new ConnectorEditor(QStringLiteral("in"), QStringLiteral("Input")))
    , _outputEditor(new ConnectorEditor(QStringLiteral("out"), QStringLiteral("Output")))
    , _stateVarEditor(new StateVarEditor)
    , _inputsCheck(new QCheckBox(tr("Inputs")))
    , _outputsCheck(new QCheckBox(tr("Outputs")))
    , _stateVarsCheck(new QCheckBox(tr("State variables")))
    , _autoFillButton(new QPushButton(tr("Auto fill")))
    , _clearButton(new QPushButton(tr("Clear")))
    , _generateButton(new QPushButton(tr("Generate")))
    , _browseButton(new QPushButton(tr("Browse...")))
{
    _autoFillButton->setEnabled(false);
    _generateButton->setEnabled(false);

    _nameEdit->lineEdit()->setValidator(new NameValidator(_nameEdit));

    auto* guiInfo = new QGroupBox(tr("GUI info"));
    // The group holds two lines; a tall form gives its extra room to the tables.
    guiInfo->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    auto* guiLayout = new QVBoxLayout(guiInfo);
    guiLayout->addWidget(_guiNameEdit);
    auto* iconRow = new QHBoxLayout;
    iconRow->addWidget(_iconEdit);
    iconRow->addWidget(_browseButton);
    guiLayout->addLayout(iconRow);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(_clearButton);
    buttonRow->addWidget(_autoFillButton);
    buttonRow->addWidget(_generateButton);
    buttonRow->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(_vendorEdit);
    layout->addWidget(_nameEdit);
    layout->addWidget(_idEdit);
    layout->addWidget(guiInfo);
    layout->addWidget(_inputsCheck);
    layout->addWidget(_inputEditor);
    layout->addWidget(_outputsCheck);
    layout->addWidget(_outputEditor);
    layout->addWidget(_stateVarsCheck);
    layout->addWidget(_stateVarEditor);
    layout->addWidget(_pluginBaseNameEdit);
    layout->addWidget(_withDialogCheck);
    layout->addLayout(buttonRow);
    // With the sections closed, a tall window keeps the fields together at the top.
    layout->addStretch();

    const QList<QPair<QCheckBox*, QWidget*>> sections = {
        { _inputsCheck, _inputEditor },
        { _outputsCheck, _outputEditor },
        { _stateVarsCheck, _stateVarEditor },
    };
    for (const auto& [check, editor] : sections) {
        check->setChecked(false);
        editor->setVisible(false);
        connect(check, &QCheckBox::toggled, editor, &QWidget::setVisible);
    }

    connect(_nameEdit, &LabeledLineEdit::textChanged, this, &Designer::on_textChanged);
    connect(_autoFillButton, &QPushButton::clicked, this, &Designer::on_autoFill_clicked);
    connect(_clearButton, &QPushButton::clicked, this, &Designer::clear);
    connect(_generateButton, &QPushButton::clicked, this, &Designer::on_generate_clicked);
    connect(_browseButton, &QPushButton::clicked, this, &Designer::on_browseIcons_clicked);
}

void Designer::on_autoFill_clicked()
{
    const QString vendor = text(_vendorEdit);
    const QString name = text(_nameEdit);
    _idEdit->lineEdit()->setText(QStringLiteral("%1 %2").arg(vendor, name));
    _guiNameEdit->lineEdit()->setText(name);
    _pluginBaseNameEdit->lineEdit()->setText(
        QStringLiteral("velmora_myfunctionblocks_%1").arg(name.toLower().remove(QLatin1Char(' '))));
    on_textChanged();
}

void Designer::on_generate_clicked()
{
    Generator generator(_withDialogCheck->isChecked());

    const QList<QPair<const LabeledLineEdit*, QString>> required = {
        { _vendorEdit, tr("No vendor was specified!") },
        { _nameEdit, tr("No name was specified!") },
        { _idEdit, tr("No ID was specified!") },
        { _guiNameEdit, tr("No GUI name was specified!") },
        { _pluginBaseNameEdit, tr("No plugin base name was specified!") },
    };
    for (const auto& [edit, message] : required) {
        if (text(edit).trimmed().isEmpty()) {
            QMessageBox::critical(this, tr("Error"), message);
            return;
        }
    }
    // The name becomes a library name and an unquoted CMake word: a blank
    // would make it a list, a parenthesis a syntax error.
    static const QRegularExpression pluginBaseName(QStringLiteral("\\A[A-Za-z_][A-Za-z0-9_]*\\z"));
    if (!pluginBaseName.match(text(_pluginBaseNameEdit).trimmed()).hasMatch()) {
        QMessageBox::critical(
            this, tr("Error"), tr("The plug-in base name may hold only letters, digits and underscores."));
        return;
    }

    generator.setVendor(text(_vendorEdit).trimmed());
    generator.setName(text(_nameEdit).trimmed());
    generator.setId(text(_idEdit).trimmed());
    generator.setGuiName(text(_guiNameEdit).trimmed());
    generator.setIcon(text(_iconEdit).trimmed());
    generator.setPluginBaseName(text(_pluginBaseNameEdit).trimmed());

    if (_inputsCheck->isChecked())
        addConnectors(generator, Generator::Input, _inputEditor);
    if (_outputsCheck->isChecked())
        addConnectors(generator, Generator::Output, _outputEditor);
    if (_stateVarsCheck->isChecked())
        addStateVars(generator, _stateVarEditor);

    bool overwrite = false;
    if (generator.directoryExists()) {
        const QString question = QStringList {
            tr("The target directory %1 already exists. Shall existing XML and CMake files be "
               "overwritten (this does not affect C++ source and header files)?")
                .arg(generator.path()),
            tr("If you say \"no\", an alternative directory name will be chosen."),
            tr("Please note that this will not affect the device structure."),
        }.join(QLatin1Char('\n'));
        const QMessageBox::StandardButton answer = QMessageBox::question(this, tr("Target directory exists"),
            question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer != QMessageBox::Yes && answer != QMessageBox::No)
            return;
        overwrite = answer == QMessageBox::Yes;
    }

    try {
        generator.generate(overwrite);
    } catch (const Exception& e) {
        switch (e.code) {
        case Exception::NonUniqueId:
            QMessageBox::critical(this, tr("Non-unique ID"),
                tr("The specified ID is already in use. Please use a different ID for this function "
                   "block."));
            break;
        case Exception::WriteFailed:
            QMessageBox::critical(this, tr("Generation failed"),
                tr("Unable to write %1. The function block was not generated completely.")
                    .arg(QString::fromStdString(e.getMessage())));
            break;
        default:
            QMessageBox::critical(
                this, tr("Unknown error"), tr("Unable to generate function block due to an unknown error."));
            break;
        }
        return;
    }

    QMessageBox::information(this, tr("Success"),
        tr("Successfully generated description and source files for function block %1 in %2")
            .arg(text(_idEdit).trimmed())
            .arg(generator.path()));
    clear();
}

void Designer::on_browseIcons_clicked()
{
    // Qt's own dialog: it behaves alike on every desktop and stays reachable
    // as the active modal widget.
    const QString file = QFileDialog::getOpenFileName(
        this, tr("Open file"), QString(), tr("PNG files (*.png)"), nullptr, QFileDialog::DontUseNativeDialog);
    _iconEdit->lineEdit()->setText(file);
}

void Designer::on_textChanged()
{
    const bool autoFill = !text(_vendorEdit).isEmpty() && _nameEdit->lineEdit()->hasAcceptableInput();
    _autoFillButton->setEnabled(autoFill);
    _generateButton->setEnabled(
        autoFill && !text(_guiNameEdit).isEmpty() && !text(_pluginBaseNameEdit).isEmpty());
}

void Designer::clear()
{
    for (LabeledLineEdit* edit :
        { _vendorEdit, _nameEdit, _idEdit, _guiNameEdit, _iconEdit, _pluginBaseNameEdit })
        edit->lineEdit()->clear();
    _withDialogCheck->setChecked(false);
    _inputEditor->clear();
    _outputEditor->clear();
    _autoFillButton->setEnabled(false);
    _generateButton->setEnabled(false);
}

} // namespace unit
