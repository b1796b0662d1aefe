#include "catalog/book_browse_widget.h"

#include "cart/cart.h"
#include "catalog/book_detail_pane.h"
#include "catalog/book_list.h"
#include "common/guarded.h"
#include "grid/grid_view.h"
#include "widgets/button_flow_gui.h"
#include "widgets/captioned_controls_gui.h"
#include "widgets/toggle_strip_widget.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMdiSubWindow>
#include <QScrollArea>
#include <QScrollBar>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

constexpr int ButtonWidth = 80;

} // namespace

BookBrowseWidget::BookBrowseWidget(Prompter &prompter, const QSqlDatabase &db, QWidget *parent)
    : QWidget(parent), m_prompter(prompter), m_db(db)
{
    m_books.setConnection(db);
    BookList::prepare(m_books);

    m_grid = new DbGrid(this);
    m_grid->setObjectName(QStringLiteral("Dbgbook"));
    m_grid->setAccessibleName(QStringLiteral("书目列表"));
    m_grid->useTitleListFonts();
    m_grid->setColumns(BookList::categoryColumns());
    m_grid->setDataSet(&m_books);
    m_marked.setDataSet(&m_books);   // ticks by tm: they follow their titles through sorts
    m_grid->setMarkedRows(&m_marked);
    m_grid->setOpensDetail(true);
    m_grid->setPopupOptions(0, 0);
    // The header and three rows stay in view however short the window gets.
    m_grid->setMinimumHeight(m_grid->horizontalHeader()->sizeHint().height()
                             + 3 * m_grid->verticalHeader()->defaultSectionSize()
                             + m_grid->horizontalScrollBar()->sizeHint().height() + 2 * m_grid->frameWidth());

    m_pane = new TBookDetailPane(prompter);   // Panel5
    m_pane->setBookList(&m_books);
    // The pane scrolls when the window is too short for it (a tiled window, say): the grid
    // keeps its rows and the buttons stay in view. The strip shows and hides the pane with
    // its scroll area.
    m_paneArea = new QScrollArea(this);
    m_paneArea->setObjectName(QStringLiteral("PaneArea"));
    m_paneArea->setFrameShape(QFrame::NoFrame);
    m_paneArea->setWidgetResizable(true);
    m_paneArea->setWidget(m_pane);
    m_paneArea->setMinimumHeight(1);   // gives way to the grid's rows first
    m_paneStrip = new TToggleStrip(Qt::Horizontal, m_paneArea, this);
    m_paneStrip->setPictureNames(QStringLiteral("ImgUp"), QStringLiteral("ImgDown"));
    m_paneStrip->setHints(QStringLiteral("显示明细"), QStringLiteral("隐藏明细"));
    m_paneStrip->setObjectName(QStringLiteral("PaneStrip"));

    m_shop = captionedButton(this, QStringLiteral("BtnShop"), QStringLiteral("放入购物车"), ButtonWidth);
    m_shop->setProperty("tag", 2);
    m_export = captionedButton(this, QStringLiteral("BtnExp"), QStringLiteral("导出(&E)"), ButtonWidth);
    m_close = captionedButton(this, QStringLiteral("BtnClose"), QStringLiteral("关闭(&C)"), ButtonWidth);
    connect(m_shop, &QPushButton::clicked, this, &BookBrowseWidget::placeSelection);
    connect(m_export, &QPushButton::clicked, this, &BookBrowseWidget::exportList);

    m_listLayout = new QVBoxLayout;
    m_listLayout->setContentsMargins(0, 0, 0, 0);
    m_listLayout->setSpacing(0);
    m_listLayout->addWidget(m_grid, 1);
    m_listLayout->addWidget(m_paneArea);

    m_buttonBar = new ButtonFlowLayout;
    m_buttonBar->setContentsMargins(4, 4, 6, 4);
    m_buttonBar->setSpacing(6);
    for (QPushButton *b : {m_shop, m_export, m_close})
        m_buttonBar->insertWidget(-1, b);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(m_listLayout, 1);
    layout->addWidget(m_paneStrip);
    layout->addLayout(m_buttonBar);

    setTabOrder(m_grid, m_shop);
    setTabOrder(m_shop, m_export);
    setTabOrder(m_export, m_close);

    setPaneVisible(false);
}

BookBrowseWidget::~BookBrowseWidget()
{
    // The grid and the pane follow the list: they go before it does.
    delete m_pane;
    delete m_grid;
}

void BookBrowseWidget::setColumns(const GridColumns &columns)
{
    m_grid->setColumns(columns);
}

void BookBrowseWidget::setLoadsPictures(bool on)
{
    m_pane->setLoadsPictures(on);
}

void BookBrowseWidget::setPaneVisible(bool visible)
{
    m_paneStrip->setTargetVisible(visible);
}

bool BookBrowseWidget::paneVisible() const
{
    return m_paneStrip->targetVisible();
}

QPushButton *BookBrowseWidget::addButton(const QString &objectName, const QString &caption)
{
    QPushButton *b = captionedButton(this, objectName, caption, ButtonWidth);
    m_buttonBar->insertWidget(m_buttonBar->indexOf(m_close), b);
    setTabOrder(b, m_close);
    return b;
}

QSplitter *BookBrowseWidget::setTopPanel(QWidget *panel)
{
    auto *splitter = new QSplitter(Qt::Vertical, this);
    splitter->setHandleWidth(8);
    splitter->setChildrenCollapsible(false);
    delete m_listLayout->replaceWidget(m_grid, splitter);
    splitter->addWidget(panel);
    splitter->addWidget(m_grid);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    m_listLayout->setStretchFactor(splitter, 1);
    return splitter;
}

void BookBrowseWidget::replaceStatement(const QString &statement, const QVariantList &values)
{
    m_books.close();
    clearMarks();
    m_books.setStatement(statement, values);
}

bool BookBrowseWidget::openBooks(const QString &statement, const QVariantList &values)
{
    replaceStatement(statement, values);
    return guarded(m_prompter, [this] {
        // The list is read whole in one call, with no point at which to count or stop: a
        // large one shows the wait cursor while it loads (gone before an error is shown).
        struct WaitCursor {
            WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
            ~WaitCursor() { QApplication::restoreOverrideCursor(); }
        } wait;
        m_books.open();
    });
}

QString BookBrowseWidget::tryOpenBooks(const QString &statement, const QVariantList &values)
{
    replaceStatement(statement, values);
    try {
        m_books.open();
    } catch (const AppError &e) {
        return e.text().isEmpty() ? QStringLiteral("数据库未说明原因") : e.text();
    }
    return {};
}

void BookBrowseWidget::clearMarks()
{
    m_marked.clear();
    m_grid->marksChanged();
}

void BookBrowseWidget::closeWindow(QWidget *window)
{
    if (auto *frame = qobject_cast<QMdiSubWindow *>(window->parentWidget()))
        frame->close();   // closes the window first
    else
        window->close();
}

bool BookBrowseWidget::placeSelection()
{
    bool placed = false;
    guardedRetry(m_prompter, [&] {
        placed = PlaceSelection(m_marked, m_books, m_db, QStringLiteral("shopcart"), m_operatorCode, m_prompter);
    });
    m_grid->marksChanged();
    return placed;
}

CatalogueExport::Outcome BookBrowseWidget::exportList()
{
    auto outcome = CatalogueExport::Outcome::Cancelled;
    guarded(m_prompter, [&] { outcome = CatalogueExport::exportCatalogueList(m_books, m_layout, m_prompter); });
    return outcome;
}
