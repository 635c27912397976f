#include "xml/Element.h"

namespace xml {

namespace {

// Characters that XML 1.0 cannot carry at all; writing them would give a file
// that no reader accepts, so they are left out.
bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

// Most values are plain text; they are written as they are.
bool needsEscape(const QString& value)
{
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == '&' || u == '<' || u == '>' || u == '"' || (u >= 0xD800 && u <= 0xDFFF)
            || u >= 0xFFFE)
            return true;
    }
    return false;
}

QString escape(const QString& value, bool inAttribute)
{
    if (!needsEscape(value))
        return value;
    QString out;
    out.reserve(value.size());
    const QList<uint> codePoints = value.toUcs4();
    for (const uint c : codePoints) {
        switch (c) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += inAttribute ? QLatin1String("&quot;") : QLatin1String("\"");
            break;
        case '\r':
            out += QLatin1String("&#xd;");
            break;
        // A reader normalises raw tabs and line feeds in attribute values to blanks.
        case '\t':
            out += inAttribute ? QLatin1String("&#x9;") : QLatin1String("\t");
            break;
        case '\n':
            out += inAttribute ? QLatin1String("&#xa;") : QLatin1String("\n");
            break;
        default:
            if (isXmlChar(c)) {
                const char32_t cp = c;
                out += QString::fromUcs4(&cp, 1);
            }
        }
    }
    return out;
}

} // namespace

Element::Element(const QString& name)
    : _name(name)
{
}

Element::~Element() = default;

Element& Element::setAttribute(const QString& name, const QString& value)
{
    for (auto& attribute : _attributes) {
        if (attribute.first == name) {
            attribute.second = value;
            return *this;
        }
    }
    _attributes.append({ name, value });
    return *this;
}

QString Element::attribute(const QString& name) const
{
    for (const auto& attribute : _attributes) {
        if (attribute.first == name)
            return attribute.second;
    }
    return {};
}

Element& Element::appendChild(const QString& name)
{
    _children.push_back(std::make_unique<Element>(name));
    return *_children.back();
}

void Element::setText(const QString& text)
{
    _text = text;
    _hasText = true;
}

QByteArray Element::toDocument() const
{
    QString out = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    write(out, 0);
    return out.toUtf8();
}

QString Element::escapeAttribute(const QString& value)
{
    return escape(value, true);
}

QString Element::escapeText(const QString& text)
{
    return escape(text, false);
}

void Element::write(QString& out, int depth) const
{
    // No indentation string is kept across the recursion: in a deep tree
    // those strings alone would grow with the square of the depth.
    out.append(QString(depth * 2, QLatin1Char(' ')));
    out += QLatin1Char('<') + _name;
    for (const auto& attribute : _attributes)
        out += QLatin1Char(' ') + attribute.first + QLatin1String("=\"") + escapeAttribute(attribute.second)
            + QLatin1Char('"');

    if (_hasText) {
        out += QLatin1Char('>') + escapeText(_text) + QLatin1String("</") + _name + QLatin1String(">\n");
        return;
    }
    if (_children.empty()) {
        out += QLatin1String("/>\n");
        return;
    }
    out += QLatin1String(">\n");
    for (const auto& child : _children)
        child->write(out, depth + 1);
    out.append(QString(depth * 2, QLatin1Char(' ')));
    out += QLatin1String("</") + _name + QLatin1String(">\n");
}

} // namespace xml
