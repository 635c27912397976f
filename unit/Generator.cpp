#include "unit/Generator.h"

#include "fs/File.h"
#include "fs/FileName.h"
#include "fs/MakeDirectory.h"
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
    fs::makePath(fs::UserPaths::home(), fs::UserPaths::functionBlocksRelative(), fs::Links::Follow);
    return QDir::cleanPath(fs::UserPaths::home() + QLatin1Char('/') + fs::UserPaths::functionBlocksRelative());
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

    // A linked directory on the way is met rather than followed.
    void makePath(const QString& relative) const
    {
        QString failed;
        if (fs::makePath(_unitDir, relative, fs::Links::Refuse, &failed) != 0)
            fail(failed);
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
        if (fs::isLink(path))
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
    _unitDir = QDir::cleanPath(
        QDir::isAbsolutePath(unitDir) ? unitDir : QDir::currentPath() + QLatin1Char('/') + unitDir);
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
        const qsizetype slash = _unitDir.lastIndexOf(QLatin1Char('/'));
        functionBlockDir = _unitDir.left(qMax(slash, qsizetype(1)));
        target = _unitDir.mid(slash + 1);
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
    refuseImpossibleNames(unitDir);

    const Registry* registry = Registry::singleton();
    if (registry->hasID(_id) && QDir(registry->getDir(_id).absolutePath()) != QDir(unitDir))
        throw Exception("FunctionBlockManager error", Exception::NonUniqueId);

    if (fs::makePath(functionBlockDir, target, fs::Links::Follow) != 0)
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

void Generator::refuseImpossibleNames(const QString& unitDir) const
{
    if (!fs::canExist(unitDir))
        throw Exception(unitDir.toStdString(), Exception::WriteFailed);
    QStringList files = { QStringLiteral("unit.xml"), QStringLiteral("plugin/simulation/CMakeLists.txt") };
    if (!_iconFileName.isEmpty())
        files << QLatin1String("icons/") + _iconFileName;
    const QString name = className();
    for (const QString& plugin : { QStringLiteral("simulation"), QStringLiteral("gui") }) {
        if (plugin == QLatin1String("gui") && !_withDialog)
            continue;
        for (const QString& suffix : { QStringLiteral(".h"), QStringLiteral(".cpp") })
            files << QStringLiteral("plugin/%1/%2%3").arg(plugin, name, suffix);
    }
    for (const QString& file : std::as_const(files)) {
        const QString path = unitDir + QLatin1Char('/') + file;
        if (!fs::canExist(path))
            throw Exception(path.toStdString(), Exception::WriteFailed);
    }
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
