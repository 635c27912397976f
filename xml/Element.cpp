#include "xml/Element.h"

#include "xml/Writer.h"

namespace xml {

Element::Element(const QString& name)
    : _name(name)
{
}

// Children are taken apart one by one from a list of their own: left to
// themselves they would be destroyed recursively, one stack frame per level.
Element::~Element()
{
    std::vector<std::unique_ptr<Element>> pending = std::move(_children);
    while (!pending.empty()) {
        std::unique_ptr<Element> element = std::move(pending.back());
        pending.pop_back();
        for (auto& child : element->_children)
            pending.push_back(std::move(child));
        element->_children.clear();
    }
}

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
    // The path from the document element down to the element being written
    // lives on the heap, so any depth fits.
    struct Open
    {
        const Element* element;
        size_t nextChild;
    };
    Writer writer;
    std::vector<Open> path;
    auto start = [&writer, &path](const Element& element) {
        writer.startElement(element._name);
        for (const auto& attribute : element._attributes)
            writer.attribute(attribute.first, attribute.second);
        // An element with text is written without its children.
        if (element._hasText) {
            writer.text(element._text);
            writer.endElement();
        } else {
            path.push_back({ &element, 0 });
        }
    };
    start(*this);
    while (!path.empty()) {
        Open& open = path.back();
        if (open.nextChild < open.element->_children.size()) {
            start(*open.element->_children[open.nextChild++]);
        } else {
            writer.endElement();
            path.pop_back();
        }
    }
    return writer.take();
}

} // namespace xml
