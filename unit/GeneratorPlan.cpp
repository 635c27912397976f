#include "unit/Generator.h"

#include "fs/File.h"
#include "fs/UserPaths.h"

#include <QFileInfo>

namespace unit {

namespace {

// Looks at the files of one unit directory; reads, never writes.
class PlanBuilder
{
public:
    explicit PlanBuilder(const QString& unitDir)
        : _unitDir(unitDir)
    {
    }

    Plan plan;

    // A file that every run writes: its fate follows from its bytes.
    void regenerated(const QString& relative, const QByteArray& bytes)
    {
        Plan::Entry entry { relative, Plan::New, bytes, {} };
        const QString path = filePath(relative);
        // Nothing is written through a link, not even the same bytes: the
        // generation stops there and names it.
        if (QFileInfo(path).isSymLink()) {
            entry.fate = Plan::Replaced;
            entry.read = false;
        } else if (fs::UserPaths::hasEntry(path)) {
            const fs::ReadResult old = fs::readFile(path, fs::unitFileLimit);
            entry.fate = old.ok() && old.bytes == bytes ? Plan::Unchanged : Plan::Replaced;
            entry.read = old.ok();
            entry.old = old.bytes;
        }
        plan.add(entry);
    }

    void icon(const QString& source, const QString& relative)
    {
        // The icon the user picked may be the copy itself.
        const QFileInfo target(filePath(relative));
        if (target.exists() && target.canonicalFilePath() == QFileInfo(source).canonicalFilePath()) {
            plan.add({ relative, Plan::Unchanged, {}, {} });
            return;
        }
        // An icon is small; the unit file limit only keeps a hostile one from
        // filling the memory.
        const fs::ReadResult read = fs::readFile(source, fs::unitFileLimit);
        if (read.ok()) {
            regenerated(relative, read.bytes);
            return;
        }
        Plan::Entry entry { relative, fs::UserPaths::hasEntry(target.filePath()) ? Plan::Replaced : Plan::New,
            {}, {} };
        entry.read = false;
        plan.add(entry);
    }

    // Class files come only with a new main.cpp: a user who removed one of
    // them while keeping main.cpp has rearranged the plug-in on purpose.
    // main.cpp comes last, so a run that failed before it still makes the
    // class files when retried.
    // Without a class name (a block read back whose main.cpp no longer tells
    // its name) nothing is made and only main.cpp can be named.
    void skeletons(const QString& dir, const QByteArray& mainCpp, const QString& className,
        const QByteArray& header, const QByteArray& source)
    {
        const QString mainFile = dir + QLatin1String("/main.cpp");
        const bool newMain = !fs::UserPaths::hasEntry(filePath(mainFile)) && !className.isEmpty();
        if (!className.isEmpty()) {
            const QString classFile = dir + QLatin1Char('/') + className;
            skeleton(classFile + QLatin1String(".h"), header, newMain);
            skeleton(classFile + QLatin1String(".cpp"), source, newMain);
        }
        skeleton(mainFile, mainCpp, newMain);
    }

private:
    QString filePath(const QString& relative) const { return _unitDir + QLatin1Char('/') + relative; }

    // A link counts as present, so it is never written through.
    void skeleton(const QString& relative, const QByteArray& bytes, bool writable)
    {
        const bool present = fs::UserPaths::hasEntry(filePath(relative));
        if (!present && !writable)
            return;
        Plan::Entry entry { relative, present ? Plan::Kept : Plan::New, present ? QByteArray() : bytes, {} };
        entry.skeleton = true;
        plan.add(entry);
    }

    QString _unitDir;
};

} // namespace

Plan Generator::plan(const QString& unitDir) const
{
    PlanBuilder builder(unitDir);
    // Without a file name the icon vanished between setIcon and now.
    if (!_icon.isEmpty() && !_iconFileName.isEmpty() && QFileInfo(_icon).isFile())
        builder.icon(_icon, QLatin1String("icons/") + _iconFileName);
    builder.regenerated(QStringLiteral("unit.xml"), unitXml());
    builder.regenerated(QStringLiteral("plugin/CMakeLists.txt"), unitCMakeScript());
    builder.regenerated(QStringLiteral("plugin/simulation/CMakeLists.txt"), unitSimCMakeScript());
    QByteArray header, source;
    QString name = unitSimClass(header, source);
    builder.skeletons(QStringLiteral("plugin/simulation"), unitSimMainCpp(), name, header, source);
    if (_withDialog) {
        builder.regenerated(QStringLiteral("plugin/gui/CMakeLists.txt"), unitGuiCMakeScript());
        name = unitGuiClass(header, source);
        builder.skeletons(QStringLiteral("plugin/gui"), unitGuiMainCpp(), name, header, source);
    }
    return builder.plan;
}

} // namespace unit
