#include "order/cart_quantity_writes.h"

#include "data/dataset.h"

#include <cmath>
#include <utility>

void CartQuantityWrites::followAmounts(DataSet &lines)
{
    lines.setChangeHook(QStringLiteral("sl"), [](DataSet &ds, int row) {
        const double amount = ds.value(row, QStringLiteral("dj")).toDouble()
                              * ds.value(row, QStringLiteral("sl")).toDouble();
        ds.setValue(row, QStringLiteral("my"), std::round(amount * 10000.0) / 10000.0);
    });
}

bool CartQuantityWrites::noteChange(const DataSet &lines, int row, int fieldIndex)
{
    if (fieldIndex != lines.fieldIndex(QStringLiteral("sl")))
        return false;
    const QVariant sl = lines.value(row, fieldIndex);
    if (sl.isNull())
        return false;
    m_rows.append({lines.text(row, QStringLiteral("dhdh")), lines.text(row, QStringLiteral("tm")), sl.toLongLong()});
    return true;
}

void CartQuantityWrites::noteAll(const DataSet &lines)
{
    for (int row = 0; row < lines.recordCount(); ++row)
        m_rows.append({lines.text(row, QStringLiteral("dhdh")), lines.text(row, QStringLiteral("tm")),
                       lines.value(row, QStringLiteral("sl")).toLongLong()});
}

void CartQuantityWrites::write(const QSqlDatabase &db)
{
    if (m_rows.isEmpty())
        return;
    const QList<CartQuantity> rows = std::exchange(m_rows, {});
    SaveCartQuantities(db, rows);
}
