// Takes the README's pictures of both tabs: run it through
// scripts/screenshots.sh, which starts it under Xvfb.
#include "support/DesignerParts.h"

#include "app/MainWindow.h"
#include "app/Startup.h"
#include "device/View.h"
#include "fs/UserPaths.h"
#include "unit/Designer.h"
#include "unit/OpenDialog.h"
#include "unit/Registry.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

namespace {

const char* sampleDevice = R"(<?xml version="1.0" encoding="UTF-8"?>
<dev:device dev:id="MyFuncBlocks">
  <dev:subdevices>
    <dev:device dev:id="Conveyor">
      <dev:subdevices>
        <dev:device dev:id="Drives">
          <dev:units><dev:unit dev:type="Examples Gain"/><dev:unit dev:type="Examples Sum"/></dev:units>
        </dev:device>
      </dev:subdevices>
      <dev:units><dev:unit dev:type="Examples Counter"/><dev:unit dev:type="Acme Mixer"/></dev:units>
    </dev:device>
    <dev:device dev:id="Sensors"/>
  </dev:subdevices>
  <dev:units><dev:unit dev:type="Examples Gain"/></dev:units>
</dev:device>
)";

void settle(int ms = 300)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void fillDesigner(unit::Designer* designer)
{
    const DesignerParts form(designer);
    form.vendor()->setText("Acme");
    form.name()->setText("Belt Speed");
    form.autoFill()->click();
    form.icon()->setText("/home/user/icons/belt.png");
    for (QCheckBox* section : form.sectionChecks())
        section->setChecked(true);
    form.withDialog()->setChecked(true);
    DesignerParts::addRow(form.inputs());
    DesignerParts::addRow(form.inputs());
    DesignerParts::addRow(form.outputs());
    DesignerParts::addRow(form.stateVars());
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + "/.config"));
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("KIV GmbH"));
    QCoreApplication::setApplicationName(QStringLiteral("Velmora 2"));
    installTranslations();
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    // A second run in another language names its pictures apart.
    const QString suffix = argc > 2 ? QLatin1Char('-') + QString::fromLocal8Bit(argv[2]) : QString();

    readIni(QStringLiteral("../velmora2/velmora2.ini"));
    initUserProfile();
    unit::Registry::singleton()->refresh();
    QFile device(fs::UserPaths::deviceFile());
    if (!device.open(QIODevice::WriteOnly) || device.write(sampleDevice) < 0)
        qFatal("cannot write the sample device");
    device.close();

    // The first window as a user sees it, on a laptop's screen.
    MainWindow window;
    window.move(0, 0);
    window.show();
    auto* tabs = window.findChild<QTabWidget*>();
    auto* view = window.findChild<device::View*>();
    view->expandAll();
    settle();

    // The device tab with the menu of a directory, opened by the menu key as
    // a keyboard user opens it; one entry names a block that is not installed.
    const QModelIndex conveyor = view->model()->index(0, 0, view->model()->index(0, 0));
    view->setCurrentIndex(conveyor);
    view->setFocus();
    settle();
    QTimer::singleShot(400, [&] {
        QScreen* screen = window.screen();
        const QRect area = window.frameGeometry().united(
            QApplication::activePopupWidget() ? QApplication::activePopupWidget()->geometry() : QRect());
        screen->grabWindow(0, area.x(), area.y(), area.width(), area.height())
            .save(out + "/device-manager" + suffix + ".png");
        if (QWidget* menu = QApplication::activePopupWidget())
            menu->close();
    });
    QKeyEvent menuKey(QEvent::KeyPress, Qt::Key_Menu, Qt::NoModifier);
    QApplication::sendEvent(view, &menuKey);
    settle();

    // "Open function block..." with a part of an id typed.
    unit::OpenDialog open(&window);
    open.show();
    open.findChild<QLineEdit*>()->setText(QStringLiteral("ga"));
    settle();
    open.grab().save(out + "/open-function-block" + suffix + ".png");
    open.close();

    tabs->setCurrentIndex(1);
    fillDesigner(window.findChild<unit::Designer*>());
    settle();
    window.grab().save(out + "/designer" + suffix + ".png");
    return 0;
}
