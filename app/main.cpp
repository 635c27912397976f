#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "fs/FileName.h"
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
    // Qt's own decoding of the arguments loses bytes that are not UTF-8.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << fs::decodeName(QByteArray(argv[i]));
    QTextStream out(stdout);
    QTextStream err(stderr);
    // Help and version need no home directory; everything else works below it.
    const bool wantsHelp = arguments.contains(QStringLiteral("-h"))
        || arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-v"))
        || arguments.contains(QStringLiteral("--version"));
    if (!wantsHelp && !ensureHome(err))
        return 1;
    return CommandLine::process(arguments, out, err);
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
