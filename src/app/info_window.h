#pragma once
// The information window: one of five local pages of the catalogue in an HTML viewer.
#include <QWidget>

class QTextBrowser;
class QPushButton;
class QUrl;

class TFrmJs : public QWidget {
    Q_OBJECT
public:
    explicit TFrmJs(QWidget *parent = nullptr);

    // Shows page 0 … 4; any other number leaves the page as it is.
    void selectPage(int page);
    // The file name of the page shown ("intro.html" …), relative to ../html/.
    QString currentPage() const { return m_current; }

    static QString pageFile(int page);

    // A link of the page shown: another page (relative to the page's folder, ../html/) opens
    // here; any other address goes to the desktop's handler.
    void followLink(const QUrl &link);

private:
    void loadPage(const QString &fileName);
    void loadPath(const QString &path);

    QTextBrowser *m_browser;
    QPushButton *m_close;
    QString m_current;
    QString m_currentFolder;
};
