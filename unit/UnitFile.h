#pragma once

#include "unit/Generator.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace unit {

// A unit description read back for the designer form: the parts of the first
// function block it declares that the form can show, and, in words for the
// user, everything a regeneration from the form would not write again.
class UnitFile
{
    Q_DECLARE_TR_FUNCTIONS(unit::UnitFile)

public:
    enum Status {
        Ok,
        Unreadable, // missing, not a regular file, too large or not readable
        Malformed, // not well-formed XML
        NotAUnit // well-formed, but no "unit:unit" declaring a function block
    };

    // Reads path and the icon copy beside it, and the vendor and name from
    // the simulation plug-in's main.cpp beside it while that is still the
    // skeleton this program wrote; the dropped list is complete.
    static UnitFile read(const QString& path);
    // The description alone: nothing on disk is looked at.
    static UnitFile parse(const QByteArray& content);

    Status status = Unreadable;
    // Empty when main.cpp no longer tells them.
    QString vendor;
    QString name;
    QString id;
    QString guiName;
    // As written, "icons/" followed by the file name.
    QString iconFileName;
    // The icon copy in the unit directory, when it exists (read only).
    QString iconPath;
    QString pluginBaseName;
    bool withDialog = false;
    QList<Generator::VariableDescriptor> inputs;
    QList<Generator::VariableDescriptor> outputs;
    QList<Generator::VariableDescriptor> stateVars;
    QStringList dropped;

    // The unit.xml a generator fed with these values would write.
    QByteArray regenerated() const;
    // A generator fed with these values, the icon copy as its icon.
    Generator generator() const;

    void addDropped(const QString& what);

private:
    // dropped once more, hashed: a file may name tens of thousands of
    // elements the form cannot show.
    QSet<QString> _dropped;
};

} // namespace unit
