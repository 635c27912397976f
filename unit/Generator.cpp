#include "unit/Generator.h"

#include "fs/File.h"
#include "fs/FileName.h"
#include "fs/MakeDirectory.h"
#include "fs/UserPaths.h"
#include "unit/Exception.h"
#include "unit/Registry.h"

#include <QDir>
#include <QFileInfo>

#include <functional>

namespace unit {

namespace {

// Creates the function block directory when it is missing and returns its
// absolute path.
QString prepareFunctionBlockDir()
{
    fs::makePath(QDir::homePath(), fs::UserPaths::functionBlocksRelative(), fs::Links::Follow);
    return QDir::cleanPath(QDir::homePath() + QLatin1Char('/') + fs::UserPaths::functionBlocksRelative());
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

    void replace(const QString& relative, const QByteArray& bytes) const
    {
        const QString path = filePath(relative);
        refuseLink(path);
        if (!fs::writeFile(path, bytes, fs::Existing::Replace).ok())
            fail(path);
    }

    // Returns whether the file was absent and is now written. A link counts
    // as present, so it is never written through.
    bool createIfAbsent(const QString& relative, const QByteArray& bytes) const
    {
        const QString path = filePath(relative);
        if (fs::UserPaths::hasEntry(path))
            return false;
        if (!fs::writeFile(path, bytes, fs::Existing::Keep).ok())
            fail(path);
        return true;
    }

    // Class files come only with a new main.cpp: a user who removed one of
    // them while keeping main.cpp has rearranged the plug-in on purpose.
    // main.cpp is written last, so a run that failed before it still makes
    // the class files when retried.
    void createSkeletons(const QString& dir, const QByteArray& mainCpp,
        const std::function<QString(QByteArray&, QByteArray&)>& buildClass) const
    {
        const QString mainFile = dir + QLatin1String("/main.cpp");
        if (fs::UserPaths::hasEntry(filePath(mainFile)))
            return;
        QByteArray header, source;
        const QString name = buildClass(header, source);
        createIfAbsent(dir + QLatin1Char('/') + name + QLatin1String(".h"), header);
        createIfAbsent(dir + QLatin1Char('/') + name + QLatin1String(".cpp"), source);
        createIfAbsent(mainFile, mainCpp);
    }

    void copyIcon(const QString& icon, const QString& relative) const
    {
        const QString target = filePath(relative);
        refuseLink(target);
        const QFileInfo existing(target);
        if (existing.exists() && existing.canonicalFilePath() == QFileInfo(icon).canonicalFilePath())
            return;
        // An icon is small; the unit file limit only keeps a hostile one from
        // filling the memory.
        const fs::ReadResult read = fs::readFile(icon, fs::unitFileLimit);
        if (!read.ok() || !fs::writeFile(target, read.bytes, fs::Existing::Replace).ok())
            fail(target);
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
    return fs::UserPaths::hasEntry(targetParent() + QLatin1Char('/') + targetName());
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

void Generator::generate(bool overwrite)
{
    const QString functionBlockDir = targetParent();
    QString target = targetName();
    QString base = target;
    if (base.endsWith(QLatin1String(".unit")))
        base.chop(5);
    if (!overwrite && fs::UserPaths::hasEntry(functionBlockDir + QLatin1Char('/') + target)) {
        for (qint64 n = 0;; ++n) {
            target = QStringLiteral("%1_%2.unit").arg(base, QString::number(n));
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

    const UnitWriter writer(unitDir);
    writer.makePath(QStringLiteral("icons"));
    // Without a file name the icon vanished between setIcon and now.
    if (!_icon.isEmpty() && !_iconFileName.isEmpty() && QFileInfo(_icon).isFile())
        writer.copyIcon(_icon, QLatin1String("icons/") + _iconFileName);

    writer.makePath(QStringLiteral("plugin/simulation"));
    writer.replace(QStringLiteral("unit.xml"), unitXml());
    writer.replace(QStringLiteral("plugin/CMakeLists.txt"), unitCMakeScript());
    writer.replace(QStringLiteral("plugin/simulation/CMakeLists.txt"), unitSimCMakeScript());
    writer.createSkeletons(QStringLiteral("plugin/simulation"), unitSimMainCpp(),
        [this](QByteArray& header, QByteArray& source) { return unitSimClass(header, source); });

    if (_withDialog) {
        writer.makePath(QStringLiteral("plugin/gui"));
        writer.replace(QStringLiteral("plugin/gui/CMakeLists.txt"), unitGuiCMakeScript());
        writer.createSkeletons(QStringLiteral("plugin/gui"), unitGuiMainCpp(),
            [this](QByteArray& header, QByteArray& source) { return unitGuiClass(header, source); });
    }

    Registry::singleton()->refresh();
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

QString Generator::targetParent() const
{
    if (_unitDir.isEmpty())
        return prepareFunctionBlockDir();
    return _unitDir.left(qMax(_unitDir.lastIndexOf(QLatin1Char('/')), 1));
}

QString Generator::targetName() const
{
    if (_unitDir.isEmpty())
        return dirBaseName() + QLatin1String(".unit");
    return _unitDir.mid(_unitDir.lastIndexOf(QLatin1Char('/')) + 1);
}

QString Generator::className() const
{
    QString name = _name;
    if (!name.isEmpty())
        name[0] = name.at(0).toUpper();
    return name.remove(QLatin1Char(' '));
}

} // namespace unit
