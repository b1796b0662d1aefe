#pragma once
// Owner-drawn tabs: each tab filled with the background (#D7DCE0), its caption left- and
// top-aligned, the active one in the active colour (blue) at (5,4) and the others in the
// window-text colour at (5,2). With the page-caption option off every tab shows the caption
// of the active page (the order windows use this form).
#include <QColor>
#include <QProxyStyle>

class QTabBar;
class QTabWidget;

class TabPainter : public QProxyStyle {
    Q_OBJECT
public:
    struct Colours {
        QColor background;
        QColor active;
        QColor inactive;   // invalid: the window-text colour of the tab bar's palette
    };

    TabPainter(bool pageCaption, const Colours &colours);

    // Paints the tabs of a page control (or a bare tab bar) this way; the painter lives with it.
    static TabPainter *install(QTabWidget *tabs, bool pageCaption = true);
    static TabPainter *install(QTabBar *bar, bool pageCaption = true);
    static Colours defaultColours();

    bool pageCaption() const { return m_pageCaption; }
    void setPageCaption(bool on) { m_pageCaption = on; }

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;

private:
    bool m_pageCaption;
    Colours m_colours;
};
