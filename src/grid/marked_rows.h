#pragma once
// The marked rows of one list: an ordered list of record numbers (1-based positions in the
// list's current order) as decimal texts, without duplicates. Marks are positions, so a
// re-sorted list keeps its marks on the same positions.
#include <QSet>
#include <QStringList>

class MarkedRowList {
public:
    bool contains(int recNo) const { return m_set.contains(recNo); }
    // Appends when absent, removes when present.
    void toggle(int recNo)
    {
        if (m_set.remove(recNo))
            m_items.removeOne(QString::number(recNo));
        else
            append(recNo);
    }
    void mark(int recNo)
    {
        if (!m_set.contains(recNo))
            append(recNo);
    }
    void clear()
    {
        m_items.clear();
        m_set.clear();
    }
    bool isEmpty() const { return m_items.isEmpty(); }
    int size() const { return int(m_items.size()); }
    // The record numbers as decimal texts, in marking order.
    const QStringList &items() const { return m_items; }

private:
    void append(int recNo)
    {
        m_set.insert(recNo);
        m_items.append(QString::number(recNo));
    }
    QStringList m_items;
    QSet<int> m_set;
};
