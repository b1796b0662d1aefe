#include "widgets/wrapping_tab_bar_widget.h"

#include "widgets/grid_colours_gui.h"
#include "widgets/tab_painter.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStyleOptionTab>
#include <QTabBar>
#include <algorithm>

WrappingTabBar::WrappingTabBar(QWidget *parent)
    : QWidget(parent), m_painter(new TabPainter(true, TabPainter::defaultColours()))
{
    m_painter->setParent(this);
    // Not Fixed: a fixed policy would hold the bar to one row's height.
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setFocusPolicy(Qt::TabFocus);
    GridColours::paintBackground(this, GridColours::TabBackground);
}

void WrappingTabBar::addTab(const QString &caption)
{
    m_captions << caption;
    if (m_current < 0)
        m_current = 0;
    updateGeometry();
}

void WrappingTabBar::setCurrentIndex(int index)
{
    if (index < 0 || index >= count() || index == m_current)
        return;
    m_current = index;
    setAccessibleName(m_captions.at(index));
    update();
    if (m_changed)
        m_changed(index);
}

QList<QRect> WrappingTabBar::tabRects(int width) const
{
    QList<QRect> rects;
    const int h = tabHeight();
    int x = 0, y = 0;
    for (const QString &caption : m_captions) {
        const int w = tabWidth(caption);
        if (x > 0 && x + w > width) {
            x = 0;
            y += h;
        }
        rects << QRect(x, y, w, h);
        x += w;
    }
    return rects;
}

int WrappingTabBar::heightForWidth(int width) const
{
    const QList<QRect> rects = tabRects(width);
    return rects.isEmpty() ? tabHeight() : rects.constLast().bottom() + 1;
}

QSize WrappingTabBar::sizeHint() const
{
    int w = 0;
    for (const QString &caption : m_captions)
        w += tabWidth(caption);
    return {w, width() > 0 ? heightForWidth(width()) : tabHeight()};
}

QSize WrappingTabBar::minimumSizeHint() const
{
    int w = 0;
    for (const QString &caption : m_captions)
        w = std::max(w, tabWidth(caption));
    return {w, tabHeight()};
}

void WrappingTabBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QList<QRect> rects = tabRects(width());
    p.setPen(palette().color(QPalette::Mid));
    for (int i = 0; i < rects.size(); ++i) {
        QStyleOptionTab option;
        option.initFrom(this);
        option.rect = rects.at(i);
        option.text = m_captions.at(i);
        option.shape = QTabBar::RoundedSouth;
        if (i == m_current)
            option.state |= QStyle::State_Selected;
        m_painter->drawControl(QStyle::CE_TabBarTabShape, &option, &p, this);
        // A thin edge keeps neighbouring captions apart on the flat background.
        p.drawLine(rects.at(i).topRight(), rects.at(i).bottomRight());
    }
    if (hasFocus() && m_current >= 0) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rects.value(m_current).adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
    }
}

void WrappingTabBar::mousePressEvent(QMouseEvent *event)
{
    const QList<QRect> rects = tabRects(width());
    for (int i = 0; i < rects.size(); ++i)
        if (rects.at(i).contains(event->position().toPoint()))
            setCurrentIndex(i);
}

void WrappingTabBar::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) {
        setCurrentIndex(m_current + (event->key() == Qt::Key_Left ? -1 : 1));
        return;
    }
    QWidget::keyPressEvent(event);
}
