#pragma once

#include <QCoreApplication>
#include <QStringList>

#include <optional>

class QTextStream;

// The program's options. They are settled on a QCoreApplication, before the
// QApplication exists: that one needs a display, and --help and --version
// must work without one and touch nothing below the home directory.
class CommandLine
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)

public:
    // Reads the arguments of the running application (file names as
    // fs::decodeName gives them, so that any name reaches its file). Returns
    // the exit code when they end the program here (help or version on out;
    // the work of --regenerate or --check-device; an unknown option or an
    // argument no option takes, with the usage on err); nothing when the
    // window is to open.
    static std::optional<int> process(const QStringList& arguments, QTextStream& out, QTextStream& err);
};
