#include "grid/grid_header_view.h"

#include "data/dataset.h"
#include "grid/grid_model.h"
#include "widgets/grid_colours_gui.h"

#include <QPainter>
#include <QPainterPath>

GridHeaderView::GridHeaderView(Qt::Orientation orientation, QWidget *parent)
    : QHeaderView(orientation, parent)
{
    setHighlightSections(false);
}

void GridHeaderView::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    painter->save();
    painter->fillRect(rect, GridColours::TitleCell);
    painter->setPen(GridColours::TitleCell.lighter(135));
    painter->drawLine(rect.topLeft(), rect.topRight());
    painter->drawLine(rect.topLeft(), rect.bottomLeft());
    painter->setPen(GridColours::TitleCell.darker(140));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());

    if (orientation() == Qt::Horizontal) {
        const QString title = model()->headerData(logicalIndex, Qt::Horizontal).toString();
        const bool sorted = model()->headerData(logicalIndex, Qt::Horizontal, GridModel::TitleEmphasisRole).toBool();
        QFont font = painter->font();
        font.setBold(sorted);
        painter->setFont(font);
        painter->setPen(sorted ? GridColours::SortedTitle : GridColours::Title);
        const QRect textRect = rect.adjusted(3, 0, -3, 0);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                          painter->fontMetrics().elidedText(title, Qt::ElideRight, textRect.width()));
    } else if (const auto *grid = qobject_cast<const GridModel *>(model())) {
        if (grid->dataSet() && grid->dataSet()->currentRow() == logicalIndex) {
            const int h = std::min(rect.height() - 6, 8);
            const QPointF c = QRectF(rect).center();
            QPainterPath arrow;
            arrow.moveTo(c.x() - h / 4.0, c.y() - h / 2.0);
            arrow.lineTo(c.x() + h / 4.0 + 1, c.y());
            arrow.lineTo(c.x() - h / 4.0, c.y() + h / 2.0);
            arrow.closeSubpath();
            painter->setRenderHint(QPainter::Antialiasing);
            painter->fillPath(arrow, GridColours::Title);
        }
    }
    painter->restore();
}
