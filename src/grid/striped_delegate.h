#pragma once
// Paints a grid's cells: rows striped by record number (even #EFEFEF, odd #FFFFFF), the
// list's current row #FFFBCC, black text in the field's display format, and in mark columns a
// check box (none for rows that cannot be marked, nothing on a closed or empty list).
#include <QStyledItemDelegate>

class StripedDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The background of a row (0-based) for a list whose current row is currentRow.
    static QColor rowColour(int row, int currentRow);
};
