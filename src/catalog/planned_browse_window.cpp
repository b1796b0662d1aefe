#include "catalog/planned_browse_window.h"

#include "catalog/book_browse_widget.h"
#include "catalog/book_list.h"
#include "catalog/catalogue_statements.h"
#include "grid/grid_view.h"
#include "widgets/grid_colours_gui.h"

#include <QPushButton>
#include <QVBoxLayout>

TFrmbook115::TFrmbook115(Prompter &prompter, const QSqlDatabase &db, const BrowseSetup &setup, QWidget *parent)
    : QWidget(parent)
{
    setWindowTitle(QStringLiteral("十一五规划教材浏览"));
    resize(803, 533);
    GridColours::paintBackground(this, GridColours::Window);

    m_browse = new BookBrowseWidget(prompter, db, this);
    m_browse->setColumns(BookList::categoryColumns(744));
    m_browse->grid()->setPopupMenu(setup.popupMenu);
    m_browse->setOperatorCode(setup.operatorCode);
    m_browse->setLoadsPictures(false);
    m_browse->setExportLayout(CatalogueExport::Layout::A);
    connect(m_browse->closeButton(), &QPushButton::clicked, this, [this] { BookBrowseWidget::closeWindow(this); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browse);
    setFocusProxy(m_browse->grid());
}

TFrmbook115::~TFrmbook115() = default;

void TFrmbook115::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    loadBooks();
}

bool TFrmbook115::loadBooks()
{
    const Statement titles = CatalogueStatements::plannedTitles();
    return m_browse->openBooks(titles.text, titles.values);
}
