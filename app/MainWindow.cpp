#include "app/MainWindow.h"

MainWindow::MainWindow()
{
    setWindowTitle(tr("Velmora 2 function block manager"));
}
