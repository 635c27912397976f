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
    // readPlain knows the plain documents this program writes and edits by
    // hand make of them: UTF-8 elements, attributes, text, comments and
    // references. It says WellFormed only for a document it read completely,
    // Malformed only for an error it is sure of (a repeated attribute), and
    // Unsure for everything else, which readGeneral, the full reader, decides.
    enum class Verdict { WellFormed, Malformed, Unsure };
    static Verdict readPlain(const QByteArray& content, ElementHandler& handler);
    static bool readGeneral(const QByteArray& content, ElementHandler& handler);
};

} // namespace xml
