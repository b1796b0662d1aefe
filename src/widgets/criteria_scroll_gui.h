#pragma once
// A row of input fields that cannot shrink below its captions and controls: at full width it
// looks like the bare row (no frame, the window's ground shows through); when the window is
// narrower than the row, a horizontal scroll bar appears under it and the area grows by the
// scroll bar's height, so the controls stay whole and can be scrolled into view.
#include <QScrollArea>

class CriteriaScrollArea : public QScrollArea {
    Q_OBJECT
public:
    // Takes content (a widget with a layout) as the scrolled row.
    explicit CriteriaScrollArea(QWidget *content, QWidget *parent = nullptr);

    // The height the scroll bar adds now (0 while the row fits).
    int extraHeight() const { return m_extra; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The scroll bar appeared or went: the area's height changed by this much in all.
    void extraHeightChanged(int extra);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void fitHeight();

    int m_extra = 0;
};
