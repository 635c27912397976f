#include "support/ExampleBlock.h"
#include "support/TestMain.h"

#include "unit/Exception.h"
#include "unit/Generator.h"
#include "unit/Registry.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

using unit::Generator;

namespace {

const char* const otherProcessOutput = "FBM_GENERATOR_TEST_OUTPUT";

// Everything a block's generator produces, in one piece.
QByteArray allTexts(const Generator& g)
{
    QByteArray simHeader, simSource, guiHeader, guiSource;
    g.unitSimClass(simHeader, simSource);
    g.unitGuiClass(guiHeader, guiSource);
    return g.unitXml() + g.unitCMakeScript() + g.unitSimCMakeScript() + g.unitGuiCMakeScript()
        + g.unitSimMainCpp() + simHeader + simSource + g.unitGuiMainCpp() + guiHeader + guiSource;
}

} // namespace

class GeneratorTest : public QObject
{
    Q_OBJECT

private:
    TestHome _home;
    unit::Registry* _registry = unit::Registry::singleton();

    QString blocks() const { return _home.path() + "/Ostrel/Velmora2/units/MyFunctionBlocks"; }
    QString unitDir(const QString& name = "myblock.unit") const { return blocks() + "/" + name; }

private slots:
    void init()
    {
        _home.reset();
        _registry->refresh();
    }

    void exceptionCarriesMessageAndCode()
    {
        try {
            throw Exception("FunctionBlockManager error", Exception::NonUniqueId);
        } catch (const kiv::core::Exception& e) {
            QCOMPARE(e.getMessage(), std::string("FunctionBlockManager error"));
            QCOMPARE(QByteArray(e.what()), QByteArray("FunctionBlockManager error"));
            QCOMPARE(dynamic_cast<const Exception&>(e).code, 1);
        }
        QCOMPARE(int(Exception::WriteFailed), 2);
    }

    void defaultTargetBeforeAndAfterGenerating()
    {
        Generator g = exampleBlock();
        QVERIFY(!QFileInfo::exists(blocks()));
        QVERIFY(!g.directoryExists());
        QVERIFY(QFileInfo(blocks()).isDir());
        QCOMPARE(g.path(), unitDir());
        QCOMPARE(generateCode(g, false), 0);
        QCOMPARE(g.path(), unitDir());
        QVERIFY(exampleBlock().directoryExists());

        QCOMPARE(TestHome::entriesBelow(unitDir()),
            QStringList({ "plugin/CMakeLists.txt", "plugin/gui/CMakeLists.txt", "plugin/gui/MyBlock.cpp",
                "plugin/gui/MyBlock.h", "plugin/gui/main.cpp", "plugin/simulation/CMakeLists.txt",
                "plugin/simulation/MyBlock.cpp", "plugin/simulation/MyBlock.h", "plugin/simulation/main.cpp",
                "unit.xml" }));
        QVERIFY(QFileInfo(unitDir() + "/icons").isDir());

        QByteArray header, source;
        g.unitGuiClass(header, source);
        QCOMPARE(TestHome::readFile(unitDir() + "/unit.xml"), g.unitXml());
        QCOMPARE(TestHome::readFile(unitDir() + "/plugin/CMakeLists.txt"), g.unitCMakeScript());
        QCOMPARE(TestHome::readFile(unitDir() + "/plugin/gui/main.cpp"), g.unitGuiMainCpp());
        QCOMPARE(TestHome::readFile(unitDir() + "/plugin/gui/MyBlock.cpp"), source);

        // The new block is known at once.
        QVERIFY(_registry->hasID("ACME My Block"));
        QCOMPARE(_registry->getDir("ACME My Block").absolutePath(), unitDir());
    }

    void generatedProjectConfigures_data()
    {
        QTest::addColumn<bool>("withDialog");
        QTest::addColumn<QByteArray>("names");
        QTest::newRow("with dialog") << true
                                     << QByteArray(
                                            "[unit_myblock][unit_myblock_simulation][unit_myblock_gui]");
        QTest::newRow("without dialog") << false << QByteArray("[unit_myblock][unit_myblock_simulation]");
    }

    // The system's CMake configures the scripts as written, against stand-in
    // recipes that record the library name each script sets. The Windows
    // branch takes the recipe directory from the environment, so the test
    // enters that one; the other differs only in its fixed prefix.
    void generatedProjectConfigures()
    {
        QFETCH(bool, withDialog);
        QFETCH(QByteArray, names);
        const QString api = _home.path() + "/api";
        const QByteArray record = "file(APPEND ${CMAKE_BINARY_DIR}/names \"[${NAME}]\")\n";
        TestHome::writeFile(api + "/cmake/unit_plugin.cmake",
            record
                + "add_subdirectory(simulation)\nif(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/gui)\n"
                  "add_subdirectory(gui)\nendif()\n");
        TestHome::writeFile(api + "/cmake/unit_plugin_simulation.cmake", record);
        TestHome::writeFile(api + "/cmake/unit_plugin_gui.cmake", record);
        Generator g = exampleBlock(withDialog);
        QCOMPARE(generateCode(g, false), 0);

        QProcess cmake;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VELMORA2_API_DIR", api);
        cmake.setProcessEnvironment(env);
        // Deprecation warnings fail it: they are what later versions turn into errors.
        cmake.start(FBM_CMAKE,
            { "-Wno-dev", "-Werror=deprecated", "-DWIN32=ON", "-S", unitDir() + "/plugin", "-B",
                _home.path() + "/build" });
        QVERIFY(cmake.waitForFinished(60000));
        QVERIFY2(cmake.exitCode() == 0, cmake.readAllStandardError().constData());
        QCOMPARE(TestHome::readFile(_home.path() + "/build/names"), names);
    }

    void existingTargetGetsAnAlternativeName()
    {
        QDir().mkpath(unitDir());
        TestHome::writeFile(unitDir("myblock_1.unit"), "a plain file is an entry too");

        Generator first = exampleBlock();
        QVERIFY(first.directoryExists());
        QCOMPARE(first.path(), unitDir());
        first.setId("first");
        QCOMPARE(generateCode(first, false), 0);
        QCOMPARE(first.path(), unitDir("myblock_0.unit"));

        Generator second = exampleBlock();
        second.setId("second");
        QCOMPARE(generateCode(second, false), 0);
        QCOMPARE(second.path(), unitDir("myblock_2.unit"));
        QVERIFY(QFileInfo::exists(unitDir("myblock_2.unit") + "/unit.xml"));
        QVERIFY(!QFileInfo::exists(unitDir() + "/unit.xml"));
    }

    void overwriteRewritesDescriptionButKeepsSources()
    {
        Generator g = exampleBlock();
        QCOMPARE(generateCode(g, false), 0);
        const QStringList kept
            = { "plugin/simulation/main.cpp", "plugin/simulation/MyBlock.h", "plugin/simulation/MyBlock.cpp",
                  "plugin/gui/main.cpp", "plugin/gui/MyBlock.h", "plugin/gui/MyBlock.cpp" };
        const QStringList rewritten = { "unit.xml", "plugin/CMakeLists.txt",
            "plugin/simulation/CMakeLists.txt", "plugin/gui/CMakeLists.txt" };
        for (const QString& file : kept + rewritten)
            TestHome::writeFile(unitDir() + "/" + file, "user's own");

        Generator changed = exampleBlock();
        changed.setPluginBaseName("renamed");
        changed.addConnector(Generator::Input, "extra", "float", "", "", false);
        QCOMPARE(generateCode(changed, true), 0);
        QCOMPARE(changed.path(), unitDir());
        for (const QString& file : kept)
            QCOMPARE(TestHome::readFile(unitDir() + "/" + file), QByteArray("user's own"));
        QCOMPARE(TestHome::readFile(unitDir() + "/unit.xml"), changed.unitXml());
        QCOMPARE(TestHome::readFile(unitDir() + "/plugin/CMakeLists.txt"), changed.unitCMakeScript());
        QCOMPARE(TestHome::readFile(unitDir() + "/plugin/simulation/CMakeLists.txt"),
            changed.unitSimCMakeScript());
        QCOMPARE(TestHome::readFile(unitDir() + "/plugin/gui/CMakeLists.txt"), changed.unitGuiCMakeScript());
    }

    void classFilesOnlyComeWithANewMainCpp()
    {
        Generator g = exampleBlock();
        QCOMPARE(generateCode(g, false), 0);
        QFile::remove(unitDir() + "/plugin/simulation/MyBlock.h");
        QFile::remove(unitDir() + "/plugin/gui/MyBlock.cpp");
        QCOMPARE(generateCode(g, true), 0);
        QVERIFY(!QFileInfo::exists(unitDir() + "/plugin/simulation/MyBlock.h"));
        QVERIFY(!QFileInfo::exists(unitDir() + "/plugin/gui/MyBlock.cpp"));

        // A new main.cpp brings back the missing class file and leaves the other alone.
        QFile::remove(unitDir() + "/plugin/simulation/main.cpp");
        TestHome::writeFile(unitDir() + "/plugin/simulation/MyBlock.cpp", "user's own");
        QCOMPARE(generateCode(g, true), 0);
        QByteArray header, source;
        g.unitSimClass(header, source);
        QCOMPARE(TestHome::readFile(unitDir() + "/plugin/simulation/main.cpp"), g.unitSimMainCpp());
        QCOMPARE(TestHome::readFile(unitDir() + "/plugin/simulation/MyBlock.h"), header);
        QCOMPARE(TestHome::readFile(unitDir() + "/plugin/simulation/MyBlock.cpp"), QByteArray("user's own"));
        QVERIFY(!QFileInfo::exists(unitDir() + "/plugin/gui/MyBlock.cpp"));
    }

    void withoutDialogNothingBelowGuiIsTouched()
    {
        Generator g = exampleBlock(false);
        QCOMPARE(generateCode(g, false), 0);
        QVERIFY(!QFileInfo::exists(unitDir() + "/plugin/gui"));
        QVERIFY(!TestHome::readFile(unitDir() + "/unit.xml").contains("plugin:type=\"dialog\""));

        TestHome::writeFile(unitDir() + "/plugin/gui/CMakeLists.txt", "from an earlier run");
        QCOMPARE(generateCode(g, true), 0);
        QCOMPARE(TestHome::entriesBelow(unitDir() + "/plugin/gui"), QStringList({ "CMakeLists.txt" }));
        QCOMPARE(
            TestHome::readFile(unitDir() + "/plugin/gui/CMakeLists.txt"), QByteArray("from an earlier run"));
    }

    void idDeclaredElsewhereStopsBeforeAnythingIsCreated()
    {
        TestHome::writeFile(blocks() + "/other.unit/unit.xml",
            "<unit:unit><unit:unittypes><unit:unittype unit:id=\"ACME My "
            "Block\"/></unit:unittypes></unit:unit>");
        _registry->refresh();

        Generator g = exampleBlock();
        g.setIcon(blocks() + "/other.unit/unit.xml");
        QString message;
        QCOMPARE(generateCode(g, false, &message), int(Exception::NonUniqueId));
        QCOMPARE(message, QString("FunctionBlockManager error"));
        QVERIFY(!QFileInfo::exists(unitDir()));
        QCOMPARE(
            QDir(blocks()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList({ "other.unit" }));
    }

    void regeneratingOverItselfIsNoClash()
    {
        Generator g = exampleBlock();
        QCOMPARE(generateCode(g, false), 0);
        QVERIFY(_registry->hasID("ACME My Block"));

        Generator again = exampleBlock();
        QCOMPARE(generateCode(again, true), 0);
        QCOMPARE(again.path(), unitDir());

        // An alternative directory would declare the same id a second time.
        Generator elsewhere = exampleBlock();
        QCOMPARE(generateCode(elsewhere, false), int(Exception::NonUniqueId));
        QVERIFY(!QFileInfo::exists(unitDir("myblock_0.unit")));
    }

    void iconIsCopiedOverAnOldOne()
    {
        TestHome::writeFile(_home.path() + "/pictures/block.png", "new icon");
        TestHome::writeFile(unitDir() + "/icons/block.png", "old icon");
        Generator g = exampleBlock();
        g.setIcon(_home.path() + "/pictures/block.png");
        QCOMPARE(generateCode(g, true), 0);
        QCOMPARE(TestHome::readFile(unitDir() + "/icons/block.png"), QByteArray("new icon"));
        QVERIFY(TestHome::readFile(unitDir() + "/unit.xml").contains("unit:filename=\"icons/block.png\""));

        // The icon already in place stays as it is.
        Generator same = exampleBlock();
        same.setIcon(unitDir() + "/icons/block.png");
        QCOMPARE(generateCode(same, true), 0);
        QCOMPARE(TestHome::readFile(unitDir() + "/icons/block.png"), QByteArray("new icon"));
    }

    void missingIconIsNotCopied()
    {
        Generator g = exampleBlock();
        g.setIcon(_home.path() + "/pictures/none.png");
        g.setIcon(_home.path() + "/pictures");
        QCOMPARE(generateCode(g, false), 0);
        QVERIFY(QDir(unitDir() + "/icons").isEmpty());
        QVERIFY(TestHome::readFile(unitDir() + "/unit.xml").contains("unit:filename=\"icons/\""));
    }

    void writeFailureStopsWithThePath_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<bool>("obstacleIsDirectory");
        QTest::addColumn<QString>("failedPath");
        QTest::addColumn<bool>("unitXmlWritten");

        QTest::newRow("unit directory is a file") << "" << false << "" << false;
        QTest::newRow("unit.xml is a directory") << "unit.xml" << true << "unit.xml" << false;
        // A file where a directory belongs is named itself.
        QTest::newRow("plugin is a file") << "plugin" << false << "plugin" << false;
        QTest::newRow("simulation is a file") << "plugin/simulation" << false << "plugin/simulation" << false;
        QTest::newRow("gui is a file") << "plugin/gui" << false << "plugin/gui" << true;
        QTest::newRow("gui script is a directory")
            << "plugin/gui/CMakeLists.txt" << true << "plugin/gui/CMakeLists.txt" << true;
        QTest::newRow("icons is a file") << "icons" << false << "icons" << false;
        QTest::newRow("icon is a directory") << "icons/block.png" << true << "icons/block.png" << false;
    }

    void writeFailureStopsWithThePath()
    {
        QFETCH(QString, obstacle);
        QFETCH(bool, obstacleIsDirectory);
        QFETCH(QString, failedPath);
        QFETCH(bool, unitXmlWritten);

        const QString obstaclePath = obstacle.isEmpty() ? unitDir() : unitDir() + "/" + obstacle;
        if (obstacleIsDirectory)
            TestHome::writeFile(obstaclePath + "/keeps it from being removed", "x");
        else
            TestHome::writeFile(obstaclePath, "in the way");
        TestHome::writeFile(_home.path() + "/block.png", "icon");

        Generator g = exampleBlock();
        g.setIcon(_home.path() + "/block.png");
        QString message;
        QCOMPARE(generateCode(g, true, &message), int(Exception::WriteFailed));
        QCOMPARE(message, failedPath.isEmpty() ? unitDir() : unitDir() + "/" + failedPath);
        QCOMPARE(QFileInfo::exists(unitDir() + "/unit.xml") && QFileInfo(unitDir() + "/unit.xml").isFile(),
            unitXmlWritten);
        // Files written before the failure are known to the registry.
        QCOMPARE(_registry->hasID("ACME My Block"), unitXmlWritten);
        // Nothing after the failing file.
        QVERIFY(!QFileInfo::exists(unitDir() + "/plugin/gui/main.cpp"));
        QCOMPARE(QDir(blocks()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
            QStringList({ "myblock.unit" }));
    }

    void nameNoFileSystemHoldsStopsBeforeAnything_data()
    {
        QTest::addColumn<int>("letters");
        QTest::addColumn<bool>("overwrite");
        QTest::addColumn<QString>("failedName");
        // Of the names a block's name makes, "<name>.unit" is the longest.
        QTest::newRow("directory name of 256 bytes") << 251 << true << QString(251, 'a') + ".unit";
        QTest::newRow("alternative name of 256 bytes") << 249 << false << QString(249, 'a') + "_0.unit";
    }

    void nameNoFileSystemHoldsStopsBeforeAnything()
    {
        QFETCH(int, letters);
        QFETCH(bool, overwrite);
        QFETCH(QString, failedName);
        Generator g = exampleBlock();
        g.setName(QString(letters, 'a'));
        if (!overwrite)
            QVERIFY(QDir().mkpath(unitDir(QString(letters, 'a') + ".unit")));
        const QStringList before = TestHome::entriesBelow(_home.path())
            + QDir(blocks()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

        QString message;
        QCOMPARE(generateCode(g, overwrite, &message), int(Exception::WriteFailed));
        QCOMPARE(message, unitDir(failedName));
        QCOMPARE(TestHome::entriesBelow(_home.path())
                + QDir(blocks()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
            before);
    }

    void sameBytesInAnotherProcess()
    {
        const QString output = qEnvironmentVariable(otherProcessOutput);
        if (!output.isEmpty()) {
            TestHome::writeFile(output, allTexts(exampleBlock()));
            return;
        }

        const QString file = _home.path() + "/other.bin";
        QProcess other;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(otherProcessOutput, file);
        other.setProcessEnvironment(environment);
        other.start(QCoreApplication::applicationFilePath(), { "sameBytesInAnotherProcess" });
        QVERIFY(other.waitForFinished(60000));
        QCOMPARE(other.exitCode(), 0);
        QCOMPARE(TestHome::readFile(file), allTexts(exampleBlock()));
    }
};

FBM_TEST_MAIN(GeneratorTest)
#include "tst_generator.moc"
