#include "FuzzSupport.h"

#include "xml/Reader.h"

#include <QStringList>

#include <cstdio>
#include <cstdlib>

void fuzzFailure(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: property failed: %s\n", file, line, condition);
    std::abort();
}

namespace {

// Writes down every event with the attributes the program asks for, all
// attributes in order, and the text between tags (which either reader may
// hand over in pieces).
class Recorder : public xml::ElementHandler
{
public:
    QStringList events;

    void startElement(QAnyStringView name, const xml::Attributes& attributes) override
    {
        flushText();
        QString event = QStringLiteral("start ") + name.toString();
        for (const char* attribute : { "unit:id", "dev:id", "dev:type", "a", "b" })
            event += QLatin1Char('|') + attributes.value(QLatin1String(attribute));
        for (qsizetype i = 0; i < attributes.count(); ++i)
            event += QLatin1Char(' ') + attributes.qualifiedName(i) + QLatin1Char('=') + attributes.value(i);
        events << event;
    }
    void endElement() override
    {
        flushText();
        events << QStringLiteral("end");
    }
    void reset() override
    {
        events.clear();
        _text.clear();
    }
    bool wantsText() const override { return true; }
    void characters(QStringView text) override { _text += text; }
    void markup(Markup kind) override
    {
        flushText();
        events << QStringLiteral("markup %1").arg(int(kind));
    }

private:
    void flushText()
    {
        if (!_text.isEmpty())
            events << QStringLiteral("text ") + _text;
        _text.clear();
    }

    QString _text;
};

} // namespace

void checkReadersAgree(const QByteArray& content)
{
    Recorder plain;
    const xml::Reader::Verdict verdict = xml::Reader::readPlain(content, plain);
    // Qt's reader would compare every attribute with every other.
    if (verdict == xml::Reader::Verdict::Unsure || xml::Reader::beyondGeneralReader(content))
        return;
    Recorder general;
    const bool wellFormed = xml::Reader::readGeneral(content, general);
    FUZZ_CHECK(wellFormed == (verdict == xml::Reader::Verdict::WellFormed));
    if (wellFormed)
        FUZZ_CHECK(plain.events == general.events);
}
