#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QTextStream>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// QApplication takes the toolkit's own options out of the arguments only
// when it is constructed, after this parser ran; they are accepted here
// unlisted, so that "-style fusion" still reaches it.
void addToolkitOptions(QCommandLineParser& parser)
{
    const QStringList withValue = { QStringLiteral("platform"), QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"), QStringLiteral("plugin"), QStringLiteral("qwindowgeometry"),
        QStringLiteral("qwindowicon"), QStringLiteral("qwindowtitle"), QStringLiteral("geometry"),
        QStringLiteral("title"), QStringLiteral("icon"), QStringLiteral("display"), QStringLiteral("name"),
        QStringLiteral("session"), QStringLiteral("style"), QStringLiteral("stylesheet") };
    const QStringList flags = { QStringLiteral("reverse"), QStringLiteral("widgetcount"),
        QStringLiteral("nograb"), QStringLiteral("dograb"), QStringLiteral("testability") };
    for (const QString& name : withValue) {
        QCommandLineOption option(name, QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const QString& name : flags) {
        QCommandLineOption option(name);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

} // namespace

std::optional<int> CommandLine::process(QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    // The toolkit's options have one dash and long names ("-style").
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        tr("Function block manager for the Velmora 2 environment: designs function\n"
           "blocks, generates their plug-in projects and edits the user's device.\n"
           "Besides the options below, the toolkit's own options (such as -style)\n"
           "are accepted."));
    const QCommandLineOption help(
        { QStringLiteral("h"), QStringLiteral("help") }, tr("Show this help and exit."));
    const QCommandLineOption version(
        { QStringLiteral("v"), QStringLiteral("version") }, tr("Show the version and exit."));
    parser.addOption(help);
    parser.addOption(version);
    addToolkitOptions(parser);

    QString error;
    if (!parser.parse(QCoreApplication::arguments()))
        error = parser.errorText();
    else if (!parser.positionalArguments().isEmpty())
        error = tr("Unexpected argument '%1': the program takes no file arguments.")
                    .arg(parser.positionalArguments().constFirst());
    if (!error.isEmpty()) {
        err << error << "\n\n" << parser.helpText();
        err.flush();
        return 1;
    }

    if (parser.isSet(help)) {
        out << parser.helpText();
    } else if (parser.isSet(version)) {
        out << QStringLiteral("fbmanager %1\n").arg(QCoreApplication::applicationVersion());
    } else {
        return std::nullopt;
    }
    // Into a full disk or a closed pipe the text is lost: say so, as the
    // command line tools do, rather than exit 0 with nothing said.
    out.flush();
    if (out.status() != QTextStream::Ok || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        err << tr("fbmanager: write error: %1").arg(QString::fromLocal8Bit(std::strerror(errno))) << '\n';
        err.flush();
        return 1;
    }
    return 0;
}
