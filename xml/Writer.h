#pragma once

#include <QAnyStringView>
#include <QByteArray>
#include <QStringView>

#include <limits>
#include <vector>

namespace xml {

// Writes a document as the program's files keep it, element by element and
// straight into one UTF-8 buffer: the XML declaration, an indentation of 2
// blanks, LF line ends and a final LF; an element without content as an
// empty-element tag, an element with text as start tag, text and end tag on
// one line. Values and text are escaped on the way, and characters that XML
// cannot carry are left out.
//
// Beyond a byte limit the writer stops keeping the bytes and only counts
// them, so that the size of a document too large to keep can be learnt.
//
// Not QDomDocument or QXmlStreamWriter: the files are kept in version control,
// so every byte and the attributes' order as written must stay as they are;
// and this way is measured faster and does not recurse (docs/PERFORMANCE.md).
class Writer
{
public:
    explicit Writer(qsizetype limit = std::numeric_limits<qsizetype>::max());

    // Element names are not copied: each must stay valid until its endElement.
    void startElement(QAnyStringView name);
    void attribute(QAnyStringView name, QStringView value);
    // Text after the start tag: the element then ends on the same line.
    void text(QStringView text);
    void endElement();

    // Bytes written so far, kept or only counted.
    qsizetype size() const { return _discarded + _used; }
    bool exceeded() const { return _counting; }
    // The document; empty when it exceeded the limit.
    QByteArray take();

private:
    enum class Open { Nothing, StartTag, Text };

    char* reserve(qsizetype bytes);
    void commit(const char* end);
    void append(const char* bytes, qsizetype count);
    void appendName(QAnyStringView name);
    void appendIndent();
    void appendEscaped(QStringView value, bool inAttribute);
    void closeStartTag();

    QByteArray _out;
    qsizetype _used = 0;
    qsizetype _discarded = 0;
    qsizetype _limit;
    bool _counting = false;
    Open _open = Open::Nothing;
    std::vector<QAnyStringView> _names;
};

} // namespace xml
