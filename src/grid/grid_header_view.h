#pragma once
// The grid's fixed cells: titles on #748490, white and regular, or blue and bold for the sorted
// column; the row indicator column marks the list's current row with a triangle.
#include <QHeaderView>

class GridHeaderView : public QHeaderView {
    Q_OBJECT
public:
    explicit GridHeaderView(Qt::Orientation orientation, QWidget *parent = nullptr);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
};
