#pragma once

#include <QIcon>
#include <QStandardItemModel>

namespace xml {
class Writer;
}

namespace device {

// The user's device: one root item holding directories (nested to any depth)
// and function block entries, read from and written to device.xml.
class Model : public QStandardItemModel
{
    Q_OBJECT

public:
    enum ItemType {
        UnitItem = 1000,
        DeviceItem = 1001,
        RootItem = 1002,
    };
    static constexpr int ItemTypeRole = Qt::UserRole + 1;

    explicit Model(QObject* parent = nullptr);
    ~Model() override;

    bool isChanged() const { return _changed; }
    void setChanged(bool changed) { _changed = changed; }

    QModelIndex root() const;

    QModelIndex addDirectory(const QModelIndex& parent);
    QModelIndex addUnit(const QModelIndex& parent);
    void remove(const QModelIndex& index);

    void load(const QByteArray& content);
    QByteArray xml() const;
    // The size of what xml() would give, learnt without keeping the bytes.
    qsizetype xmlSize() const;

    static QStandardItem* createRootItem(const QString& text);
    static QStandardItem* createDeviceItem(const QString& text);
    static QStandardItem* createUnitItem(const QString& text);

    // The "dev:subdevices" and "dev:units" sections of a device item, with
    // everything below it; and the "dev:units" section alone.
    static void saveDevice(xml::Writer& writer, const QStandardItem* item);
    static void saveUnits(xml::Writer& writer, const QStandardItem* item);

    // The kind of the item behind an index, as the view and the delegate see it.
    static int itemType(const QModelIndex& index) { return index.data(ItemTypeRole).toInt(); }

private slots:
    void on_itemChanged();

private:
    void write(xml::Writer& writer) const;

    bool _changed = false;
    QStandardItem* _rootItem = nullptr;

    static QIcon _dirIcon;
    static bool _dirIconInitialized;
};

} // namespace device
