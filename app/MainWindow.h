#pragma once

#include "device/Model.h"

#include <QByteArray>
#include <QWidget>

class QCloseEvent;
class QMenu;
class QPushButton;
class QStatusBar;
class QTabWidget;

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
    void openFunctionBlock();

private:
    // Accepts the event when the device may be closed, saved or not.
    void closeDevice(QCloseEvent* event);
    bool mayDiscardDesignerInput();
    // Size, position and tab as the user left them, in a group of their own.
    void restoreWindowSettings();
    void saveWindowSettings() const;

    // Writes the device file; on failure the user is told and the device
    // stays marked as changed.
    bool saveDevice();
    bool keepUnreadableDevice() const;

    QPushButton* _saveDevButton;
    device::Model _model;
    // A menu bar and a status bar in the window's own layout: the window stays
    // a plain widget.
    QMenu* _fileMenu;
    QMenu* _editMenu;
    QMenu* _helpMenu;
    QStatusBar* _statusBar;
    QTabWidget* _tabs;
    unit::Designer* _designer;
    // A device file that existed at start but held no device: its bytes are
    // kept beside it before the first save replaces it.
    QByteArray _unreadableDevice;
};
