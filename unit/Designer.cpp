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
#include <QKeySequence>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSet>
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

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

// The id of a block of the units directory, other than the one declaring
// id, whose plug-in libraries carry baseName; null when there is none.
// Reading every unit file is what a press of Generate can afford: the
// registry keeps only ids.
QString blockWithBaseName(const QString& baseName, const QString& id)
{
    const Registry* registry = Registry::singleton();
    QSet<QString> seen;
    if (registry->hasID(id))
        seen.insert(registry->unitFile(id));
    for (const QString& other : registry->getIDs()) {
        const QString path = registry->unitFile(other);
        if (seen.contains(path))
            continue;
        seen.insert(path);
        const fs::ReadResult file = fs::readFile(path, fs::unitFileLimit);
        if (!file.ok())
            continue;
        const UnitFile unit = UnitFile::parse(file.bytes);
        if (unit.status == UnitFile::Ok && unit.pluginBaseName == baseName && unit.id != id)
            return unit.id;
    }
    return {};
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
    , _buttonRow(new QWidget)
{
    _autoFillButton->setEnabled(false);
    _generateButton->setEnabled(false);

    _nameEdit->lineEdit()->setValidator(new NameValidator(_nameEdit));
    // Its label says only "Name", like the block's name above it.
    _guiNameEdit->lineEdit()->setAccessibleName(tr("GUI name"));

    _inputEditor->setLabels(
        { tr("Inputs"), tr("Add input"), tr("Remove input"), tr("Move input up"), tr("Move input down") });
    _outputEditor->setLabels({ tr("Outputs"), tr("Add output"), tr("Remove output"), tr("Move output up"),
        tr("Move output down") });
    _stateVarEditor->setLabels({ tr("State variables"), tr("Add state variable"), tr("Remove state variable"),
        tr("Move state variable up"), tr("Move state variable down") });

    // Return presses the focused button, as in a dialog.
    for (QPushButton* button : { _autoFillButton, _clearButton, _generateButton, _browseButton })
        button->setAutoDefault(true);

    auto* guiInfo = new QGroupBox(tr("GUI info"));
    // The group holds two lines; a tall form gives its extra room to the tables.
    guiInfo->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    auto* guiLayout = new QVBoxLayout(guiInfo);
    guiLayout->addWidget(_guiNameEdit);
    auto* iconRow = new QHBoxLayout;
    iconRow->addWidget(_iconEdit);
    iconRow->addWidget(_browseButton);
    guiLayout->addLayout(iconRow);

    auto* buttonRow = new QHBoxLayout(_buttonRow);
    buttonRow->addStretch();
    buttonRow->addWidget(_clearButton);
    buttonRow->addWidget(_autoFillButton);
    buttonRow->addWidget(_generateButton);
    buttonRow->addStretch();

    // The form scrolls inside its tab, so that a small screen reaches every
    // field; the buttons that act on it stay in sight below.
    auto* scrollArea = new QScrollArea;
    scrollArea->setFrameShape(QFrame::NoFrame);
    scrollArea->setWidgetResizable(true);
    scrollArea->setFocusPolicy(Qt::NoFocus);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scrollArea);
    outer->addWidget(_buttonRow);

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
    // With the sections closed, a tall window keeps the fields together at the top.
    layout->addStretch();
    scrollArea->setWidget(_form);
    // One background for the form and the buttons below it: the tab's own.
    _form->setAutoFillBackground(false);
    scrollArea->viewport()->setAutoFillBackground(false);
    // The buttons line up with the form's fields, clear of the tab's frame.
    const QMargins formMargins = layout->contentsMargins();
    buttonRow->setContentsMargins(formMargins.left(), 0, formMargins.right(), formMargins.bottom());

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

    // Only the name re-evaluates the buttons, as the form always did; their
    // tool tips describe the state they were given then.
    connect(_nameEdit, &LabeledLineEdit::textChanged, this, &Designer::on_textChanged);
    connect(_autoFillButton, &QPushButton::clicked, this, &Designer::on_autoFill_clicked);
    connect(_clearButton, &QPushButton::clicked, this, &Designer::clear);
    connect(_generateButton, &QPushButton::clicked, this, &Designer::on_generate_clicked);
    connect(_browseButton, &QPushButton::clicked, this, &Designer::on_browseIcons_clicked);

    auto* generateKey = new QShortcut(this);
    generateKey->setKeys({ QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter) });
    generateKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(generateKey, &QShortcut::activated, this, [this] {
        if (!_generateButton->isEnabled())
            return;
        // As a button's own shortcut does: the focus moves to it, and a cell
        // editor that loses it hands over its edit first.
        _generateButton->setFocus(Qt::ShortcutFocusReason);
        _generateButton->click();
    });

    orderFocus();
    on_textChanged();
    _unchanged = content();
}

bool Designer::event(QEvent* event)
{
    if (event->type() == QEvent::ParentChange)
        orderFocus();
    return QWidget::event(event);
}

void Designer::orderFocus()
{
    QList<QWidget*> chain;
    for (LabeledLineEdit* edit : { _vendorEdit, _nameEdit, _idEdit, _guiNameEdit, _iconEdit })
        chain << edit->lineEdit();
    chain << _browseButton;
    const QList<QPair<QCheckBox*, VariableTableEditor*>> sections = {
        { _inputsCheck, _inputEditor },
        { _outputsCheck, _outputEditor },
        { _stateVarsCheck, _stateVarEditor },
    };
    for (const auto& [check, editor] : sections)
        chain << check << editor->tabOrder();
    chain << _pluginBaseNameEdit->lineEdit() << _withDialogCheck << _clearButton << _autoFillButton
          << _generateButton;
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain.at(i - 1), chain.at(i));
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
    const QSize buttons = _buttonRow->sizeHint();
    return QSize(qMax(size.width(), buttons.width()), size.height() + layout()->spacing() + buttons.height());
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
    if (!checkFields() || !mayShareBaseName(text(_pluginBaseNameEdit).trimmed(), text(_idEdit).trimmed()))
        return;
    const QString icon = text(_iconEdit).trimmed();

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

bool Designer::checkFields()
{
    // Every field ends up in a generated file, most of them inside a C++
    // string or a CMake word, where a line break would start a line of its own.
    const QList<QPair<const LabeledLineEdit*, QString>> fields = {
        { _vendorEdit, tr("Vendor") },
        { _nameEdit, tr("Name") },
        { _idEdit, tr("Unique ID") },
        { _guiNameEdit, tr("GUI name") },
        { _iconEdit, tr("Icon file name") },
        { _pluginBaseNameEdit, tr("Plugin base name") },
    };
    for (const auto& [edit, label] : fields) {
        const QString content = text(edit);
        const bool control = std::any_of(content.cbegin(), content.cend(), [](QChar c) {
            return c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line
                || c.category() == QChar::Separator_Paragraph;
        });
        if (control) {
            QMessageBox::critical(this, tr("Error"),
                tr("The field %1 may not hold line breaks or other control characters.").arg(label));
            return false;
        }
    }

    // The name becomes a library name and an unquoted CMake word: a blank
    // would make it a list, a parenthesis a syntax error.
    static const QRegularExpression pluginBaseName(QStringLiteral("\\A[A-Za-z_][A-Za-z0-9_]*\\z"));
    if (!pluginBaseName.match(text(_pluginBaseNameEdit).trimmed()).hasMatch()) {
        QMessageBox::critical(
            this, tr("Error"), tr("The plug-in base name may hold only letters, digits and underscores."));
        return false;
    }

    const QString icon = text(_iconEdit).trimmed();
    const QFileInfo iconFile(icon);
    if (!icon.isEmpty() && !(iconFile.isFile() && iconFile.isReadable())) {
        QMessageBox::critical(this, tr("Error"), tr("The icon file %1 does not exist.").arg(icon));
        return false;
    }
    return true;
}

bool Designer::mayShareBaseName(const QString& baseName, const QString& id)
{
    const QString other = blockWithBaseName(baseName, id);
    if (other.isNull())
        return true;
    return QMessageBox::question(this, tr("Plug-in base name in use"),
               tr("The plug-in base name %1 is already used by the function block %2. Both would build "
                  "plug-in libraries of the same name. Generate anyway?")
                   .arg(baseName, other),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
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
    box.setEscapeButton(QMessageBox::Ok);
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
    const bool nameWrong = !text(_nameEdit).isEmpty() && !_nameEdit->lineEdit()->hasAcceptableInput();
    _nameEdit->setNote(nameWrong
            ? tr("A name starts with a letter A-Z and holds only letters A-Z, digits and "
                 "blanks. Write ä as ae, ö as oe, ü as ue and ß as ss.")
            : QString());

    const QStringList autoFillMissing = missing(false);
    const QStringList generateMissing = missing(true);
    _autoFillButton->setEnabled(autoFillMissing.isEmpty());
    _generateButton->setEnabled(generateMissing.isEmpty());
    const QString key = QKeySequence(Qt::CTRL | Qt::Key_Return).toString(QKeySequence::NativeText);
    _autoFillButton->setToolTip(autoFillMissing.isEmpty()
            ? tr("Fill in the unique ID, the GUI name and the plug-in base name from vendor and name")
            : autoFillMissing.join(QLatin1Char('\n')));
    _generateButton->setToolTip(generateMissing.isEmpty()
            ? tr("Write the plug-in project of the function block (%1)").arg(key)
            : generateMissing.join(QLatin1Char('\n')));
}

QStringList Designer::missing(bool forGenerate) const
{
    // Texts count as they stand: blanks are refused only when Generate is pressed.
    QStringList reasons;
    if (text(_vendorEdit).isEmpty())
        reasons << tr("The vendor is missing.");
    if (text(_nameEdit).isEmpty())
        reasons << tr("The name is missing.");
    else if (!_nameEdit->lineEdit()->hasAcceptableInput())
        reasons << tr("The name is not acceptable: it starts with a letter A-Z and holds only letters A-Z, "
                      "digits and blanks.");
    if (!forGenerate)
        return reasons;
    if (text(_guiNameEdit).isEmpty())
        reasons << tr("The GUI name is missing.");
    if (text(_pluginBaseNameEdit).isEmpty())
        reasons << tr("The plug-in base name is missing.");
    return reasons;
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
