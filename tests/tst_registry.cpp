#include "support/TestMain.h"

#include "fs/File.h"
#include "fs/FileName.h"
#include "unit/Registry.h"

#include <QFile>

namespace {

QByteArray unitFile(const QStringList& ids)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<unit:unit xmlns:unit=\"http://schemas.kiv.example/schema/unit\">\n"
                     "  <unit:translations/>\n  <unit:unittypes>\n";
    for (const QString& id : ids)
        xml += "    <unit:unittype unit:id=\"" + id.toUtf8() + "\"/>\n";
    return xml + "  </unit:unittypes>\n</unit:unit>\n";
}

} // namespace

class RegistryTest : public QObject
{
    Q_OBJECT

private:
    TestHome _home;
    unit::Registry* _registry = unit::Registry::singleton();

    QString units() const { return _home.path() + "/Ostrel/Velmora2/units"; }
    void writeUnit(const QString& relativeDir, const QStringList& ids,
        const QString& fileName = QStringLiteral("unit.xml"))
    {
        TestHome::writeFile(units() + "/" + relativeDir + "/" + fileName, unitFile(ids));
    }

private slots:
    void init() { _home.reset(); }

    void singletonIsOneObject() { QCOMPARE(unit::Registry::singleton(), _registry); }

    void missingUnitsDirectoryLeavesRegistryEmpty()
    {
        // A unit file directly below the home directory must not be read.
        TestHome::writeFile(_home.path() + "/unit.xml", unitFile({ "stray" }));
        writeUnit("../../stray", { "alsoStray" });
        QDir(units()).removeRecursively();
        _registry->refresh();
        QVERIFY(_registry->isEmpty());
        QVERIFY(_registry->getIDs().isEmpty());
        QVERIFY(!_registry->hasID("stray"));
    }

    void idsSortByCodeUnitAndShareTheirDirectory()
    {
        writeUnit("x.unit", { "b", "B" });
        writeUnit("y.unit", { "a" });
        _registry->refresh();
        QCOMPARE(_registry->getIDs(), QStringList({ "B", "a", "b" }));
        for (const char* id : { "B", "a", "b" })
            QVERIFY(_registry->hasID(id));
        QVERIFY(!_registry->hasID("A"));
        QCOMPARE(_registry->getDir("b").absolutePath(), units() + "/x.unit");
        QCOMPARE(_registry->getDir("B").absolutePath(), units() + "/x.unit");
        QCOMPARE(_registry->getDir("a").absolutePath(), units() + "/y.unit");
        QVERIFY(_registry->getDir("b").isAbsolute());
        QCOMPARE(_registry->getDir("unknown").path(), QDir().path());
    }

    void parentFileIsReadAfterItsChildren()
    {
        writeUnit("X", { "same" });
        writeUnit("X/Y", { "same" });
        writeUnit("X/Y/Z", { "same" });
        _registry->refresh();
        QCOMPARE(_registry->getDir("same").absolutePath(), units() + "/X");
    }

    void fileNameMatchIgnoresCaseOnly()
    {
        writeUnit("upper", { "upper" }, "UNIT.XML");
        writeUnit("mixed", { "mixed" }, "Unit.Xml");
        writeUnit("backup", { "backup" }, "unit.xml.bak");
        writeUnit("prefixed", { "prefixed" }, "my-unit.xml");
        _registry->refresh();
        QCOMPARE(_registry->getIDs(), QStringList({ "mixed", "upper" }));
    }

    void hiddenEntriesAreSkipped()
    {
        writeUnit(".hidden", { "hiddenDir" });
        writeUnit("visible", { "hiddenFile" }, ".unit.xml");
        writeUnit("visible/deeper", { "visible" });
        _registry->refresh();
        QCOMPARE(_registry->getIDs(), QStringList({ "visible" }));
    }

    void brokenFilesContributeNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not well-formed")
            << QByteArray("<unit:unit><unit:unittypes><unit:unittype unit:id=\"bad\"></unit:unit>");
        QTest::newRow("garbage") << QByteArray("\x00\x01\xff\xfe garbage", 12);
        QTest::newRow("other prefix")
            << QByteArray("<u:unit xmlns:u=\"http://schemas.kiv.example/schema/unit\"><u:unittypes>"
                          "<u:unittype u:id=\"bad\"/></u:unittypes></u:unit>");
        QTest::newRow("no prefix") << QByteArray(
            "<unit><unittypes><unittype id=\"bad\"/></unittypes></unit>");
        QTest::newRow("no unittypes")
            << QByteArray("<unit:unit><unit:unittype unit:id=\"bad\"/></unit:unit>");
        QTest::newRow("nested too deep")
            << QByteArray("<unit:unit><unit:x><unit:unittypes><unit:unittype unit:id=\"bad\"/>"
                          "</unit:unittypes></unit:x></unit:unit>");
        QTest::newRow("empty and missing id")
            << QByteArray("<unit:unit><unit:unittypes><unit:unittype unit:id=\"\"/>"
                          "<unit:unittype/></unit:unittypes></unit:unit>");
    }

    void brokenFilesContributeNothing()
    {
        QFETCH(QByteArray, content);
        TestHome::writeFile(units() + "/broken/unit.xml", content);
        writeUnit("good", { "good" });
        _registry->refresh();
        QCOMPARE(_registry->getIDs(), QStringList({ "good" }));
    }

    void onlyFirstUnittypesCountsAndIdsStayUntrimmed()
    {
        TestHome::writeFile(units() + "/u/unit.xml",
            "<unit:unit><unit:unittypes><unit:unittype unit:id=\" padded \"/>"
            "<unit:other unit:id=\"other\"/></unit:unittypes>"
            "<unit:unittypes><unit:unittype unit:id=\"second\"/></unit:unittypes></unit:unit>");
        _registry->refresh();
        QCOMPARE(_registry->getIDs(), QStringList({ " padded " }));
        QVERIFY(!_registry->hasID("padded"));
    }

    void refreshForgetsDeletedFiles()
    {
        writeUnit("gone", { "gone" });
        writeUnit("kept", { "kept" });
        _registry->refresh();
        QCOMPARE(_registry->getIDs(), QStringList({ "gone", "kept" }));
        QVERIFY(QFile::remove(units() + "/gone/unit.xml"));
        _registry->refresh();
        QCOMPARE(_registry->getIDs(), QStringList({ "kept" }));
        QVERIFY(!_registry->hasID("gone"));
        QVERIFY(_registry->hasID("kept"));
    }

    void symbolicLinkCycleEnds()
    {
        writeUnit("a", { "inA" });
        writeUnit("a/b", { "inB" });
        QVERIFY(QFile::link(units() + "/a", units() + "/a/b/backToA"));
        QVERIFY(QFile::link(units(), units() + "/a/b/backToUnits"));
        // A link to a directory outside the units directory is followed.
        writeUnit("../../outside", { "outside" });
        QVERIFY(QFile::link(_home.path() + "/Ostrel/outside", units() + "/linked"));
        _registry->refresh();
        QCOMPARE(_registry->getIDs(), QStringList({ "inA", "inB", "outside" }));
    }

    void everyDirectoryNameIsSeen_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("not UTF-8") << QByteArray("Vend\xffor");
        QTest::newRow("Latin-1 letters") << QByteArray("Gr\xfc\xdf\x65");
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xb2\x80");
        QTest::newRow("UTF-8 letters") << QByteArray("Gr\xc3\xbc\xc3\x9f\x65");
    }

    void everyDirectoryNameIsSeen()
    {
        QFETCH(QByteArray, name);
        const QByteArray dir = QFile::encodeName(units()) + "/" + name + "/block.unit";
        TestHome::writeRawFile(dir + "/unit.xml", unitFile({ "id" }));
        TestHome::writeRawFile(QFile::encodeName(units()) + "/other/unit.xml", unitFile({ "other" }));
        _registry->refresh();
        QCOMPARE(_registry->getIDs(), QStringList({ "id", "other" }));

        // The recorded directory leads back to the very bytes on disk.
        const QDir unitDir = _registry->getDir("id");
        QVERIFY(unitDir.isAbsolute());
        QCOMPARE(fs::encodeName(unitDir.absolutePath()), dir);
        QCOMPARE(fs::readFile(unitDir.filePath("unit.xml"), fs::unitFileLimit).bytes, unitFile({ "id" }));
        if (QString::fromUtf8(name).toUtf8() == name) {
            // A valid name is the one Qt uses, so QDir reaches it too.
            QVERIFY(unitDir.exists("unit.xml"));
            QVERIFY(unitDir == QDir(units() + "/" + QString::fromUtf8(name) + "/block.unit"));
        }
    }
};

FBM_TEST_MAIN(RegistryTest)
#include "tst_registry.moc"
