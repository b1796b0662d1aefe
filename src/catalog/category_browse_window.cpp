#include "catalog/category_browse_window.h"

#include "catalog/book_browse_widget.h"
#include "catalog/book_list.h"
#include "catalog/catalogue_statements.h"
#include "common/guarded.h"
#include "grid/grid_view.h"
#include "widgets/grid_colours_gui.h"
#include "widgets/toggle_strip_widget.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int LeftWidth = 184;

// A small book standing for a category: closed and grey-blue normally, open and warm when
// its node is selected.
QPixmap bookPicture(bool open)
{
    QPixmap pix(16, 16);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor edge(0x3C, 0x4A, 0x58);
    if (!open) {
        p.setPen(QPen(edge, 1));
        p.setBrush(QColor(0x6F, 0x8F, 0xB0));
        p.drawRoundedRect(QRectF(3.5, 1.5, 10, 13), 1.5, 1.5);
        p.setBrush(QColor(0xF4, 0xF1, 0xE6));
        p.drawRect(QRectF(11.5, 3.5, 2, 9));   // page edges
        p.setPen(QPen(QColor(0xE8, 0xEE, 0xF4), 1));
        p.drawLine(QPointF(5.5, 5.5), QPointF(9.5, 5.5));
        p.drawLine(QPointF(5.5, 7.5), QPointF(9.5, 7.5));
        return pix;
    }
    QPainterPath left;
    left.moveTo(8, 4);
    left.cubicTo(6, 2.5, 3, 2.5, 1.5, 3.5);
    left.lineTo(1.5, 13.5);
    left.cubicTo(3, 12.5, 6, 12.5, 8, 14);
    left.closeSubpath();
    QPainterPath right;
    right.moveTo(8, 4);
    right.cubicTo(10, 2.5, 13, 2.5, 14.5, 3.5);
    right.lineTo(14.5, 13.5);
    right.cubicTo(13, 12.5, 10, 12.5, 8, 14);
    right.closeSubpath();
    p.setPen(QPen(QColor(0x9A, 0x5B, 0x12), 1));
    p.setBrush(QColor(0xFF, 0xE0, 0x8A));
    p.drawPath(left);
    p.drawPath(right);
    p.setPen(QPen(QColor(0xC0, 0x86, 0x30), 1));
    for (qreal y : {6.5, 8.5, 10.5}) {
        p.drawLine(QPointF(3.5, y), QPointF(6.5, y));
        p.drawLine(QPointF(9.5, y), QPointF(12.5, y));
    }
    return pix;
}

QIcon nodeIcon()
{
    QIcon icon;
    icon.addPixmap(bookPicture(false), QIcon::Normal);
    icon.addPixmap(bookPicture(true), QIcon::Selected);
    return icon;
}

} // namespace

TFrmbookTypeB::TFrmbookTypeB(Prompter &prompter, const QSqlDatabase &db, const BrowseSetup &setup, QWidget *parent)
    : QWidget(parent), m_prompter(prompter)
{
    setWindowTitle(QStringLiteral("分类浏览"));
    resize(803, 533);
    GridColours::paintBackground(this, GridColours::Window);
    m_categories.setConnection(db);
    const Statement tree = CatalogueStatements::categoryTree();
    m_categories.setStatement(tree.text, tree.values);

    m_panel1 = new QWidget;
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel4 = new QLabel(QStringLiteral("          图书分类"), m_panel1);
    m_panel4->setObjectName(QStringLiteral("Panel4"));
    m_panel4->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_panel4->setFixedHeight(26);
    m_panel4->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_tree = new QTreeWidget(m_panel1);
    m_tree->setObjectName(QStringLiteral("Tvpress"));
    m_tree->setAccessibleName(QStringLiteral("图书分类"));
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_tree->setIndentation(19);
    m_tree->setRootIsDecorated(false);
    m_tree->setItemsExpandable(false);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setIconSize(QSize(16, 16));
    m_tree->viewport()->installEventFilter(this);
    m_tree->installEventFilter(this);
    auto *left = new QVBoxLayout(m_panel1);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(0);
    left->addWidget(m_panel4);
    left->addWidget(m_tree, 1);

    auto *right = new QWidget;
    m_browse = new BookBrowseWidget(prompter, db, right);
    m_browse->setColumns(BookList::categoryColumns());
    m_browse->grid()->setPopupMenu(setup.popupMenu);
    m_browse->setOperatorCode(setup.operatorCode);
    m_browse->setLoadsPictures(true);
    m_browse->setExportLayout(CatalogueExport::Layout::A);
    connect(m_browse->closeButton(), &QPushButton::clicked, this, [this] { BookBrowseWidget::closeWindow(this); });

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setHandleWidth(8);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->addWidget(m_panel1);
    m_splitter->addWidget(right);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({LeftWidth, 803 - LeftWidth - 8});

    m_navStrip = new TToggleStrip(Qt::Vertical, m_panel1, right);
    m_navStrip->setObjectName(QStringLiteral("NavStrip"));
    m_navStrip->setPictureNames(QStringLiteral("Image9"), QStringLiteral("Image8"));
    m_navStrip->setHints(QStringLiteral("显示图书分类"), QStringLiteral("隐藏图书分类"));
    m_navStrip->setTargetVisible(true);
    auto *rightLayout = new QHBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    rightLayout->addWidget(m_navStrip);
    rightLayout->addWidget(m_browse, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_splitter);

    setTabOrder(m_tree, m_browse->grid());
    setFocusProxy(m_tree);
}

TFrmbookTypeB::~TFrmbookTypeB() = default;

void TFrmbookTypeB::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    loadCategories();
}

void TFrmbookTypeB::loadCategories()
{
    m_tree->clear();
    m_categories.close();
    if (!guarded(m_prompter, [this] { m_categories.open(); }))
        return;
    const QIcon icon = nodeIcon();
    QList<QTreeWidgetItem *> nodes;
    for (int row = 0; row < m_categories.recordCount(); ++row) {
        auto *node = new QTreeWidgetItem(QStringList{m_categories.text(row, QStringLiteral("name"))});
        node->setIcon(0, icon);
        node->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        nodes << node;
    }
    m_tree->addTopLevelItems(nodes);
}

bool TFrmbookTypeB::chooseCategory()
{
    const QList<QTreeWidgetItem *> selected = m_tree->selectedItems();
    if (m_tree->topLevelItemCount() == 0 || selected.isEmpty())
        return false;
    const Statement titles = CatalogueStatements::categoryTitles(selected.first()->text(0));
    return m_browse->openBooks(titles.text, titles.values);
}

bool TFrmbookTypeB::eventFilter(QObject *watched, QEvent *event)
{
    // A click anywhere in the tree chooses the selected category again, as does Enter or Space.
    // (The event type is looked at first: no such event reaches a tree being destroyed.)
    if (event->type() == QEvent::MouseButtonRelease && watched == m_tree->viewport()
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        chooseCategory();
    } else if (event->type() == QEvent::KeyPress && watched == m_tree) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            if (QTreeWidgetItem *current = m_tree->currentItem())
                current->setSelected(true);
            chooseCategory();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
