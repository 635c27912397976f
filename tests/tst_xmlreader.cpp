#include "support/TestMain.h"

#include "xml/Reader.h"

#include <QDomDocument>

// The plain reader must never call a document well-formed that the document
// tree rejects, and must report the same tags and attributes as the general
// reader wherever it does not give up.

namespace {

class Recorder : public xml::ElementHandler
{
public:
    QStringList events;

    void startElement(QAnyStringView name, const xml::Attributes& attributes) override
    {
        events << name.toString() + QLatin1Char('|') + attributes.value(QLatin1String("a")) + QLatin1Char('|')
                + attributes.value(QLatin1String("p:b"));
    }
    void endElement() override { events << QStringLiteral("/"); }
    void reset() override { events.clear(); }
};

} // namespace

class XmlReaderTest : public QObject
{
    Q_OBJECT

private slots:
    void readersAgreeWithTheDocumentTree_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("plain");

        // Read by the plain reader.
        QTest::newRow("declaration and nesting")
            << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r a=\"1\"><p:x p:b='2'/>t > u</r >\n")
            << true;
        QTest::newRow("names with dot, dash, underscore")
            << QByteArray("<_a.b-c:d-e.f a = \"x\"\n/>") << true;
        QTest::newRow("single end bracket in text") << QByteArray("<r>]</r>") << false;
        // Errors the plain reader leaves to the general one.
        QTest::newRow("mismatched end tag") << QByteArray("<a></b>") << false;
        QTest::newRow("unclosed") << QByteArray("<a><b></b>") << false;
        QTest::newRow("two roots") << QByteArray("<a/><b/>") << false;
        QTest::newRow("repeated attribute") << QByteArray("<a a=\"1\" a=\"2\"/>") << false;
        QTest::newRow("attributes without blank") << QByteArray("<r a=\"1\"p:b=\"2\"/>") << false;
        QTest::newRow("two colons") << QByteArray("<a:b:c/>") << false;
        QTest::newRow("less-than in a value") << QByteArray("<r a=\"<\"/>") << false;
        QTest::newRow("end of CDATA in text") << QByteArray("<r>]]></r>") << false;
        QTest::newRow("control character") << QByteArray("<r>\x01</r>") << false;
        QTest::newRow("declaration not at start") << QByteArray(" <?xml version=\"1.0\"?><r/>") << false;
        QTest::newRow("text after the root") << QByteArray("<r/>x") << false;
        QTest::newRow("empty") << QByteArray() << false;
        // Sound documents only the general reader knows.
        QTest::newRow("references") << QByteArray("<r a=\"&amp;&#x41;\">&lt;</r>") << false;
        QTest::newRow("tab in a value") << QByteArray("<r a=\"x\ty\"/>") << false;
        QTest::newRow("comment after the root") << QByteArray("<r/><!-- c -->") << false;
        QTest::newRow("other declaration") << QByteArray("<?xml version=\"1.0\"?><r/>") << false;
        QTest::newRow("UTF-8 text") << QByteArray("<r a=\"Grüße\"/>") << false;
        QTest::newRow("defaulted attribute")
            << QByteArray("<!DOCTYPE r [<!ATTLIST r a CDATA \"given\">]><r/>") << false;
    }

    void readersAgreeWithTheDocumentTree()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, plain);
        const bool wellFormed = QDomDocument().setContent(content, false);

        Recorder viaPlain;
        QCOMPARE(xml::Reader::readPlain(content, viaPlain), plain);
        Recorder general;
        QCOMPARE(xml::Reader::readGeneral(content, general), wellFormed);
        Recorder combined;
        QCOMPARE(xml::Reader::read(content, combined), wellFormed);
        if (wellFormed)
            QCOMPARE(combined.events, general.events);
        if (plain)
            QCOMPARE(viaPlain.events, general.events);
    }
};

FBM_TEST_MAIN(XmlReaderTest)
#include "tst_xmlreader.moc"
