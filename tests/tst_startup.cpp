#include "support/ChildProcess.h"
#include "support/TestMain.h"

#include "app/Startup.h"
#include "unit/Registry.h"

#include <QDateTime>
#include <QFile>
#include <QLoggingCategory>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>

#include <sys/resource.h>

namespace {

void setMTime(const QString& path, const QDateTime& time)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
}

} // namespace

class StartupTest : public QObject
{
    Q_OBJECT

private:
    TestHome _home;
    QTemporaryDir _template;

    QString data() const { return _home.path() + "/Ostrel/Velmora2"; }

    void useTemplate(const QString& path) { QSettings().setValue("userdir", path); }

    void writeTemplate(const QString& relative, const QByteArray& content)
    {
        TestHome::writeFile(_template.path() + "/" + relative, content);
    }

private slots:
    void initTestCase()
    {
        QCoreApplication::setOrganizationName("KIV GmbH");
        QCoreApplication::setApplicationName("Velmora 2");
    }

    void init()
    {
        _home.reset();
        TestHome::removeTree(_template.path());
        QVERIFY(QDir().mkpath(_template.path()));
        useTemplate(_template.path());
    }

    void readIniRecordsTheTemplateDirectory()
    {
        const QString defaultPath = QCoreApplication::applicationDirPath() + "/../user";
        QSettings().setValue("userdir", "/somewhere/else");
        readIni(_home.path() + "/missing.ini");
        QCOMPARE(QSettings().value("userdir").toString(), defaultPath);

        TestHome::writeFile(_home.path() + "/velmora2/velmora2.ini", "userdir=relative/tmpl\n");
        QDir::setCurrent(_home.path() + "/velmora2");
        readIni("../velmora2/velmora2.ini");
        QCOMPARE(QSettings().value("userdir").toString(), QString("relative/tmpl"));

        // The ini path is relative to the working directory: from elsewhere it is not found.
        QVERIFY(QDir().mkpath(_home.path() + "/elsewhere/cwd"));
        QDir::setCurrent(_home.path() + "/elsewhere/cwd");
        readIni("../velmora2/velmora2.ini");
        QCOMPARE(QSettings().value("userdir").toString(), defaultPath);

        TestHome::writeFile(_home.path() + "/velmora2/velmora2.ini", "[other]\nuserdir=grouped\n");
        QDir::setCurrent(_home.path() + "/velmora2");
        readIni("../velmora2/velmora2.ini");
        QCOMPARE(QSettings().value("userdir").toString(), QString());
        QDir::setCurrent(_home.path());
    }

    void firstStartCopiesTheTemplateWithoutHiddenEntries()
    {
        writeTemplate("devices/MyFunctionBlocks/device.xml", "device");
        writeTemplate("units/a.unit/unit.xml", "a");
        writeTemplate("units/a.unit/icons/a.png", "png");
        writeTemplate("top.txt", "top");
        writeTemplate(".hidden.txt", "hidden");
        writeTemplate(".hiddenDir/file.txt", "hidden");
        writeTemplate("units/.git/config", "hidden");
        QVERIFY(QDir().mkpath(_template.path() + "/empty/dir"));

        initUserProfile();

        QMap<QString, QByteArray> expected { { "devices/MyFunctionBlocks/device.xml", "device" },
            { "units/a.unit/unit.xml", "a" }, { "units/a.unit/icons/a.png", "png" }, { "top.txt", "top" } };
        QCOMPARE(TestHome::filesBelow(data()), expected);
        QVERIFY(QFileInfo(data() + "/empty/dir").isDir());
        QVERIFY(!QFileInfo::exists(data() + "/.hiddenDir"));
    }

    void laterStartsOnlyAddWhatIsMissing()
    {
        writeTemplate("units/a.unit/unit.xml", "template a");
        writeTemplate("units/b.unit/unit.xml", "template b");
        writeTemplate("readme.txt", "template readme");
        initUserProfile();

        const QDateTime old = QDateTime::currentDateTime().addDays(-3);
        const QStringList files { "units/a.unit/unit.xml", "units/b.unit/unit.xml", "readme.txt" };
        for (const QString& file : files)
            setMTime(data() + "/" + file, old);
        TestHome::writeFile(data() + "/units/a.unit/unit.xml", "edited by the user");
        setMTime(data() + "/units/a.unit/unit.xml", old);
        QVERIFY(QFile::remove(data() + "/readme.txt"));
        // A directory of the user where the template has a file stays a directory.
        QVERIFY(QFile::remove(data() + "/units/b.unit/unit.xml"));
        QVERIFY(QDir().mkpath(data() + "/units/b.unit/unit.xml"));

        initUserProfile();

        QCOMPARE(TestHome::readFile(data() + "/units/a.unit/unit.xml"), QByteArray("edited by the user"));
        QCOMPARE(QFileInfo(data() + "/units/a.unit/unit.xml").lastModified(), old);
        QCOMPARE(TestHome::readFile(data() + "/readme.txt"), QByteArray("template readme"));
        QVERIFY(QFileInfo(data() + "/units/b.unit/unit.xml").isDir());
    }

    void unchangedTemplateTouchesNothing()
    {
        writeTemplate("units/a.unit/unit.xml", "a");
        writeTemplate("devices/d/device.xml", "d");
        initUserProfile();
        const QDateTime old = QDateTime::currentDateTime().addDays(-1);
        setMTime(data() + "/units/a.unit/unit.xml", old);
        setMTime(data() + "/devices/d/device.xml", old);
        const auto before = TestHome::filesBelow(data());
        const QDateTime dirTime = QFileInfo(data() + "/units").lastModified();

        initUserProfile();

        QCOMPARE(TestHome::filesBelow(data()), before);
        QCOMPARE(QFileInfo(data() + "/units/a.unit/unit.xml").lastModified(), old);
        QCOMPARE(QFileInfo(data() + "/devices/d/device.xml").lastModified(), old);
        QCOMPARE(QFileInfo(data() + "/units").lastModified(), dirTime);
    }

    void blockedDirectoryIsSkippedWithItsContents()
    {
        writeTemplate("a/inner.txt", "a");
        writeTemplate("blocked/secret.txt", "must not land anywhere");
        writeTemplate("blocked/deeper/more.txt", "must not land anywhere");
        writeTemplate("z/inner.txt", "z");
        writeTemplate("after.txt", "after");
        TestHome::writeFile(data() + "/blocked", "a plain file of the user");

        QDir source(_template.path());
        QDir target(data());
        copyRec(source, target);

        QCOMPARE(source.path(), _template.path());
        QCOMPARE(target.path(), data());
        QCOMPARE(TestHome::readFile(data() + "/blocked"), QByteArray("a plain file of the user"));
        QMap<QString, QByteArray> expected { { "a/inner.txt", "a" }, { "z/inner.txt", "z" },
            { "after.txt", "after" }, { "blocked", "a plain file of the user" } };
        QCOMPARE(TestHome::filesBelow(data()), expected);
        QVERIFY(!QFileInfo::exists(_home.path() + "/secret.txt"));
        QVERIFY(!QFileInfo::exists(_home.path() + "/Ostrel/secret.txt"));
    }

    void blockedDataTreeCopiesNothing()
    {
        writeTemplate("top.txt", "top");
        writeTemplate("units/u/unit.xml", "u");
        TestHome::writeFile(_home.path() + "/Ostrel/Velmora2", "a plain file");

        initUserProfile();

        auto home = TestHome::filesBelow(_home.path());
        for (const QString& key : home.keys()) {
            if (key.startsWith(".config/"))
                home.remove(key);
        }
        QCOMPARE(home, (QMap<QString, QByteArray> { { "Ostrel/Velmora2", "a plain file" } }));
    }

    void emptyTemplatePathCopiesNothing()
    {
        // An empty path would name the working directory.
        TestHome::writeFile(_home.path() + "/cwd/file.txt", "cwd");
        QDir::setCurrent(_home.path() + "/cwd");
        useTemplate(QString());
        initUserProfile();
        QVERIFY(QFileInfo(data()).isDir());
        QVERIFY(TestHome::filesBelow(data()).isEmpty());
        QDir::setCurrent(_home.path());
    }

    void linksAreFollowedWithoutLooping()
    {
        writeTemplate("real/file.txt", "content");
        QVERIFY(QFile::link(_template.path() + "/real", _template.path() + "/real/loop"));
        QVERIFY(QFile::link(_template.path(), _template.path() + "/real/up"));
        QVERIFY(QFile::link(_template.path() + "/real/file.txt", _template.path() + "/linked.txt"));

        initUserProfile();

        QCOMPARE(TestHome::readFile(data() + "/linked.txt"), QByteArray("content"));
        QVERIFY(!QFileInfo(data() + "/linked.txt").isSymLink());
        QCOMPARE(TestHome::readFile(data() + "/real/file.txt"), QByteArray("content"));
        QVERIFY(TestHome::filesBelow(data()).size() <= 4);
    }

    void everyLinkIsMergedOnlyCyclesAreSkipped()
    {
        writeTemplate("shared/file.txt", "s");
        QVERIFY(QFile::link(_template.path() + "/shared", _template.path() + "/a"));
        QVERIFY(QFile::link(_template.path() + "/shared", _template.path() + "/b"));
        QVERIFY(QFile::link(_template.path(), _template.path() + "/shared/up"));
        QLoggingCategory::setFilterRules(QStringLiteral("fbmanager.fs.info=true"));
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression("link back to a directory above it.*/shared/up"));
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression("link back to a directory above it.*/a/up"));
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression("link back to a directory above it.*/b/up"));

        initUserProfile();
        QLoggingCategory::setFilterRules({});

        QCOMPARE(TestHome::filesBelow(data()).keys(),
            QStringList({ "a/file.txt", "b/file.txt", "shared/file.txt" }));
    }

    // Depth costs no descriptors: the merge and the registry reach the bottom
    // of a tree far deeper than the process may hold descriptors open.
    void deepTreesNeedFewDescriptors()
    {
        const QString deep = "units" + QString("/d").repeated(400);
        writeTemplate(deep + "/unit.xml",
            "<unit:unit><unit:unittypes><unit:unittype unit:id=\"Deep\"/></unit:unittypes></unit:unit>");
        QVERIFY(ChildProcess::run([] {
            const struct rlimit limit = { 32, 32 };
            ::setrlimit(RLIMIT_NOFILE, &limit);
            initUserProfile();
            unit::Registry::singleton()->refresh();
            return unit::Registry::singleton()->hasID("Deep");
        }));
        QVERIFY(QFileInfo(data() + "/" + deep + "/unit.xml").isFile());
    }

    void everyNameIsMerged()
    {
        const QByteArray from = QFile::encodeName(_template.path());
        const QByteArray to = QFile::encodeName(data());
        TestHome::writeRawFile(from + "/units/Vend\xffor/block.unit/unit.xml", "a");
        TestHome::writeRawFile(from + "/caf\xe9.txt", "b");
        TestHome::writeRawFile(from + "/Gr\xc3\xbc\xc3\x9f\x65/\xed\xb2\x80", "c");
        TestHome::writeRawFile(to + "/caf\xe9.txt", "the user's");
        // As long as a name can be: the copy's temporary name must still fit.
        TestHome::writeRawFile(from + "/" + QByteArray(255, 'n'), "d");

        initUserProfile();

        QCOMPARE(TestHome::readRawFile(to + "/units/Vend\xffor/block.unit/unit.xml"), QByteArray("a"));
        QCOMPARE(TestHome::readRawFile(to + "/caf\xe9.txt"), QByteArray("the user's"));
        QCOMPARE(TestHome::readRawFile(to + "/Gr\xc3\xbc\xc3\x9f\x65/\xed\xb2\x80"), QByteArray("c"));
        QCOMPARE(TestHome::readRawFile(to + "/" + QByteArray(255, 'n')), QByteArray("d"));
    }

    void templateInsideTheDataTreeEnds()
    {
        TestHome::writeFile(data() + "/units/u/unit.xml", "u");
        useTemplate(_home.path() + "/Ostrel");
        initUserProfile();
        QVERIFY(!QFileInfo::exists(data() + "/Velmora2"));
        QCOMPARE(TestHome::filesBelow(data()).keys(), QStringList({ "units/u/unit.xml" }));
    }

    void shippedTemplateSeedsAnEmptyHome()
    {
        // Test programs live one level below the build tree, like bin/fbmanager.
        readIni(_home.path() + "/no-such.ini");
        initUserProfile();
        unit::Registry::singleton()->refresh();
        QVERIFY(QFileInfo(data() + "/devices/MyFunctionBlocks/device.xml").isFile());
        QCOMPARE(unit::Registry::singleton()->getIDs(),
            QStringList({ "Examples Counter", "Examples Gain", "Examples Sum" }));
    }

    void commandLineEndsBeforeAnythingElse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("lang");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out"); // patterns, matched from the start
        QTest::addColumn<QString>("err");

        const QString help
            = "Usage: \\S+ \\[options\\]\n(.+\n)+\nOptions:\n"
              "  -h, --help +Show this help and exit.\n  -v, --version +Show the version and exit.\n"
              "  --regenerate <file> +Regenerate (.+\n)+  --force +With --regenerate(.+\n)+"
              "  --check-device +List (.+\n)+\\z";
        const QString version = "fbmanager \\d+\\.\\d+\\.\\d+\n\\z";
        QTest::newRow("--help") << QStringList { "--help" } << "C" << 0 << help << "\\z";
        QTest::newRow("-h") << QStringList { "-h" } << "C" << 0 << help << "\\z";
        QTest::newRow("German help") << QStringList { "-h" } << "de_DE.UTF-8" << 0
                                     << "Aufruf: \\S+ \\[Optionen\\]\n(.+\n)+\nOptionen:\n"
                                        "  -h, --help +Diese Hilfe anzeigen und beenden.\n"
                                     << "\\z";
        QTest::newRow("--version") << QStringList { "--version" } << "C" << 0 << version << "\\z";
        QTest::newRow("-v") << QStringList { "-v" } << "C" << 0 << version << "\\z";
        QTest::newRow("toolkit option before -v")
            << QStringList { "-style", "fusion", "-v" } << "C" << 0 << version << "\\z";
        QTest::newRow("unknown option") << QStringList { "--frobnicate" } << "C" << 1 << "\\z"
                                        << "Unknown option 'frobnicate'.\n\n" + help;
        QTest::newRow("unknown option, German") << QStringList { "-x" } << "de_DE.UTF-8" << 1 << "\\z"
                                                << "Unbekannte Option 'x'.\n\nAufruf: ";
        QTest::newRow("file argument") << QStringList { "device.xml" } << "C" << 1 << "\\z"
                                       << "Unexpected argument 'device.xml': the program takes no file "
                                          "arguments.\n\nUsage: ";
        QTest::newRow("help wins over version") << QStringList { "-v", "-h" } << "C" << 0 << help << "\\z";
    }

    // No display: had the program gone on to make its window, it would abort.
    void commandLineEndsBeforeAnythingElse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, lang);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QProcess program;
        QProcessEnvironment env;
        env.insert("HOME", _home.path());
        // A locale every machine has, so that Qt has nothing to say about it;
        // the language of the messages comes from LANGUAGE, which Qt reads too.
        env.insert("LC_ALL", "C.UTF-8");
        if (lang != QLatin1String("C"))
            env.insert("LANGUAGE", lang);
        env.insert("PATH", qEnvironmentVariable("PATH"));
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(_home.path());
        program.start(FBM_PROGRAM, arguments);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), exitCode);
        const QString stdOut = QString::fromUtf8(program.readAllStandardOutput());
        const QString stdErr = QString::fromUtf8(program.readAllStandardError());
        QVERIFY2(QRegularExpression("\\A" + out).match(stdOut).hasMatch(), qPrintable(stdOut));
        QVERIFY2(QRegularExpression("\\A" + err).match(stdErr).hasMatch(), qPrintable(stdErr));
        QCOMPARE(QDir(_home.path())
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            QStringList());
    }

    void programStartCreatesTheDataTree()
    {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", _home.path());
        env.insert("XDG_CONFIG_HOME", _home.path() + "/.config");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(_home.path());
        program.start(FBM_PROGRAM, {});
        QVERIFY(program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(data() + "/units/Examples/sum.unit/unit.xml"), 10000);
        program.kill();
        program.waitForFinished();
        QCOMPARE(QSettings(_home.path() + "/.config/KIV GmbH/Velmora 2.conf", QSettings::IniFormat)
                     .value("userdir")
                     .toString(),
            QFileInfo(FBM_PROGRAM).absolutePath() + "/../user");
    }
};

FBM_TEST_MAIN(StartupTest)
#include "tst_startup.moc"
