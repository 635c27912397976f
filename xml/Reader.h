#pragma once

#include <QAnyStringView>
#include <QByteArray>
#include <QLatin1String>
#include <QString>
#include <QStringView>

namespace xml {

// The attributes of the element that a handler is told about.
class Attributes
{
public:
    virtual ~Attributes() = default;
    // The value, or an empty string when the attribute is missing.
    virtual QString value(QLatin1String qualifiedName) const = 0;

    // All of them in document order.
    virtual qsizetype count() const = 0;
    virtual QString qualifiedName(qsizetype i) const = 0;
    virtual QString value(qsizetype i) const = 0;
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

    // Text inside elements, as a reader gives it (line ends made line feeds,
    // references replaced), possibly in several pieces; only to a handler
    // that wants it, since decoding it costs.
    virtual bool wantsText() const { return false; }
    virtual void characters(QStringView) { }

    // Markup that holds no elements, anywhere in the document.
    enum class Markup { Comment, ProcessingInstruction, DocumentType };
    virtual void markup(Markup) { }
};

// Reads a document for the elements it holds, and whether it is well-formed,
// exactly as QXmlStreamReader (and QDomDocument on top of it) decides, but
// without a document tree. Whatever the handler received from a document that
// is not well-formed must be thrown away by the caller.
// Not QXmlStreamReader alone: on the files this program writes the plain way is
// measured much faster (docs/PERFORMANCE.md), and Qt's reader is quadratic in
// the attributes of a tag; it stays the judge of everything the plain way is not sure of.
class Reader
{
public:
    // False when the content is not well-formed XML, and for a document
    // that only the general reader can decide when it may hold what makes
    // that reader slower than linear (see beyondGeneralReader): no real file
    // holds any of it.
    static bool read(const QByteArray& content, ElementHandler& handler);

    // QXmlStreamReader compares every attribute of a tag with every other,
    // and every tag with every attribute its document type declares.
    static constexpr int attributeLimit = 256;
    static constexpr int declarationLimit = 4 * attributeLimit;
    // Whether a tag may hold more than attributeLimit attributes, the
    // declarations more than declarationLimit quotes, "=", "#" and "%", or an
    // entity markup or references. In one pass; true for every document in
    // which one of them holds.
    static bool beyondGeneralReader(const QByteArray& content);

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
