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

// Writes down every event with the attributes the program asks for.
class Recorder : public xml::ElementHandler
{
public:
    QStringList events;

    void startElement(QAnyStringView name, const xml::Attributes& attributes) override
    {
        QString event = QStringLiteral("start ") + name.toString();
        for (const char* attribute : { "unit:id", "dev:id", "dev:type", "a", "b" })
            event += QLatin1Char('|') + attributes.value(QLatin1String(attribute));
        events << event;
    }
    void endElement() override { events << QStringLiteral("end"); }
    void reset() override { events.clear(); }
};

} // namespace

void checkReadersAgree(const QByteArray& content)
{
    Recorder plain;
    const xml::Reader::Verdict verdict = xml::Reader::readPlain(content, plain);
    if (verdict == xml::Reader::Verdict::Unsure)
        return;
    Recorder general;
    const bool wellFormed = xml::Reader::readGeneral(content, general);
    FUZZ_CHECK(wellFormed == (verdict == xml::Reader::Verdict::WellFormed));
    if (wellFormed)
        FUZZ_CHECK(plain.events == general.events);
}
