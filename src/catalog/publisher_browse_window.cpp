#include "catalog/publisher_browse_window.h"

#include "catalog/book_browse_widget.h"
#include "catalog/book_list.h"
#include "catalog/catalogue_statements.h"
#include "catalog/category_label_layout.h"
#include "catalog/list_report_dialog.h"
#include "common/guarded.h"
#include "grid/grid_view.h"
#include "widgets/grid_colours_gui.h"
#include "widgets/toggle_strip_widget.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <functional>

const QString TFrmMagN::ModeSpecialty = QStringLiteral("按专业分类浏览书目");
const QString TFrmMagN::ModeBusiness = QStringLiteral("按类别分类浏览书目");
const QString TFrmMagN::ModeOther = QStringLiteral("按其他分类浏览书目");

namespace PublisherBrowse {

// A label that acts like a link: a click, Enter or Space activates it; the arrow keys ask for
// the neighbouring label; it is underlined while it has the focus.
class LinkLabel : public QLabel {
public:
    LinkLabel(const QString &text, QWidget *parent) : QLabel(text, parent)
    {
        setTextFormat(Qt::PlainText);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::StrongFocus);
    }

    std::function<void()> onActivate;
    std::function<void(int step)> onStep;

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        QLabel::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && onActivate)
            onActivate();   // may rebuild the labels: nothing of this one is touched afterwards
    }
    void keyPressEvent(QKeyEvent *event) override
    {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            if (onActivate)
                onActivate();
            return;
        case Qt::Key_Left:
        case Qt::Key_Up:
        case Qt::Key_Right:
        case Qt::Key_Down:
            if (onStep) {
                const bool back = event->key() == Qt::Key_Left || event->key() == Qt::Key_Up;
                onStep(back ? -1 : 1);
                return;
            }
            break;
        default:
            break;
        }
        QLabel::keyPressEvent(event);
    }
    void focusInEvent(QFocusEvent *event) override
    {
        QLabel::focusInEvent(event);
        setUnderline(true);
    }
    void focusOutEvent(QFocusEvent *event) override
    {
        QLabel::focusOutEvent(event);
        setUnderline(false);
    }

private:
    void setUnderline(bool on)
    {
        QFont f = font();
        f.setUnderline(on);
        setFont(f);
    }
};

} // namespace PublisherBrowse

using PublisherBrowse::LinkLabel;

namespace {

constexpr int LeftWidth = 184;
constexpr int HeaderHeight = 36;
constexpr int TitleBarHeight = 33;
constexpr int TopHeight = 193;
constexpr int TopHeightWithLabels = 140;
constexpr int FilterLeft = 60;
const QColor LabelField(0xF4, 0xF6, 0xF8);
const QColor ChosenLabel(0xCF, 0xDD, 0xEE);
const int CodeRole = Qt::UserRole;
const int NameRole = Qt::UserRole + 1;

// A closed book for a publisher node, an opened blue one for the selected node.
QIcon nodeIcon()
{
    auto book = [](bool selected) {
        QPixmap pix(16, 16);
        pix.fill(Qt::transparent);
        QPainter p(&pix);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor cover = selected ? QColor(0x1E, 0x5A, 0xC8) : QColor(0x6B, 0x7C, 0x8C);
        p.setPen(QPen(cover.darker(130), 1));
        if (selected) {
            p.setBrush(Qt::white);
            p.drawRect(QRectF(1.5, 3.5, 6, 10));
            p.drawRect(QRectF(8.5, 3.5, 6, 10));
            p.setPen(QPen(cover, 1));
            for (int y = 6; y <= 11; y += 2) {
                p.drawLine(QPointF(3, y), QPointF(6.5, y));
                p.drawLine(QPointF(10, y), QPointF(13.5, y));
            }
        } else {
            p.setBrush(cover);
            p.drawRoundedRect(QRectF(3.5, 1.5, 10, 13), 1.5, 1.5);
            p.setPen(QPen(Qt::white, 1));
            p.drawLine(QPointF(5.5, 2), QPointF(5.5, 14));
            p.drawLine(QPointF(7.5, 5.5), QPointF(11.5, 5.5));
        }
        return pix;
    };
    QIcon icon;
    icon.addPixmap(book(false), QIcon::Normal);
    icon.addPixmap(book(true), QIcon::Selected);
    return icon;
}

// A splitter handle that stays hidden while suppressed, whatever the splitter decides.
class HideableHandle : public QSplitterHandle {
public:
    using QSplitterHandle::QSplitterHandle;
    void setSuppressed(bool on)
    {
        m_suppressed = on;
        setVisible(!on);
    }
    void setVisible(bool visible) override { QSplitterHandle::setVisible(visible && !m_suppressed); }

private:
    bool m_suppressed = false;
};

// The splitter under the top panel: hidden while the publisher has no categories.
class TopSplitter : public QSplitter {
public:
    explicit TopSplitter(QWidget *parent) : QSplitter(Qt::Vertical, parent) {}

protected:
    QSplitterHandle *createHandle() override { return new HideableHandle(orientation(), this); }
};

} // namespace

TFrmMagN::TFrmMagN(Prompter &prompter, const QSqlDatabase &db, const BrowseSetup &setup, QWidget *parent)
    : QWidget(parent), m_prompter(prompter), m_db(db), m_showDetail(setup.showDetail)
{
    setObjectName(QStringLiteral("FrmMagN"));
    setWindowTitle(QStringLiteral("版别浏览"));
    resize(848, 612);
    GridColours::paintBackground(this, GridColours::Window);
    m_publishers.setConnection(db);
    m_categories.setConnection(db);

    m_splitter1 = new QSplitter(Qt::Horizontal, this);
    m_splitter1->setObjectName(QStringLiteral("Splitter1"));
    m_splitter1->setHandleWidth(8);
    m_splitter1->setChildrenCollapsible(false);
    buildLeft();
    m_splitter1->addWidget(m_panel1);
    m_splitter1->addWidget(buildRight(prompter, db));
    m_browse->grid()->setPopupMenu(setup.popupMenu);
    m_browse->setOperatorCode(setup.operatorCode);
    m_splitter1->setStretchFactor(0, 0);
    m_splitter1->setStretchFactor(1, 1);
    m_splitter1->setSizes({LeftWidth, 848 - LeftWidth - 8});

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_splitter1);

    QWidget *chain[] = {m_filter, m_tree, m_modeBox, m_pressLabel, m_browse->grid(), m_browse->shopButton(),
                        m_browse->exportButton(), m_print, m_browse->closeButton()};
    for (size_t i = 1; i < std::size(chain); ++i)
        setTabOrder(chain[i - 1], chain[i]);

    m_mode = ModeSpecialty;
    m_modeBox->setCurrentIndex(0);
    loadPublishers();
}

TFrmMagN::~TFrmMagN() = default;

void TFrmMagN::buildLeft()
{
    m_panel1 = new QWidget;
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel1->setMinimumWidth(80);

    m_panel4 = new QWidget(m_panel1);
    m_panel4->setObjectName(QStringLiteral("Panel4"));
    m_panel4->setFixedHeight(HeaderHeight);
    auto *caption = new QLabel(QStringLiteral(" 出版社："), m_panel4);
    caption->setObjectName(QStringLiteral("LbPressCaption"));
    caption->adjustSize();
    caption->move(0, (HeaderHeight - caption->height()) / 2);
    m_filter = new QLineEdit(m_panel4);
    m_filter->setObjectName(QStringLiteral("EdtPress"));
    m_filter->setPlaceholderText(QStringLiteral("编号或名称"));
    m_filter->setToolTip(QStringLiteral("可输入出版社编号或名称"));
    m_filter->setAccessibleName(QStringLiteral("出版社"));   // its caption
    m_filter->setAccessibleDescription(QStringLiteral("可输入出版社编号或名称，按回车筛选"));
    const int editHeight = m_filter->sizeHint().height();
    m_filter->setGeometry(FilterLeft, (HeaderHeight - editHeight) / 2, LeftWidth - 65, editHeight);
    caption->setBuddy(m_filter);
    connect(m_filter, &QLineEdit::returnPressed, this, &TFrmMagN::loadPublishers);
    m_panel4->installEventFilter(this);

    m_tree = new QTreeWidget(m_panel1);
    m_tree->setObjectName(QStringLiteral("Tvpress"));
    m_tree->setAccessibleName(QStringLiteral("出版社列表"));
    m_tree->setAccessibleDescription(QStringLiteral("回车或空格选择出版社"));
    m_tree->setColumnCount(1);
    m_tree->setHeaderHidden(true);
    m_tree->setIndentation(19);
    m_tree->setRootIsDecorated(false);
    m_tree->setItemsExpandable(false);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->installEventFilter(this);
    m_tree->viewport()->installEventFilter(this);

    auto *layout = new QVBoxLayout(m_panel1);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_panel4);
    layout->addWidget(m_tree, 1);
}

QWidget *TFrmMagN::buildRight(Prompter &prompter, const QSqlDatabase &db)
{
    auto *right = new QWidget;
    right->setObjectName(QStringLiteral("PlRight"));
    m_navStrip = new TToggleStrip(Qt::Vertical, m_panel1, right);
    m_navStrip->setObjectName(QStringLiteral("NavStrip"));
    m_navStrip->setPictureNames(QStringLiteral("Image9"), QStringLiteral("Image8"));
    m_navStrip->setHints(QStringLiteral("显示出版社列表"), QStringLiteral("隐藏出版社列表"));
    m_navStrip->setTargetVisible(true);

    // Top panel: the title bar with mode, publisher and count, then the category labels.
    m_top = new QWidget;
    m_top->setObjectName(QStringLiteral("Pl"));
    m_top->setMinimumHeight(TitleBarHeight);
    auto *titleBar = new QWidget(m_top);
    titleBar->setObjectName(QStringLiteral("PlTitle"));
    titleBar->setFixedHeight(TitleBarHeight);
    m_modeBox = new QComboBox(titleBar);
    m_modeBox->setObjectName(QStringLiteral("CbxType"));
    m_modeBox->setAccessibleName(QStringLiteral("浏览方式"));
    m_modeBox->addItems({ModeSpecialty, ModeBusiness, ModeOther});
    // 141 pixels, or what the longest entry needs in the font at hand.
    m_modeBox->setFixedWidth(qMax(141, m_modeBox->sizeHint().width()));
    connect(m_modeBox, &QComboBox::activated, this, &TFrmMagN::changeMode);
    m_pressLabel = new LinkLabel(QString(), titleBar);
    m_pressLabel->setObjectName(QStringLiteral("LbPress"));
    m_pressLabel->setToolTip(QStringLiteral("点击查看该出版社所有书目"));
    m_pressLabel->setAccessibleName(QStringLiteral("出版社名称"));
    m_pressLabel->setAccessibleDescription(QStringLiteral("点击查看该出版社所有书目"));
    m_pressLabel->onActivate = [this] { showAllTitles(); };
    m_count = new QLabel(titleBar);
    m_count->setObjectName(QStringLiteral("lbcount"));
    // No fixed name: the label is read out as the count it shows ("共有图书：63").
    m_count->setAccessibleDescription(QStringLiteral("书目数量"));
    // The publisher's name and the count give way in a narrow window (a tiled one, say): the
    // window can shrink to the mode box and the buttons under it.
    m_pressLabel->setMinimumWidth(1);
    m_count->setMinimumWidth(1);
    auto *title = new QHBoxLayout(titleBar);
    title->setContentsMargins(4, 0, 10, 0);
    title->setSpacing(12);
    title->addWidget(m_modeBox);
    title->addWidget(m_pressLabel);
    title->addStretch(1);
    title->addWidget(m_count);

    m_typeArea = new QScrollArea(m_top);
    m_typeArea->setObjectName(QStringLiteral("SbType"));
    m_typeArea->setToolTip(QStringLiteral("点击分类名称查看该分类下所有书目"));
    m_typeArea->setAccessibleName(QStringLiteral("分类"));
    m_typeArea->setAccessibleDescription(QStringLiteral("点击分类名称查看该分类下所有书目"));
    m_typeArea->setFocusPolicy(Qt::NoFocus);
    m_typeArea->setWidgetResizable(false);
    m_typeField = new QWidget;
    m_typeField->setObjectName(QStringLiteral("SbTypeLabels"));
    GridColours::paintBackground(m_typeField, LabelField);
    m_typeArea->setWidget(m_typeField);
    GridColours::paintBackground(m_typeArea->viewport(), LabelField);
    m_typeArea->installEventFilter(this);
    auto *top = new QVBoxLayout(m_top);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    top->addWidget(titleBar);
    top->addWidget(m_typeArea, 1);

    // Grid, pane and buttons under the top panel.
    m_browse = new BookBrowseWidget(prompter, db);
    m_browse->setColumns(BookList::publisherColumns());
    m_browse->setLoadsPictures(true);
    m_browse->setExportLayout(CatalogueExport::Layout::B);
    m_print = m_browse->addButton(QStringLiteral("BtnPrt"), QStringLiteral(" 打印(&P)"));
    connect(m_print, &QPushButton::clicked, this, &TFrmMagN::print);
    connect(m_browse->closeButton(), &QPushButton::clicked, this, &QWidget::close);
    m_splitter2 = new TopSplitter(right);
    m_splitter2->setObjectName(QStringLiteral("Splitter2"));
    m_splitter2->setHandleWidth(8);
    m_splitter2->setChildrenCollapsible(false);
    m_splitter2->addWidget(m_top);
    m_splitter2->addWidget(m_browse);
    m_splitter2->setStretchFactor(0, 0);
    m_splitter2->setStretchFactor(1, 1);
    setTopHeight(TopHeight);

    auto *layout = new QHBoxLayout(right);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_navStrip);
    layout->addWidget(m_splitter2, 1);
    return right;
}

void TFrmMagN::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    choosePublisher();
    m_browse->setPaneVisible(m_showDetail);
}

bool TFrmMagN::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize) {
        if (watched == m_panel4)
            m_filter->resize(qMax(0, m_panel4->width() - 65), m_filter->height());
        else if (watched == m_typeArea)
            placeLabels();
    } else if (event->type() == QEvent::MouseButtonRelease && watched->parent() == m_tree) {
        // A click anywhere in the tree chooses the selected node, as Enter and Space do.
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            choosePublisher();
    } else if (event->type() == QEvent::KeyPress && watched == m_tree) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            choosePublisher();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFrmMagN::loadPublishers()
{
    m_tree->clear();
    m_publishers.close();
    const Statement publishers = CatalogueStatements::publishers(m_db, m_filter->text());
    m_publishers.setStatement(publishers.text, publishers.values);
    if (!openList(m_publishers))
        return;
    const QIcon icon = nodeIcon();
    QList<QTreeWidgetItem *> items;
    items.reserve(m_publishers.recordCount());
    for (int row = 0; row < m_publishers.recordCount(); ++row) {
        const QString name = m_publishers.text(row, QStringLiteral("puname"));
        auto *item = new QTreeWidgetItem(QStringList{name});
        item->setData(0, CodeRole, m_publishers.text(row, QStringLiteral("puno")));
        item->setData(0, NameRole, name);
        item->setIcon(0, icon);
        items << item;
    }
    m_tree->addTopLevelItems(items);
    if (!items.isEmpty())
        m_tree->setCurrentItem(items.first());
}

void TFrmMagN::choosePublisher()
{
    if (m_tree->topLevelItemCount() == 0)
        return;
    QTreeWidgetItem *item = m_tree->currentItem();
    if (!item && !m_tree->selectedItems().isEmpty())
        item = m_tree->selectedItems().first();
    if (!item)
        return;
    m_hasPublisher = true;
    m_publisherCode = item->data(0, CodeRole).toString();
    m_publisherName = item->data(0, NameRole).toString();
    m_pressLabel->setText(QStringLiteral("出版社名称：") + m_publisherName);
    m_pressLabel->setAccessibleName(m_pressLabel->text());
    m_pressLabel->adjustSize();
    // Rebuilding the labels chooses the last one; all titles replace its list right away,
    // so its own title query is skipped.
    rebuildCategories(false);
    showAllTitles();
}

void TFrmMagN::changeMode()
{
    rebuildCategories(true);
}

void TFrmMagN::rebuildCategories(bool showTitlesToo)
{
    if (!m_hasPublisher)
        return;
    clearLabels();
    m_mode = m_modeBox->currentText();
    m_categories.close();
    const Statement categories = CatalogueStatements::publisherCategories(
        CatalogueStatements::PublisherMode(m_modeBox->currentIndex()), m_publisherCode);
    m_categories.setStatement(categories.text, categories.values);
    if (!openList(m_categories))
        return;
    if (m_categories.isEmpty()) {
        setLabelsShown(false);
        if (showTitlesToo)
            showAllTitles();
        setTopHeight(TitleBarHeight);
        return;
    }

    m_typeArea->hide();
    QPalette blue = m_typeField->palette();
    blue.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0xFF));
    blue.setColor(QPalette::Window, ChosenLabel);
    QWidget *previous = m_pressLabel;
    for (int row = 0; row < m_categories.recordCount(); ++row) {
        const QString name = m_categories.text(row, QStringLiteral("bname"));
        const QString code = m_categories.text(row, QStringLiteral("bh"));
        auto *label = new LinkLabel(name, m_typeField);
        label->setObjectName(QStringLiteral("LbType%1").arg(row + 1));
        label->setToolTip(code);
        label->setAccessibleName(name);
        label->setAccessibleDescription(QStringLiteral("分类编码 ") + code);
        label->setPalette(blue);
        label->setFocusPolicy(Qt::ClickFocus);
        label->setContentsMargins(3, 1, 3, 1);
        label->adjustSize();
        label->onActivate = [this, label] {
            markChosenLabel(label);
            showCategory(label->text(), label->toolTip());
        };
        label->onStep = [this, label](int step) { focusNeighbourLabel(label, step); };
        label->show();
        setTabOrder(previous, label);
        previous = label;
        m_labels << label;
    }
    placeLabels();
    setTopHeight(TopHeightWithLabels);
    setLabelsShown(true);
    m_typeArea->show();

    LinkLabel *last = m_labels.last();
    if (showTitlesToo) {
        last->onActivate();
    } else {
        markChosenLabel(last);
        m_category = last->text();
    }
}

// The chosen label is the one Tab stops at (the arrow keys reach the others) and is shaded.
void TFrmMagN::markChosenLabel(LinkLabel *chosen)
{
    for (LinkLabel *l : std::as_const(m_labels)) {
        l->setFocusPolicy(l == chosen ? Qt::StrongFocus : Qt::ClickFocus);
        l->setAutoFillBackground(l == chosen);
    }
}

void TFrmMagN::clearLabels()
{
    const bool hadFocus = m_typeField->isAncestorOf(focusWidget());
    for (LinkLabel *label : std::as_const(m_labels))
        delete label;
    m_labels.clear();
    m_typeField->resize(0, 0);
    if (hadFocus)
        m_modeBox->setFocus();
}

void TFrmMagN::placeLabels()
{
    if (m_labels.isEmpty())
        return;
    const int height = m_labels.first()->height();
    const QList<QPoint> at = CategoryLabelLayout::positions(int(m_labels.size()), m_typeArea->width(), height);
    QRect bounds;
    for (int i = 0; i < m_labels.size(); ++i) {
        m_labels[i]->move(at[i]);
        bounds |= m_labels[i]->geometry();
    }
    m_typeField->resize(bounds.right() + 10, bounds.bottom() + 8);
}

void TFrmMagN::focusNeighbourLabel(LinkLabel *from, int step)
{
    const int at = int(m_labels.indexOf(from));
    const int to = at + step;
    if (at >= 0 && to >= 0 && to < m_labels.size()) {
        m_labels[to]->setFocus(Qt::OtherFocusReason);
        m_typeArea->ensureWidgetVisible(m_labels[to], 10, 8);
    }
}

void TFrmMagN::setTopHeight(int height)
{
    // Before the splitter is laid out its sizes are zero: the list takes whatever is left.
    const QList<int> sizes = m_splitter2->sizes();
    const int total = sizes.size() == 2 ? sizes[0] + sizes[1] : 0;
    m_splitter2->setSizes({height, total > height ? total - height : 0});
}

void TFrmMagN::setLabelsShown(bool shown)
{
    if (auto *handle = static_cast<HideableHandle *>(m_splitter2->handle(1)))
        handle->setSuppressed(!shown);
    m_typeArea->setVisible(shown);
}

void TFrmMagN::showAllTitles()
{
    showTitles(false, QString(), QString());
}

void TFrmMagN::showCategory(const QString &category, const QString &code)
{
    m_category = category;
    showTitles(true, category, code);
}

void TFrmMagN::showTitles(bool byCategory, const QString &category, const QString &code)
{
    if (!m_hasPublisher)
        return;
    const auto mode = m_mode == ModeOther      ? CatalogueStatements::PublisherMode::Other
                      : m_mode == ModeBusiness ? CatalogueStatements::PublisherMode::Business
                                               : CatalogueStatements::PublisherMode::Specialty;
    const Statement titles = byCategory
                                 ? CatalogueStatements::publisherCategoryTitles(mode, m_publisherCode, category, code)
                                 : CatalogueStatements::publisherTitles(m_publisherCode);
    const bool opened = m_browse->openBooks(titles.text, titles.values);
    const QString count = QString::number(opened ? m_browse->books().recordCount() : 0);
    m_count->setText(byCategory ? category + QStringLiteral(": ") + count : QStringLiteral("共有图书：") + count);
}

// A list of the left side or of the labels; a database error is told and leaves it closed.
bool TFrmMagN::openList(DataSet &list)
{
    return guarded(m_prompter, [&list] { list.open(); });
}

void TFrmMagN::print()
{
    guarded(m_prompter, [this] { ListReportDialog::run(this, m_browse->books(), m_prompter); });
}
