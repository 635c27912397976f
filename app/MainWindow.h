#pragma once

#include "device/Model.h"

namespace device {
class View;
}

#include <QByteArray>
#include <QWidget>

class QCloseEvent;
class QLabel;
class QTabWidget;
class QMenu;
class QPushButton;
class QStatusBar;

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

private:
    // Writes the device file; on failure the user is told and the device
    // stays marked as changed.
    bool saveDevice();
    bool keepUnreadableDevice() const;
    void createActions(device::View* view, QTabWidget* tabs);

    QPushButton* _saveDevButton;
    device::Model _model;
    // A menu bar and a status bar in the window's own layout: the window stays
    // a plain widget.
    QMenu* _fileMenu;
    QMenu* _editMenu;
    QMenu* _helpMenu;
    QStatusBar* _statusBar;
    QLabel* _missingLabel = nullptr;
    // A device file that existed at start but held no device: its bytes are
    // kept beside it before the first save replaces it.
    QByteArray _unreadableDevice;
};
