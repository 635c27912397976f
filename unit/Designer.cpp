#include "unit/Designer.h"

#include "fs/File.h"
#include "fs/FileName.h"
#include "fs/UserPaths.h"
#include "kiv/qt/gui/widgets/LabeledLineEdit.h"
#include "unit/ConnectorEditor.h"
#include "unit/Exception.h"
#include "unit/Generator.h"
#include "unit/NameValidator.h"
#include "unit/Registry.h"
#include "unit/StateVarEditor.h"
#include "unit/UnitFile.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QUrl>
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

void fillEditor(VariableTableEditor* editor, const QList<Generator::VariableDescriptor>& variables)
{
    editor->clear();
    for (const Generator::VariableDescriptor& variable : variables)
        editor->appendRow(variable);
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
    , _form(new QWidget)
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

    // The form scrolls inside its tab, so that a small screen reaches every button.
    auto* scrollArea = new QScrollArea;
    scrollArea->setFrameShape(QFrame::NoFrame);
    scrollArea->setWidgetResizable(true);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scrollArea);

    auto* layout = new QVBoxLayout(_form);
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
    scrollArea->setWidget(_form);

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

    _unchanged = content();
}

bool Designer::open(const QString& unitFile)
{
    const UnitFile unit = UnitFile::read(unitFile);
    const QString title = tr("Open function block");
    switch (unit.status) {
    case UnitFile::Ok:
        break;
    case UnitFile::Unreadable:
        QMessageBox::critical(this, title, tr("The file %1 cannot be read.").arg(unitFile));
        return false;
    case UnitFile::Malformed:
        QMessageBox::critical(this, title, tr("The file %1 is not well-formed XML.").arg(unitFile));
        return false;
    case UnitFile::NotAUnit:
        QMessageBox::critical(this, title, tr("The file %1 describes no function block.").arg(unitFile));
        return false;
    }

    if (holdsInput()
        && QMessageBox::question(this, title,
               tr("The function block designer holds input that was not generated. Replace it with the "
                  "function block %1?")
                   .arg(unit.id),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            != QMessageBox::Yes)
        return false;

    fill(unit);
    _openedDir = QFileInfo(unitFile).absolutePath();
    _openedId = unit.id;
    _unchanged = content();

    if (!unit.dropped.isEmpty()) {
        QStringList lines = { tr("%1 holds more than the form can show. Generating this function block again "
                                 "would drop:")
                                  .arg(unitFile) };
        // A screenful: a file may name tens of thousands of things.
        const qsizetype shown = qMin<qsizetype>(unit.dropped.size(), 20);
        for (qsizetype i = 0; i < shown; ++i)
            lines << QLatin1String("- ") + unit.dropped.at(i);
        if (unit.dropped.size() > shown)
            lines << tr("and %n more", nullptr, int(unit.dropped.size() - shown));
        QMessageBox::warning(this, title, lines.join(QLatin1Char('\n')));
    }
    return true;
}

QSize Designer::sizeHint() const
{
    QSize size = _form->sizeHint();
    for (const QWidget* editor : { static_cast<QWidget*>(_inputEditor), static_cast<QWidget*>(_outputEditor),
             static_cast<QWidget*>(_stateVarEditor) }) {
        if (editor->isHidden())
            size = QSize(qMax(size.width(), editor->sizeHint().width()),
                size.height() + editor->sizeHint().height() + _form->layout()->spacing());
    }
    return size;
}

bool Designer::holdsInput() const
{
    return content() != _unchanged;
}

void Designer::startBlock(const QString& id)
{
    _idEdit->lineEdit()->setText(id);
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

    const QString icon = text(_iconEdit).trimmed();
    const QFileInfo iconFile(icon);
    if (!icon.isEmpty() && !(iconFile.isFile() && iconFile.isReadable())) {
        QMessageBox::critical(this, tr("Error"), tr("The icon file %1 does not exist.").arg(icon));
        return;
    }

    generator.setVendor(text(_vendorEdit).trimmed());
    generator.setName(text(_nameEdit).trimmed());
    generator.setId(text(_idEdit).trimmed());
    generator.setGuiName(text(_guiNameEdit).trimmed());
    generator.setIcon(icon);
    generator.setPluginBaseName(text(_pluginBaseNameEdit).trimmed());

    if (_inputsCheck->isChecked())
        addConnectors(generator, Generator::Input, _inputEditor);
    if (_outputsCheck->isChecked())
        addConnectors(generator, Generator::Output, _outputEditor);
    if (_stateVarsCheck->isChecked())
        addStateVars(generator, _stateVarEditor);

    if (!_openedDir.isEmpty() && text(_idEdit).trimmed() == _openedId)
        generator.setUnitDir(_openedDir);

    bool overwrite = false;
    if (!askOverwrite(generator, overwrite))
        return;

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
    emit generated();

    reportSuccess(text(_idEdit).trimmed(), generator.path());
    clear();
}

bool Designer::askOverwrite(Generator& generator, bool& overwrite)
{
    overwrite = false;
    if (!generator.directoryExists())
        return true;

    const QString id = text(_idEdit).trimmed();
    const fs::ReadResult existing
        = fs::readFile(generator.path() + QLatin1String("/unit.xml"), fs::unitFileLimit);
    const QStringList ids = existing.ok() ? Registry::declaredIds(existing.bytes) : QStringList();
    // No makes a new directory for the id, which the id check refuses while
    // the user's tree declares it: only answers that can succeed are offered.
    const bool offerNo = !ids.contains(id) || !Registry::singleton()->hasID(id);

    QStringList lines = { tr("The target directory %1 already exists. Shall existing XML and CMake files be "
                             "overwritten (this does not affect C++ source and header files)?")
                              .arg(generator.path()) };
    if (offerNo)
        lines << tr("If you say \"no\", an alternative directory name will be chosen.");
    lines << tr("Please note that this will not affect the device structure.");
    // Two names can share a directory ("Belt Speed", "BeltSpeed"): one Enter
    // must not replace another block, whose device entries would then name nothing.
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    if (!ids.isEmpty() && !ids.contains(id)) {
        lines << tr("It holds the function block %1, which would be replaced.").arg(ids.first());
        defaultButton = QMessageBox::No;
    }

    QString details;
    if (offerNo && generator.isOutsideFunctionBlocks())
        details = tr("Yes regenerates the function block in %1. No generates it in a new directory below %2, "
                     "as a new function block.")
                      .arg(generator.path(), QDir::cleanPath(fs::UserPaths::functionBlocksPath()))
            + QLatin1String("\n\n");
    details += generator.plan(generator.path()).details();

    QMessageBox box(QMessageBox::Question, tr("Target directory exists"), lines.join(QLatin1Char('\n')),
        QMessageBox::Yes | (offerNo ? QMessageBox::No : QMessageBox::NoButton) | QMessageBox::Cancel, this);
    box.setDefaultButton(defaultButton);
    box.setDetailedText(details);
    const int answer = box.exec();
    if (answer != QMessageBox::Yes && answer != QMessageBox::No)
        return false;
    overwrite = answer == QMessageBox::Yes;
    return true;
}

void Designer::reportSuccess(const QString& id, const QString& unitDir)
{
    QMessageBox box(QMessageBox::Information, tr("Success"),
        tr("Successfully generated description and source files for function block %1 in %2")
            .arg(id, unitDir),
        QMessageBox::Ok, this);
    const QPushButton* openFolder = box.addButton(tr("Open Folder"), QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    if (box.clickedButton() != openFolder)
        return;
    // The directory's own bytes, percent-encoded: a name that is not UTF-8
    // must still reach the file manager as the name it is.
    QDesktopServices::openUrl(
        QUrl::fromEncoded("file://" + QUrl::toPercentEncoding(fs::encodeName(unitDir), "/")));
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
    _openedDir.clear();
    _openedId.clear();
    _unchanged = content();
}

QStringList Designer::content() const
{
    QStringList texts;
    for (const LabeledLineEdit* edit :
        { _vendorEdit, _nameEdit, _idEdit, _guiNameEdit, _iconEdit, _pluginBaseNameEdit })
        texts << text(edit);
    texts << QString::number(_withDialogCheck->isChecked());
    for (const ConnectorEditor* editor : { _inputEditor, _outputEditor }) {
        for (int row = 0; row < editor->numConnectors(); ++row)
            texts << editor->name(row) << editor->type(row) << editor->description(row)
                  << editor->defaultValue(row) << QString::number(editor->hidden(row));
        texts << QStringLiteral("|");
    }
    for (int row = 0; row < _stateVarEditor->numStateVars(); ++row)
        texts << _stateVarEditor->name(row) << _stateVarEditor->type(row)
              << _stateVarEditor->defaultValue(row);
    return texts;
}

void Designer::fill(const UnitFile& unit)
{
    _vendorEdit->lineEdit()->setText(unit.vendor);
    _nameEdit->lineEdit()->setText(unit.name);
    _idEdit->lineEdit()->setText(unit.id);
    _guiNameEdit->lineEdit()->setText(unit.guiName);
    _iconEdit->lineEdit()->setText(unit.iconPath);
    _pluginBaseNameEdit->lineEdit()->setText(unit.pluginBaseName);
    _withDialogCheck->setChecked(unit.withDialog);
    fillEditor(_inputEditor, unit.inputs);
    fillEditor(_outputEditor, unit.outputs);
    fillEditor(_stateVarEditor, unit.stateVars);
    _inputsCheck->setChecked(!unit.inputs.isEmpty());
    _outputsCheck->setChecked(!unit.outputs.isEmpty());
    _stateVarsCheck->setChecked(!unit.stateVars.isEmpty());
    on_textChanged();
}

} // namespace unit
