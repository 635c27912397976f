#pragma once

#include <QAnyStringView>
#include <QByteArray>
#include <QLatin1String>
#include <QString>

namespace xml {

// The attributes of the element that a handler is told about.
class Attributes
{
public:
    virtual ~Attributes() = default;
    // The value, or an empty string when the attribute is missing.
    virtual QString value(QLatin1String qualifiedName) const = 0;
};

// Receives the element structure of a document, start and end tags in
// document order. Names are literal qualified names, prefix included: there
// is no namespace processing.
class ElementHandler
{
public:
    virtual ~ElementHandler() = default;
    virtual void startElement(QAnyStringView qualifiedName, const Attributes& attributes) = 0;
    virtual void endElement() = 0;
    // Forget everything received so far: the document is read again from the start.
    virtual void reset() = 0;
};

// Reads a document for the elements it holds, and whether it is well-formed,
// exactly as QXmlStreamReader (and QDomDocument on top of it) decides, but
// without a document tree. Whatever the handler received from a document that
// is not well-formed must be thrown away by the caller.
class Reader
{
public:
    // False when the content is not well-formed XML.
    static bool read(const QByteArray& content, ElementHandler& handler);

    // The two ways of reading, public for the differential fuzz targets.
    // readPlain knows only plain ASCII documents of elements, attributes and
    // text (the files this program writes): true when it read a well-formed
    // one; false when it gave up, and then readGeneral, the full reader, decides.
    static bool readPlain(const QByteArray& content, ElementHandler& handler);
    static bool readGeneral(const QByteArray& content, ElementHandler& handler);
};

} // namespace xml
