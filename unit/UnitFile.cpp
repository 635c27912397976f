#include "unit/UnitFile.h"

#include "fs/File.h"
#include "xml/Reader.h"

#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>

#include <deque>
#include <vector>

namespace unit {

namespace {

// One element of the document, a few integers: a file of many small elements
// takes a small multiple of its size, and building the tree needs no
// recursion, however deep the document nests.
struct Node
{
    int name = 0;
    int firstAttribute = 0;
    int attributeCount = 0;
    int firstChild = -1;
    int next = -1;
};

// The document as the reader reports it; names are kept once each.
class Document : public xml::ElementHandler
{
public:
    struct Attribute
    {
        int name;
        QString value;
    };

    std::deque<Node> nodes;
    std::deque<Attribute> attributes;
    // By node: few elements hold text.
    QHash<int, QString> texts;
    std::vector<QString> names;
    bool comments = false;
    bool instructions = false;
    bool doctype = false;

    void startElement(QAnyStringView qualifiedName, const xml::Attributes& list) override
    {
        Node node;
        node.name = intern(qualifiedName.toString());
        node.firstAttribute = int(attributes.size());
        node.attributeCount = int(list.count());
        for (qsizetype i = 0; i < list.count(); ++i)
            attributes.push_back({ intern(list.qualifiedName(i)), list.value(i) });
        const int index = int(nodes.size());
        if (!_open.empty()) {
            Open& parent = _open.back();
            if (parent.lastChild < 0)
                nodes[size_t(parent.index)].firstChild = index;
            else
                nodes[size_t(parent.lastChild)].next = index;
            parent.lastChild = index;
        }
        nodes.push_back(node);
        _open.push_back({ index, -1 });
    }

    void endElement() override { _open.pop_back(); }

    bool wantsText() const override { return true; }

    void characters(QStringView text) override { texts[_open.back().index] += text; }

    void markup(Markup kind) override
    {
        switch (kind) {
        case Markup::Comment:
            comments = true;
            break;
        case Markup::ProcessingInstruction:
            instructions = true;
            break;
        case Markup::DocumentType:
            doctype = true;
            break;
        }
    }

    void reset() override { *this = Document(); }

private:
    int intern(const QString& name)
    {
        const auto found = _nameIndex.constFind(name);
        if (found != _nameIndex.constEnd())
            return *found;
        names.push_back(name);
        return *_nameIndex.insert(name, int(names.size() - 1));
    }

    struct Open
    {
        int index;
        int lastChild;
    };

    QHash<QString, int> _nameIndex;
    std::vector<Open> _open;
};

// An element of a Document, by value; null where there is none.
class Element
{
public:
    Element() = default;
    Element(const Document* document, int index)
        : _document(index < 0 ? nullptr : document)
        , _index(index)
    {
    }

    explicit operator bool() const { return _document != nullptr; }
    bool operator==(const Element& other) const { return _index == other._index; }
    bool operator!=(const Element& other) const { return _index != other._index; }

    const QString& name() const { return _document->names[size_t(node().name)]; }

    int attributeCount() const { return node().attributeCount; }
    const QString& attributeName(int i) const { return _document->names[size_t(attributeAt(i).name)]; }
    QString attribute(const QString& qualifiedName) const
    {
        const int i = find(qualifiedName);
        return i < 0 ? QString() : attributeAt(i).value;
    }
    bool hasAttribute(const QString& qualifiedName) const { return find(qualifiedName) >= 0; }

    QString text() const { return _document->texts.value(_index); }
    bool hasText() const { return !text().trimmed().isEmpty(); }
    bool hasChildren() const { return node().firstChild >= 0; }

    Element child(const QString& childName) const
    {
        for (const Element c : children()) {
            if (c.name() == childName)
                return c;
        }
        return {};
    }

    class Iterator
    {
    public:
        Iterator(const Document* document, int index)
            : _document(document)
            , _index(index)
        {
        }
        Element operator*() const { return Element(_document, _index); }
        Iterator& operator++()
        {
            _index = _document->nodes[size_t(_index)].next;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return _index != other._index; }

    private:
        const Document* _document;
        int _index;
    };

    struct Children
    {
        Iterator first;
        Iterator begin() const { return first; }
        Iterator end() const { return Iterator(nullptr, -1); }
    };
    Children children() const { return { Iterator(_document, node().firstChild) }; }

private:
    const Node& node() const { return _document->nodes[size_t(_index)]; }
    const Document::Attribute& attributeAt(int i) const
    {
        return _document->attributes[size_t(node().firstAttribute + i)];
    }
    int find(const QString& qualifiedName) const
    {
        for (int i = 0; i < attributeCount(); ++i) {
            if (attributeName(i) == qualifiedName)
                return i;
        }
        return -1;
    }

    const Document* _document = nullptr;
    int _index = -1;
};

// The first connector of a name, found in a hash that grows with the list.
class ConnectorIndex
{
public:
    Generator::VariableDescriptor* find(QList<Generator::VariableDescriptor>& list, const QString& name)
    {
        for (; _covered < list.size(); ++_covered) {
            if (!_byName.contains(list.at(_covered).name))
                _byName.insert(list.at(_covered).name, _covered);
        }
        const auto found = _byName.constFind(name);
        return found == _byName.constEnd() ? nullptr : &list[*found];
    }

private:
    QHash<QString, qsizetype> _byName;
    qsizetype _covered = 0;
};

// Collects what the form cannot show while the known elements are taken apart.
class Extractor
{
public:
    explicit Extractor(UnitFile& unit)
        : _unit(unit)
    {
    }

    void unitType(const Element type)
    {
        _unit.id = type.attribute(QStringLiteral("unit:id"));
        attributesBeyond(type, { QStringLiteral("unit:id") });
        for (const Element child : type.children()) {
            const QString& name = child.name();
            attributesBeyond(child, {});
            if (name == QLatin1String("unit:typeTemplates")) {
                if (child.hasChildren() || child.hasText())
                    _unit.addDropped(UnitFile::tr("type templates"));
            } else if (name == QLatin1String("unit:connectors")) {
                variables(
                    child.child(QStringLiteral("unit:in")), QStringLiteral("unit:connector"), _unit.inputs);
                variables(
                    child.child(QStringLiteral("unit:out")), QStringLiteral("unit:connector"), _unit.outputs);
                onlyChildren(child, { QStringLiteral("unit:in"), QStringLiteral("unit:out") });
            } else if (name == QLatin1String("unit:state")) {
                variables(child, QStringLiteral("unit:statevar"), _unit.stateVars);
            } else if (name == QLatin1String("unit:guiinfo")) {
                guiInfo(child);
            } else if (name == QLatin1String("unit:plugins")) {
                plugins(child);
            } else {
                element(child);
            }
        }
    }

    void element(const Element node) { _unit.addDropped(UnitFile::tr("the element %1").arg(node.name())); }

    void onlyChildren(const Element node, const QStringList& names)
    {
        for (const Element child : node.children()) {
            if (!names.contains(child.name()))
                element(child);
        }
    }

    void attributesBeyond(const Element node, const QStringList& names)
    {
        for (int i = 0; i < node.attributeCount(); ++i) {
            if (!names.contains(node.attributeName(i)))
                _unit.addDropped(
                    UnitFile::tr("the attribute %1 of %2").arg(node.attributeName(i), node.name()));
        }
    }

private:
    void variables(const Element list, const QString& entry, QList<Generator::VariableDescriptor>& out)
    {
        if (!list)
            return;
        attributesBeyond(list, {});
        for (const Element child : list.children()) {
            if (child.name() != entry) {
                element(child);
                continue;
            }
            attributesBeyond(child, { QStringLiteral("var:varname"), QStringLiteral("var:type") });
            QString value;
            for (const Element grandChild : child.children()) {
                if (grandChild.name() == QLatin1String("var:default")) {
                    value = grandChild.attribute(QStringLiteral("var:val"));
                    attributesBeyond(grandChild, { QStringLiteral("var:val") });
                } else {
                    element(grandChild);
                }
            }
            out << Generator::VariableDescriptor(child.attribute(QStringLiteral("var:varname")),
                child.attribute(QStringLiteral("var:type")), QString(), value, false);
        }
    }

    void guiInfo(const Element info)
    {
        for (const Element child : info.children()) {
            attributesBeyond(child, {});
            if (child.name() == QLatin1String("unit:connectors")) {
                layouts(child.child(QStringLiteral("unit:in")), QStringLiteral("left"), _unit.inputs);
                layouts(child.child(QStringLiteral("unit:out")), QStringLiteral("right"), _unit.outputs);
                onlyChildren(child, { QStringLiteral("unit:in"), QStringLiteral("unit:out") });
            } else if (child.name() == QLatin1String("unit:state")) {
                if (child.hasChildren())
                    _unit.addDropped(UnitFile::tr("the layout of state variables"));
            } else if (child.name() == QLatin1String("unit:description")) {
                description(child);
            } else {
                element(child);
            }
        }
    }

    void layouts(const Element list, const QString& side, QList<Generator::VariableDescriptor>& connectors)
    {
        if (!list)
            return;
        for (const Element child : list.children()) {
            if (child.name() != QLatin1String("unit:layout")) {
                element(child);
                continue;
            }
            attributesBeyond(child,
                { QStringLiteral("unit:varname"), QStringLiteral("unit:side"),
                    QStringLiteral("unit:display") });
            const QString name = child.attribute(QStringLiteral("unit:varname"));
            Generator::VariableDescriptor* connector = find(connectors, name);
            if (!connector) {
                _unit.addDropped(UnitFile::tr("the layout of %1, which is no connector").arg(name));
                continue;
            }
            if (child.attribute(QStringLiteral("unit:side")) != side)
                _unit.addDropped(UnitFile::tr("the side %1 of the connector %2")
                                     .arg(child.attribute(QStringLiteral("unit:side")), name));
            const QString display = child.attribute(QStringLiteral("unit:display"));
            if (display == QLatin1String("hidden"))
                connector->hidden = true;
            else if (child.hasAttribute(QStringLiteral("unit:display")))
                _unit.addDropped(UnitFile::tr("the display %1 of the connector %2").arg(display, name));
        }
    }

    void description(const Element description)
    {
        for (const Element child : description.children()) {
            if (child.name() != QLatin1String("unit:icon"))
                attributesBeyond(child, {});
            if (child.name() == QLatin1String("unit:name")) {
                _unit.guiName = child.text();
            } else if (child.name() == QLatin1String("unit:icon")) {
                _unit.iconFileName = child.attribute(QStringLiteral("unit:filename"));
                attributesBeyond(child, { QStringLiteral("unit:filename") });
            } else if (child.name() == QLatin1String("unit:connectors")) {
                infos(child.child(QStringLiteral("unit:in")), _unit.inputs);
                infos(child.child(QStringLiteral("unit:out")), _unit.outputs);
                onlyChildren(child, { QStringLiteral("unit:in"), QStringLiteral("unit:out") });
            } else if (child.name() == QLatin1String("unit:state")) {
                if (child.hasChildren())
                    _unit.addDropped(UnitFile::tr("the descriptions of state variables"));
            } else {
                element(child);
            }
        }
    }

    void infos(const Element list, QList<Generator::VariableDescriptor>& connectors)
    {
        if (!list)
            return;
        for (const Element child : list.children()) {
            if (child.name() != QLatin1String("unit:info")) {
                element(child);
                continue;
            }
            const QString name = child.attribute(QStringLiteral("unit:varname"));
            Generator::VariableDescriptor* connector = find(connectors, name);
            if (!connector) {
                _unit.addDropped(UnitFile::tr("the description of %1, which is no connector").arg(name));
                continue;
            }
            if (const Element text = child.child(QStringLiteral("unit:description")))
                connector->description = text.text();
            onlyChildren(child, { QStringLiteral("unit:description") });
        }
    }

    void plugins(const Element plugins)
    {
        QString simulation;
        QString dialog;
        for (const Element child : plugins.children()) {
            const QString type = child.attribute(QStringLiteral("plugin:type"));
            const QString library = child.attribute(QStringLiteral("plugin:library"));
            if (child.name() == QLatin1String("unit:plugin") && type == QLatin1String("simulation")
                && simulation.isNull())
                simulation = library;
            else if (child.name() == QLatin1String("unit:plugin") && type == QLatin1String("dialog")
                && dialog.isNull())
                dialog = library;
            else
                _unit.addDropped(UnitFile::tr("the plug-in %1 of the type %2").arg(library, type));
        }

        const QString prefix = QStringLiteral("unit_");
        const QString suffix = QStringLiteral("_simulation");
        if (simulation.startsWith(prefix) && simulation.endsWith(suffix)
            && simulation.size() > prefix.size() + suffix.size())
            _unit.pluginBaseName
                = simulation.mid(prefix.size(), simulation.size() - prefix.size() - suffix.size());
        else
            _unit.addDropped(UnitFile::tr("the simulation plug-in %1").arg(simulation));

        if (dialog.isNull())
            return;
        if (dialog == QStringLiteral("unit_%1_gui").arg(_unit.pluginBaseName)
            && !_unit.pluginBaseName.isEmpty())
            _unit.withDialog = true;
        else
            _unit.addDropped(
                UnitFile::tr("the plug-in %1 of the type %2").arg(dialog, QStringLiteral("dialog")));
    }

    Generator::VariableDescriptor* find(QList<Generator::VariableDescriptor>& list, const QString& name)
    {
        return (&list == &_unit.inputs ? _inputIndex : _outputIndex).find(list, name);
    }

    UnitFile& _unit;
    ConnectorIndex _inputIndex;
    ConnectorIndex _outputIndex;
};

// The text of a C++ string literal that starts at from; the position after
// its closing quote goes to end. Null when the literal does not close.
QString cppStringAt(const QString& line, int from, int& end)
{
    QString text = QLatin1String("");
    for (int i = from; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char('"')) {
            end = i + 1;
            return text;
        }
        if (c == QLatin1Char('\\') && i + 1 < line.size())
            ++i;
        text += line.at(i);
    }
    return {};
}

// Vendor and name from the simulation plug-in's main.cpp, when it is still
// the skeleton this program wrote for the id; a file the user changed says
// nothing reliable.
QPair<QString, QString> skeletonVendorAndName(const QString& unitDir, const QString& id)
{
    const fs::ReadResult file
        = fs::readFile(unitDir + QLatin1String("/plugin/simulation/main.cpp"), fs::unitFileLimit);
    if (!file.ok())
        return {};
    QStringDecoder decode(QStringConverter::System);
    const QString content = decode(file.bytes);
    const QString start = QStringLiteral("BEGIN_SIMULATION_INTERFACE( \"");
    const QString separator = QStringLiteral(", \"");
    const QString close = QStringLiteral("\" )");
    for (const QString& line : content.split(QLatin1Char('\n'))) {
        if (!line.startsWith(start) || !line.endsWith(close))
            continue;
        int end = 0;
        const QString vendor = cppStringAt(line, start.size(), end);
        if (vendor.isNull() || line.mid(end, separator.size()) != separator)
            return {};
        const int nameStart = end + separator.size();
        const QString name = line.mid(nameStart, line.size() - close.size() - nameStart);
        Generator skeleton(false);
        skeleton.setVendor(vendor);
        skeleton.setName(name);
        skeleton.setId(id);
        if (skeleton.unitSimMainCpp() != file.bytes)
            return {};
        return { vendor, name };
    }
    return {};
}

} // namespace

UnitFile UnitFile::read(const QString& path)
{
    const fs::ReadResult file = fs::readFile(path, fs::unitFileLimit);
    if (!file.ok())
        return {};
    UnitFile unit = parse(file.bytes);
    if (unit.status != Ok)
        return unit;

    const QString iconPrefix = QStringLiteral("icons/");
    const QString icon = QFileInfo(path).absolutePath() + QLatin1Char('/') + unit.iconFileName;
    if (unit.iconFileName.startsWith(iconPrefix) && unit.iconFileName.size() > iconPrefix.size()
        && !unit.iconFileName.mid(iconPrefix.size()).contains(QLatin1Char('/')) && QFileInfo(icon).isFile())
        unit.iconPath = icon;
    else if (unit.iconFileName != iconPrefix)
        unit.addDropped(
            tr("the icon %1, which is no file in the unit's icons directory").arg(unit.iconFileName));

    // Whatever the checks above do not name, such as the file's own layout,
    // still changes when the file is written anew.
    if (unit.dropped.isEmpty() && unit.regenerated() != file.bytes)
        unit.addDropped(tr("the file's own formatting and order"));

    const QPair<QString, QString> vendorAndName
        = skeletonVendorAndName(QFileInfo(path).absolutePath(), unit.id);
    unit.vendor = vendorAndName.first;
    unit.name = vendorAndName.second;
    return unit;
}

UnitFile UnitFile::parse(const QByteArray& content)
{
    UnitFile unit;
    Document document;
    if (!xml::Reader::read(content, document) || document.nodes.empty()) {
        unit.status = Malformed;
        return unit;
    }
    const Element root(&document, 0);
    const Element types = root.name() == QLatin1String("unit:unit")
        ? root.child(QStringLiteral("unit:unittypes"))
        : Element();
    const Element type = types ? types.child(QStringLiteral("unit:unittype")) : Element();
    if (!type || type.attribute(QStringLiteral("unit:id")).isEmpty()) {
        unit.status = NotAUnit;
        return unit;
    }
    unit.status = Ok;

    Extractor extractor(unit);
    extractor.unitType(type);
    for (const Element other : types.children()) {
        if (other == type)
            continue;
        if (other.name() == QLatin1String("unit:unittype"))
            unit.addDropped(
                tr("the further function block %1").arg(other.attribute(QStringLiteral("unit:id"))));
        else
            extractor.element(other);
    }
    for (const Element child : root.children()) {
        if (child.name() == QLatin1String("unit:translations")) {
            if (child.hasChildren() || child.hasText())
                unit.addDropped(tr("translations"));
        } else if (child != types) {
            extractor.element(child);
        }
    }
    // The form's field takes the name as it stands, but Generate trims it.
    if (unit.guiName != unit.guiName.trimmed())
        unit.addDropped(tr("the blanks at the ends of the GUI name"));
    if (document.comments)
        unit.addDropped(tr("comments"));
    if (document.instructions || document.doctype)
        unit.addDropped(tr("processing instructions and document type declarations"));
    return unit;
}

QByteArray UnitFile::regenerated() const
{
    return generator().unitXml();
}

Generator UnitFile::generator() const
{
    Generator generator(withDialog);
    generator.setVendor(vendor);
    generator.setName(name);
    generator.setId(id);
    generator.setGuiName(guiName);
    if (!iconPath.isEmpty())
        generator.setIcon(iconPath);
    generator.setPluginBaseName(pluginBaseName);
    for (const Generator::VariableDescriptor& d : inputs)
        generator.addConnector(Generator::Input, d.name, d.type, d.description, d.defaultValue, d.hidden);
    for (const Generator::VariableDescriptor& d : outputs)
        generator.addConnector(Generator::Output, d.name, d.type, d.description, d.defaultValue, d.hidden);
    for (const Generator::VariableDescriptor& d : stateVars)
        generator.addStateVar(d.name, d.type, d.defaultValue);
    return generator;
}

void UnitFile::addDropped(const QString& what)
{
    if (_dropped.contains(what))
        return;
    _dropped.insert(what);
    dropped << what;
}

} // namespace unit
