#include "catalog/book_detail_pane.h"

#include "catalog/catalogue_statements.h"
#include "catalog/cover_lookup.h"
#include "catalog/isbn_mark_gui.h"
#include "common/app_error.h"
#include "common/guarded.h"
#include "common/prompter.h"
#include "common/whole_file.h"
#include "data/dataset.h"
#include "grid/error_caption.h"
#include "grid/grid_view.h"
#include "widgets/grid_colours_gui.h"
#include "widgets/tab_painter.h"
#include "widgets/toggle_strip_widget.h"
#include "widgets/wrapping_tab_bar_widget.h"

#include <QContextMenuEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QSet>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {


struct LongText {
    const char *column;
    const char *caption;
};

constexpr LongText LongTexts[] = {
    {"nrty", "内容简介"}, {"zjml", "章节目录"}, {"jcpd", "精彩片段"},  {"zzjj", "作者简介"},
    {"ckzl", "参考资料"}, {"qtnr", "其他内容"}, {"cbsm", "出版说明"},  {"fy", "扉页"},
    {"qy", "前言"},       {"xy", "序言"},       {"hj", "后记"},        {"fl", "附录"},
    {"sp", "书评"},       {"xy2", "序言2"},     {"jcpd2", "精彩片段2"}, {"zzjj2", "作者简介2"},
    {"sp2", "书评2"},     {"fl2", "附录2"},
};

// The classification grid: a plain read-only list, without the book grids' pop-up menu.
class ClassificationGrid : public DbGrid {
public:
    using DbGrid::DbGrid;

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::RightButton)
            QTableView::mouseReleaseEvent(event);
        else
            DbGrid::mouseReleaseEvent(event);
    }
    void contextMenuEvent(QContextMenuEvent *event) override { event->accept(); }
};

QScrollArea *scrollArea(QWidget *content, QWidget *parent)
{
    auto *area = new QScrollArea(parent);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(content);
    GridColours::paintBackground(area->viewport(), GridColours::TabBackground);
    return area;
}

struct Pair {
    const char *column;
    const char *caption;
};

} // namespace

// ---- construction ---------------------------------------------------------------------------

TBookDetailPane::TBookDetailPane(Prompter &prompter, QWidget *parent)
    : QWidget(parent), m_prompter(prompter), m_types(new DataSet(this)), m_texts(new DataSet(this))
{
    setObjectName(QStringLiteral("Panel5"));
    setFixedHeight(PaneHeight);
    GridColours::paintBackground(this, GridColours::TabBackground);

    m_types->setObjectName(QStringLiteral("DsBookType"));
    m_types->defineField(QStringLiteral("ID"), QStringLiteral("分类编码"), {}, 20);
    m_types->defineField(QStringLiteral("NAME"), QStringLiteral("分类名称"), {}, 30);
    m_texts->setObjectName(QStringLiteral("DsTxt"));

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("Pgcdetail"));
    TabPainter::install(m_pages);
    m_pages->addTab(buildBaseTab(), QStringLiteral("基本信息"));
    m_pages->addTab(buildSingleClassTab(), QStringLiteral("单一分类"));
    m_pages->addTab(buildTypeTab(), QStringLiteral("其他分类"));
    m_pages->addTab(buildPictureTab(), QStringLiteral("图书封面"));
    m_pages->addTab(buildTextTab(), QStringLiteral("附加信息"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_pages);
}

TBookDetailPane::~TBookDetailPane()
{
    for (const auto &c : m_bookConnections)
        disconnect(c);
}

QLineEdit *TBookDetailPane::addField(const QString &column, const QString &caption)
{
    auto *edit = new QLineEdit;
    edit->setObjectName(QStringLiteral("Edt") + column);
    edit->setReadOnly(true);
    // Narrow hosts scroll the tab rather than squeeze a field below a short number's width.
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 11 + 8);
    QString name = caption;
    if (name.endsWith(u'：'))
        name.chop(1);
    edit->setAccessibleName(name);
    m_fields.push_back({column, edit});
    return edit;
}

namespace {

// A caption at (row, column) and its field after it, spanning `span` grid columns.
void place(QGridLayout *grid, int row, int column, const QString &caption, QLineEdit *edit,
           int span = 1)
{
    auto *label = new QLabel(caption);
    label->setBuddy(edit);
    grid->addWidget(label, row, column);
    grid->addWidget(edit, row, column + 1, 1, span);
}

QGridLayout *formGrid(QWidget *owner)
{
    auto *grid = new QGridLayout(owner);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);
    return grid;
}

} // namespace

QWidget *TBookDetailPane::buildBaseTab()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Tbsbase"));

    auto *fields = new QWidget;
    GridColours::paintBackground(fields, GridColours::TabBackground);
    QGridLayout *g = formGrid(fields);
    auto field = [this](const char *column, const char *caption) {
        return addField(QString::fromLatin1(column), QString::fromUtf8(caption));
    };
    auto wide = [&](int row, const char *column, const char *caption) {
        place(g, row, 0, QString::fromUtf8(caption), field(column, caption), 5);
    };
    auto three = [&](int row, const char *c1, const char *t1, const char *c2, const char *t2,
                     const char *c3, const char *t3) {
        place(g, row, 0, QString::fromUtf8(t1), field(c1, t1));
        place(g, row, 2, QString::fromUtf8(t2), field(c2, t2));
        place(g, row, 4, QString::fromUtf8(t3), field(c3, t3));
    };
    auto two = [&](int row, const char *c1, const char *t1, const char *c2, const char *t2) {
        place(g, row, 0, QString::fromUtf8(t1), field(c1, t1));
        place(g, row, 2, QString::fromUtf8(t2), field(c2, t2), 3);
    };
    wide(0, "sm", "书名：");
    wide(1, "fsm", "副书名：");
    wide(2, "csm", "丛书名称：");
    three(3, "tm", "条码：", "isbn", "ISBN：", "zz", "作者：");
    IsbnMark::attach(fieldEdit(QStringLiteral("isbn")));
    three(4, "yc", "印次：", "dj", "定价：", "cbrq", "出版日期：");
    two(5, "cbbm", "出版社编号：", "cbmc", "名称：");
    two(6, "chr", "策划人：", "bs", "编室：");
    three(7, "yz", "译者：", "bj", "编辑：", "mbcs", "每包册数：");
    three(8, "zzgg", "纸张规格：", "kb", "开本：", "zdfs", "装订方式：");
    three(9, "bcys", "本次印数：", "ys", "页数：", "qzs", "千字数：");
    g->setColumnStretch(1, 4);
    g->setColumnStretch(3, 4);
    g->setColumnStretch(5, 3);
    g->setRowStretch(10, 1);

    auto *ext = new QFrame(page);
    m_plExt = ext;
    ext->setObjectName(QStringLiteral("PlExt"));
    ext->setFrameShape(QFrame::StyledPanel);
    auto *extLayout = new QVBoxLayout(ext);
    extLayout->setContentsMargins(0, 0, 0, 0);
    extLayout->setSpacing(0);
    auto *heading = new QLabel(QStringLiteral(" 扩展信息"), ext);
    heading->setObjectName(QStringLiteral("LbExt"));
    GridColours::paintBackground(heading, GridColours::TitleCell);
    QPalette headingPal = heading->palette();
    headingPal.setColor(QPalette::WindowText, GridColours::Title);
    heading->setPalette(headingPal);
    heading->setContentsMargins(2, 2, 2, 2);
    extLayout->addWidget(heading);
    auto *extFields = new QWidget(ext);
    extLayout->addWidget(extFields);
    QGridLayout *e = formGrid(extFields);
    int row = 0;
    static constexpr Pair extWide[] = {{"fsm2", "副书名2："}, {"csm2", "丛书名2："},
                                       {"tsh1", "题上项1："}, {"tsh2", "题上项2："},
                                       {"wwsm", "外文名："},  {"wwsm2", "外文名2："}};
    for (const Pair &p : extWide)
        place(e, row++, 0, QString::fromUtf8(p.caption), field(p.column, p.caption), 3);
    static constexpr Pair extPairs[][2] = {{{"zz2", "作者2："}, {"yz2", "译者2："}},
                                           {{"bj2", "编辑2："}, {"zyz", "总印张："}},
                                           {{"dwyz", "单位印张："}, {"bzyz", "标准印张："}}};
    const int pairWidth = fontMetrics().horizontalAdvance(QLatin1Char('0')) * 8 + 8;
    for (const auto &pair : extPairs) {
        for (int i = 0; i < 2; ++i) {
            QLineEdit *edit = field(pair[i].column, pair[i].caption);
            edit->setMinimumWidth(pairWidth);
            place(e, row, 2 * i, QString::fromUtf8(pair[i].caption), edit);
        }
        ++row;
    }
    e->setColumnStretch(1, 1);
    e->setColumnStretch(3, 1);
    e->setRowStretch(row, 1);

    ext->setFixedWidth(ext->minimumSizeHint().width() + 24);

    m_extStrip = new TToggleStrip(Qt::Vertical, ext, page);
    m_extStrip->setPictureNames(QStringLiteral("Image3"), QStringLiteral("Image4"));
    m_extStrip->setHints(QStringLiteral("显示扩展信息"), QStringLiteral("隐藏扩展信息"));
    m_extStrip->setTargetVisible(false);

    auto *layout = new QHBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The extension panel stays whole when shown; the base fields scroll beside it.
    layout->addWidget(scrollArea(fields, page), 1);
    layout->addWidget(ext);
    layout->addWidget(m_extStrip);
    return page;
}

QWidget *TBookDetailPane::buildSingleClassTab()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Tbsonly"));
    auto *content = new QWidget;
    GridColours::paintBackground(content, GridColours::TabBackground);
    QGridLayout *g = formGrid(content);
    auto field = [this](const char *column, const char *caption) {
        return addField(QString::fromLatin1(column), QString::fromUtf8(caption));
    };
    int row = 0;
    static constexpr Pair codes[][2] = {
        {{"ztbm", "中图法分类编码："}, {"ztmc", "中图法分类名称："}},
        {{"ywbm", "业务分类编码："}, {"ywbc", "业务分类名称："}},
        {{"zpbm", "制品分类编码："}, {"zpmc", "制品分类名称："}}};
    for (const auto &pair : codes) {
        place(g, row, 0, QString::fromUtf8(pair[0].caption), field(pair[0].column, pair[0].caption));
        place(g, row++, 2, QString::fromUtf8(pair[1].caption), field(pair[1].column, pair[1].caption));
    }
    static constexpr Pair names[] = {
        {"syfw", "适用范围名称："}, {"syzy", "适用专业名称："}, {"nrdj", "内容分级："}};
    for (const Pair &p : names)
        place(g, row++, 0, QString::fromUtf8(p.caption), field(p.column, p.caption), 3);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 3);
    g->setRowStretch(row, 1);

    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scrollArea(content, page));
    return page;
}

QWidget *TBookDetailPane::buildTypeTab()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Tbstype"));
    m_typeGrid = new ClassificationGrid(page);
    m_typeGrid->setObjectName(QStringLiteral("DbgbookType"));
    GridColumns columns;
    columns.addField(QStringLiteral("ID"), QStringLiteral("分类编码"), 110);
    columns.addField(QStringLiteral("NAME"), QStringLiteral("分类名称"), 260);
    m_typeGrid->setColumns(columns);
    m_typeGrid->setDataSet(m_types);
    m_typeGrid->setAccessibleName(QStringLiteral("其他分类"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_typeGrid);
    return page;
}

QWidget *TBookDetailPane::buildPictureTab()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Tbspic"));
    auto *pictures = new QTabWidget(page);
    pictures->setObjectName(QStringLiteral("PgcPic"));
    pictures->setTabPosition(QTabWidget::South);
    TabPainter::install(pictures, true, 60);

    auto picturePage = [&](const char *pageName, const char *imageName, const QString &caption) {
        auto *label = new QLabel;
        label->setObjectName(QString::fromLatin1(imageName));
        label->setAccessibleName(caption);
        label->setPixmap(placeholderPicture());
        label->resize(label->pixmap().size());
        auto *area = new QScrollArea;
        area->setObjectName(QString::fromLatin1(pageName));
        area->setFrameShape(QFrame::NoFrame);
        area->setAlignment(Qt::AlignCenter);
        area->setWidget(label);
        GridColours::paintBackground(area->viewport(), GridColours::TabBackground);
        pictures->addTab(area, caption);
        return label;
    };
    m_imgBig = picturePage("tb2", "ImgBig", QStringLiteral("大图片"));
    m_imgSmall = picturePage("tb1", "ImgSmall", QStringLiteral("小图片"));

    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(pictures);
    return page;
}

QWidget *TBookDetailPane::buildTextTab()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Tbstxt"));
    auto *control = new QWidget(page);
    control->setObjectName(QStringLiteral("PageControl1"));
    auto *stack = new QStackedWidget(control);
    auto *tabs = new WrappingTabBar(control);
    tabs->setObjectName(QStringLiteral("PageControl1Tabs"));
    for (const LongText &t : LongTexts) {
        auto *edit = new QPlainTextEdit;
        const QString column = QString::fromLatin1(t.column);
        const QString caption = QString::fromUtf8(t.caption);
        edit->setObjectName(QStringLiteral("Mm") + column);
        edit->setReadOnly(true);
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        edit->setAccessibleName(caption);
        stack->addWidget(edit);
        tabs->addTab(caption);
        m_textEdits.push_back({column, edit, QString()});
    }
    tabs->setAccessibleName(tabs->tabText(0));
    tabs->setOnCurrentChanged([stack](int index) { stack->setCurrentIndex(index); });

    auto *inner = new QVBoxLayout(control);
    inner->setContentsMargins(0, 0, 0, 0);
    inner->setSpacing(0);
    inner->addWidget(stack, 1);
    inner->addWidget(tabs);

    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(control);
    return page;
}

QPixmap TBookDetailPane::placeholderPicture()
{
    static const QImage image = [] {
        QImage img(120, 160, QImage::Format_ARGB32_Premultiplied);
        img.fill(QColor(0xF4, 0xF6, 0xF8));
        QPainter p(&img);
        p.setPen(QColor(0x90, 0x9C, 0xA8));
        p.drawRect(img.rect().adjusted(0, 0, -1, -1));
        p.drawRect(img.rect().adjusted(10, 14, -11, -15));
        p.drawText(img.rect(), Qt::AlignCenter, QStringLiteral("暂无封面"));
        return img;
    }();
    return QPixmap::fromImage(image);
}

TToggleStrip *TBookDetailPane::createPaneStrip(QWidget *parent)
{
    auto *strip = new TToggleStrip(Qt::Horizontal, this, parent);
    strip->setPictureNames(QStringLiteral("ImgUp"), QStringLiteral("ImgDown"));
    strip->setHints(QStringLiteral("显示明细"), QStringLiteral("隐藏明细"));
    return strip;
}

const QStringList &TBookDetailPane::longTextColumns()
{
    static const QStringList columns = [] {
        QStringList out;
        for (const LongText &t : LongTexts)
            out << QString::fromLatin1(t.column);
        return out;
    }();
    return columns;
}

QString TBookDetailPane::longTextCaption(const QString &column)
{
    for (const LongText &t : LongTexts)
        if (column.compare(QLatin1String(t.column), Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(t.caption);
    return {};
}

QLineEdit *TBookDetailPane::fieldEdit(const QString &column) const
{
    for (const FieldBinding &f : m_fields)
        if (f.column.compare(column, Qt::CaseInsensitive) == 0)
            return f.edit;
    return nullptr;
}

QPlainTextEdit *TBookDetailPane::longTextEdit(const QString &column) const
{
    for (const TextBinding &t : m_textEdits)
        if (t.column.compare(column, Qt::CaseInsensitive) == 0)
            return t.edit;
    return nullptr;
}

// ---- following the book list ---------------------------------------------------------------

void TBookDetailPane::setBookList(DataSet *books)
{
    for (const auto &c : m_bookConnections)
        disconnect(c);
    m_bookConnections.clear();
    m_books = books;
    if (books) {
        m_types->setConnection(books->connection());
        m_texts->setConnection(books->connection());
        // Opening announces the first row next (an empty list none: its fields were cleared
        // when it closed).
        m_bookConnections.push_back(connect(books, &DataSet::opened, this, &TBookDetailPane::bindFields));
        m_bookConnections.push_back(connect(books, &DataSet::closed, this, [this] { showFields(-1); }));
        m_bookConnections.push_back(connect(books, &DataSet::currentRowChanged, this, &TBookDetailPane::refresh));
        m_bookConnections.push_back(connect(books, &DataSet::orderChanged, this, &TBookDetailPane::refresh));
    }
    bindFields();
    refresh();
}

void TBookDetailPane::bindFields()
{
    for (FieldBinding &f : m_fields)
        f.index = m_books && m_books->isOpen() ? m_books->fieldIndex(f.column) : -1;
}

void TBookDetailPane::showFields(int row)
{
    for (const FieldBinding &f : m_fields) {
        const QString text = row >= 0 && f.index >= 0 ? m_books->displayText(row, f.index) : QString();
        if (f.edit->text() != text) {
            f.edit->setText(text);
            f.edit->setCursorPosition(0);   // long titles show their start
        }
    }
}

void TBookDetailPane::refresh()
{
    DataSet *books = m_books;
    const int row = books && books->isOpen() ? books->currentRow() : -1;
    showFields(row);
    if (row < 0)
        return;   // classifications, long texts and pictures keep what they showed

    const int tmIndex = books->fieldIndex(QStringLiteral("tm"));
    const QString tm = tmIndex >= 0 ? books->text(row, tmIndex) : QString();
    reopen(*m_types, CatalogueStatements::titleClassifications(tm));
    reopen(*m_texts, CatalogueStatements::titleLongTexts(tm));
    showLongTexts();

    if (m_loadsPictures)
        showPictures(row);
}

void TBookDetailPane::setLoadsPictures(bool on)
{
    const bool turnedOn = on && !m_loadsPictures;
    m_loadsPictures = on;
    if (turnedOn && m_books && m_books->isOpen() && m_books->currentRow() >= 0)
        showPictures(m_books->currentRow());
}

void TBookDetailPane::showPictures(int row)
{
    const int fmtpIndex = m_books->fieldIndex(QStringLiteral("fmtp"));
    const QString fmtp = fmtpIndex >= 0 ? m_books->text(row, fmtpIndex) : QString();
    showPicture(m_imgSmall, CoverLookup::smallPicture(fmtp), CoverLookup::fallbackPath(CoverLookup::Size::Small));
    showPicture(m_imgBig, CoverLookup::largePicture(fmtp), CoverLookup::fallbackPath(CoverLookup::Size::Large));
}

bool TBookDetailPane::reopen(DataSet &list, const Statement &statement)
{
    list.close();
    list.setStatement(statement.text, statement.values);
    return guarded(m_prompter, [&list] { list.open(); });
}

void TBookDetailPane::showLongTexts()
{
    const bool hasRow = m_texts->isOpen() && !m_texts->isEmpty();
    for (TextBinding &t : m_textEdits) {
        const int index = hasRow ? m_texts->fieldIndex(t.column) : -1;
        const QString text = index >= 0 ? m_texts->text(0, index) : QString();
        // Most neighbouring titles differ, but empty tabs stay empty without relayout.
        if (text != t.shown) {
            t.edit->setPlainText(text);
            t.shown = text;
        }
    }
}

namespace {

// Decoded covers are kept by file and change stamps, so stepping through a list does not
// decode the same few pictures again; a changed file is read afresh. A file that could not be
// decoded is remembered the same way, and told about once per run.
QString pictureKey(const QString &path)
{
    const QFileInfo info(path);
    return QStringLiteral("zd-cover|%1|%2|%3|%4")
        .arg(path)
        .arg(info.size())
        .arg(info.lastModified().toMSecsSinceEpoch())
        .arg(info.metadataChangeTime().toMSecsSinceEpoch());
}

QSet<QString> &unreadableKeys()
{
    static QSet<QString> keys;
    return keys;
}

QSet<QString> &reportedFiles()
{
    static QSet<QString> files;
    return files;
}

} // namespace

bool TBookDetailPane::loadPicture(const QString &path, QPixmap *picture)
{
    const QString key = pictureKey(path);
    if (QPixmapCache::find(key, picture))
        return true;
    if (unreadableKeys().contains(key))
        return false;
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull()) {
        unreadableKeys().insert(key);
        const QString text = QStringLiteral("无法读取封面图片 %1：%2")
                                 .arg(QDir::toNativeSeparators(path),
                                      WholeFile::readReason(path, QStringLiteral("图片格式无法识别或文件已损坏")));
        if (!reportedFiles().contains(path)) {
            reportedFiles().insert(path);
            m_prompter.message(text, QStringLiteral("系统提示"), MsgFlags::Warning);
        }
        return false;
    }
    *picture = QPixmap::fromImage(image);
    QPixmapCache::insert(key, *picture);
    return true;
}

void TBookDetailPane::showPicture(QLabel *target, const QString &path, const QString &fallback)
{
    // An unreadable cover gives way to the folder's fallback, and that to the placeholder.
    QPixmap picture;
    if (!loadPicture(path, &picture) && (path == fallback || !loadPicture(fallback, &picture)))
        picture = placeholderPicture();
    if (target->pixmap().cacheKey() != picture.cacheKey()) {
        target->setPixmap(picture);
        target->resize(picture.size());
    }
}
