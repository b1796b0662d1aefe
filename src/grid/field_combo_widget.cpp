#include "grid/field_combo_widget.h"

#include "common/app_error.h"
#include "data/dataset.h"

TFieldCbItem::TFieldCbItem(const QString &fieldName, const QString &displayLabel)
    : m_fieldName(fieldName), m_displayLabel(displayLabel)
{
}

void TFieldCbItem::setFieldName(const QString &name)
{
    m_fieldName = name;
    const DataSet *ds = m_collection && m_collection->combo() ? m_collection->combo()->dataSource() : nullptr;
    const int field = ds ? ds->fieldIndex(name) : -1;
    if (field >= 0) {
        const FieldDef &f = ds->field(field);
        m_displayLabel = f.caption.isEmpty() ? f.name : f.caption;
    }
}

TFieldCbItem &TFieldCbItems::add(const QString &fieldName, const QString &displayLabel)
{
    auto *item = new TFieldCbItem;
    add(item);
    item->setFieldName(fieldName);
    if (!displayLabel.isEmpty())
        item->setDisplayLabel(displayLabel);
    return *item;
}

void TFieldCbItems::add(TFieldCbItem *item)
{
    if (item->m_collection == this)
        return;
    if (item->m_collection)
        throw AppError(QStringLiteral("该类与集合不兼容!"));
    item->m_collection = this;
    m_items.emplace_back(item);
}

TFieldCombo::TFieldCombo(QWidget *parent) : QComboBox(parent), m_items(this)
{
    setAccessibleName(QStringLiteral("字段选择"));
}

void TFieldCombo::setDataSource(DataSet *ds)
{
    disconnect(m_destroyed);
    m_ds = ds;
    if (ds)
        m_destroyed = connect(ds, &QObject::destroyed, this, [this] { setDataSource(nullptr); });
    rebuild();
}

DataSet *TFieldCombo::dataSource() const
{
    return m_ds;
}

void TFieldCombo::rebuild()
{
    clear();
    for (int i = 0; i < m_items.count(); ++i) {
        const TFieldCbItem &item = m_items.at(i);
        QString text = item.displayLabel();
        bool accept = true;
        if (m_onAdd)
            m_onAdd(this, item.fieldName(), text, accept);
        if (accept)
            addItem(text, item.fieldName().left(FieldNameLength));
    }
    setCurrentIndex(count() > 0 ? 0 : -1);
}

QString TFieldCombo::fieldName(int index) const
{
    return itemData(index).toString();
}
