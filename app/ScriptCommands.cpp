#include "app/ScriptCommands.h"

#include "device/MissingUnits.h"
#include "fs/File.h"
#include "unit/Exception.h"
#include "unit/Generator.h"
#include "unit/Registry.h"
#include "unit/UnitFile.h"

#include <QFileInfo>
#include <QTextStream>

int ScriptCommands::regenerate(const QString& file, bool force, QTextStream& out, QTextStream& err)
{
    const unit::UnitFile unit = unit::UnitFile::read(file);
    switch (unit.status) {
    case unit::UnitFile::Ok:
        break;
    case unit::UnitFile::Unreadable:
        err << tr("The file %1 cannot be read.").arg(file) << '\n';
        return 1;
    case unit::UnitFile::Malformed:
        err << tr("The file %1 is not well-formed XML.").arg(file) << '\n';
        return 1;
    case unit::UnitFile::NotAUnit:
        err << tr("The file %1 describes no function block.").arg(file) << '\n';
        return 1;
    }
    if (!unit.dropped.isEmpty() && !force) {
        err << tr("%1 holds more than the form can show. Generating this function block again would drop:")
                   .arg(file)
            << '\n';
        for (const QString& what : unit.dropped)
            err << "- " << what << '\n';
        err << tr("Nothing was written; --force regenerates it anyway.") << '\n';
        return 1;
    }

    // The id check needs every block of the user's units directory.
    unit::Registry::singleton()->refresh();
    const QString unitDir = QFileInfo(file).absolutePath();
    unit::Generator generator = unit.generator();
    generator.setUnitDir(unitDir);
    unit::Plan plan;
    try {
        plan = generator.generate(true);
    } catch (const Exception& e) {
        if (e.code == Exception::NonUniqueId)
            err << tr("The ID %1 is also declared by %2. Nothing was written.")
                       .arg(unit.id, unit::Registry::singleton()->getDir(unit.id).path())
                << '\n';
        else
            err << tr("Unable to write %1. The function block was not generated completely.")
                       .arg(QString::fromStdString(e.getMessage()))
                << '\n';
        return 1;
    }
    for (const unit::Plan::Entry& entry : plan.entries())
        out << unit::Plan::word(entry.fate) << ' ' << entry.path << '\n';
    return 0;
}

int ScriptCommands::checkDevice(const QString& file, QTextStream& out, QTextStream& err)
{
    const fs::ReadResult read = fs::readFile(file, fs::deviceFileLimit);
    if (!read.ok()) {
        err << (read.status == fs::ReadResult::TooLarge ? tr("The device file %1 is larger than 1 GiB.")
                                                        : tr("The device file %1 cannot be read."))
                   .arg(file)
            << '\n';
        return 2;
    }
    unit::Registry::singleton()->refresh();
    QList<device::MissingUnits::Entry> missing;
    if (!device::MissingUnits::find(read.bytes, missing)) {
        err << tr("The file %1 is not a device file.").arg(file) << '\n';
        return 2;
    }
    for (const device::MissingUnits::Entry& entry : missing)
        out << "missing " << entry.id << " at " << entry.directories.join(QLatin1Char('/')) << '\n';
    return missing.isEmpty() ? 0 : 1;
}
