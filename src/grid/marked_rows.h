#pragma once
// The marked rows of one list, held by the list's key (`tm` for titles, `dhdh` for orders), so
// that a tick stays on its title when the list is re-sorted, located or refreshed. A refresh
// drops the ticks of keys the new result no longer holds.
//
// Bind it to the list it marks; the row-based calls then work on that list:
//   MarkedRowList marked(QStringLiteral("dhdh"));
//   marked.setDataSet(&dsOrder);
//   marked.toggle(row);                  // row = position in the list's current order
//   marked.isMarked(row);
//   marked.markedKeys();                 // the ticked keys in the list's current order
//
// Rows that share a key share their tick. A row whose `cdcs` is above 0 (the order lists) is
// not markable: it takes no tick by toggle() or markAll().
#include <QMetaObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>

class DataSet;

class MarkedRowList {
public:
    explicit MarkedRowList(const QString &keyField = QStringLiteral("tm"));
    ~MarkedRowList();
    MarkedRowList(const MarkedRowList &) = delete;
    MarkedRowList &operator=(const MarkedRowList &) = delete;

    // The list the row-based calls work on (not owned; nullptr unbinds). Opening the list
    // again keeps the ticks of the keys it still holds and drops the others.
    void setDataSet(DataSet *ds);
    DataSet *dataSet() const { return m_ds; }
    const QString &keyField() const { return m_keyField; }

    // --- rows of the bound list (false / nothing without an open bound list) ---------------
    bool isMarkable(int row) const;
    bool isMarked(int row) const;
    // Ticks the row when it has no tick, else removes it; false for an unmarkable row.
    bool toggle(int row);
    bool mark(int row);
    // Ticks every markable row of the list (the ticks of other keys stay).
    void markAll();
    // The ticked keys in the list's current order; keys the list does not hold are left out.
    QStringList markedKeys() const;

    // --- keys ------------------------------------------------------------------------------
    bool containsKey(const QString &key) const { return m_set.contains(key); }
    void markKey(const QString &key);
    void unmarkKey(const QString &key);
    // The ticked keys in the order they were ticked.
    const QStringList &keys() const { return m_keys; }
    void clear();
    bool isEmpty() const { return m_keys.isEmpty(); }
    int size() const { return int(m_keys.size()); }

    // The key of row in ds: the text of the key field (empty when ds lacks the field).
    QString keyOf(const DataSet &ds, int row) const;
    // Whether row of ds can take a tick: ds is open, row is inside it and its `cdcs`, when
    // the list has that field, is not above 0.
    static bool rowMarkable(const DataSet &ds, int row);

private:
    void onOpened();
    void resolveFields();
    bool bound() const;
    QString keyAt(int row) const;

    QString m_keyField;
    QPointer<DataSet> m_ds;
    QMetaObject::Connection m_openedConnection;
    int m_keyIndex = -1;    // field index of the key in the bound list, or -1
    int m_cdcsIndex = -1;   // field index of `cdcs`, or -1
    QStringList m_keys;
    QSet<QString> m_set;
};
