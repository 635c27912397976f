#include "app/MainWindow.h"

#include "device/View.h"
#include "fs/UserPaths.h"
#include "unit/Designer.h"
#include "unit/OpenDialog.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// Replaces the file at path only once the new content is complete.
bool writeAtomically(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit();
}

const QString windowGroup = QStringLiteral("MainWindow");
const QString geometryKey = QStringLiteral("geometry");
const QString tabKey = QStringLiteral("currentTab");

} // namespace

MainWindow::MainWindow()
    : _saveDevButton(new QPushButton(tr("Save")))
    , _model(nullptr)
    , _fileMenu(nullptr)
    , _editMenu(nullptr)
    , _helpMenu(nullptr)
    , _statusBar(new QStatusBar)
    , _tabs(new QTabWidget)
    , _designer(new unit::Designer(nullptr))
{
    setWindowTitle(tr("Velmora 2 function block manager"));

    auto* view = new device::View(&_model, nullptr);

    auto* layout = new QHBoxLayout;
    auto* tabs = _tabs;
    layout->addWidget(tabs);

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

    auto* outer = new QVBoxLayout(this);
    outer->setMenuBar(menuBar);
    outer->addLayout(layout);
    outer->addWidget(_statusBar);

    auto* devicePage = new QWidget;
    auto* deviceLayout = new QVBoxLayout(devicePage);
    deviceLayout->addWidget(view);
    deviceLayout->addWidget(_saveDevButton, 0, Qt::AlignCenter);
    tabs->addTab(devicePage, tr("Device manager"));
    tabs->addTab(_designer, tr("Function block designer"));

    QFile file(fs::UserPaths::deviceFile());
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray content = file.readAll();
        file.close();
        _model.load(content);
        if (!content.isEmpty() && !_model.root().isValid())
            _unreadableDevice = content;
    }

    view->expand(_model.root());

    connect(_saveDevButton, &QPushButton::clicked, this, &MainWindow::on_saveDevButton_clicked);
    restoreWindowSettings();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    closeDevice(event);
    if (event->isAccepted() && !mayDiscardDesignerInput())
        event->ignore();
    if (event->isAccepted())
        saveWindowSettings();
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
    saveDevice();
}

void MainWindow::openFunctionBlock()
{
    unit::OpenDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    _tabs->setCurrentWidget(_designer);
    _designer->open(dialog.unitFile());
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

bool MainWindow::saveDevice()
{
    const QString path = fs::UserPaths::deviceFile();
    if (!keepUnreadableDevice() || !writeAtomically(path, _model.xml())) {
        QMessageBox::critical(this, tr("Error"), tr("Unable to save the device to %1.").arg(path));
        return false;
    }
    _unreadableDevice.clear();
    _model.setChanged(false);
    return true;
}

bool MainWindow::keepUnreadableDevice() const
{
    if (_unreadableDevice.isEmpty())
        return true;
    return writeAtomically(fs::UserPaths::deviceFile() + QStringLiteral(".bak"), _unreadableDevice);
}
