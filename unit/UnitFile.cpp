#include "unit/UnitFile.h"

#include "fs/File.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <memory>
#include <vector>

namespace unit {

namespace {

// One element of the document with what the form may need of it. Children
// are held by pointer so that building the tree needs no recursion, however
// deep the document nests.
struct Node
{
    QString name;
    QXmlStreamAttributes attributes;
    QString text;
    std::vector<std::unique_ptr<Node>> children;

    QString attribute(const QString& qualifiedName) const
    {
        return attributes.value(qualifiedName).toString();
    }
    bool hasAttribute(const QString& qualifiedName) const { return attributes.hasAttribute(qualifiedName); }
    bool hasText() const { return !text.trimmed().isEmpty(); }
    const Node* child(const QString& childName) const
    {
        for (const auto& c : children) {
            if (c->name == childName)
                return c.get();
        }
        return nullptr;
    }
};

struct Document
{
    Document() = default;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
    // Takes the tree apart level by level: a deep document must not take the
    // stack with it.
    ~Document()
    {
        std::vector<std::unique_ptr<Node>> pending;
        if (root)
            pending.push_back(std::move(root));
        while (!pending.empty()) {
            std::unique_ptr<Node> node = std::move(pending.back());
            pending.pop_back();
            for (auto& child : node->children)
                pending.push_back(std::move(child));
        }
    }

    std::unique_ptr<Node> root;
    bool comments = false;
    bool instructions = false;
    bool doctype = false;
};

bool readTree(const QByteArray& content, Document& document)
{
    QXmlStreamReader reader(content);
    reader.setNamespaceProcessing(false);
    std::vector<Node*> open;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            auto node = std::make_unique<Node>();
            node->name = reader.qualifiedName().toString();
            node->attributes = reader.attributes();
            Node* raw = node.get();
            if (open.empty())
                document.root = std::move(node);
            else
                open.back()->children.push_back(std::move(node));
            open.push_back(raw);
            break;
        }
        case QXmlStreamReader::EndElement:
            open.pop_back();
            break;
        case QXmlStreamReader::Characters:
            if (!open.empty())
                open.back()->text += reader.text();
            break;
        case QXmlStreamReader::Comment:
            document.comments = true;
            break;
        case QXmlStreamReader::ProcessingInstruction:
            document.instructions = true;
            break;
        case QXmlStreamReader::DTD:
            document.doctype = true;
            break;
        default:
            break;
        }
    }
    return !reader.hasError() && document.root;
}

// Collects what the form cannot show while the known elements are taken apart.
class Extractor
{
public:
    explicit Extractor(UnitFile& unit)
        : _unit(unit)
    {
    }

    void unitType(const Node& type)
    {
        _unit.id = type.attribute(QStringLiteral("unit:id"));
        attributesBeyond(type, { QStringLiteral("unit:id") });
        for (const auto& child : type.children) {
            const QString& name = child->name;
            attributesBeyond(*child, {});
            if (name == QLatin1String("unit:typeTemplates")) {
                if (!child->children.empty() || child->hasText())
                    drop(UnitFile::tr("type templates"));
            } else if (name == QLatin1String("unit:connectors")) {
                variables(
                    child->child(QStringLiteral("unit:in")), QStringLiteral("unit:connector"), _unit.inputs);
                variables(child->child(QStringLiteral("unit:out")), QStringLiteral("unit:connector"),
                    _unit.outputs);
                onlyChildren(*child, { QStringLiteral("unit:in"), QStringLiteral("unit:out") });
            } else if (name == QLatin1String("unit:state")) {
                variables(child.get(), QStringLiteral("unit:statevar"), _unit.stateVars);
            } else if (name == QLatin1String("unit:guiinfo")) {
                guiInfo(*child);
            } else if (name == QLatin1String("unit:plugins")) {
                plugins(*child);
            } else {
                element(*child);
            }
        }
    }

    void drop(const QString& what)
    {
        if (!_unit.dropped.contains(what))
            _unit.dropped << what;
    }

    void element(const Node& node) { drop(UnitFile::tr("the element %1").arg(node.name)); }

    void onlyChildren(const Node& node, const QStringList& names)
    {
        for (const auto& child : node.children) {
            if (!names.contains(child->name))
                element(*child);
        }
    }

    void attributesBeyond(const Node& node, const QStringList& names)
    {
        for (const QXmlStreamAttribute& attribute : node.attributes) {
            if (!names.contains(attribute.qualifiedName()))
                drop(UnitFile::tr("the attribute %1 of %2")
                         .arg(attribute.qualifiedName().toString(), node.name));
        }
    }

private:
    void variables(const Node* list, const QString& entry, QList<Generator::VariableDescriptor>& out)
    {
        if (!list)
            return;
        attributesBeyond(*list, {});
        for (const auto& child : list->children) {
            if (child->name != entry) {
                element(*child);
                continue;
            }
            attributesBeyond(*child, { QStringLiteral("var:varname"), QStringLiteral("var:type") });
            QString value;
            for (const auto& grandChild : child->children) {
                if (grandChild->name == QLatin1String("var:default")) {
                    value = grandChild->attribute(QStringLiteral("var:val"));
                    attributesBeyond(*grandChild, { QStringLiteral("var:val") });
                } else {
                    element(*grandChild);
                }
            }
            out << Generator::VariableDescriptor(child->attribute(QStringLiteral("var:varname")),
                child->attribute(QStringLiteral("var:type")), QString(), value, false);
        }
    }

    void guiInfo(const Node& info)
    {
        for (const auto& child : info.children) {
            attributesBeyond(*child, {});
            if (child->name == QLatin1String("unit:connectors")) {
                layouts(child->child(QStringLiteral("unit:in")), QStringLiteral("left"), _unit.inputs);
                layouts(child->child(QStringLiteral("unit:out")), QStringLiteral("right"), _unit.outputs);
                onlyChildren(*child, { QStringLiteral("unit:in"), QStringLiteral("unit:out") });
            } else if (child->name == QLatin1String("unit:state")) {
                if (!child->children.empty())
                    drop(UnitFile::tr("the layout of state variables"));
            } else if (child->name == QLatin1String("unit:description")) {
                description(*child);
            } else {
                element(*child);
            }
        }
    }

    void layouts(const Node* list, const QString& side, QList<Generator::VariableDescriptor>& connectors)
    {
        if (!list)
            return;
        for (const auto& child : list->children) {
            if (child->name != QLatin1String("unit:layout")) {
                element(*child);
                continue;
            }
            attributesBeyond(*child,
                { QStringLiteral("unit:varname"), QStringLiteral("unit:side"),
                    QStringLiteral("unit:display") });
            const QString name = child->attribute(QStringLiteral("unit:varname"));
            Generator::VariableDescriptor* connector = find(connectors, name);
            if (!connector) {
                drop(UnitFile::tr("the layout of %1, which is no connector").arg(name));
                continue;
            }
            if (child->attribute(QStringLiteral("unit:side")) != side)
                drop(UnitFile::tr("the side %1 of the connector %2")
                         .arg(child->attribute(QStringLiteral("unit:side")), name));
            const QString display = child->attribute(QStringLiteral("unit:display"));
            if (display == QLatin1String("hidden"))
                connector->hidden = true;
            else if (child->hasAttribute(QStringLiteral("unit:display")))
                drop(UnitFile::tr("the display %1 of the connector %2").arg(display, name));
        }
    }

    void description(const Node& description)
    {
        for (const auto& child : description.children) {
            if (child->name != QLatin1String("unit:icon"))
                attributesBeyond(*child, {});
            if (child->name == QLatin1String("unit:name")) {
                _unit.guiName = child->text;
            } else if (child->name == QLatin1String("unit:icon")) {
                _unit.iconFileName = child->attribute(QStringLiteral("unit:filename"));
                attributesBeyond(*child, { QStringLiteral("unit:filename") });
            } else if (child->name == QLatin1String("unit:connectors")) {
                infos(child->child(QStringLiteral("unit:in")), _unit.inputs);
                infos(child->child(QStringLiteral("unit:out")), _unit.outputs);
                onlyChildren(*child, { QStringLiteral("unit:in"), QStringLiteral("unit:out") });
            } else if (child->name == QLatin1String("unit:state")) {
                if (!child->children.empty())
                    drop(UnitFile::tr("the descriptions of state variables"));
            } else {
                element(*child);
            }
        }
    }

    void infos(const Node* list, QList<Generator::VariableDescriptor>& connectors)
    {
        if (!list)
            return;
        for (const auto& child : list->children) {
            if (child->name != QLatin1String("unit:info")) {
                element(*child);
                continue;
            }
            const QString name = child->attribute(QStringLiteral("unit:varname"));
            Generator::VariableDescriptor* connector = find(connectors, name);
            if (!connector) {
                drop(UnitFile::tr("the description of %1, which is no connector").arg(name));
                continue;
            }
            if (const Node* text = child->child(QStringLiteral("unit:description")))
                connector->description = text->text;
            onlyChildren(*child, { QStringLiteral("unit:description") });
        }
    }

    void plugins(const Node& plugins)
    {
        QString simulation;
        QString dialog;
        for (const auto& child : plugins.children) {
            const QString type = child->attribute(QStringLiteral("plugin:type"));
            const QString library = child->attribute(QStringLiteral("plugin:library"));
            if (child->name == QLatin1String("unit:plugin") && type == QLatin1String("simulation")
                && simulation.isNull())
                simulation = library;
            else if (child->name == QLatin1String("unit:plugin") && type == QLatin1String("dialog")
                && dialog.isNull())
                dialog = library;
            else
                drop(UnitFile::tr("the plug-in %1 of the type %2").arg(library, type));
        }

        const QString prefix = QStringLiteral("unit_");
        const QString suffix = QStringLiteral("_simulation");
        if (simulation.startsWith(prefix) && simulation.endsWith(suffix)
            && simulation.size() > prefix.size() + suffix.size())
            _unit.pluginBaseName
                = simulation.mid(prefix.size(), simulation.size() - prefix.size() - suffix.size());
        else
            drop(UnitFile::tr("the simulation plug-in %1").arg(simulation));

        if (dialog.isNull())
            return;
        if (dialog == QStringLiteral("unit_%1_gui").arg(_unit.pluginBaseName)
            && !_unit.pluginBaseName.isEmpty())
            _unit.withDialog = true;
        else
            drop(UnitFile::tr("the plug-in %1 of the type %2").arg(dialog, QStringLiteral("dialog")));
    }

    static Generator::VariableDescriptor* find(
        QList<Generator::VariableDescriptor>& list, const QString& name)
    {
        for (Generator::VariableDescriptor& d : list) {
            if (d.name == name)
                return &d;
        }
        return nullptr;
    }

    UnitFile& _unit;
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
    if (!readTree(content, document)) {
        unit.status = Malformed;
        return unit;
    }
    const Node& root = *document.root;
    const Node* types
        = root.name == QLatin1String("unit:unit") ? root.child(QStringLiteral("unit:unittypes")) : nullptr;
    const Node* type = types ? types->child(QStringLiteral("unit:unittype")) : nullptr;
    if (!type || type->attribute(QStringLiteral("unit:id")).isEmpty()) {
        unit.status = NotAUnit;
        return unit;
    }
    unit.status = Ok;

    Extractor extractor(unit);
    extractor.unitType(*type);
    for (const auto& other : types->children) {
        if (other.get() == type)
            continue;
        if (other->name == QLatin1String("unit:unittype"))
            extractor.drop(
                tr("the further function block %1").arg(other->attribute(QStringLiteral("unit:id"))));
        else
            extractor.element(*other);
    }
    for (const auto& child : root.children) {
        if (child->name == QLatin1String("unit:translations")) {
            if (!child->children.empty() || child->hasText())
                extractor.drop(tr("translations"));
        } else if (child.get() != types) {
            extractor.element(*child);
        }
    }
    if (document.comments)
        extractor.drop(tr("comments"));
    if (document.instructions || document.doctype)
        extractor.drop(tr("processing instructions and document type declarations"));
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
    if (!dropped.contains(what))
        dropped << what;
}

} // namespace unit
