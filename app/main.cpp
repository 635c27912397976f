#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "fs/FileName.h"
#include "unit/Registry.h"

#include <QApplication>
#include <QIcon>
#include <QTextStream>

#include <optional>

namespace {

// The options are settled on an application object of their own that needs
// no display and is gone before the real one is made.
std::optional<int> commandLineExitCode(int& argc, char* argv[])
{
    const QCoreApplication app(argc, argv);
    installTranslations();
    // Qt's own decoding of the arguments loses bytes that are not UTF-8.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << fs::decodeName(QByteArray(argv[i]));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return CommandLine::process(arguments, out, err);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setApplicationVersion(QStringLiteral(FBM_VERSION));
    if (const std::optional<int> exitCode = commandLineExitCode(argc, argv))
        return *exitCode;

    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("KIV GmbH"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("kiv.example"));
    QCoreApplication::setApplicationName(QStringLiteral("Velmora 2"));
    // The installed desktop entry and icon carry this name, so that the
    // desktop matches the window to them.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.kiv.fbmanager"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/fbmanager.png")));

    installTranslations();

    initUserProfile(readIni(QStringLiteral("../velmora2/velmora2.ini")));
    unit::Registry::singleton()->refresh();

    MainWindow window;
    window.show();
    return app.exec();
}
