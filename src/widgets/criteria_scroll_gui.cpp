#include "widgets/criteria_scroll_gui.h"

#include <QEvent>
#include <QLayout>
#include <QScrollBar>

CriteriaScrollArea::CriteriaScrollArea(QWidget *content, QWidget *parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFocusPolicy(Qt::NoFocus);
    viewport()->setAutoFillBackground(false);
    setWidget(content);
    content->setAutoFillBackground(false);   // after setWidget, which turns it on
    horizontalScrollBar()->installEventFilter(this);
    content->installEventFilter(this);
    fitHeight();
}

QSize CriteriaScrollArea::sizeHint() const
{
    const QSize content = widget() ? widget()->sizeHint() : QSize();
    return {content.width(), content.height() + m_extra};
}

QSize CriteriaScrollArea::minimumSizeHint() const
{
    // Any width: the row scrolls.
    return {0, sizeHint().height()};
}

bool CriteriaScrollArea::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == horizontalScrollBar() && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        fitHeight();
    else if (watched == widget() && event->type() == QEvent::LayoutRequest)
        fitHeight();
    return QScrollArea::eventFilter(watched, event);
}

void CriteriaScrollArea::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    fitHeight();
}

void CriteriaScrollArea::fitHeight()
{
    QWidget *content = widget();
    if (!content)
        return;
    const bool scrolling = content->minimumSizeHint().width() > width();
    const int extra = scrolling ? horizontalScrollBar()->sizeHint().height() : 0;
    const int height = content->sizeHint().height() + extra;
    if (height != this->height() || extra != m_extra || maximumHeight() != height) {
        const bool changed = extra != m_extra;
        m_extra = extra;
        setFixedHeight(height);
        if (changed)
            emit extraHeightChanged(extra);
    }
}
