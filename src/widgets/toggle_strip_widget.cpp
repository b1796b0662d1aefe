#include "widgets/toggle_strip_widget.h"

#include "widgets/grid_colours_gui.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyleOptionFocusRect>

namespace {

// A small filled triangle pointing the given way, drawn on the strip's colour.
QPixmap arrow(Qt::ArrowType direction)
{
    QPixmap pix(12, 12);
    pix.fill(GridColours::TabBackground);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x48, 0x58, 0x68));
    QPolygonF tri;
    switch (direction) {
    case Qt::UpArrow: tri << QPointF(2, 8.5) << QPointF(10, 8.5) << QPointF(6, 3.5); break;
    case Qt::DownArrow: tri << QPointF(2, 3.5) << QPointF(10, 3.5) << QPointF(6, 8.5); break;
    case Qt::LeftArrow: tri << QPointF(8.5, 2) << QPointF(8.5, 10) << QPointF(3.5, 6); break;
    default: tri << QPointF(3.5, 2) << QPointF(3.5, 10) << QPointF(8.5, 6); break;
    }
    p.drawPolygon(tri);
    return pix;
}

} // namespace

TToggleStrip::TToggleStrip(Qt::Orientation orientation, QWidget *target, QWidget *parent)
    : QWidget(parent), m_target(target)
{
    GridColours::paintBackground(this, GridColours::TabBackground);
    m_show = new QLabel(this);
    m_hide = new QLabel(this);
    const bool horizontal = orientation == Qt::Horizontal;
    m_show->setPixmap(arrow(horizontal ? Qt::UpArrow : Qt::RightArrow));
    m_hide->setPixmap(arrow(horizontal ? Qt::DownArrow : Qt::LeftArrow));
    for (QLabel *l : {m_show, m_hide}) {
        l->setFixedSize(12, 12);
        l->setCursor(Qt::PointingHandCursor);
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    if (horizontal) {
        setFixedHeight(12);
        setMinimumWidth(12);
    } else {
        setFixedWidth(12);
        setMinimumHeight(12);
    }
    setCursor(Qt::PointingHandCursor);
    setTargetVisible(target ? target->isVisibleTo(target->parentWidget()) : false);
}

void TToggleStrip::setPictureNames(const QString &showName, const QString &hideName)
{
    m_show->setObjectName(showName);
    m_hide->setObjectName(hideName);
}

void TToggleStrip::setHints(const QString &showHint, const QString &hideHint)
{
    m_show->setToolTip(showHint);
    m_hide->setToolTip(hideHint);
    m_show->setAccessibleName(showHint);
    m_hide->setAccessibleName(hideHint);
    setAccessibleName(targetVisible() ? hideHint : showHint);
}

bool TToggleStrip::targetVisible() const
{
    return m_hide->isVisibleTo(this);
}

QLabel *TToggleStrip::topPicture() const
{
    return targetVisible() ? m_hide : m_show;
}

void TToggleStrip::setTargetVisible(bool visible)
{
    if (m_target)
        m_target->setVisible(visible);
    m_hide->setVisible(visible);
    m_show->setVisible(!visible);
    QLabel *top = visible ? m_hide : m_show;
    top->raise();
    setToolTip(top->toolTip());
    if (!top->accessibleName().isEmpty())
        setAccessibleName(top->accessibleName());
    centrePictures();
}

void TToggleStrip::centrePictures()
{
    const QPoint at((width() - 12) / 2, (height() - 12) / 2);
    m_show->move(at);
    m_hide->move(at);
}

void TToggleStrip::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    centrePictures();
}

void TToggleStrip::toggle()
{
    setTargetVisible(!targetVisible());
    emit toggled(targetVisible());
}

void TToggleStrip::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && topPicture()->geometry().adjusted(-2, -2, 2, 2).contains(event->position().toPoint()))
        toggle();
    QWidget::mouseReleaseEvent(event);
}

void TToggleStrip::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        toggle();
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TToggleStrip::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void TToggleStrip::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

void TToggleStrip::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter p(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = rect().adjusted(1, 1, -1, -1);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
}
