#pragma once

#include "xml/Reader.h"

#include <QStringList>

// Writes down what a reader reports, so that two readers can be compared
// event by event: each start tag with the values of a few attributes looked
// up by name and then all of its attributes in order, end tags, markup, and
// the text between tags in one piece (either reader may hand it over in
// several). The fuzz targets share it with the tests, without Qt Test.
class EventRecorder : public xml::ElementHandler
{
public:
    QStringList events;

    void startElement(QAnyStringView name, const xml::Attributes& attributes) override
    {
        flushText();
        QString event = QStringLiteral("start ") + name.toString();
        // The names the program asks for, one with a prefix, and one beyond
        // ASCII, which is compared another way.
        for (const char* attribute : { "a", "b", "p:b", "\xe9", "unit:id", "dev:id", "dev:type" })
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
