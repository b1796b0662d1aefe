#include "widgets/tab_painter.h"

#include "widgets/grid_colours_gui.h"

#include <QPainter>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QTabWidget>

TabPainter::TabPainter(bool pageCaption, const Colours &colours, int tabWidth)
    : m_pageCaption(pageCaption), m_colours(colours), m_tabWidth(tabWidth)
{
}

TabPainter::Colours TabPainter::defaultColours()
{
    return {GridColours::TabBackground, GridColours::TabActive, QColor()};
}

TabPainter *TabPainter::install(QTabWidget *tabs, bool pageCaption, int tabWidth)
{
    return install(tabs->tabBar(), pageCaption, tabWidth);
}

TabPainter *TabPainter::install(QTabBar *bar, bool pageCaption, int tabWidth)
{
    auto *painter = new TabPainter(pageCaption, defaultColours(), tabWidth);
    painter->setParent(bar);
    bar->setStyle(painter);
    return painter;
}

void TabPainter::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                             const QWidget *widget) const
{
    const auto *tab = qstyleoption_cast<const QStyleOptionTab *>(option);
    if (!tab || (element != CE_TabBarTab && element != CE_TabBarTabShape && element != CE_TabBarTabLabel)) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    // The tab bar draws the shape and then the label; the shape call paints both.
    if (element == CE_TabBarTabLabel)
        return;

    const bool active = tab->state & State_Selected;
    QString caption = tab->text;
    if (!m_pageCaption) {
        if (const auto *bar = qobject_cast<const QTabBar *>(widget))
            caption = bar->tabText(bar->currentIndex());
    }
    const QColor inactive = m_colours.inactive.isValid() ? m_colours.inactive
                                                         : tab->palette.color(QPalette::WindowText);
    painter->save();
    painter->fillRect(tab->rect, m_colours.background);
    painter->setPen(active ? m_colours.active : inactive);
    const QRect textRect = tab->rect.adjusted(5, active ? 4 : 2, 0, 0);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextHideMnemonic, caption);
    painter->restore();
}

QSize TabPainter::sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                                   const QWidget *widget) const
{
    QSize s = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (type == CT_TabBarTab && m_tabWidth > 0)
        s.setWidth(m_tabWidth);
    return s;
}
