#include "xml/Writer.h"

#include <QList>
#include <QString>

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace xml {

namespace {

// The longest form one UTF-16 unit can take: "&quot;".
constexpr qsizetype maxBytesPerUnit = 6;

char* put(char* p, const char* text, qsizetype count)
{
    std::memcpy(p, text, static_cast<size_t>(count));
    return p + count;
}

char* putUtf8(char* p, char32_t c)
{
    if (c < 0x80) {
        *p++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *p++ = static_cast<char>(0xC0 | (c >> 6));
        *p++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *p++ = static_cast<char>(0xE0 | (c >> 12));
        *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *p++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *p++ = static_cast<char>(0xF0 | (c >> 18));
        *p++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *p++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return p;
}

// Most values hold nothing to escape and are copied as they are.
bool needsEscape(QStringView value)
{
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == '&' || u == '<' || u == '>' || u == '"' || QChar::isSurrogate(u) || u >= 0xFFFE)
            return true;
    }
    return false;
}

// Entities for the characters that would end a value or a tag, character
// references for the controls that a reader would change in a value, and
// nothing for the characters that XML cannot carry (controls, U+FFFE,
// U+FFFF). U+FEFF is left out too, as it always was in values that needed
// escaping.
char* putEscaped(char* p, char32_t c, bool inAttribute)
{
    switch (c) {
    case '&':
        return put(p, "&amp;", 5);
    case '<':
        return put(p, "&lt;", 4);
    case '>':
        return put(p, "&gt;", 4);
    case '"':
        return inAttribute ? put(p, "&quot;", 6) : put(p, "\"", 1);
    case '\r':
        return put(p, "&#xd;", 5);
    case '\t':
        return inAttribute ? put(p, "&#x9;", 5) : put(p, "\t", 1);
    case '\n':
        return inAttribute ? put(p, "&#xa;", 5) : put(p, "\n", 1);
    default:
        if (c < 0x20 || c == 0xFEFF || c == 0xFFFE || c == 0xFFFF || c > 0x10FFFF)
            return p;
        return putUtf8(p, c);
    }
}

} // namespace

Writer::Writer(qsizetype limit)
    : _limit(limit)
{
    static const char declaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    append(declaration, sizeof declaration - 1);
}

void Writer::startElement(QAnyStringView name)
{
    closeStartTag();
    appendIndent();
    append("<", 1);
    appendName(name);
    _names.push_back(name);
    _open = Open::StartTag;
}

void Writer::attribute(QAnyStringView name, QStringView value)
{
    append(" ", 1);
    appendName(name);
    append("=\"", 2);
    appendEscaped(value, true);
    append("\"", 1);
}

void Writer::text(QStringView text)
{
    append(">", 1);
    appendEscaped(text, false);
    _open = Open::Text;
}

void Writer::endElement()
{
    const QAnyStringView name = _names.back();
    _names.pop_back();
    if (_open == Open::StartTag) {
        append("/>\n", 3);
    } else {
        if (_open == Open::Nothing)
            appendIndent();
        append("</", 2);
        appendName(name);
        append(">\n", 2);
    }
    _open = Open::Nothing;
}

QByteArray Writer::take()
{
    if (_counting)
        return {};
    _out.resize(_used);
    return std::move(_out);
}

// Room for `bytes` more at the end. The buffer grows by doubling; once the
// limit is passed, one small buffer is reused and only the count goes on.
char* Writer::reserve(qsizetype bytes)
{
    if (_used + bytes > _out.size()) {
        if (_counting) {
            _discarded += _used;
            _used = 0;
            if (bytes > _out.size())
                _out.resize(bytes);
        } else {
            _out.resize(std::max({ _used + bytes, 2 * _out.size(), qsizetype(4096) }));
        }
    }
    return _out.data() + _used;
}

void Writer::append(const char* bytes, qsizetype count)
{
    char* p = reserve(count);
    std::memcpy(p, bytes, static_cast<size_t>(count));
    commit(p + count);
}

void Writer::commit(const char* end)
{
    _used = end - _out.constData();
    if (!_counting && _used > _limit) {
        _counting = true;
        _discarded = _used;
        _used = 0;
        _out = QByteArray();
    }
}

void Writer::appendName(QAnyStringView name)
{
    name.visit([this](auto view) {
        using View = decltype(view);
        if constexpr (std::is_same_v<View, QStringView>) {
            const QByteArray utf8 = view.toUtf8();
            append(utf8.constData(), utf8.size());
        } else if constexpr (std::is_same_v<View, QUtf8StringView>) {
            append(view.data(), view.size());
        } else if (std::all_of(view.begin(), view.end(), [](char c) { return c >= 0; })) {
            // ASCII, the names the program uses, is the same in Latin-1 and UTF-8.
            append(view.data(), view.size());
        } else {
            const QByteArray utf8 = QString(view).toUtf8();
            append(utf8.constData(), utf8.size());
        }
    });
}

void Writer::appendIndent()
{
    const qsizetype count = 2 * static_cast<qsizetype>(_names.size());
    char* p = reserve(count);
    std::memset(p, ' ', static_cast<size_t>(count));
    commit(p + count);
}

void Writer::appendEscaped(QStringView value, bool inAttribute)
{
    char* p = reserve(value.size() * maxBytesPerUnit);
    const char16_t* u = value.utf16();
    const char16_t* const end = u + value.size();
    if (!needsEscape(value)) {
        while (u < end)
            p = putUtf8(p, *u++);
    } else if (value.front() == QChar(0xFFFE)) {
        // Escaped values used to go through QString::toUcs4, which reads a
        // leading U+FFFE as a byte order mark and swaps the bytes of the rest.
        for (const char32_t c : value.toUcs4())
            p = putEscaped(p, c, inAttribute);
    } else {
        while (u < end) {
            const char16_t c = *u++;
            if (QChar::isHighSurrogate(c) && u < end && QChar::isLowSurrogate(*u))
                p = putEscaped(p, QChar::surrogateToUcs4(c, *u++), inAttribute);
            else if (QChar::isSurrogate(c))
                p = putEscaped(p, 0xFFFD, inAttribute);
            else
                p = putEscaped(p, c, inAttribute);
        }
    }
    commit(p);
}

void Writer::closeStartTag()
{
    if (_open == Open::StartTag)
        append(">\n", 2);
    _open = Open::Nothing;
}

} // namespace xml
