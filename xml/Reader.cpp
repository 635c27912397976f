#include "xml/Reader.h"

#include "xml/Utf8.h"

#include <QXmlStreamReader>

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace xml {

namespace {

using Verdict = Reader::Verdict;

constexpr bool isSpace(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Printable ASCII and the three white-space controls: legal XML characters.
constexpr bool isPlain(unsigned char c)
{
    return (c >= 0x20 && c < 0x7f) || c == '\t' || c == '\n' || c == '\r';
}

constexpr bool isNameStart(char32_t c)
{
    // Beyond ASCII only the Latin-1 letters, which every edition of XML has
    // in its names; the rest goes to the general reader.
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'
        || (c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7);
}

constexpr bool isNameChar(char32_t c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == 0xB7;
}

// What a single ASCII byte may be, looked up once per byte in the long runs
// of names, text and values, where testing each rule one by one cost half of
// a start's instructions. Bytes from 0x80 on are in no class: they begin a
// UTF-8 sequence and take the careful way.
enum ByteClass : unsigned char {
    nameStartByte = 1,
    nameByte = 2,
    // Text that needs no further look: not "<", "&" or "]".
    textByte = 4,
    // Value characters read as written: not "<", "&", a quote or a
    // white-space control other than the blank.
    valueByte = 8,
};

constexpr std::array<unsigned char, 256> makeByteClasses()
{
    std::array<unsigned char, 256> classes {};
    for (unsigned c = 0; c < 0x80; ++c) {
        unsigned char bits = 0;
        if (isNameStart(c))
            bits |= nameStartByte;
        if (isNameChar(c))
            bits |= nameByte;
        if (isPlain(static_cast<unsigned char>(c)) && c != '<' && c != '&' && c != ']')
            bits |= textByte;
        if (isPlain(static_cast<unsigned char>(c)) && c != '<' && c != '&' && c != '"' && c != '\''
            && (c == ' ' || !isSpace(static_cast<unsigned char>(c))))
            bits |= valueByte;
        classes[c] = bits;
    }
    return classes;
}

constexpr std::array<unsigned char, 256> byteClasses = makeByteClasses();

bool inClass(unsigned char c, ByteClass byteClass)
{
    return (byteClasses[c] & byteClass) != 0;
}

// The character at p if it is a well-formed UTF-8 sequence of two to four
// bytes that stands for a legal XML character; 0 otherwise. `length` is its
// byte count.
char32_t decodeUtf8(const unsigned char* p, const unsigned char* end, int& length)
{
    const char32_t c = decodeUtf8Sequence(p, end, length);
    return c == 0xFFFE || c == 0xFFFF ? 0 : c;
}

// The character that a reference ("amp", "#60", "#x3C": what stands between
// "&" and ";") stands for, 0 when this reader does not take it: unknown
// names, more than six digits, characters that XML does not allow.
char32_t referenceValue(std::string_view name)
{
    static const std::pair<std::string_view, char32_t> entities[]
        = { { "amp", '&' }, { "lt", '<' }, { "gt", '>' }, { "quot", '"' }, { "apos", '\'' } };
    for (const auto& entity : entities) {
        if (name == entity.first)
            return entity.second;
    }
    if (name.size() < 2 || name[0] != '#')
        return 0;
    const bool hex = name[1] == 'x';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 6)
        return 0;
    char32_t c = 0;
    for (const char d : digits) {
        int digit;
        if (d >= '0' && d <= '9')
            digit = d - '0';
        else if (hex && d >= 'a' && d <= 'f')
            digit = d - 'a' + 10;
        else if (hex && d >= 'A' && d <= 'F')
            digit = d - 'A' + 10;
        else
            return 0;
        c = c * (hex ? 16 : 10) + static_cast<char32_t>(digit);
    }
    const bool legal = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF)
        || (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
    return legal ? c : 0;
}

QString referencedCharacter(std::string_view name)
{
    const char32_t c = referenceValue(name);
    return QString::fromUcs4(&c, 1);
}

class PlainAttributes : public Attributes
{
public:
    struct Attribute
    {
        std::string_view name;
        std::string_view value;
        // Without references and white-space controls: read as written.
        bool literal;
    };
    std::vector<Attribute> list;

    QString value(QLatin1String qualifiedName) const override
    {
        const std::string_view wanted(qualifiedName.data(), static_cast<size_t>(qualifiedName.size()));
        const bool ascii = std::all_of(wanted.begin(), wanted.end(), [](char c) { return c >= 0; });
        for (const Attribute& attribute : list) {
            // Names are UTF-8 and equal to an ASCII name only byte for byte.
            const bool equal = ascii ? attribute.name == wanted
                                     : QAnyStringView::equal(utf8(attribute.name), qualifiedName);
            if (equal)
                return attribute.literal ? utf8(attribute.value).toString() : normalized(attribute.value);
        }
        return {};
    }

    qsizetype count() const override { return static_cast<qsizetype>(list.size()); }
    QString qualifiedName(qsizetype i) const override { return utf8(list[size_t(i)].name).toString(); }
    QString value(qsizetype i) const override
    {
        const Attribute& attribute = list[size_t(i)];
        return attribute.literal ? utf8(attribute.value).toString() : normalized(attribute.value);
    }

    static QUtf8StringView utf8(std::string_view text) { return QUtf8StringView(text.data(), text.size()); }

    // The value as a reader gives it: line ends first made single line
    // feeds, then every white-space control a blank, references replaced by
    // the characters they stand for. The scanner checked every reference.
    static QString normalized(std::string_view raw)
    {
        QString value;
        value.reserve(static_cast<qsizetype>(raw.size()));
        size_t run = 0;
        for (size_t i = 0; i < raw.size();) {
            const char c = raw[i];
            if (c != '&' && c != '\t' && c != '\n' && c != '\r') {
                ++i;
                continue;
            }
            value += QString::fromUtf8(raw.data() + run, static_cast<qsizetype>(i - run));
            if (c == '&') {
                const size_t end = raw.find(';', i);
                value += referencedCharacter(raw.substr(i + 1, end - i - 1));
                i = end + 1;
            } else {
                value += QLatin1Char(' ');
                i += c == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n' ? 2 : 1;
            }
            run = i;
        }
        value += QString::fromUtf8(raw.data() + run, static_cast<qsizetype>(raw.size() - run));
        return value;
    }
};

// QString::fromUtf8 drops a byte order mark at the start; in text it is a
// character like any other.
QString fromUtf8(std::string_view raw)
{
    if (raw.substr(0, 3) != "\xef\xbb\xbf")
        return QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size()));
    return QChar(0xFEFF) + QString::fromUtf8(raw.data() + 3, static_cast<qsizetype>(raw.size() - 3));
}

// Text as a reader gives it: line ends made single line feeds, references
// replaced by the characters they stand for (the scanner checked them all).
QString textOf(std::string_view raw)
{
    if (raw.find_first_of("&\r") == std::string_view::npos)
        return fromUtf8(raw);
    QString text;
    text.reserve(static_cast<qsizetype>(raw.size()));
    size_t run = 0;
    for (size_t i = 0; i < raw.size();) {
        const char c = raw[i];
        if (c != '&' && c != '\r') {
            ++i;
            continue;
        }
        text += fromUtf8(raw.substr(run, i - run));
        if (c == '&') {
            const size_t end = raw.find(';', i);
            text += referencedCharacter(raw.substr(i + 1, end - i - 1));
            i = end + 1;
        } else {
            text += QLatin1Char('\n');
            i += i + 1 < raw.size() && raw[i + 1] == '\n' ? 2 : 1;
        }
        run = i;
    }
    text += fromUtf8(raw.substr(run));
    return text;
}

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
    qsizetype count() const override { return _reader.attributes().size(); }
    QString qualifiedName(qsizetype i) const override
    {
        return _reader.attributes().at(i).qualifiedName().toString();
    }
    QString value(qsizetype i) const override { return _reader.attributes().at(i).value().toString(); }

private:
    const QXmlStreamReader& _reader;
};

// A recogniser for the plain subset of XML that the program's files use: an
// optional fixed declaration, elements, attributes in either quote, text,
// comments and the references that need no document type, in UTF-8 with any
// line ends. It never calls a document well-formed that the general reader
// would not, nor malformed unless that is certain (a repeated attribute); on
// anything else (DOCTYPE, CDATA, processing instructions, "]]>" in text,
// U+FEFF in attribute values, names beyond Latin-1 or longer than 1,024 bytes,
// ill-formed UTF-8, syntax errors) it is unsure and leaves the decision to the general reader.
// Iterative, so that deep nesting costs heap, not stack, and linear in the
// input, however many attributes an element has.
class PlainScanner
{
public:
    explicit PlainScanner(const QByteArray& content)
        : _p(reinterpret_cast<const unsigned char*>(content.constData()))
        , _end(_p + content.size())
    {
    }

    Verdict run(ElementHandler& handler)
    {
        _handler = &handler;
        _wantsText = handler.wantsText();
        static const char declaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
        const auto declarationLength = static_cast<std::ptrdiff_t>(sizeof declaration - 1);
        if (_end - _p >= declarationLength && std::memcmp(_p, declaration, sizeof declaration - 1) == 0)
            _p += declarationLength;
        if (!skipMisc())
            return Verdict::Unsure;

        do {
            const Verdict markup = readMarkup();
            if (markup != Verdict::WellFormed)
                return markup;
            if (!_open.empty() && !skipText())
                return Verdict::Unsure;
        } while (!_open.empty());

        if (!skipMisc() || _p != _end)
            return Verdict::Unsure;
        return Verdict::WellFormed;
    }

private:
    struct Name
    {
        std::string_view text;
        bool ascii = true;

        QAnyStringView view() const
        {
            if (ascii)
                return QLatin1String(text.data(), static_cast<qsizetype>(text.size()));
            return QUtf8StringView(text.data(), text.size());
        }
    };

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

    // A tag or, inside the document element, a comment, from its "<".
    Verdict readMarkup()
    {
        if (!take('<'))
            return Verdict::Unsure;
        if (take('/'))
            return readEndTag() ? Verdict::WellFormed : Verdict::Unsure;
        if (_p < _end && *_p == '!') {
            if (_open.empty() || !skipComment())
                return Verdict::Unsure;
            _handler->markup(ElementHandler::Markup::Comment);
            return Verdict::WellFormed;
        }
        return readStartTag();
    }

    // After "<": the name, the attributes, ">" or "/>".
    Verdict readStartTag()
    {
        Name name;
        bool empty = false;
        if (!readName(name))
            return Verdict::Unsure;
        const Verdict attributes = readAttributes(empty);
        if (attributes != Verdict::WellFormed)
            return attributes;
        _handler->startElement(name.view(), _attributes);
        if (empty)
            _handler->endElement();
        else
            _open.push_back(name);
        return Verdict::WellFormed;
    }

    // After "</": the name of the innermost open element, ">".
    bool readEndTag()
    {
        Name name;
        if (!readName(name) || _open.empty() || _open.back().text != name.text)
            return false;
        skipSpace();
        if (!take('>'))
            return false;
        _open.pop_back();
        _handler->endElement();
        return true;
    }

    // White space and comments before and after the document element.
    bool skipMisc()
    {
        for (;;) {
            skipSpace();
            if (_end - _p < 2 || _p[0] != '<' || _p[1] != '!')
                return true;
            ++_p;
            if (!skipComment())
                return false;
            _handler->markup(ElementHandler::Markup::Comment);
        }
    }

    // After "<": "!--", text without "--", "-->".
    bool skipComment()
    {
        if (_end - _p < 3 || std::memcmp(_p, "!--", 3) != 0)
            return false;
        _p += 3;
        while (_p < _end) {
            if (*_p == '-') {
                if (_end - _p >= 2 && _p[1] == '-') {
                    if (_end - _p < 3 || _p[2] != '>')
                        return false;
                    _p += 3;
                    return true;
                }
                ++_p;
            } else if (!skipCharacter()) {
                return false;
            }
        }
        return false;
    }

    // A reference this reader knows, from "&" to ";"; `c` is its character.
    bool skipReference(char32_t& c)
    {
        const unsigned char* start = ++_p;
        while (_p < _end && *_p != ';' && _p - start <= 8)
            ++_p;
        if (_p >= _end || *_p != ';')
            return false;
        c = referenceValue(
            std::string_view(reinterpret_cast<const char*>(start), static_cast<size_t>(_p - start)));
        ++_p;
        return c != 0;
    }

    // One legal character of text, ASCII or UTF-8.
    bool skipCharacter()
    {
        if (*_p < 0x80) {
            if (!isPlain(*_p))
                return false;
            ++_p;
            return true;
        }
        int length = 0;
        if (!decodeUtf8(_p, _end, length))
            return false;
        _p += length;
        return true;
    }

    bool readNameCharacter(bool start, bool& ascii)
    {
        if (_p >= _end)
            return false;
        if (*_p < 0x80) {
            if (!inClass(*_p, start ? nameStartByte : nameByte))
                return false;
            ++_p;
            return true;
        }
        int length = 0;
        const char32_t c = decodeUtf8(_p, _end, length);
        if (start ? !isNameStart(c) : !isNameChar(c))
            return false;
        _p += length;
        ascii = false;
        return true;
    }

    bool readNcName(bool& ascii)
    {
        if (!readNameCharacter(true, ascii))
            return false;
        do {
            while (_p < _end && inClass(*_p, nameByte))
                ++_p;
        } while (_p < _end && *_p >= 0x80 && readNameCharacter(false, ascii));
        return true;
    }

    bool readName(Name& name)
    {
        const unsigned char* start = _p;
        bool ascii = true;
        if (!readNcName(ascii))
            return false;
        if (_p < _end && *_p == ':') {
            ++_p;
            if (!readNcName(ascii))
                return false;
        }
        // The general reader refuses names of more than 4,096 characters.
        if (_p - start > 1024)
            return false;
        name.text = std::string_view(reinterpret_cast<const char*>(start), static_cast<size_t>(_p - start));
        name.ascii = ascii;
        return true;
    }

    // Up to and including ">" or "/>" (then `empty` is set).
    Verdict readAttributes(bool& empty)
    {
        _attributes.list.clear();
        // A fresh set rather than clear(), which would touch every bucket
        // the largest element ever needed, at every element after it.
        if (!_seen.empty())
            _seen = {};
        for (;;) {
            const bool spaced = skipSpace();
            if (_p >= _end)
                return Verdict::Unsure;
            if (take('>'))
                return Verdict::WellFormed;
            if (take('/')) {
                empty = true;
                return take('>') ? Verdict::WellFormed : Verdict::Unsure;
            }
            if (!spaced)
                return Verdict::Unsure;
            const Verdict attribute = readAttribute();
            if (attribute != Verdict::WellFormed)
                return attribute;
        }
    }

    // name="value" or name='value', with white space around the "=".
    Verdict readAttribute()
    {
        Name name;
        if (!readName(name))
            return Verdict::Unsure;
        skipSpace();
        if (!take('='))
            return Verdict::Unsure;
        skipSpace();
        std::string_view value;
        bool literal = true;
        if (!readValue(value, literal))
            return Verdict::Unsure;
        if (!isNew(name.text))
            return Verdict::Malformed;
        _attributes.list.push_back({ name.text, value, literal });
        return Verdict::WellFormed;
    }

    // A quoted value, quotes included; `value` is what stands between them,
    // `literal` whether it is read as written.
    bool readValue(std::string_view& value, bool& literal)
    {
        if (_p >= _end || (*_p != '"' && *_p != '\''))
            return false;
        const unsigned char quote = *_p++;
        const unsigned char* start = _p;
        for (;;) {
            while (_p < _end && inClass(*_p, valueByte))
                ++_p;
            if (_p >= _end)
                return false;
            if (*_p == quote)
                break;
            if (!skipValueCharacter(literal))
                return false;
        }
        value = std::string_view(reinterpret_cast<const char*>(start), static_cast<size_t>(_p - start));
        ++_p;
        return true;
    }

    // One character of a value that is no value byte: a reference, a
    // white-space control or UTF-8 (`literal` is cleared for the first two).
    bool skipValueCharacter(bool& literal)
    {
        if (*_p == '<')
            return false;
        // A reader drops U+FEFF from values (and what it makes of a
        // reference to it is left to the general reader).
        if (_end - _p >= 3 && _p[0] == 0xEF && _p[1] == 0xBB && _p[2] == 0xBF)
            return false;
        if (*_p == '&') {
            char32_t c = 0;
            if (!skipReference(c) || c == 0xFEFF)
                return false;
            literal = false;
            return true;
        }
        // White-space controls become blanks when read.
        if (isSpace(*_p) && *_p != ' ')
            literal = false;
        return skipCharacter();
    }

    // Whether no attribute of the element so far has this name. A few are
    // compared directly; beyond that a set keeps the check linear.
    bool isNew(std::string_view name)
    {
        static constexpr size_t directly = 8;
        const auto& list = _attributes.list;
        if (list.size() < directly) {
            return std::none_of(list.begin(), list.end(),
                [name](const PlainAttributes::Attribute& a) { return a.name == name; });
        }
        if (_seen.empty()) {
            for (const PlainAttributes::Attribute& attribute : list)
                _seen.insert(attribute.name);
        }
        return _seen.insert(name).second;
    }

    // Text up to the next "<".
    bool skipText()
    {
        const unsigned char* start = _p;
        for (;;) {
            while (_p < _end && inClass(*_p, textByte))
                ++_p;
            if (_p >= _end || *_p == '<')
                break;
            char32_t c = 0;
            if (*_p == '&') {
                if (!skipReference(c))
                    return false;
                continue;
            }
            if (*_p == ']') {
                if (_end - _p >= 3 && _p[1] == ']' && _p[2] == '>')
                    return false;
                ++_p;
            } else if (!skipCharacter()) {
                return false;
            }
        }
        if (_p >= _end)
            return false;
        if (_wantsText && _p != start)
            _handler->characters(textOf(
                std::string_view(reinterpret_cast<const char*>(start), static_cast<size_t>(_p - start))));
        return true;
    }

    ElementHandler* _handler = nullptr;
    bool _wantsText = false;
    const unsigned char* _p;
    const unsigned char* _end;
    PlainAttributes _attributes;
    std::unordered_set<std::string_view> _seen;
    // The elements whose end tags are still to come, innermost last.
    std::vector<Name> _open;
};

} // namespace

bool Reader::read(const QByteArray& content, ElementHandler& handler)
{
    // The general reader costs several times what the plain scan does, the
    // program's own files never need it, and it compares every attribute of
    // an element with every other.
    switch (readPlain(content, handler)) {
    case Verdict::WellFormed:
        return true;
    case Verdict::Malformed:
        return false;
    case Verdict::Unsure:
        break;
    }
    handler.reset();
    if (beyondGeneralReader(content))
        return false;
    return readGeneral(content, handler);
}

bool Reader::beyondGeneralReader(const QByteArray& content)
{
    // Counts the "=" of each tag, from its "<" to the ">" outside quotes: one
    // per attribute, at least. A "<" starts afresh wherever it stands, since
    // no attribute value holds one. Declarations ("<!") count into one sum
    // for the whole document: every attribute they declare has a default
    // with a quote or "#", and parameter entities a "%". An entity whose
    // text holds markup or references would be read again at every use.
    // Comments, CDATA sections and processing instructions hold no tags.
    int count = 0;
    int declarationMarks = 0;
    bool inTag = false;
    bool declaration = false;
    char quote = 0;
    const char* const end = content.constEnd();
    const auto skipTo = [end](const char* p, std::string_view close) {
        const char* found = std::search(p, end, close.begin(), close.end());
        return found == end ? end - 1 : found + close.size() - 1;
    };
    for (const char* p = content.constBegin(); p != end; ++p) {
        const char c = *p;
        if (c == '<') {
            if (declaration && quote)
                return true;
            const std::string_view rest(p, size_t(end - p));
            if (rest.substr(0, 4) == "<!--" || rest.substr(0, 9) == "<![CDATA["
                || rest.substr(0, 2) == "<?") {
                p = skipTo(p + 2, rest[1] == '?' ? "?>" : rest[2] == '-' ? "-->" : "]]>");
                inTag = false;
                declaration = false;
                continue;
            }
            inTag = true;
            declaration = p + 1 != end && p[1] == '!';
            quote = 0;
            count = 0;
            continue;
        }
        if (!inTag)
            continue;
        if (declaration) {
            if (quote && c == '&')
                return true;
            if ((c == '=' || c == '#' || c == '%' || c == '"' || c == '\'')
                && ++declarationMarks > declarationLimit)
                return true;
        }
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            inTag = false;
            declaration = false;
        } else if (c == '=' && ++count > attributeLimit) {
            return true;
        }
    }
    return false;
}

Reader::Verdict Reader::readPlain(const QByteArray& content, ElementHandler& handler)
{
    return PlainScanner(content).run(handler);
}

bool Reader::readGeneral(const QByteArray& content, ElementHandler& handler)
{
    QXmlStreamReader reader(content);
    reader.setNamespaceProcessing(false);
    const StreamAttributes attributes(reader);
    // QXmlStreamReader takes a document type anywhere and more than once;
    // QDomDocument, and XML, only once before the document element.
    bool documentTypeAllowed = true;
    const bool wantsText = handler.wantsText();
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::DTD:
            if (!documentTypeAllowed)
                return false;
            documentTypeAllowed = false;
            handler.markup(ElementHandler::Markup::DocumentType);
            break;
        case QXmlStreamReader::StartElement:
            documentTypeAllowed = false;
            ++depth;
            handler.startElement(reader.qualifiedName(), attributes);
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            handler.endElement();
            break;
        case QXmlStreamReader::Characters:
            if (wantsText && depth > 0)
                handler.characters(reader.text());
            break;
        case QXmlStreamReader::Comment:
            handler.markup(ElementHandler::Markup::Comment);
            break;
        case QXmlStreamReader::ProcessingInstruction:
            handler.markup(ElementHandler::Markup::ProcessingInstruction);
            break;
        default:
            break;
        }
    }
    return !reader.hasError();
}

} // namespace xml
