#include "app/MainWindow.h"

#include "device/View.h"
#include "fs/UserPaths.h"
#include "unit/Designer.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
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

} // namespace

MainWindow::MainWindow()
    : _saveDevButton(new QPushButton(tr("Save")))
    , _model(nullptr)
    , _fileMenu(nullptr)
    , _editMenu(nullptr)
    , _helpMenu(nullptr)
    , _statusBar(new QStatusBar)
{
    setWindowTitle(tr("Velmora 2 function block manager"));

    auto* view = new device::View(&_model, nullptr);

    auto* layout = new QHBoxLayout;
    auto* tabs = new QTabWidget;
    layout->addWidget(tabs);

    auto* menuBar = new QMenuBar;
    _fileMenu = menuBar->addMenu(tr("&File"));
    _editMenu = menuBar->addMenu(tr("&Edit"));
    _helpMenu = menuBar->addMenu(tr("&Help"));
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
    tabs->addTab(new unit::Designer(nullptr), tr("Function block designer"));

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
}

void MainWindow::closeEvent(QCloseEvent* event)
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
