#include "app/MainWindow.h"

#include "app/Startup.h"
#include "device/View.h"
#include "fs/File.h"
#include "fs/FileLock.h"
#include "fs/UserPaths.h"
#include "unit/Designer.h"
#include "unit/OpenDialog.h"
#include "unit/Registry.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>

#include <optional>

namespace {

// The names an unloadable device file is kept by: "device.xml.bak", then
// "device.xml.bak.1", ...; an existing backup is never replaced.
QString backupPath(int number)
{
    const QString first = fs::UserPaths::deviceFile() + QStringLiteral(".bak");
    return number == 0 ? first : first + QLatin1Char('.') + QString::number(number);
}

QString freeBackupPath()
{
    int number = 0;
    while (fs::UserPaths::hasEntry(backupPath(number)))
        ++number;
    return backupPath(number);
}

// The window manager's frame is known once the window is shown; before, a
// title bar of two text lines and thin borders are set aside for it.
QMargins frameMargins(const QWidget* window)
{
    const QMargins shown(window->geometry().left() - window->frameGeometry().left(),
        window->geometry().top() - window->frameGeometry().top(),
        window->frameGeometry().right() - window->geometry().right(),
        window->frameGeometry().bottom() - window->geometry().bottom());
    if (!shown.isNull())
        return shown;
    const int line = window->fontMetrics().height();
    return QMargins(line / 4, 2 * line, line / 4, line / 4);
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
    // It saves the device whichever tab is shown.
    QAction* save = _fileMenu->addAction(tr("&Save device"), this, &MainWindow::on_saveDevButton_clicked);
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
    QMessageBox::warning(this, tr("Device not loaded"), text.arg(path, freeBackupPath()));
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
    // A settings file that could hang or flood the settings object leaves
    // the window at its default geometry.
    if (settingsSafeToRead()) {
        QSettings settings;
        settings.beginGroup(windowGroup);
        _tabs->setCurrentIndex(qBound(0, settings.value(tabKey, 0).toInt(), _tabs->count() - 1));
        if (restoreGeometry(settings.value(geometryKey).toByteArray()))
            return;
    }
    // The designer's hint is its whole form with every section open.
    const QRect available = screen()->availableGeometry();
    const QMargins frame = frameMargins(this);
    resize(sizeHint().expandedTo(QSize(900, 0)).boundedTo(available.size().shrunkBy(frame)));
    QRect outer(QPoint(), size().grownBy(frame));
    outer.moveCenter(available.center());
    move(outer.topLeft());
}

void MainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (_fittedToScreen)
        return;
    _fittedToScreen = true;
    // After the window manager has framed the window.
    QTimer::singleShot(0, this, &MainWindow::fitFrameToScreen);
}

void MainWindow::fitFrameToScreen()
{
    if (isMaximized() || isFullScreen())
        return;
    const QRect available = screen()->availableGeometry();
    if (available.contains(frameGeometry()))
        return;
    const QMargins frame = frameMargins(this);
    resize(size().boundedTo(available.size().shrunkBy(frame)));
    const QSize outer = size().grownBy(frame);
    // A window larger than the screen still shows its title bar.
    move(qMax(available.left(), qMin(frameGeometry().left(), available.right() + 1 - outer.width())),
        qMax(available.top(), qMin(frameGeometry().top(), available.bottom() + 1 - outer.height())));
}

void MainWindow::saveWindowSettings() const
{
    // A settings file that is not safe to read is not ours to replace.
    if (!settingsSafeToRead())
        return;
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

    // One save at a time: the check and the replacement hold the lock
    // together, so that another window's save between them cannot be lost.
    const QString directory = path.left(path.lastIndexOf(QLatin1Char('/')));
    fs::FileStamp expected = _loaded;
    std::optional<fs::FileLock> lock;
    bool directoryMade = false;
    for (;;) {
        directoryMade = fs::makeDirectories(directory).ok();
        if (directoryMade) {
            lock.emplace(path);
            if (!lock->isHeld())
                return saveFailed(path);
        }
        const fs::FileStamp current = fs::FileStamp::current(path, fs::deviceFileLimit);
        if (current == expected)
            break;
        // Nobody waits for the lock while the user thinks.
        lock.reset();
        const QMessageBox::StandardButton answer = QMessageBox::question(this, tr("Device changed on disk"),
            tr("The device file %1 was changed by another program since it was loaded. Replace it with the "
               "device shown here?")
                .arg(path),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return false;
        // What the user agreed to replace; another change asks again.
        expected = current;
    }

    if (!directoryMade)
        return saveFailed(path);
    if (_keepBeforeSave && !expected.isMissing()) {
        for (int number = 0;; ++number) {
            const fs::WriteResult kept = fs::keepCopy(path, backupPath(number));
            if (kept.status == fs::WriteResult::Exists)
                continue;
            // A directory at the device's name: no backup can keep it, and
            // no save can replace it.
            if (kept.status == fs::WriteResult::NotRegular)
                return saveFailed(path);
            if (!kept.ok())
                return saveFailed(backupPath(number));
            break;
        }
    }
    if (!fs::writeFile(path, bytes).ok())
        return saveFailed(path);
    lock.reset();

    _keepBeforeSave = false;
    _loaded = fs::FileStamp::ofWritten(bytes);
    _model.setChanged(false);
    _statusBar->showMessage(tr("Saved %n entries to %1", nullptr, _model.entryCount()).arg(path));
    return true;
}

bool MainWindow::saveFailed(const QString& path)
{
    QMessageBox::critical(this, tr("Error"), tr("Unable to save the device to %1.").arg(path));
    return false;
}
