#include "widgets/button_flow_gui.h"

#include <QWidget>
#include <QWidgetItem>
#include <algorithm>

ButtonFlowLayout::ButtonFlowLayout(QWidget *parent) : QLayout(parent) {}

ButtonFlowLayout::~ButtonFlowLayout()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

void ButtonFlowLayout::insertWidget(int index, QWidget *widget)
{
    addChildWidget(widget);
    if (index < 0 || index > m_items.size())
        index = int(m_items.size());
    m_items.insert(index, new QWidgetItem(widget));
    invalidate();
}

void ButtonFlowLayout::addItem(QLayoutItem *item)
{
    m_items.append(item);
}

int ButtonFlowLayout::count() const
{
    return int(m_items.size());
}

QLayoutItem *ButtonFlowLayout::itemAt(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index) : nullptr;
}

QLayoutItem *ButtonFlowLayout::takeAt(int index)
{
    return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
}

Qt::Orientations ButtonFlowLayout::expandingDirections() const
{
    return {};
}

bool ButtonFlowLayout::hasHeightForWidth() const
{
    return true;
}

int ButtonFlowLayout::heightForWidth(int width) const
{
    return arrange(QRect(0, 0, width, 0), false);
}

QSize ButtonFlowLayout::minimumSize() const
{
    // As narrow as the widest button: the others wrap below it.
    QSize size;
    for (const QLayoutItem *item : m_items)
        if (!item->isEmpty())
            size = size.expandedTo(item->minimumSize().expandedTo(item->sizeHint()));
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

QSize ButtonFlowLayout::sizeHint() const
{
    int width = 0;
    int height = 0;
    int shown = 0;
    for (const QLayoutItem *item : m_items) {
        if (item->isEmpty())
            continue;
        width += item->sizeHint().width();
        height = std::max(height, item->sizeHint().height());
        ++shown;
    }
    const QMargins m = contentsMargins();
    return {width + std::max(0, shown - 1) * spacing() + m.left() + m.right(), height + m.top() + m.bottom()};
}

void ButtonFlowLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int ButtonFlowLayout::arrange(const QRect &rect, bool apply) const
{
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int gap = std::max(0, spacing());
    // Rows of consecutive items, each as wide as fits.
    QList<QList<QLayoutItem *>> rows(1);
    int used = 0;
    for (QLayoutItem *item : m_items) {
        if (item->isEmpty())
            continue;
        const int w = item->sizeHint().width();
        if (!rows.last().isEmpty() && used + gap + w > area.width()) {
            rows.append(QList<QLayoutItem *>());
            used = 0;
        }
        used += (rows.last().isEmpty() ? 0 : gap) + w;
        rows.last().append(item);
    }
    int y = area.top();
    for (const QList<QLayoutItem *> &row : std::as_const(rows)) {
        if (row.isEmpty())
            continue;
        int width = 0;
        int height = 0;
        for (QLayoutItem *item : row) {
            width += item->sizeHint().width();
            height = std::max(height, item->sizeHint().height());
        }
        width += gap * int(row.size() - 1);
        int x = area.right() + 1 - width;
        if (apply)
            for (QLayoutItem *item : row) {
                item->setGeometry(QRect(QPoint(x, y), QSize(item->sizeHint().width(), height)));
                x += item->sizeHint().width() + gap;
            }
        y += height + gap;
    }
    const QMargins m = contentsMargins();
    return y - gap - area.top() + m.top() + m.bottom();
}
