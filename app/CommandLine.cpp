#include "app/CommandLine.h"

#include "app/ScriptCommands.h"
#include "fs/UserPaths.h"

#include <QCommandLineParser>
#include <QTextStream>

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

std::optional<int> CommandLine::process(const QStringList& arguments, QTextStream& out, QTextStream& err)
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
    const QCommandLineOption regenerate(QStringLiteral("regenerate"),
        tr("Regenerate the XML and CMake files of the function block whose unit.xml is <file>, in its "
           "directory, and list each file as new, replaced, unchanged or kept. Exit status 1 when the file "
           "holds what a regeneration would drop."),
        tr("file"));
    const QCommandLineOption force(QStringLiteral("force"),
        tr("With --regenerate: regenerate even when that drops content the form cannot show."));
    const QCommandLineOption checkDevice(QStringLiteral("check-device"),
        tr("List the function block entries of the device file [file] (by default your device.xml) whose "
           "function block is not installed. Exit status 0 when none is missing, 1 when some are, 2 when "
           "the device file cannot be read."));
    for (const QCommandLineOption& option : { help, version, regenerate, force, checkDevice })
        parser.addOption(option);
    addToolkitOptions(parser);

    QString error;
    if (!parser.parse(arguments))
        error = parser.errorText();
    else if (parser.isSet(regenerate) && parser.isSet(checkDevice))
        error = tr("--regenerate and --check-device cannot be used together.");
    else if (parser.isSet(force) && !parser.isSet(regenerate))
        error = tr("--force is an option of --regenerate.");
    else if (parser.positionalArguments().size() > (parser.isSet(checkDevice) ? 1 : 0))
        error = tr("Unexpected argument '%1': the program takes no file arguments.")
                    .arg(parser.positionalArguments().constLast());
    if (!error.isEmpty()) {
        err << error << "\n\n" << parser.helpText();
        err.flush();
        return 1;
    }

    int exitCode = 0;
    if (parser.isSet(help)) {
        out << parser.helpText();
    } else if (parser.isSet(version)) {
        out << QStringLiteral("fbmanager %1\n").arg(QCoreApplication::applicationVersion());
    } else if (parser.isSet(regenerate)) {
        exitCode = ScriptCommands::regenerate(parser.value(regenerate), parser.isSet(force), out, err);
    } else if (parser.isSet(checkDevice)) {
        const QStringList files = parser.positionalArguments();
        exitCode = ScriptCommands::checkDevice(
            files.isEmpty() ? fs::UserPaths::deviceFile() : files.constFirst(), out, err);
    } else {
        return std::nullopt;
    }
    out.flush();
    err.flush();
    return exitCode;
}
