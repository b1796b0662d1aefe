#include "catalog/detail_window.h"

#include "cart/cart.h"
#include "cart/season_orders.h"
#include "catalog/detail_page.h"
#include "catalog/title_locate.h"
#include "common/guarded.h"
#include "common/html_text.h"
#include "grid/field_combo_widget.h"
#include "widgets/captioned_controls_gui.h"
#include "widgets/grid_colours_gui.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QString NoData = QStringLiteral("没有找到数据!");

} // namespace

TFrmDetail::TFrmDetail(DataSet *list, const Context &context, QWidget *owner)
    : QDialog(owner), m_context(context)
{
    build();
    setList(list);
}

TFrmDetail::~TFrmDetail() = default;

int TFrmDetail::openOn(DataSet &list, const Context &context, QWidget *owner)
{
    TFrmDetail window(&list, context, owner);
    return window.exec();
}

void TFrmDetail::build()
{
    setObjectName(QStringLiteral("FrmDetail"));
    setWindowTitle(QStringLiteral("书目详细信息"));
    setFixedSize(752, 569);
    GridColours::paintBackground(this, GridColours::Window);

    m_web = new QTextBrowser(this);
    m_web->setObjectName(QStringLiteral("WebBook"));
    m_web->setAccessibleName(QStringLiteral("书目详细信息"));
    m_web->setOpenLinks(false);

    static const struct {
        const char *name;
        const char *hint;
        QStyle::StandardPixmap picture;
    } moves[4] = {
        {"BtnFirst", "第一条", QStyle::SP_MediaSkipBackward},
        {"BtnPrior", "上一条", QStyle::SP_MediaSeekBackward},
        {"BtnNext", "下一条", QStyle::SP_MediaSeekForward},
        {"BtnLast", "最后一条", QStyle::SP_MediaSkipForward},
    };
    auto *bar = new QHBoxLayout;
    bar->setSpacing(4);
    for (int tag = 0; tag < 4; ++tag) {
        auto *b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(moves[tag].name));
        b->setProperty("tag", tag);
        b->setToolTip(QString::fromUtf8(moves[tag].hint));
        b->setAccessibleName(b->toolTip());
        b->setIcon(style()->standardIcon(moves[tag].picture));
        b->setIconSize(QSize(20, 20));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, [this, tag] { navigate(tag); });
        bar->addWidget(b);
        m_moves[tag] = b;
    }
    bar->addSpacing(16);

    m_field = new TFieldCombo(this);
    m_field->setObjectName(QStringLiteral("CbField"));
    m_field->setAccessibleName(QStringLiteral("定位字段"));
    m_field->setFixedWidth(75);
    for (const auto &[column, label] : {std::pair{"sm", "书名"}, std::pair{"tm", "条码"}, std::pair{"isbn", "ISBN"},
                                        std::pair{"zz", "作者"}, std::pair{"cbmc", "出版社"}})
        m_field->fieldCbItems().add(QString::fromLatin1(column), QString::fromUtf8(label));
    m_field->setDataSource(nullptr);   // builds the entries; the first is chosen
    bar->addWidget(m_field);

    m_value = new QLineEdit(this);
    m_value->setObjectName(QStringLiteral("EdtValue"));
    m_value->setAccessibleName(QStringLiteral("定位内容"));
    m_value->setFixedWidth(176);
    connect(m_value, &QLineEdit::returnPressed, this, &TFrmDetail::locate);
    bar->addWidget(m_value);

    // Enter belongs to the locator edit, never to a default button.
    const auto button = [this](const char *name, const QString &caption) {
        return captionedButton(this, QString::fromLatin1(name), caption, 0);
    };
    m_locate = button("BtnBase", QStringLiteral("定位(&D)"));
    connect(m_locate, &QPushButton::clicked, this, &TFrmDetail::locate);
    bar->addWidget(m_locate);
    bar->addStretch(1);
    m_shop = button("BtnShop", QStringLiteral("放入购物车"));
    connect(m_shop, &QPushButton::clicked, this, &TFrmDetail::addToCart);
    bar->addWidget(m_shop);
    m_close = button("BtnClose", QStringLiteral("关闭(&C)"));
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    bar->addWidget(m_close);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
    layout->addWidget(m_web, 1);
    layout->addLayout(bar);

    const struct {
        QKeySequence keys;
        int tag;
    } shortcuts[] = {
        {QKeySequence(Qt::ALT | Qt::Key_Home), First}, {QKeySequence(Qt::ALT | Qt::Key_Left), Prior},
        {QKeySequence(Qt::Key_PageUp), Prior},         {QKeySequence(Qt::ALT | Qt::Key_Right), Next},
        {QKeySequence(Qt::Key_PageDown), Next},        {QKeySequence(Qt::ALT | Qt::Key_End), Last},
    };
    for (const auto &s : shortcuts) {
        const int tag = s.tag;
        connect(new QShortcut(s.keys, this), &QShortcut::activated, this, [this, tag] { navigate(tag); });
    }
    m_value->setFocus();
}

void TFrmDetail::setList(DataSet *list)
{
    m_list = list;
    m_field->setDataSource(list);
}

Prompter &TFrmDetail::prompter()
{
    if (!m_context.prompter)
        throw AppError(QStringLiteral("没有可用的提示对象"));
    return *m_context.prompter;
}

void TFrmDetail::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        showTitle();
    }
}

void TFrmDetail::updateCursors()
{
    DataSet *l = m_list;
    const bool atFirst = !l || l->atFirst();
    const bool atLast = !l || l->atLast();
    const Qt::CursorShape first = atFirst ? Qt::ArrowCursor : Qt::PointingHandCursor;
    const Qt::CursorShape last = atLast ? Qt::ArrowCursor : Qt::PointingHandCursor;
    m_moves[First]->setCursor(first);
    m_moves[Prior]->setCursor(first);
    m_moves[Next]->setCursor(last);
    m_moves[Last]->setCursor(last);
}

void TFrmDetail::showTitle()
{
    DataSet *l = m_list;
    if (l && l->isOpen() && l->isEmpty()) {
        showErrorBox(prompter(), NoData);
        return;
    }
    updateCursors();
    QString page;
    if (l && l->isOpen()) {
        // A broken template or record: the view keeps what it showed.
        if (!guarded(prompter(), [&] {
                page = DetailPage::build(m_context.db, l->currentText(QStringLiteral("tm")), m_context.operatorCode);
            }))
            return;
    }
    loadPage(page.isEmpty() ? DetailPage::errorPagePath() : page);
}

void TFrmDetail::loadPage(const QString &path)
{
    QString html;
    if (!HtmlText::load(path, &html)) {
        showErrorBox(prompter(), QStringLiteral("无法读取页面 %1").arg(path));
        return;
    }
    // The page is GB18030 (it says so): decoded here, with its folder as the base of its relative pictures
    // ("../bookimages/…", "nocover.bmp").
    const QString folder = QFileInfo(path).absolutePath();
    m_web->setSearchPaths({folder});
    m_web->document()->setBaseUrl(QUrl::fromLocalFile(folder + u'/'));
    m_web->setHtml(html);
    m_shownPage = path;
}

void TFrmDetail::navigate(int tag)
{
    DataSet *l = m_list;
    if (l && l->isOpen()) {
        switch (tag) {
        case First: l->first(); break;
        case Prior: l->prior(); break;
        case Next: l->next(); break;
        case Last: l->last(); break;
        default: return;
        }
    }
    showTitle();
}

void TFrmDetail::locate()
{
    const QString value = m_value->text();
    if (value.isEmpty()) {
        prompter().info(QStringLiteral("请输入有效的查询条件"));
        return;
    }
    DataSet *l = m_list;
    if (!l || !l->isOpen())
        return;
    guarded(prompter(), [&] {
        if (TitleLocate::locate(*l, m_field->currentFieldName(), value))
            showTitle();
    });
}

void TFrmDetail::addToCart()
{
    DataSet *l = m_list;
    if (!l || !l->isOpen() || l->isEmpty()) {
        showErrorBox(prompter(), NoData);
        return;
    }
    QString keys = l->currentText(QStringLiteral("tm"));
    // A title ordered this season goes in only when the clerk says so.
    bool confirmed = false;
    if (!guarded(prompter(), [&] { confirmed = SeasonOrders::confirmCartKeys(keys, m_context.db, prompter()); })
        || !confirmed || keys.isEmpty())
        return;
    CartAddResult result;
    if (!guardedRetry(prompter(), [&] { result = AddToCart(keys, m_context.db, m_context.operatorCode); }))
        return;
    if (!result.complete()) {
        prompter().message(CartAddMessage(result), QStringLiteral("系统提示"), MsgFlags::Warning);
        return;
    }
    prompter().info(QStringLiteral("当前书目已经加入购物车"));
}
