#pragma once

#include <QCoreApplication>
#include <QString>

class QTextStream;

// The work of the options for scripts and CI, done on a QCoreApplication:
// no display, no merge of the template, nothing written outside the one unit
// directory. Results go to out, one line each, in words that do not follow
// the language; reasons go to err, translated. Each returns the exit code.
class ScriptCommands
{
    Q_DECLARE_TR_FUNCTIONS(ScriptCommands)

public:
    // Regenerates the XML and CMake files of the block whose unit.xml is
    // file, in its directory, and the C++ skeletons that are missing when the
    // skeleton's main.cpp tells the block's vendor and name: 0 when done, 1
    // when refused or failed.
    static int regenerate(const QString& file, bool force, QTextStream& out, QTextStream& err);
    // Lists the entries of the device file whose block is not installed:
    // 0 when none is, 1 when some are, 2 when the file cannot be read.
    static int checkDevice(const QString& file, QTextStream& out, QTextStream& err);
};
