#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <memory>
#include <vector>

namespace xml {

// A small element tree that writes itself byte for byte the same in every
// process: attributes keep the order in which they were set (the DOM keeps
// them in a hash whose order changes from run to run).
class Element
{
public:
    explicit Element(const QString& name);
    ~Element();

    Element(const Element&) = delete;
    Element& operator=(const Element&) = delete;

    const QString& name() const { return _name; }

    // Setting an attribute that is already there replaces its value in place.
    Element& setAttribute(const QString& name, const QString& value);
    QString attribute(const QString& name) const;
    const QList<QPair<QString, QString>>& attributes() const { return _attributes; }

    // Appends a child element and returns it; the parent owns it.
    Element& appendChild(const QString& name);
    int childCount() const { return static_cast<int>(_children.size()); }
    Element& child(int i) const { return *_children.at(static_cast<size_t>(i)); }

    // Text content. An element with text (even empty text) is written as start
    // tag, text, end tag on one line; an element without text and children is
    // written as an empty-element tag.
    void setText(const QString& text);
    bool hasText() const { return _hasText; }
    const QString& text() const { return _text; }

    // The whole document, as xml::Writer writes it, with this element as
    // document element.
    QByteArray toDocument() const;

private:
    QString _name;
    QList<QPair<QString, QString>> _attributes;
    std::vector<std::unique_ptr<Element>> _children;
    QString _text;
    bool _hasText = false;
};

} // namespace xml
