#include "app/MainWindow.h"

#include "device/View.h"
#include "fs/File.h"
#include "fs/UserPaths.h"
#include "unit/Designer.h"
#include "unit/OpenDialog.h"
#include "unit/Registry.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QUndoStack>
#include <QVBoxLayout>

namespace {

QString backupPath()
{
    return fs::UserPaths::deviceFile() + QStringLiteral(".bak");
}

// The directories and function block entries that a save writes: every item
// below the root, walked without recursion because devices nest deeply.
int entryCount(const QStandardItemModel& model)
{
    int count = 0;
    QList<const QStandardItem*> pending { model.invisibleRootItem() };
    while (!pending.isEmpty()) {
        const QStandardItem* item = pending.takeLast();
        for (int row = 0; row < item->rowCount(); ++row) {
            const QStandardItem* child = item->child(row);
            const int kind = child->data(device::Model::ItemTypeRole).toInt();
            if (kind == device::Model::UnitItem || kind == device::Model::DeviceItem)
                ++count;
            if (kind == device::Model::DeviceItem || kind == device::Model::RootItem)
                pending.append(child);
        }
    }
    return count;
}

const QString windowGroup = QStringLiteral("MainWindow");
const QString geometryKey = QStringLiteral("geometry");
const QString tabKey = QStringLiteral("currentTab");
const QString viewGroup = QStringLiteral("DeviceView");
const QString expandedKey = QStringLiteral("expanded");
const QString pathKey = QStringLiteral("path");
// Characters of names kept for the open directories.
constexpr qsizetype maxExpandedSize = 64 * 1024;

} // namespace

MainWindow::MainWindow()
    : _saveDevButton(new QPushButton(tr("Save")))
    , _model(nullptr)
    , _fileMenu(nullptr)
    , _editMenu(nullptr)
    , _helpMenu(nullptr)
    , _statusBar(new QStatusBar)
    , _tabs(new QTabWidget)
    , _view(new device::View(&_model, nullptr))
    , _designer(new unit::Designer(nullptr))
{
    // The mark shows while the device differs from its file.
    setWindowTitle(tr("Velmora 2 function block manager") + QStringLiteral("[*]"));

    auto* layout = new QHBoxLayout;
    layout->addWidget(_tabs);

    auto* menuBar = new QMenuBar;
    _fileMenu = menuBar->addMenu(tr("&File"));
    _editMenu = menuBar->addMenu(tr("&Edit"));
    _helpMenu = menuBar->addMenu(tr("&Help"));
    QAction* openAction = _fileMenu->addAction(tr("Open function block..."));
    openAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    // The window owns the shortcut too: the menu bar lives in a plain widget.
    addAction(openAction);
    connect(openAction, &QAction::triggered, this, &MainWindow::openFunctionBlock);
    _statusBar->setSizeGripEnabled(false);
    _missingLabel = new QLabel;
    _statusBar->addPermanentWidget(_missingLabel);

    auto* outer = new QVBoxLayout(this);
    outer->setMenuBar(menuBar);
    outer->addLayout(layout);
    outer->addWidget(_statusBar);

    auto* devicePage = new QWidget;
    auto* deviceLayout = new QVBoxLayout(devicePage);
    deviceLayout->addWidget(_view);
    deviceLayout->addWidget(_saveDevButton, 0, Qt::AlignCenter);
    _tabs->addTab(devicePage, tr("Device manager"));
    _tabs->addTab(_designer, tr("Function block designer"));

    loadDevice();
    restoreViewSettings();
    _view->setCurrentIndex(_model.root());
    // The keys work on the tree: it has the focus from the start.
    _view->setFocus();

    connect(_saveDevButton, &QPushButton::clicked, this, &MainWindow::on_saveDevButton_clicked);
    createActions(_view);
    connect(&_model, &device::Model::modifiedChanged, this, &QWidget::setWindowModified);
    connect(_model.undoStack(), &QUndoStack::indexChanged, this, &MainWindow::updateMissingUnits);
    // Blocks generated in the designer may be the ones missing.
    connect(_designer, &unit::Designer::generated, this, &MainWindow::registryChanged);
    connect(_view, &device::View::designerRequested, this, &MainWindow::openInDesigner);
    setWindowModified(_model.isChanged());
    updateMissingUnits();
    restoreWindowSettings();
}

void MainWindow::createActions(device::View* view)
{
    _fileMenu->addSeparator();
    QAction* save = _fileMenu->addAction(tr("&Save"), this, &MainWindow::on_saveDevButton_clicked);
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    _fileMenu->addSeparator();
    QAction* quit = _fileMenu->addAction(tr("&Quit"), this, &QWidget::close);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    for (QAction* action : view->editActions()) {
        if (action)
            _editMenu->addAction(action);
        else
            _editMenu->addSeparator();
    }
    // The edits are the device's: hidden behind the designer, they rest.
    connect(_tabs, &QTabWidget::currentChanged, this,
        [this](int index) { _editMenu->setEnabled(_tabs->widget(index)->findChild<device::View*>()); });

    _helpMenu->addAction(tr("&About"), this, &MainWindow::showAbout);
    _helpMenu->addAction(tr("About &Qt"), qApp, &QApplication::aboutQt);
}

void MainWindow::showAbout()
{
    QMessageBox::about(this, tr("About"),
        tr("<p><b>Velmora 2 function block manager</b>, version %1</p>"
           "<p>Writes the starting project of new function blocks for the Velmora 2 programming "
           "environment, and edits your own device: the tree of directories and function block "
           "entries that the environment shows.</p>")
            .arg(QStringLiteral(FBM_VERSION)));
}

void MainWindow::updateMissingUnits()
{
    const int missing = _model.missingUnitCount();
    _missingLabel->setText(missing > 0
            ? tr("Entries naming function blocks that are not installed: %n", nullptr, missing)
            : QString());
    _missingLabel->setVisible(missing > 0);
}

void MainWindow::registryChanged()
{
    _model.registryChanged();
    updateMissingUnits();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // What the tree shows is what a save writes, an entry waiting for its id included.
    _view->finishEditing();
    closeDevice(event);
    if (event->isAccepted() && !mayDiscardDesignerInput())
        event->ignore();
    if (event->isAccepted()) {
        saveWindowSettings();
        saveViewSettings();
    }
}

void MainWindow::closeDevice(QCloseEvent* event)
{
    if (!_model.isChanged()) {
        event->accept();
        return;
    }

    const QMessageBox::StandardButton answer
        = QMessageBox::question(this, tr("Save changes"), tr("The device has been changed. Save changes?"),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::NoButton);
    switch (answer) {
    case QMessageBox::Yes:
        if (saveDevice())
            event->accept();
        else
            event->ignore();
        break;
    case QMessageBox::No:
        event->accept();
        break;
    default:
        event->ignore();
    }
}

void MainWindow::on_saveDevButton_clicked()
{
    _view->finishEditing();
    saveDevice();
}

void MainWindow::loadDevice()
{
    const QString path = fs::UserPaths::deviceFile();
    const fs::ReadResult read = fs::readFile(path, fs::deviceFileLimit);
    _loaded = fs::FileStamp::ofRead(path, read);
    if (read.status == fs::ReadResult::Missing)
        return;
    if (read.ok())
        _model.load(read.bytes);
    if (_model.root().isValid())
        return;

    // An empty device root (what the model writes when it holds nothing), so
    // that the user can work; an empty file has nothing worth keeping.
    _model.load(_model.xml());
    if (read.ok() && read.bytes.isEmpty())
        return;
    _keepBeforeSave = true;
    const QString text = read.status == fs::ReadResult::TooLarge
        ? tr("The device file %1 is larger than 1 GiB and was not loaded. It will be kept as %2 when the "
             "device is saved.")
        : tr("The device file %1 could not be read and was not loaded. It will be kept as %2 when the "
             "device is saved.");
    QMessageBox::warning(this, tr("Device not loaded"), text.arg(path, backupPath()));
}

void MainWindow::openFunctionBlock()
{
    unit::OpenDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    _tabs->setCurrentWidget(_designer);
    _designer->open(dialog.unitFile());
}

void MainWindow::openInDesigner(const QString& id)
{
    // As "Open function block..." would; a missing block is begun with its id.
    _tabs->setCurrentWidget(_designer);
    if (unit::Registry::singleton()->hasID(id))
        _designer->open(unit::OpenDialog::unitFileOf(id));
    else
        _designer->startBlock(id);
}

bool MainWindow::mayDiscardDesignerInput()
{
    if (!_designer->holdsInput())
        return true;
    return QMessageBox::question(this, tr("Close"),
               tr("The function block designer holds input that was not generated. Close anyway?"),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

void MainWindow::restoreWindowSettings()
{
    QSettings settings;
    settings.beginGroup(windowGroup);
    _tabs->setCurrentIndex(qBound(0, settings.value(tabKey, 0).toInt(), _tabs->count() - 1));
    if (restoreGeometry(settings.value(geometryKey).toByteArray()))
        return;
    // The designer's hint is its whole form with every section open.
    resize(sizeHint().expandedTo(QSize(900, 0)).boundedTo(screen()->availableGeometry().size()));
}

void MainWindow::saveWindowSettings() const
{
    QSettings settings;
    settings.beginGroup(windowGroup);
    settings.setValue(geometryKey, saveGeometry());
    settings.setValue(tabKey, _tabs->currentIndex());
}

void MainWindow::restoreViewSettings()
{
    QSettings settings;
    settings.beginGroup(viewGroup);
    QList<QStringList> paths;
    const int count = settings.beginReadArray(expandedKey);
    for (int i = 0; i < count; ++i) {
        settings.setArrayIndex(i);
        paths << settings.value(pathKey).toStringList();
    }
    settings.endArray();
    if (paths.isEmpty())
        _view->expand(_model.root());
    else
        _view->expandPaths(paths);
}

void MainWindow::saveViewSettings() const
{
    // Bounded, so that the settings file stays far below the size that
    // start-up reads at all.
    QList<QStringList> paths = _view->expandedPaths();
    qsizetype size = 0;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        size += paths.at(i).join(QString()).size() + paths.at(i).size();
        if (size > maxExpandedSize) {
            paths.resize(i);
            break;
        }
    }
    QSettings settings;
    settings.beginGroup(viewGroup);
    settings.remove(expandedKey);
    settings.beginWriteArray(expandedKey, int(paths.size()));
    for (int i = 0; i < paths.size(); ++i) {
        settings.setArrayIndex(i);
        settings.setValue(pathKey, paths.at(i));
    }
    settings.endArray();
}

bool MainWindow::saveDevice()
{
    const QString path = fs::UserPaths::deviceFile();
    // Never write a file that the next start would refuse to load; measured
    // first, so that a refused save never holds the oversized bytes.
    if (_model.xmlSize() > fs::deviceFileLimit)
        return saveFailed(path);
    const QByteArray bytes = _model.xml();

    if (fs::FileStamp::current(path, fs::deviceFileLimit) != _loaded) {
        const QMessageBox::StandardButton answer = QMessageBox::question(this, tr("Device changed on disk"),
            tr("The device file %1 was changed by another program since it was loaded. Replace it with the "
               "device shown here?")
                .arg(path),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return false;
    }

    QDir().mkpath(QFileInfo(path).absolutePath());
    if (_keepBeforeSave && QFileInfo::exists(path) && !fs::keepCopy(path, backupPath()).ok())
        return saveFailed(backupPath());
    if (!fs::writeFile(path, bytes).ok())
        return saveFailed(path);

    _keepBeforeSave = false;
    _loaded = fs::FileStamp::ofWritten(bytes);
    _model.setChanged(false);
    _statusBar->showMessage(tr("Saved %n entries to %1", nullptr, entryCount(_model)).arg(path));
    return true;
}

bool MainWindow::saveFailed(const QString& path)
{
    QMessageBox::critical(this, tr("Error"), tr("Unable to save the device to %1.").arg(path));
    return false;
}
