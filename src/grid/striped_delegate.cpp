#include "grid/striped_delegate.h"

#include "data/dataset.h"
#include "grid/grid_model.h"
#include "widgets/grid_colours_gui.h"

#include <QApplication>
#include <QPainter>
#include <algorithm>

QColor StripedDelegate::rowColour(int row, int currentRow)
{
    if (row == currentRow)
        return GridColours::CurrentRow;
    return (row + 1) % 2 == 0 ? GridColours::EvenRow : GridColours::OddRow;
}

void StripedDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    const auto *model = qobject_cast<const GridModel *>(index.model());
    const DataSet *ds = model ? model->dataSet() : nullptr;
    const QColor background = rowColour(index.row(), ds ? ds->currentRow() : -1);
    QStyle *style = option.widget ? option.widget->style() : QApplication::style();

    if (model && model->isMarkColumn(index.column())) {
        painter->fillRect(option.rect, background);
        const QVariant state = index.data(Qt::CheckStateRole);
        if (!state.isValid())
            return;
        QStyleOptionButton box;
        box.state = QStyle::State_Enabled
                    | (state.toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off);
        const int w = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, option.widget);
        const int h = style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, option.widget);
        box.rect = QRect(0, 0, std::min(w, option.rect.width()), std::min(h, option.rect.height()));
        box.rect.moveCenter(option.rect.center());
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, option.widget);
        return;
    }

    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    // The stripes and the current row replace the selection colours.
    opt.state &= ~QStyle::State_Selected;
    opt.backgroundBrush = background;
    opt.palette.setColor(QPalette::Text, GridColours::Text);
    opt.palette.setColor(QPalette::HighlightedText, GridColours::Text);
    opt.features &= ~QStyleOptionViewItem::HasCheckIndicator;
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, option.widget);
}
