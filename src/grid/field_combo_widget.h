#pragma once
// TFieldCombo: a drop-down list whose entries stand for fields of a data set. The owner fills
// FieldCbItems (field name + label); setting the data source rebuilds the entries, asking the
// add-item handler about each one (it may change the text or reject the item). Each entry
// keeps its field name, cut to 29 characters, beside its text.
#include <QComboBox>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

class DataSet;
class TFieldCbItems;
class TFieldCombo;

class TFieldCbItem {
public:
    explicit TFieldCbItem(const QString &fieldName = {}, const QString &displayLabel = {});

    const QString &fieldName() const { return m_fieldName; }
    // Also takes the field's label from the combo's data set when that has the field.
    void setFieldName(const QString &name);
    const QString &displayLabel() const { return m_displayLabel; }
    void setDisplayLabel(const QString &label) { m_displayLabel = label; }
    TFieldCbItems *collection() const { return m_collection; }

private:
    friend class TFieldCbItems;
    QString m_fieldName;
    QString m_displayLabel;
    TFieldCbItems *m_collection = nullptr;
};

class TFieldCbItems {
public:
    explicit TFieldCbItems(TFieldCombo *combo) : m_combo(combo) {}
    TFieldCbItems(const TFieldCbItems &) = delete;
    TFieldCbItems &operator=(const TFieldCbItems &) = delete;

    TFieldCbItem &add(const QString &fieldName, const QString &displayLabel = {});
    // Takes ownership. An item that belongs to another collection throws AppError
    // ("该类与集合不兼容!") and stays where it is.
    void add(TFieldCbItem *item);
    int count() const { return int(m_items.size()); }
    TFieldCbItem &at(int i) const { return *m_items.at(i); }
    void clear() { m_items.clear(); }
    TFieldCombo *combo() const { return m_combo; }

private:
    TFieldCombo *m_combo;
    std::vector<std::unique_ptr<TFieldCbItem>> m_items;
};

class TFieldCombo : public QComboBox {
    Q_OBJECT
public:
    static constexpr int FieldNameLength = 29;
    // Sender, field name, the entry's text (may be changed), accept (may be cleared).
    using AddFieldItemEvent = std::function<void(TFieldCombo *, const QString &, QString &, bool &)>;

    explicit TFieldCombo(QWidget *parent = nullptr);

    // Rebuilds the entries; also when set to nothing (and when the data set goes away).
    void setDataSource(DataSet *ds);
    DataSet *dataSource() const;
    TFieldCbItems &fieldCbItems() { return m_items; }
    void setOnAddFieldItemEvent(AddFieldItemEvent handler) { m_onAdd = std::move(handler); }

    // The field name kept beside an entry.
    QString fieldName(int index) const;
    QString currentFieldName() const { return fieldName(currentIndex()); }

private:
    void rebuild();

    QPointer<DataSet> m_ds;
    QMetaObject::Connection m_destroyed;
    TFieldCbItems m_items;
    AddFieldItemEvent m_onAdd;
};
