#include "app/MainWindow.h"
#include "app/Startup.h"
#include "unit/Registry.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("KIV GmbH"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("kiv.example"));
    QCoreApplication::setApplicationName(QStringLiteral("Velmora 2"));

    installTranslations();

    initUserProfile(readIni(QStringLiteral("../velmora2/velmora2.ini")));
    unit::Registry::singleton()->refresh();

    MainWindow window;
    window.show();
    return app.exec();
}
