#include "grid/marked_rows.h"

#include "data/dataset.h"

#include <algorithm>

MarkedRowList::MarkedRowList(const QString &keyField) : m_keyField(keyField) {}

MarkedRowList::~MarkedRowList()
{
    QObject::disconnect(m_openedConnection);
}

void MarkedRowList::setDataSet(DataSet *ds)
{
    QObject::disconnect(m_openedConnection);
    m_ds = ds;
    if (ds)
        m_openedConnection = QObject::connect(ds, &DataSet::opened, [this] { onOpened(); });
    resolveFields();
}

void MarkedRowList::resolveFields()
{
    const bool open = m_ds && m_ds->isOpen();
    m_keyIndex = open ? m_ds->fieldIndex(m_keyField) : -1;
    m_cdcsIndex = open ? m_ds->fieldIndex(QStringLiteral("cdcs")) : -1;
}

void MarkedRowList::onOpened()
{
    resolveFields();
    if (m_keys.isEmpty())
        return;
    QSet<QString> present;
    const int rows = m_ds->recordCount();
    present.reserve(std::min<qsizetype>(rows, m_set.size()));
    for (int row = 0; row < rows; ++row) {
        const QString key = keyAt(row);
        if (m_set.contains(key))
            present.insert(key);
    }
    if (present.size() == m_set.size())
        return;
    m_keys.removeIf([&present](const QString &key) { return !present.contains(key); });
    m_set = std::move(present);
}

bool MarkedRowList::bound() const
{
    return m_ds && m_ds->isOpen() && m_keyIndex >= 0;
}

QString MarkedRowList::keyAt(int row) const
{
    return m_ds->text(row, m_keyIndex);
}

QString MarkedRowList::keyOf(const DataSet &ds, int row) const
{
    const int field = ds.isOpen() ? ds.fieldIndex(m_keyField) : -1;
    return field >= 0 ? ds.text(row, field) : QString();
}

bool MarkedRowList::rowMarkable(const DataSet &ds, int row)
{
    if (!ds.isOpen() || row < 0 || row >= ds.recordCount())
        return false;
    const int cdcs = ds.fieldIndex(QStringLiteral("cdcs"));
    return cdcs < 0 || ds.value(row, cdcs).toInt() <= 0;
}

bool MarkedRowList::isMarkable(int row) const
{
    if (!bound() || row < 0 || row >= m_ds->recordCount())
        return false;
    return m_cdcsIndex < 0 || m_ds->value(row, m_cdcsIndex).toInt() <= 0;
}

bool MarkedRowList::isMarked(int row) const
{
    if (m_set.isEmpty() || !bound() || row < 0 || row >= m_ds->recordCount())
        return false;
    return m_set.contains(keyAt(row));
}

bool MarkedRowList::toggle(int row)
{
    if (!isMarkable(row))
        return false;
    const QString key = keyAt(row);
    if (m_set.contains(key))
        unmarkKey(key);
    else
        markKey(key);
    return true;
}

bool MarkedRowList::mark(int row)
{
    if (!isMarkable(row))
        return false;
    markKey(keyAt(row));
    return true;
}

void MarkedRowList::markAll()
{
    if (!bound())
        return;
    const int rows = m_ds->recordCount();
    for (int row = 0; row < rows; ++row) {
        if (isMarkable(row))
            markKey(keyAt(row));
    }
}

QStringList MarkedRowList::markedKeys() const
{
    QStringList out;
    if (m_set.isEmpty() || !bound())
        return out;
    const int rows = m_ds->recordCount();
    QSet<QString> seen;
    for (int row = 0; row < rows && seen.size() < m_set.size(); ++row) {
        const QString key = keyAt(row);
        if (m_set.contains(key) && !seen.contains(key)) {
            seen.insert(key);
            out << key;
        }
    }
    return out;
}

void MarkedRowList::markKey(const QString &key)
{
    if (m_set.contains(key))
        return;
    m_set.insert(key);
    m_keys.append(key);
}

void MarkedRowList::unmarkKey(const QString &key)
{
    if (m_set.remove(key))
        m_keys.removeOne(key);
}

void MarkedRowList::clear()
{
    m_keys.clear();
    m_set.clear();
}
