#include "xml/Reader.h"

#include <QXmlStreamReader>

#include <cstring>
#include <utility>
#include <vector>

namespace xml {

namespace {

bool isSpace(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Printable ASCII and the three white-space controls: every such byte is a
// character of its own in UTF-8 and a legal XML character.
bool isPlain(unsigned char c)
{
    return (c >= 0x20 && c < 0x7f) || c == '\t' || c == '\n' || c == '\r';
}

bool isNameStart(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool isNameChar(unsigned char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

using PlainAttribute = std::pair<QLatin1String, QLatin1String>;

class PlainAttributes : public Attributes
{
public:
    std::vector<PlainAttribute> list;

    QString value(QLatin1String qualifiedName) const override
    {
        for (const PlainAttribute& attribute : list) {
            if (attribute.first == qualifiedName)
                return attribute.second;
        }
        return {};
    }
};

class StreamAttributes : public Attributes
{
public:
    explicit StreamAttributes(const QXmlStreamReader& reader)
        : _reader(reader)
    {
    }

    QString value(QLatin1String qualifiedName) const override
    {
        return _reader.attributes().value(qualifiedName).toString();
    }

private:
    const QXmlStreamReader& _reader;
};

// A recogniser for the plain subset of XML that the program's own files use:
// an optional fixed declaration, elements, attributes in either quote, text.
// It never calls a document well-formed that the general reader would not; on
// anything it does not know (references, comments, DOCTYPE, CDATA,
// processing instructions, non-ASCII bytes, "]" in text, white-space controls
// in attribute values, repeated attributes, syntax errors) it gives up and
// leaves the decision to the general reader. Iterative, so that deep nesting
// costs heap, not stack.
class PlainScanner
{
public:
    explicit PlainScanner(const QByteArray& content)
        : _p(reinterpret_cast<const unsigned char*>(content.constData()))
        , _end(_p + content.size())
    {
    }

    bool run(ElementHandler& handler)
    {
        static const char declaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
        const auto declarationLength = static_cast<std::ptrdiff_t>(sizeof declaration - 1);
        if (_end - _p >= declarationLength && std::memcmp(_p, declaration, sizeof declaration - 1) == 0)
            _p += declarationLength;
        skipSpace();

        std::vector<QLatin1String> open;
        do {
            if (_p >= _end || *_p != '<')
                return false;
            ++_p;
            if (_p < _end && *_p == '/') {
                ++_p;
                QLatin1String name;
                if (!readName(name) || open.empty() || open.back() != name)
                    return false;
                skipSpace();
                if (!take('>'))
                    return false;
                open.pop_back();
                handler.endElement();
            } else {
                QLatin1String name;
                bool empty = false;
                if (!readName(name) || !readAttributes(empty))
                    return false;
                handler.startElement(name, _attributes);
                if (empty)
                    handler.endElement();
                else
                    open.push_back(name);
            }
            if (!open.empty() && !skipText())
                return false;
        } while (!open.empty());

        skipSpace();
        return _p == _end;
    }

private:
    bool take(char c)
    {
        if (_p >= _end || *_p != static_cast<unsigned char>(c))
            return false;
        ++_p;
        return true;
    }

    bool skipSpace()
    {
        const unsigned char* start = _p;
        while (_p < _end && isSpace(*_p))
            ++_p;
        return _p != start;
    }

    bool readNcName()
    {
        if (_p >= _end || !isNameStart(*_p))
            return false;
        while (_p < _end && isNameChar(*_p))
            ++_p;
        return true;
    }

    bool readName(QLatin1String& name)
    {
        const unsigned char* start = _p;
        if (!readNcName())
            return false;
        if (_p < _end && *_p == ':') {
            ++_p;
            if (!readNcName())
                return false;
        }
        name = QLatin1String(reinterpret_cast<const char*>(start), _p - start);
        return true;
    }

    // Up to and including ">" or "/>" (then `empty` is set).
    bool readAttributes(bool& empty)
    {
        _attributes.list.clear();
        for (;;) {
            const bool spaced = skipSpace();
            if (_p >= _end)
                return false;
            if (*_p == '>') {
                ++_p;
                return true;
            }
            if (*_p == '/') {
                ++_p;
                empty = true;
                return take('>');
            }
            QLatin1String name;
            if (!spaced || !readName(name))
                return false;
            skipSpace();
            if (!take('='))
                return false;
            skipSpace();
            if (_p >= _end || (*_p != '"' && *_p != '\''))
                return false;
            const unsigned char quote = *_p++;
            const unsigned char* start = _p;
            while (_p < _end && *_p != quote) {
                // A reader turns white-space controls in values into blanks.
                if (*_p == '<' || *_p == '&' || !isPlain(*_p) || (isSpace(*_p) && *_p != ' '))
                    return false;
                ++_p;
            }
            if (_p >= _end)
                return false;
            const QLatin1String value(reinterpret_cast<const char*>(start), _p - start);
            ++_p;
            for (const PlainAttribute& attribute : _attributes.list) {
                if (attribute.first == name)
                    return false;
            }
            _attributes.list.emplace_back(name, value);
        }
    }

    // Text up to the next "<".
    bool skipText()
    {
        while (_p < _end && *_p != '<') {
            if (*_p == '&' || *_p == ']' || !isPlain(*_p))
                return false;
            ++_p;
        }
        return _p < _end;
    }

    const unsigned char* _p;
    const unsigned char* _end;
    PlainAttributes _attributes;
};

} // namespace

bool Reader::read(const QByteArray& content, ElementHandler& handler)
{
    // The general reader costs several times what the plain scan does, and
    // the program's own files never need it.
    if (readPlain(content, handler))
        return true;
    handler.reset();
    return readGeneral(content, handler);
}

bool Reader::readPlain(const QByteArray& content, ElementHandler& handler)
{
    return PlainScanner(content).run(handler);
}

bool Reader::readGeneral(const QByteArray& content, ElementHandler& handler)
{
    QXmlStreamReader reader(content);
    reader.setNamespaceProcessing(false);
    const StreamAttributes attributes(reader);
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            handler.startElement(reader.qualifiedName(), attributes);
            break;
        case QXmlStreamReader::EndElement:
            handler.endElement();
            break;
        default:
            break;
        }
    }
    return !reader.hasError();
}

} // namespace xml
