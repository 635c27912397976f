#pragma once

#include "device/Model.h"
#include "fs/FileStamp.h"

#include <QWidget>

class QCloseEvent;
class QLabel;
class QMenu;
class QPushButton;
class QStatusBar;
class QTabWidget;

namespace device {
class View;
}

namespace unit {
class Designer;
}

// The program's one window: the device manager and the function block
// designer as two tabs. It owns the user's device and asks before a close
// would lose unsaved changes of it.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    MainWindow();

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void on_saveDevButton_clicked();
    void showAbout();
    void updateMissingUnits();
    void openFunctionBlock();
    void openInDesigner(const QString& id);
    void registryChanged();

private:
    // Accepts the event when the device may be closed, saved or not.
    void closeDevice(QCloseEvent* event);
    bool mayDiscardDesignerInput();
    // Size, position and tab as the user left them, in a group of their own.
    void restoreWindowSettings();
    void saveWindowSettings() const;
    // Which directories of the device are open, by their paths of names.
    void restoreViewSettings();
    void saveViewSettings() const;

    // Writes the device file; on failure, or when the user keeps a file that
    // another program changed, the device stays marked as changed.
    bool saveDevice();
    void loadDevice();
    bool saveFailed(const QString& path);
    void createActions(device::View* view);

    QPushButton* _saveDevButton;
    device::Model _model;
    // A menu bar and a status bar in the window's own layout: the window stays
    // a plain widget.
    QMenu* _fileMenu;
    QMenu* _editMenu;
    QMenu* _helpMenu;
    QStatusBar* _statusBar;
    QLabel* _missingLabel = nullptr;
    QTabWidget* _tabs;
    device::View* _view;
    unit::Designer* _designer;
    // The device file as it was loaded or last saved: a save asks before it
    // replaces a file that another program changed since.
    fs::FileStamp _loaded;
    // A device file that existed at start but could not be loaded is kept as
    // device.xml.bak before the first save replaces it.
    bool _keepBeforeSave = false;
};
