#include "app/info_window.h"

#include "common/html_text.h"
#include "common/program_paths.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

TFrmJs::TFrmJs(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("资料介绍"));
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("WebBrowser1"));
    m_browser->setAccessibleName(QStringLiteral("资料页面"));
    m_browser->setOpenExternalLinks(true);
    m_close = new QPushButton(QStringLiteral("退出(&C)"), this);
    m_close->setObjectName(QStringLiteral("BtnClose"));
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);

    auto *strip = new QHBoxLayout;
    strip->addStretch();
    strip->addWidget(m_close);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->addWidget(m_browser, 1);
    layout->addLayout(strip);

    loadPage(pageFile(0));
}

QString TFrmJs::pageFile(int page)
{
    static const QStringList files = {"intro.html", "order.html", "press.html", "zdsm.html", "dataupd.html"};
    return page >= 0 && page < files.size() ? files.at(page) : QString();
}

void TFrmJs::selectPage(int page)
{
    const QString file = pageFile(page);
    if (!file.isEmpty())
        loadPage(file);
}

void TFrmJs::loadPage(const QString &fileName)
{
    const QString folder = ProgramPaths::resolve(QStringLiteral("../html/"));
    const QString path = folder + fileName;
    m_current = fileName;
    QString html;
    m_browser->document()->setBaseUrl(QUrl::fromLocalFile(folder));
    if (HtmlText::load(path, &html)) {
        m_browser->setHtml(html);
    } else {
        m_browser->setHtml(QStringLiteral("<h3>无法显示此页</h3><p>找不到文件：%1</p>").arg(path.toHtmlEscaped()));
    }
}
