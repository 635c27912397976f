#include "support/TestMain.h"

#include "device/Model.h"
#include "xml/Element.h"
#include "xml/Writer.h"

#include <QDir>
#include <QRandomGenerator>
#include <QThread>

#include <functional>

// The writer writes straight into UTF-8 bytes and keeps the path through the
// tree on the heap. Its output must stay byte for byte that of the former
// writer, kept here as the reference: a recursive serialiser into one
// UTF-16 string that was converted at the end.

namespace {

namespace former {

bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

bool needsEscape(const QString& value)
{
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == '&' || u == '<' || u == '>' || u == '"' || (u >= 0xD800 && u <= 0xDFFF)
            || u >= 0xFFFE)
            return true;
    }
    return false;
}

QString escape(const QString& value, bool inAttribute)
{
    if (!needsEscape(value))
        return value;
    QString out;
    for (const uint c : value.toUcs4()) {
        switch (c) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += inAttribute ? QLatin1String("&quot;") : QLatin1String("\"");
            break;
        case '\r':
            out += QLatin1String("&#xd;");
            break;
        case '\t':
            out += inAttribute ? QLatin1String("&#x9;") : QLatin1String("\t");
            break;
        case '\n':
            out += inAttribute ? QLatin1String("&#xa;") : QLatin1String("\n");
            break;
        default:
            if (isXmlChar(c)) {
                const char32_t cp = c;
                out += QString::fromUcs4(&cp, 1);
            }
        }
    }
    return out;
}

void write(const xml::Element& element, QString& out, int depth)
{
    out += QString(depth * 2, QLatin1Char(' ')) + QLatin1Char('<') + element.name();
    for (const auto& attribute : element.attributes())
        out += QLatin1Char(' ') + attribute.first + QLatin1String("=\"") + escape(attribute.second, true)
            + QLatin1Char('"');
    if (element.hasText()) {
        out += QLatin1Char('>') + escape(element.text(), false) + QLatin1String("</") + element.name()
            + QLatin1String(">\n");
        return;
    }
    if (element.childCount() == 0) {
        out += QLatin1String("/>\n");
        return;
    }
    out += QLatin1String(">\n");
    for (int i = 0; i < element.childCount(); ++i)
        write(element.child(i), out, depth + 1);
    out += QString(depth * 2, QLatin1Char(' ')) + QLatin1String("</") + element.name() + QLatin1String(">\n");
}

QByteArray document(const xml::Element& root)
{
    QString out = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    write(root, out, 0);
    return out.toUtf8();
}

void saveDevice(xml::Element& element, const QStandardItem* item)
{
    xml::Element& subdevices = element.appendChild(QStringLiteral("dev:subdevices"));
    xml::Element& units = element.appendChild(QStringLiteral("dev:units"));
    for (int row = 0; item && row < item->rowCount(); ++row) {
        const QStandardItem* child = item->child(row);
        if (child->data(device::Model::ItemTypeRole).toInt() == device::Model::DeviceItem) {
            xml::Element& directory = subdevices.appendChild(QStringLiteral("dev:device"));
            directory.setAttribute(QStringLiteral("dev:id"), child->text());
            saveDevice(directory, child);
        }
    }
    for (int row = 0; item && row < item->rowCount(); ++row) {
        const QStandardItem* child = item->child(row);
        if (child->data(device::Model::ItemTypeRole).toInt() == device::Model::UnitItem)
            units.appendChild(QStringLiteral("dev:unit"))
                .setAttribute(QStringLiteral("dev:type"), child->text());
    }
}

QByteArray deviceXml(const device::Model& model)
{
    xml::Element root(QStringLiteral("dev:device"));
    const QString uri = QStringLiteral("http://schemas.kiv.example/schema/");
    root.setAttribute(
        QStringLiteral("xmlns:xsi"), QStringLiteral("http://www.w3.org/2001/XMLSchema-instance"));
    root.setAttribute(QStringLiteral("xsi:schemaLocation"), uri + QStringLiteral("device device.xsd"));
    root.setAttribute(QStringLiteral("xmlns:dev"), uri + QStringLiteral("device"));
    root.setAttribute(QStringLiteral("xmlns:tr"), uri + QStringLiteral("translation"));
    root.setAttribute(QStringLiteral("xmlns:md"), uri + QStringLiteral("model"));
    root.setAttribute(QStringLiteral("dev:id"), QStringLiteral("MyFuncBlocks"));
    root.setAttribute(QStringLiteral("dev:toplevel"), QStringLiteral("true"));
    root.appendChild(QStringLiteral("dev:translations"));
    saveDevice(root, model.invisibleRootItem()->child(0));
    return document(root);
}

} // namespace former

// Text from the characters a writer has to take care of: the escaped ones,
// controls, non-characters, lone and paired surrogates, non-ASCII letters.
QString hostileText(QRandomGenerator& random, int length)
{
    static const char16_t pool[]
        = { 0xFEFF, 0xFFFE, u'a', u'Z', u' ', u'&', u'<', u'>', u'"', u'\'', u'\t', u'\n', u'\r', 0x01, 0x1F,
              0x7F, 0xE4, 0x20AC, 0xFEFF, 0xFFFE, 0xFFFF, 0xD83D, 0xDE00, 0xD7FF, 0xE000, 0x85 };
    QString text;
    for (int i = 0; i < length; ++i)
        text += QChar(pool[random.bounded(int(std::size(pool)))]);
    return text;
}

// A device as the benchmark makes it: ten groups of ten directories holding
// the function block entries; `name` gives each directory its name.
QByteArray benchDevice(int items, const std::function<QByteArray(int, int)>& name)
{
    QByteArray content = "<dev:device dev:id=\"MyFuncBlocks\"><dev:subdevices>";
    const int perDirectory = (items - 110) / 100;
    for (int a = 0; a < 10; ++a) {
        content += "<dev:device dev:id=\"" + name(a, -1) + "\"><dev:subdevices>";
        for (int b = 0; b < 10; ++b) {
            content += "<dev:device dev:id=\"" + name(a, b) + "\"><dev:subdevices/><dev:units>";
            for (int u = 0; u < perDirectory; ++u)
                content += "<dev:unit dev:type=\"fb_" + QByteArray::number((a * 10 + b) * perDirectory + u)
                    + "\"/>";
            content += "</dev:units></dev:device>";
        }
        content += "</dev:subdevices><dev:units/></dev:device>";
    }
    return content + "</dev:subdevices><dev:units/></dev:device>";
}

// Directories nested `depth` deep, each with one function block entry.
QByteArray nestedDevice(int depth)
{
    const QByteArray open = "<dev:subdevices><dev:device dev:id=\"d\">";
    const QByteArray close
        = "</dev:device></dev:subdevices><dev:units><dev:unit dev:type=\"u\"/></dev:units>";
    return "<dev:device>" + open.repeated(depth) + close.repeated(depth) + "</dev:device>";
}

// Runs `work` on a thread with a small stack: a writer that recursed once per
// level would overflow it long before the depths used here.
void onSmallStack(const std::function<void()>& work)
{
    std::unique_ptr<QThread> thread(QThread::create(work));
    thread->setStackSize(256 * 1024);
    thread->start();
    QVERIFY(thread->wait());
}

} // namespace

class XmlWriterTest : public QObject
{
    Q_OBJECT

private slots:
    void deviceOutputIsTheFormerWritersOutput_data()
    {
        QTest::addColumn<QByteArray>("content");

        for (const char* corpus : { "device", "unitfile" }) {
            const QDir dir(QFINDTESTDATA(QStringLiteral("../fuzz/corpus/") + corpus));
            QVERIFY(dir.exists());
            for (const QString& file : dir.entryList(QDir::Files)) {
                QFile in(dir.filePath(file));
                QVERIFY(in.open(QIODevice::ReadOnly));
                QTest::newRow(qPrintable(QStringLiteral("%1/%2").arg(corpus, file))) << in.readAll();
            }
        }
        QTest::newRow("no device") << QByteArray("<x/>");
        const auto ascii = [](int a, int b) {
            return b < 0 ? "Group " + QByteArray::number(a) : "Line " + QByteArray::number(a * 10 + b);
        };
        const auto german = [](int a, int b) {
            return b < 0 ? "Gr\xc3\xbc\xc3\x9f"
                           "e "
                    + QByteArray::number(a)
                         : "Stra\xc3\x9f"
                           "e &amp; &#xd;&#x9;&lt;"
                    + QByteArray::number(a * 10 + b);
        };
        QTest::newRow("10k items") << benchDevice(10000, ascii);
        QTest::newRow("100k items") << benchDevice(100000, ascii);
        QTest::newRow("100k items, non-ASCII names") << benchDevice(100000, german);
        QTest::newRow("nested 300 deep") << nestedDevice(300);
    }

    void deviceOutputIsTheFormerWritersOutput()
    {
        QFETCH(QByteArray, content);
        device::Model model;
        model.load(content);
        const QByteArray written = model.xml();
        QCOMPARE(written, former::deviceXml(model));
        QCOMPARE(model.xmlSize(), written.size());
    }

    void namesWithAnyCharactersAreWrittenAsBefore()
    {
        QRandomGenerator random(16);
        device::Model model;
        model.load(nestedDevice(3));
        QStandardItem* parent = model.itemFromIndex(model.root());
        for (int i = 0; i < 500; ++i) {
            QStandardItem* item = i % 3 ? device::Model::createUnitItem(hostileText(random, i % 40))
                                        : device::Model::createDeviceItem(hostileText(random, i % 40));
            parent->appendRow(item);
            if (i % 7 == 0)
                parent = item;
        }
        QCOMPARE(model.xml(), former::deviceXml(model));
    }

    void elementTreesAreWrittenAsBefore()
    {
        QRandomGenerator random(12);
        for (int round = 0; round < 50; ++round) {
            xml::Element root(QStringLiteral("r:root"));
            std::vector<xml::Element*> elements { &root };
            for (int i = 0; i < 40; ++i) {
                xml::Element& parent = *elements[random.bounded(int(elements.size()))];
                xml::Element& child = parent.appendChild(QStringLiteral("e%1").arg(i));
                for (int a = random.bounded(3); a > 0; --a)
                    child.setAttribute(QStringLiteral("a%1").arg(a), hostileText(random, random.bounded(12)));
                if (random.bounded(4) == 0)
                    child.setText(hostileText(random, random.bounded(12)));
                elements.push_back(&child);
            }
            QCOMPARE(root.toDocument(), former::document(root));
        }
    }

    void deepDeviceRoundTrips()
    {
        // 20,000 levels load from a 1.4 MB file; written out they would take
        // four gigabytes, so only their size is learnt.
        const int depth = 20000;
        device::Model deep;
        deep.load(nestedDevice(depth));
        QVERIFY(deep.root().isValid());
        qsizetype size = 0;
        onSmallStack([&] { size = deep.xmlSize(); });
        const qsizetype lineBytes = qsizetype(depth) * depth * 10;
        QVERIFY2(size > lineBytes && size < 2 * lineBytes, qPrintable(QString::number(size)));

        const int writable = 1500;
        device::Model model;
        model.load(nestedDevice(writable));
        QByteArray written;
        onSmallStack([&] { written = model.xml(); });
        QCOMPARE(written.size(), model.xmlSize());
        device::Model reloaded;
        reloaded.load(written);
        QByteArray again;
        onSmallStack([&] { again = reloaded.xml(); });
        QCOMPARE(again, written);
        QVERIFY(written.contains("\n" + QByteArray(4 * writable, ' ') + "<dev:device dev:id=\"d\">\n"));
    }

    void deepElementTreeIsWrittenAndDestroyed()
    {
        onSmallStack([] {
            auto root = std::make_unique<xml::Element>(QStringLiteral("e"));
            xml::Element* element = root.get();
            for (int i = 0; i < 2000; ++i)
                element = &element->appendChild(QStringLiteral("e"));
            element->setText(QStringLiteral("t"));
            const QByteArray document = root->toDocument();
            if (!document.endsWith("\n  </e>\n</e>\n")
                || !document.contains("\n" + QByteArray(4000, ' ') + "<e>t</e>\n"))
                qFatal("deep document written wrongly");
            for (int i = 0; i < 18000; ++i)
                element = &element->appendChild(QStringLiteral("e"));
            root.reset();
        });
    }

    void sizeBeyondTheLimitIsCountedNotKept()
    {
        xml::Writer kept;
        xml::Writer counted(100);
        for (xml::Writer* writer : { &kept, &counted }) {
            writer->startElement(QLatin1String("r"));
            for (int i = 0; i < 1000; ++i) {
                writer->startElement(u"\u00e9l\u00e9ment");
                writer->attribute(QLatin1String("a"), u"<\u20ac>");
                writer->endElement();
            }
            writer->endElement();
        }
        QVERIFY(!kept.exceeded());
        QVERIFY(counted.exceeded());
        QCOMPARE(counted.size(), kept.size());
        QVERIFY(counted.take().isEmpty());
        const QByteArray document = kept.take();
        QCOMPARE(document.size(), counted.size());
        QVERIFY(document.contains("\n  <\xc3\xa9l\xc3\xa9ment a=\"&lt;\xe2\x82\xac&gt;\"/>\n"));
    }
};

FBM_TEST_MAIN(XmlWriterTest)
#include "tst_xmlwriter.moc"
