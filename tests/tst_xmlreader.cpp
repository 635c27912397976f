#include "support/EventRecorder.h"
#include "support/TestMain.h"

#include "xml/Reader.h"

#include <QDomDocument>

// The plain reader must never call a document well-formed that the document
// tree rejects, and must report the same tags and attributes as the general
// reader wherever it does not give up.

namespace {

QByteArray manyAttributes(int count, const QByteArray& last)
{
    QByteArray content = "<r";
    for (int i = 0; i < count; ++i)
        content += " a" + QByteArray::number(i) + "=\"" + QByteArray::number(i) + '"';
    return content + ' ' + last + "/>";
}

} // namespace

class XmlReaderTest : public QObject
{
    Q_OBJECT

private slots:
    void readersAgreeWithTheDocumentTree_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("plain");
        const QString read = QStringLiteral("read");
        const QString malformed = QStringLiteral("malformed");
        const QString unsure = QStringLiteral("unsure");

        // Read by the plain reader.
        QTest::newRow("declaration and nesting")
            << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r a=\"1\"><p:x p:b='2'/>t > u</r >\n")
            << read;
        QTest::newRow("names with dot, dash, underscore")
            << QByteArray("<_a.b-c:d-e.f a = \"x\"\n/>") << read;
        QTest::newRow("end brackets in text") << QByteArray("<r>] ]] ]]] ]]x</r>") << read;
        QTest::newRow("CRLF line ends") << QByteArray(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<r\r\na=\"1\">\r\n  <x/>\r\n</r>\r\n")
                                        << read;
        QTest::newRow("comments everywhere")
            << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?><!-- a -->\n<!---->"
                          "<r><!-- <x/> & - --><x/></r><!--\xc3\xa4-->\n")
            << read;
        QTest::newRow("UTF-8 value and text")
            << QByteArray("<r a=\"Gr\xc3\xbc\xc3\x9f"
                          "e \xe2\x82\xac \xf0\x9f\x98\x80\">\xef\xbb\xbf\xc2\x85\xef\xb7\x90</r>")
            << read;
        QTest::newRow("Latin-1 letters in names") << QByteArray(
            "<Gr\xc3\xbc\xc3\x9f"
            "e p:b=\"1\" \xc3\xa9=\"2\"><\xc3\xa4:a\xc2\xb7\xc3\xbf/></Gr\xc3\xbc\xc3\x9f"
            "e>") << read;
        QTest::newRow("references") << QByteArray(
            "<r a=\"&amp;&lt;&gt;&quot;&apos;&#65;&#x42;&#xe9;&#x1F600;&#xd;&#xa;&#x9;\">&lt;&#38;</r>")
                                    << read;
        QTest::newRow("white-space controls in a value")
            << QByteArray("<r a=\"x\ty\r\nz\rw\n\r\n\" p:b='\r\n'/>") << read;
        // Errors the plain reader is sure of.
        QTest::newRow("repeated attribute") << QByteArray("<a a=\"1\" a=\"2\"/>") << malformed;
        QTest::newRow("repeated UTF-8 attribute")
            << QByteArray("<a \xc3\xa9=\"1\" b=\"\" \xc3\xa9='2'/>") << malformed;
        QTest::newRow("repeated among many") << manyAttributes(20, "a7=\"\"") << malformed;
        // Errors the plain reader leaves to the general one.
        QTest::newRow("mismatched end tag") << QByteArray("<a></b>") << unsure;
        QTest::newRow("unclosed") << QByteArray("<a><b></b>") << unsure;
        QTest::newRow("two roots") << QByteArray("<a/><b/>") << unsure;
        QTest::newRow("attributes without blank") << QByteArray("<r a=\"1\"p:b=\"2\"/>") << unsure;
        QTest::newRow("two colons") << QByteArray("<a:b:c/>") << unsure;
        QTest::newRow("less-than in a value") << QByteArray("<r a=\"<\"/>") << unsure;
        QTest::newRow("end of CDATA in text") << QByteArray("<r>]]></r>") << unsure;
        QTest::newRow("control character") << QByteArray("<r>\x01</r>") << unsure;
        QTest::newRow("declaration not at start") << QByteArray(" <?xml version=\"1.0\"?><r/>") << unsure;
        QTest::newRow("text after the root") << QByteArray("<r/>x") << unsure;
        QTest::newRow("empty") << QByteArray() << unsure;
        QTest::newRow("double dash in a comment") << QByteArray("<r><!-- a -- b --></r>") << unsure;
        QTest::newRow("comment ending in three dashes") << QByteArray("<r><!-- a ---></r>") << unsure;
        QTest::newRow("unclosed comment") << QByteArray("<r/><!-- a --") << unsure;
        QTest::newRow("comment before the declaration")
            << QByteArray("<!---->\n<?xml version=\"1.0\"?><r/>") << unsure;
        QTest::newRow("middle dot starting a name") << QByteArray("<\xc2\xb7/>") << unsure;
        QTest::newRow("multiplication sign in a name") << QByteArray("<a\xc3\x97/>") << unsure;
        QTest::newRow("U+FFFE in text") << QByteArray("<r>\xef\xbf\xbe</r>") << unsure;
        QTest::newRow("lone continuation byte") << QByteArray("<r>\x80</r>") << unsure;
        QTest::newRow("overlong form") << QByteArray("<r a=\"\xc0\xbc\"/>") << unsure;
        QTest::newRow("encoded surrogate") << QByteArray("<r>\xed\xa0\x80</r>") << unsure;
        QTest::newRow("beyond U+10FFFF") << QByteArray("<r>\xf4\x90\x80\x80</r>") << unsure;
        QTest::newRow("sequence cut short") << QByteArray("<r a=\"\xe2\x82\"/>") << unsure;
        QTest::newRow("sequence cut by the end") << QByteArray("<r/>\xe2") << unsure;
        QTest::newRow("reference to no character") << QByteArray("<r>&#0;</r>") << unsure;
        QTest::newRow("reference to U+FFFE") << QByteArray("<r a=\"&#xFFFE;\"/>") << unsure;
        QTest::newRow("reference beyond U+10FFFF") << QByteArray("<r>&#x110000;</r>") << unsure;
        QTest::newRow("reference without semicolon") << QByteArray("<r>&amp</r>") << unsure;
        QTest::newRow("empty reference") << QByteArray("<r a=\"&#;\"/>") << unsure;
        QTest::newRow("reference to U+FEFF in a value") << QByteArray("<r a=\"&#xFEFF;\"/>") << unsure;
        // Sound documents only the general reader knows.
        QTest::newRow("entity of the document type")
            << QByteArray("<!DOCTYPE r [<!ENTITY e \"x\">]><r a=\"&e;\"/>") << unsure;
        QTest::newRow("reference with leading zeros") << QByteArray("<r>&#x0000041;</r>") << unsure;
        QTest::newRow("byte order mark in a value") << QByteArray("<r a=\"x\xef\xbb\xbfy\"/>") << unsure;
        QTest::newRow("byte order mark") << QByteArray("\xef\xbb\xbf<r/>") << unsure;
        QTest::newRow("other declaration") << QByteArray("<?xml version=\"1.0\"?><r/>") << unsure;
        QTest::newRow("long name") << "<p:" + QByteArray(1022, 'n') + "/>" << read;
        QTest::newRow("longer name") << "<p:" + QByteArray(1023, 'n') + "/>" << unsure;
        QTest::newRow("name too long") << "<p:" + QByteArray(4095, 'n') + "/>" << unsure;
        QTest::newRow("Greek letter in a name") << QByteArray("<\xce\xb1/>") << unsure;
        QTest::newRow("document type inside the document element")
            << QByteArray("<r>a<!DOCTYPE x>b</r>") << unsure;
        QTest::newRow("document type after the document element") << QByteArray("<r/><!DOCTYPE x>") << unsure;
        QTest::newRow("two document types") << QByteArray("<!DOCTYPE a><!DOCTYPE b><r/>") << unsure;
        QTest::newRow("document type after a comment") << QByteArray("<!-- c --><!DOCTYPE r><r/>") << unsure;
        QTest::newRow("defaulted attribute")
            << QByteArray("<!DOCTYPE r [<!ATTLIST r a CDATA \"given\">]><r/>") << unsure;
    }

    void readersAgreeWithTheDocumentTree()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, plain);
        const bool wellFormed(QDomDocument().setContent(content));

        EventRecorder viaPlain;
        const xml::Reader::Verdict verdict = xml::Reader::readPlain(content, viaPlain);
        const QString verdicts[]
            = { QStringLiteral("read"), QStringLiteral("malformed"), QStringLiteral("unsure") };
        QCOMPARE(verdicts[int(verdict)], plain);
        EventRecorder general;
        QCOMPARE(xml::Reader::readGeneral(content, general), wellFormed);
        EventRecorder combined;
        QCOMPARE(xml::Reader::read(content, combined), wellFormed);
        if (verdict != xml::Reader::Verdict::Unsure)
            QCOMPARE(wellFormed, verdict == xml::Reader::Verdict::WellFormed);
        if (wellFormed)
            QCOMPARE(combined.events, general.events);
        if (verdict == xml::Reader::Verdict::WellFormed)
            QCOMPARE(viaPlain.events, general.events);
    }

    // Every byte value in each place where the plain reader takes long runs
    // of bytes at once: names, text, values in either quote, comments, also
    // right after a long run and as the last byte of the input.
    void everyByteIsJudgedAsByTheGeneralReader()
    {
        const QByteArray run(40, 'x');
        const QList<QByteArray> shapes = {
            "<r" + run + "@" + run + "/>",
            "<r a" + run + "@=\"1\"/>",
            "<r:" + run + "@ a=\"1\"/>",
            "<r>" + run + "@" + run + "</r>",
            "<r a=\"" + run + "@" + run + "\" p:b='" + run + "@'/>",
            "<r><!--" + run + "@" + run + "--></r>",
            "<r>" + run + "@",
            "<r a=\"" + run + "@",
        };
        for (int byte = 0; byte < 256; ++byte) {
            for (QByteArray content : shapes) {
                content.replace('@', QByteArray(1, static_cast<char>(byte)));
                const bool wellFormed(QDomDocument().setContent(content));
                EventRecorder plain;
                const xml::Reader::Verdict verdict = xml::Reader::readPlain(content, plain);
                if (verdict == xml::Reader::Verdict::Unsure)
                    continue;
                QVERIFY2(wellFormed == (verdict == xml::Reader::Verdict::WellFormed), content.constData());
                EventRecorder general;
                QVERIFY(xml::Reader::readGeneral(content, general));
                QCOMPARE(plain.events, general.events);
            }
        }
    }

    // Only a document the plain reader leaves to the general one is judged
    // by the number of "=" in a tag; text and comments do not count.
    void tagsBeyondTheAttributeLimitAreRefused_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("read");
        const QByteArray type = "<!DOCTYPE r>";
        const int limit = xml::Reader::attributeLimit;
        QTest::newRow("at the limit") << type + manyAttributes(limit - 1, "a=''") << true;
        QTest::newRow("beyond the limit") << type + manyAttributes(limit, "a=''") << false;
        QTest::newRow("beyond, read by the plain reader") << manyAttributes(limit, "a=''") << true;
        QTest::newRow("beyond, in an entity")
            << "<!DOCTYPE r [<!ENTITY e '" + manyAttributes(limit, "a=\"\"") + "'>]><r>&e;</r>" << false;
        QTest::newRow("greater-than in values")
            << type + manyAttributes(limit, "a='>'").replace("\"", "'").replace("='", "='>") << false;
        QTest::newRow("many in text") << type + "<r>" + QByteArray(4 * limit, '=') + "</r>" << true;
        QTest::newRow("many in values") << type + "<r a='" + QByteArray(4 * limit, '=') + "'/>" << true;
    }

    void tagsBeyondTheAttributeLimitAreRefused()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, read);
        EventRecorder recorder;
        QCOMPARE(xml::Reader::read(content, recorder), read);
    }

    // The general reader compares each attribute with every one before it
    // (hours for this element); the plain one reads it in one scan, where a
    // comparison of every pair would exceed the test's time limit. The fuzz
    // targets' time limit in CI guards the scan against other slow shapes.
    void manyAttributesAreReadInOneScan()
    {
        EventRecorder recorder;
        QVERIFY(xml::Reader::read(manyAttributes(320000, "a=\"last\""), recorder));
        QCOMPARE(recorder.events.size(), 2);
        QVERIFY(recorder.events.first().startsWith(QStringLiteral("start r|last|||||| a0=")));
        QCOMPARE(recorder.events.last(), QStringLiteral("end"));
        QVERIFY(!xml::Reader::read(manyAttributes(320000, "a160000=\"again\""), recorder));
    }
};

FBM_TEST_MAIN(XmlReaderTest)
#include "tst_xmlreader.moc"
