#include "app/MainWindow.h"

#include "device/View.h"
#include "fs/UserPaths.h"
#include "unit/Designer.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QStatusBar>
#include <QTabWidget>
#include <QUndoStack>
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
    // The mark shows while the device differs from its file.
    setWindowTitle(tr("Velmora 2 function block manager") + QStringLiteral("[*]"));

    auto* view = new device::View(&_model, nullptr);

    auto* layout = new QHBoxLayout;
    auto* tabs = new QTabWidget;
    layout->addWidget(tabs);

    auto* menuBar = new QMenuBar;
    _fileMenu = menuBar->addMenu(tr("&File"));
    _editMenu = menuBar->addMenu(tr("&Edit"));
    _helpMenu = menuBar->addMenu(tr("&Help"));
    _statusBar->setSizeGripEnabled(false);
    _missingLabel = new QLabel;
    _statusBar->addPermanentWidget(_missingLabel);

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
    view->setCurrentIndex(_model.root());
    // The keys work on the tree: it has the focus from the start.
    view->setFocus();

    connect(_saveDevButton, &QPushButton::clicked, this, &MainWindow::on_saveDevButton_clicked);
    createActions(view, tabs);
    connect(&_model, &device::Model::modifiedChanged, this, &QWidget::setWindowModified);
    connect(_model.undoStack(), &QUndoStack::indexChanged, this, &MainWindow::updateMissingUnits);
    // Blocks generated in the designer may be the ones missing.
    connect(tabs, &QTabWidget::currentChanged, this, &MainWindow::updateMissingUnits);
    setWindowModified(_model.isChanged());
    updateMissingUnits();
}

void MainWindow::createActions(device::View* view, QTabWidget* tabs)
{
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
    connect(tabs, &QTabWidget::currentChanged, this,
        [this, tabs](int index) { _editMenu->setEnabled(tabs->widget(index)->findChild<device::View*>()); });

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
