#pragma once
// Owner-drawn tabs: each tab filled with the background (#D7DCE0), its caption left- and
// top-aligned, the active one in the active colour (blue) at (5,4) and the others in the
// window-text colour at (5,2). With the page-caption option off every tab shows the caption
// of the active page (the order windows use this form). A fixed tab width makes every tab
// that wide whatever its caption (the search pages, the picture tabs).
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

    // tabWidth 0: each tab as wide as its caption needs.
    TabPainter(bool pageCaption, const Colours &colours, int tabWidth = 0);

    // Paints the tabs of a page control (or a bare tab bar) this way; the painter lives with it.
    static TabPainter *install(QTabWidget *tabs, bool pageCaption = true, int tabWidth = 0);
    static TabPainter *install(QTabBar *bar, bool pageCaption = true, int tabWidth = 0);
    static Colours defaultColours();

    bool pageCaption() const { return m_pageCaption; }
    void setPageCaption(bool on) { m_pageCaption = on; }

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override;

private:
    bool m_pageCaption;
    Colours m_colours;
    int m_tabWidth;
};
