#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "unit/Plan.h"

namespace xml {
class Element;
}

namespace unit {

// The description of one new function block and the plug-in project that is
// generated from it below the user's function block directory.
class Generator
{
public:
    // A fixed underlying type: any int is a valid value, and one that is not
    // Input counts as Output.
    enum ConnectorType : int {
        Input = 0,
        Output = 1,
    };

    struct VariableDescriptor
    {
        VariableDescriptor(const QString& name, const QString& type, const QString& description,
            const QString& defaultValue, bool hidden);

        QString name;
        QString type;
        QString description;
        QString defaultValue;
        bool hidden;
    };

    explicit Generator(bool withDialog);

    void setVendor(const QString& vendor);
    void setName(const QString& name);
    void setId(const QString& id);
    void setGuiName(const QString& guiName);
    void setIcon(const QString& icon);
    void setPluginBaseName(const QString& pluginBaseName);
    // A block opened from its directory is regenerated there, wherever that
    // lies, when generate is told to overwrite; otherwise it goes below the
    // function block directory as a new block would.
    void setUnitDir(const QString& unitDir);

    void addConnector(ConnectorType type, const QString& name, const QString& varType,
        const QString& description, const QString& defaultValue, bool hidden);
    void addStateVar(const QString& name, const QString& varType, const QString& defaultValue);

    // Creates the function block directory when it is missing.
    bool directoryExists() const;
    QString path();
    // Whether the block was opened from a directory that is not directly
    // below the function block directory: a new directory for it then lies
    // elsewhere than its own.
    bool isOutsideFunctionBlocks() const;

    // What generating into unitDir would do with each file, learnt by
    // reading only.
    Plan plan(const QString& unitDir) const;
    // Writes the new and replaced files of the plan for the target directory
    // and returns that plan; files whose bytes would not change keep their
    // time, inode and links. Throws Exception: NonUniqueId before anything is
    // created, WriteFailed with the failing path when the project cannot be
    // written completely.
    Plan generate(bool overwrite);

    // unit.xml
    QByteArray unitXml() const;
    static void processConnectors(const QList<VariableDescriptor>& connectors, const QString& side,
        xml::Element& typeConnectors, xml::Element& layouts, xml::Element& infos);
    static void processStateVars(const QList<VariableDescriptor>& stateVars, xml::Element& state);

    // CMake scripts
    QByteArray unitCMakeScript() const;
    QByteArray unitSimCMakeScript() const;
    QByteArray unitGuiCMakeScript() const;

    // C++ skeletons; the class builders return the class name.
    QString unitSimClass(QByteArray& header, QByteArray& source) const;
    QByteArray unitSimMainCpp() const;
    QString unitGuiClass(QByteArray& header, QByteArray& source) const;
    QByteArray unitGuiMainCpp() const;

private:
    // Throws WriteFailed with the first path below unitDir that no file
    // system could hold, before anything is made.
    void refuseImpossibleNames(const QString& unitDir) const;
    QString dirBaseName() const;
    QString className() const;
    QByteArray cmakeScript(const QString& suffix, const QString& recipe) const;
    QByteArray entryFile(const QString& plugin, const QString& interfaceMacro, const QString& listMacro,
        const QString& addLine) const;

    // Lines in the locale's encoding, each ending with a single LF.
    static QByteArray localText(const QStringList& lines);
    // The content of a C++ string literal that reads as the given text.
    static QString cppStringContent(const QString& text);

    bool _withDialog;
    QString _vendor;
    QString _name;
    QString _id;
    QString _guiName;
    QString _icon;
    QString _iconFileName;
    QString _pluginBaseName;
    QString _path;
    QString _unitDir;
    QList<VariableDescriptor> _inputs;
    QList<VariableDescriptor> _outputs;
    QList<VariableDescriptor> _stateVars;
};

} // namespace unit
