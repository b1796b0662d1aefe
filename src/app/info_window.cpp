#include "app/info_window.h"

#include "common/html_text.h"
#include "common/program_paths.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QString pageFolder()
{
    return ProgramPaths::resolve(QStringLiteral("../html/"));
}

bool isPage(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == u"html" || suffix == u"htm";
}

} // namespace

TFrmJs::TFrmJs(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("资料介绍"));
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("WebBrowser1"));
    m_browser->setAccessibleName(QStringLiteral("资料页面"));
    // Links are followed here: the pages are decoded by the program (GBK) and shown with
    // setHtml, so the viewer itself has no page address to resolve them against.
    m_browser->setOpenLinks(false);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &TFrmJs::followLink);
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
    loadPath(pageFolder() + fileName);
}

void TFrmJs::loadPath(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath() + u'/';
    const QString pages = pageFolder();
    m_current = path.startsWith(pages) ? path.mid(pages.size()) : path;
    m_currentFolder = folder;
    QString html;
    m_browser->setSearchPaths({folder});
    m_browser->document()->setBaseUrl(QUrl::fromLocalFile(folder));
    if (HtmlText::load(path, &html)) {
        m_browser->setHtml(html);
    } else {
        m_browser->setHtml(QStringLiteral("<h3>无法显示此页</h3><p>找不到文件：%1</p>").arg(path.toHtmlEscaped()));
    }
}

void TFrmJs::followLink(const QUrl &link)
{
    if (link.isRelative() && link.path().isEmpty()) {
        if (link.hasFragment())
            m_browser->scrollToAnchor(link.fragment());
        return;
    }
    // A relative address is taken from the folder of the page shown (../html/).
    const QUrl target = link.isRelative() ? QUrl::fromLocalFile(m_currentFolder).resolved(link) : link;
    if (target.isLocalFile() && isPage(target.toLocalFile())) {
        loadPath(QDir::cleanPath(target.toLocalFile()));
        if (target.hasFragment())
            m_browser->scrollToAnchor(target.fragment());
        return;
    }
    QDesktopServices::openUrl(target);
}
