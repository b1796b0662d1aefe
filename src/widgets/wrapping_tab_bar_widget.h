#pragma once
// Tabs that wrap onto as many rows as the width needs, each drawn by the tab painter. Qt's
// tab bar keeps to one row, and a page control with many long captions does not fit one. Left
// and Right step through the tabs while the bar has the focus.
#include <QList>
#include <QRect>
#include <QStringList>
#include <QWidget>
#include <functional>

class TabPainter;

class WrappingTabBar : public QWidget {
public:
    explicit WrappingTabBar(QWidget *parent);

    void addTab(const QString &caption);
    int count() const { return int(m_captions.size()); }
    int currentIndex() const { return m_current; }
    QString tabText(int i) const { return m_captions.value(i); }
    void setCurrentIndex(int index);
    void setOnCurrentChanged(std::function<void(int)> changed) { m_changed = std::move(changed); }

    // The tab rectangles when laid out in the given width.
    QList<QRect> tabRects(int width) const;
    QRect tabRect(int index) const { return tabRects(width()).value(index); }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    int tabHeight() const { return fontMetrics().height() + 8; }
    int tabWidth(const QString &caption) const { return fontMetrics().horizontalAdvance(caption) + 14; }

    TabPainter *m_painter;
    QStringList m_captions;
    int m_current = -1;
    std::function<void(int)> m_changed;
};
