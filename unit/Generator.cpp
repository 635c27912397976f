#include "unit/Generator.h"

#include "fs/File.h"
#include "fs/UserPaths.h"
#include "unit/Exception.h"
#include "unit/Registry.h"

#include <QDir>
#include <QFileInfo>

namespace unit {

namespace {

// Creates the function block directory when it is missing and returns its
// absolute path.
QString prepareFunctionBlockDir()
{
    QDir home = QDir::home();
    if (!home.exists(fs::UserPaths::functionBlocksRelative()))
        home.mkpath(fs::UserPaths::functionBlocksRelative());
    return QDir::cleanPath(home.absoluteFilePath(fs::UserPaths::functionBlocksRelative()));
}

// Writes the files of one unit directory; the first file that cannot be
// written ends the generation. Each file takes its name only when complete,
// so a failed run leaves every file old or absent and a retry finishes the
// project. Nothing is written through a symbolic link inside the unit
// directory: it could lead anywhere.
class UnitWriter
{
public:
    explicit UnitWriter(const QString& unitDir)
        : _unitDir(unitDir)
    {
    }

    QString filePath(const QString& relative) const { return _unitDir + QLatin1Char('/') + relative; }

    // Creates the directories of relative one level at a time, so that a
    // linked directory on the way is met rather than followed.
    void makePath(const QString& relative) const
    {
        QString path = _unitDir;
        for (const QString& part : relative.split(QLatin1Char('/'))) {
            path += QLatin1Char('/') + part;
            refuseLink(path);
            if (!QFileInfo(path).isDir() && !QDir().mkdir(path))
                fail(path);
        }
    }

    // Files the plan leaves alone are not touched at all.
    void write(const Plan::Entry& entry) const
    {
        if (entry.fate != Plan::New && entry.fate != Plan::Replaced)
            return;
        const QString path = filePath(entry.path);
        refuseLink(path);
        // A skeleton never replaces what appeared at its name meanwhile.
        const fs::Existing existing = entry.skeleton ? fs::Existing::Keep : fs::Existing::Replace;
        if (!entry.read || !fs::writeFile(path, entry.bytes, existing).ok())
            fail(path);
    }

    [[noreturn]] static void fail(const QString& path)
    {
        // The files written so far are real; the registry should know them.
        Registry::singleton()->refresh();
        throw Exception(path.toStdString(), Exception::WriteFailed);
    }

private:
    static void refuseLink(const QString& path)
    {
        if (QFileInfo(path).isSymLink())
            fail(path);
    }

    QString _unitDir;
};

} // namespace

Generator::VariableDescriptor::VariableDescriptor(const QString& name, const QString& type,
    const QString& description, const QString& defaultValue, bool hidden)
    : name(name)
    , type(type)
    , description(description)
    , defaultValue(defaultValue)
    , hidden(hidden)
{
}

Generator::Generator(bool withDialog)
    : _withDialog(withDialog)
{
}

void Generator::setVendor(const QString& vendor)
{
    _vendor = vendor;
}

void Generator::setName(const QString& name)
{
    _name = name;
}

void Generator::setId(const QString& id)
{
    _id = id;
}

void Generator::setGuiName(const QString& guiName)
{
    _guiName = guiName;
}

void Generator::setIcon(const QString& icon)
{
    _icon = icon;
    const QFileInfo info(icon);
    if (info.isFile())
        _iconFileName = info.fileName();
}

void Generator::setPluginBaseName(const QString& pluginBaseName)
{
    _pluginBaseName = pluginBaseName;
}

void Generator::setUnitDir(const QString& unitDir)
{
    _unitDir = QDir::cleanPath(QDir(unitDir).absolutePath());
    _path.clear();
}

void Generator::addConnector(ConnectorType type, const QString& name, const QString& varType,
    const QString& description, const QString& defaultValue, bool hidden)
{
    QList<VariableDescriptor>& list = type == Input ? _inputs : _outputs;
    list.append(VariableDescriptor(name, varType, description, defaultValue, hidden));
}

void Generator::addStateVar(const QString& name, const QString& varType, const QString& defaultValue)
{
    _stateVars.append(VariableDescriptor(name, varType, QString(), defaultValue, false));
}

bool Generator::directoryExists() const
{
    if (!_unitDir.isEmpty())
        return fs::UserPaths::hasEntry(_unitDir);
    return fs::UserPaths::hasEntry(
        prepareFunctionBlockDir() + QLatin1Char('/') + dirBaseName() + QLatin1String(".unit"));
}

QString Generator::path()
{
    if (_path.isEmpty() && !_unitDir.isEmpty())
        _path = _unitDir;
    if (_path.isEmpty())
        _path = QDir::cleanPath(QDir::fromNativeSeparators(
            fs::UserPaths::functionBlocksPath() + dirBaseName() + QLatin1String(".unit")));
    return _path;
}

bool Generator::isOutsideFunctionBlocks() const
{
    return !_unitDir.isEmpty()
        && QFileInfo(_unitDir).absolutePath() != QDir::cleanPath(fs::UserPaths::functionBlocksPath());
}

Plan Generator::generate(bool overwrite)
{
    // Only Yes regenerates an opened block where it lies; a new directory
    // belongs in the user's own tree, never beside a block opened elsewhere.
    QString functionBlockDir;
    QString target;
    if (overwrite && !_unitDir.isEmpty()) {
        functionBlockDir = QFileInfo(_unitDir).absolutePath();
        target = QFileInfo(_unitDir).fileName();
    } else {
        functionBlockDir = prepareFunctionBlockDir();
        target = dirBaseName() + QLatin1String(".unit");
    }
    if (!overwrite && fs::UserPaths::hasEntry(functionBlockDir + QLatin1Char('/') + target)) {
        for (qint64 n = 0;; ++n) {
            target = QStringLiteral("%1_%2.unit").arg(dirBaseName(), QString::number(n));
            if (!fs::UserPaths::hasEntry(functionBlockDir + QLatin1Char('/') + target))
                break;
        }
    }
    const QString unitDir = functionBlockDir + QLatin1Char('/') + target;

    const Registry* registry = Registry::singleton();
    if (registry->hasID(_id) && QDir(registry->getDir(_id).absolutePath()) != QDir(unitDir))
        throw Exception("FunctionBlockManager error", Exception::NonUniqueId);

    QDir(functionBlockDir).mkdir(target);
    if (!QFileInfo(unitDir).isDir())
        UnitWriter::fail(unitDir);
    _path = unitDir;

    const Plan plan = this->plan(unitDir);
    const UnitWriter writer(unitDir);
    writer.makePath(QStringLiteral("icons"));
    writer.makePath(QStringLiteral("plugin/simulation"));
    for (const Plan::Entry& entry : plan.entries()) {
        const qsizetype slash = entry.path.lastIndexOf(QLatin1Char('/'));
        if (slash > 0)
            writer.makePath(entry.path.left(slash));
        writer.write(entry);
    }

    Registry::singleton()->refresh();
    return plan;
}

QString Generator::dirBaseName() const
{
    return _name.toLower().remove(QLatin1Char(' '));
}

QString Generator::className() const
{
    QString name = _name;
    if (!name.isEmpty())
        name[0] = name.at(0).toUpper();
    return name.remove(QLatin1Char(' '));
}

} // namespace unit
