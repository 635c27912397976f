#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "unit/Registry.h"

#include <QApplication>
#include <QIcon>
#include <QTextStream>

#include <csignal>
#include <optional>

namespace {

// The options are settled on an application object of their own that needs
// no display and is gone before the real one is made.
std::optional<int> commandLineExitCode(int& argc, char* argv[])
{
    const QCoreApplication app(argc, argv);
    installTranslations();
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (const std::optional<int> exitCode = CommandLine::process(out, err))
        return exitCode;
    if (!ensureHome(err))
        return 1;
    return std::nullopt;
}

} // namespace

int main(int argc, char* argv[])
{
    // A file-size limit (ulimit -f) makes a write fail with EFBIG, which a
    // save reports, instead of ending the program with the edit lost.
    std::signal(SIGXFSZ, SIG_IGN);
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
