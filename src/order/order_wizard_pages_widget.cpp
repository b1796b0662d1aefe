// The five pages of the order wizard and its bottom bar: controls, captions and layout. The
// behaviour is in order_wizard_window.cpp.
#include "order/order_wizard_window.h"

#include "grid/grid_view.h"
#include "widgets/button_flow_gui.h"
#include "widgets/captioned_controls_gui.h"
#include "widgets/grid_colours_gui.h"
#include "widgets/plain_caption.h"
#include "widgets/tab_painter.h"
#include "widgets/value_label_widget.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QValidator>
#include <QVBoxLayout>
#include <array>

namespace {

const QString QuantityFormat = QStringLiteral("#,");
const QString MoneyFormat = QStringLiteral("#,.00;#,.00;0");
constexpr int ButtonWidth = 84;

// Typing stops at the order column's width; a longer value set by the program stays whole,
// so the check before saving can name the field instead of cutting it silently.
class WidthValidator : public QValidator {
public:
    WidthValidator(int width, QObject *parent) : QValidator(parent), m_width(width) {}
    State validate(QString &input, int &) const override
    {
        return input.size() <= m_width ? Acceptable : Invalid;
    }

private:
    int m_width;
};

// A read-only field whose value is too long for it shows the value's start, not its tail.
void showStart(QLineEdit *e)
{
    QObject::connect(e, &QLineEdit::textChanged, e, [e] { e->setCursorPosition(0); });
}

ValueLabel *totalLabel(QWidget *parent, const char *name, const QString &caption)
{
    auto *l = new ValueLabel(caption, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setMinimumWidth(90);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

// "明细汇总": 品种, 数量, 码洋.
QGroupBox *totalsBox(QWidget *parent, ValueLabel *&count, ValueLabel *&sl, ValueLabel *&my, const char *prefix)
{
    auto *box = new QGroupBox(QStringLiteral("明细汇总"), parent);
    const QString p = QString::fromLatin1(prefix);
    count = totalLabel(box, (p + QStringLiteral("Count")).toLatin1().constData(), QStringLiteral("品种"));
    sl = totalLabel(box, (p + QStringLiteral("Sl")).toLatin1().constData(), QStringLiteral("数量"));
    my = totalLabel(box, (p + QStringLiteral("My")).toLatin1().constData(), QStringLiteral("码洋"));
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(10, 4, 10, 4);
    for (auto [caption, label] : {std::pair{"品种：", count}, {"数量：", sl}, {"码洋：", my}}) {
        auto *c = new QLabel(QString::fromUtf8(caption), box);
        c->setBuddy(label);
        row->addWidget(c);
        row->addWidget(label);
        row->addSpacing(24);
    }
    row->addStretch(1);
    return box;
}

} // namespace

void TFrmOrderDo::prepareLists()
{
    for (DataSet *ds : {&m_dsOk, &m_dsHz, &m_dsOther, &m_dsOrderMx})
        ds->setConnection(m_db);
    m_dsOk.setObjectName(QStringLiteral("DsOk"));
    m_dsHz.setObjectName(QStringLiteral("DsHz"));
    m_dsOther.setObjectName(QStringLiteral("DsOther"));
    m_dsOrderMx.setObjectName(QStringLiteral("DsOrder_Mx"));

    setLeftOut({});   // DsOk and DsHz: the whole cart
    m_dsOther.setStatement(QStringLiteral(
        "select dhdh,dhrq,dfdh,sui,jsfs,fkfs,dhrh,dhrm,dhlr,dhlh,dhjb,shrh,shrm,shlr,shlh,shdz,shdz2,"
        "shyb,fkrh,fkrm,fklr,fklh,fhfs,fhdz,fhrq,bz,pno,cdcs,zt from deorder where dfdh=:sdfdh"
        " order by dhdh"));
    m_dsOrderMx.setStatement(QStringLiteral("select dhdh, sl,tm,yc,zbh,sm,dj,my,zz,isbn,ghbm,ghmc,cbbm,cbmc"
                                            " from deorder_mx o where o.dhdh=:sDh"));

    const struct {
        const char *name, *caption;
        const QString &format;
    } book[] = {
        {"SM", "书名", QString()},         {"TM", "条码", QString()},
        {"ZBH", "征订序号", QString()},    {"ISBN", "ISBN", QString()},
        {"YC", "印次", QString()},         {"SL", "数量", QuantityFormat},
        {"DJ", "定价", MoneyFormat},       {"MY", "码洋", MoneyFormat},
        {"ZZ", "作者", QString()},         {"CBBM", "出版社编号", QString()},
        {"CBMC", "出版社名称", QString()}, {"GHBM", "供货商编号", QString()},
        {"GHMC", "供货商名称", QString()}, {"DHDH", "DHDH", QString()},
    };
    for (const auto &f : book)
        m_dsOk.defineField(QString::fromLatin1(f.name), QString::fromUtf8(f.caption), f.format);

    const struct {
        const char *name, *caption;
    } header[] = {
        {"DHDH", "订货单号"},   {"DHRQ", "订货日期"},   {"DFDH", "订单流水号"}, {"JSFS", "结算方式"},
        {"FKFS", "付款方式"},   {"DHRH", "订货人编号"}, {"DHRM", "订货人名称"}, {"DHLR", "订货联系人"},
        {"DHLH", "订货人电话"}, {"DHJB", "订货经办人"}, {"SHRH", "收货人编号"}, {"SHRM", "收货人名称"},
        {"SHLR", "收货联系人"}, {"SHLH", "收货人电话"}, {"SHDZ", "收货地址"},   {"SHDZ2", "收货地址2"},
        {"SHYB", "收货邮编"},   {"FKRH", "付款人编号"}, {"FKRM", "付款人名称"}, {"FKLR", "付款联系人"},
        {"FKLH", "付款人电话"}, {"FHFS", "发货方式"},   {"FHDZ", "发货到站"},   {"FHRQ", "要求发货日期"},
        {"BZ", "备注"},         {"CDCS", "传递次数"},   {"ZT", "状态"},
    };
    for (const auto &f : header)
        m_dsOther.defineField(QString::fromLatin1(f.name), QString::fromUtf8(f.caption));

    const struct {
        const char *name, *caption;
        const QString &format;
    } rows[] = {
        {"DHDH", "订货单号", QString()},   {"SM", "书名", QString()},
        {"TM", "条码", QString()},         {"ZBH", "征订序号", QString()},
        {"YC", "印次", QString()},         {"ZZ", "作者", QString()},
        {"SL", "订购数量", QuantityFormat}, {"DJ", "定价", MoneyFormat},
        {"MY", "订购码洋", MoneyFormat},   {"ISBN", "ISBN", QString()},
        {"CBMC", "出版社名称", QString()}, {"CBBM", "出版社编号", QString()},
        {"GHBM", "供货商编号", QString()}, {"GHMC", "供货商名称", QString()},
    };
    for (const auto &f : rows)
        m_dsOrderMx.defineField(QString::fromLatin1(f.name), QString::fromUtf8(f.caption), f.format);
}

DbGrid *TFrmOrderDo::makeGrid(const char *name, const QString &accessible)
{
    auto *grid = new DbGrid(this);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setAccessibleName(accessible);
    grid->useTitleListFonts(12);
    if (m_options.popupMenu)
        grid->setPopupMenu(m_options.popupMenu);
    return grid;
}

QWidget *TFrmOrderDo::buildBooksPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tb2"));
    m_dbgOk = makeGrid("DbgOk", QStringLiteral("订购书目"));
    GridColumns cols;
    cols.addMark(GridColumns::MarkTitle, 34);
    cols.addField(QStringLiteral("SM"), QStringLiteral("书名"), 260);
    cols.addField(QStringLiteral("SL"), QStringLiteral("数量"), 60);
    cols.addField(QStringLiteral("DJ"), QStringLiteral("定价"), 64);
    cols.addField(QStringLiteral("MY"), QStringLiteral("码洋"), 80);
    cols.addField(QStringLiteral("TM"), QStringLiteral("条码"), 110);
    cols.addField(QStringLiteral("ZBH"), QStringLiteral("本季征订序号"), 90);
    cols.addField(QStringLiteral("YC"), QStringLiteral("印次"), 40);
    cols.addField(QStringLiteral("ZZ"), QStringLiteral("作者"), 110);
    cols.addField(QStringLiteral("CBMC"), QStringLiteral("版别"), 150);
    cols.addField(QStringLiteral("ISBN"), QStringLiteral("ISBN(统一书号)"), 110).visible = false;
    cols.addField(QStringLiteral("CBBM"), QStringLiteral("出版社编号"), 80).visible = false;
    cols.addField(QStringLiteral("GHBM"), QStringLiteral("供货商编号"), 80).visible = false;
    cols.addField(QStringLiteral("GHMC"), QStringLiteral("供货商"), 150).visible = false;
    m_dbgOk->setColumns(cols);
    m_dbgOk->setDataSet(&m_dsOk);
    m_dbgOk->setMarkedRows(&m_marked);
    m_dbgOk->setPopupOptions(0, 0);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_dbgOk);
    return page;
}

QLineEdit *TFrmOrderDo::partyEdit(const char *name, const QString &accessible, int width)
{
    auto *e = new QLineEdit(this);
    e->setObjectName(QString::fromLatin1(name));
    e->setAccessibleName(accessible);
    e->setValidator(new WidthValidator(width, e));
    e->installEventFilter(this);
    m_partyEdits.append({e, accessible, width});
    return e;
}

QWidget *TFrmOrderDo::buildPartiesPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tb3"));
    const auto group = [page](const QString &title, const QList<QPair<QString, QLineEdit *>> &rows) {
        auto *box = new QGroupBox(title, page);
        auto *grid = new QGridLayout(box);
        grid->setContentsMargins(12, 10, 12, 10);
        grid->setHorizontalSpacing(8);
        grid->setVerticalSpacing(8);
        int r = 0;
        for (const auto &[caption, edit] : rows) {
            edit->setParent(box);
            auto *label = new QLabel(caption, box);
            label->setBuddy(edit);
            grid->addWidget(label, r, 0, Qt::AlignRight);
            grid->addWidget(edit, r, 1);
            ++r;
        }
        grid->setColumnStretch(1, 1);
        return box;
    };

    QLineEdit *unoDh = partyEdit("EdtUno_Dh", QStringLiteral("订货人编号"), 10);
    QLineEdit *nameDh = partyEdit("EdtName_Dh", QStringLiteral("订货人名称"), 100);
    QLineEdit *lxrDh = partyEdit("EdtLxr_Dh", QStringLiteral("订货联系人"), 30);
    QLineEdit *telDh = partyEdit("EdtTel_Dh", QStringLiteral("订货人电话"), 60);
    QLineEdit *jbrDh = partyEdit("EdtJbr_Dh", QStringLiteral("订货经办人"), 30);
    QLineEdit *unoSh = partyEdit("EdtUno_Sh", QStringLiteral("收货人编号"), 20);
    QLineEdit *nameSh = partyEdit("EdtName_Sh", QStringLiteral("收货人名称"), 100);
    QLineEdit *lxrSh = partyEdit("EdtLxr_Sh", QStringLiteral("收货联系人"), 30);
    QLineEdit *telSh = partyEdit("EdtTel_Sh", QStringLiteral("收货人电话"), 60);
    QLineEdit *codeSh = partyEdit("EdtCode_Sh", QStringLiteral("收货邮编"), 15);
    QLineEdit *addSh = partyEdit("EdtAdd_Sh", QStringLiteral("收货地址"), 80);
    QLineEdit *add2Sh = partyEdit("EdtAdd2_Sh", QStringLiteral("收货地址2"), 80);
    QLineEdit *unoFk = partyEdit("EdtUno_Fk", QStringLiteral("付款人编号"), 20);
    QLineEdit *nameFk = partyEdit("EdtName_Fk", QStringLiteral("付款人名称"), 100);
    QLineEdit *lxrFk = partyEdit("EdtLxr_Fk", QStringLiteral("付款联系人"), 30);
    QLineEdit *telFk = partyEdit("EdtTel_Fk", QStringLiteral("付款人电话"), 60);
    // The shipping requirements are kept on the page but never shown.
    QLineEdit *fhfs = partyEdit("EdtFhfs", QStringLiteral("发货方式"), 20);
    QLineEdit *dz = partyEdit("EdtDz", QStringLiteral("发货到站"), 20);
    QLineEdit *fkfs = partyEdit("EdtFkfs", QStringLiteral("付款方式"), 30);
    QLineEdit *jsfs = partyEdit("EdtJsfs", QStringLiteral("结算方式"), 30);
    for (QLineEdit *hidden : {unoDh, jbrDh, unoSh, unoFk, fhfs, dz, fkfs, jsfs}) {
        hidden->setParent(page);
        hidden->hide();
    }
    m_dtpFhrq = new QDateEdit(page);
    m_dtpFhrq->setObjectName(QStringLiteral("DtpFhrq"));
    m_dtpFhrq->setAccessibleName(QStringLiteral("要求发货日期"));
    m_dtpFhrq->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_dtpFhrq->hide();
    m_mmNotes = new QPlainTextEdit(page);
    m_mmNotes->setObjectName(QStringLiteral("MmNotes"));
    m_mmNotes->setAccessibleName(QStringLiteral("备注"));
    m_mmNotes->hide();

    const QString name = QStringLiteral("名称："), contact = QStringLiteral("联系人："),
                  tel = QStringLiteral("联系电话：");
    auto *dh = group(QStringLiteral("订货人信息"), {{name, nameDh}, {contact, lxrDh}, {tel, telDh}});
    auto *sh = group(QStringLiteral("收货人信息"), {{name, nameSh},
                                                    {contact, lxrSh},
                                                    {tel, telSh},
                                                    {QStringLiteral("邮编："), codeSh},
                                                    {QStringLiteral("地址："), addSh},
                                                    {QStringLiteral("地址2："), add2Sh}});
    auto *fk = group(QStringLiteral("付款人信息"), {{name, nameFk}, {contact, lxrFk}, {tel, telFk}});

    auto *left = new QVBoxLayout;
    left->addWidget(dh);
    left->addWidget(fk);
    left->addStretch(1);
    auto *right = new QVBoxLayout;
    right->addWidget(sh);
    right->addStretch(1);
    auto *columns = new QHBoxLayout(page);
    columns->setContentsMargins(16, 16, 16, 16);
    columns->setSpacing(16);
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    // Page 2 in reading order: orderer, payer, consignee.
    QWidget *order[] = {nameDh, lxrDh, telDh, nameFk, lxrFk, telFk, nameSh, lxrSh, telSh, codeSh, addSh, add2Sh};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    return page;
}

QLineEdit *TFrmOrderDo::copyEdit(const char *name, const QString &accessible)
{
    auto *e = new QLineEdit(this);
    e->setObjectName(QString::fromLatin1(name));
    e->setAccessibleName(accessible);
    e->setReadOnly(true);
    e->installEventFilter(this);
    showStart(e);
    // The twin on page 2 is the edit named without "_Ok".
    QString source = QString::fromLatin1(name);
    source.chop(3);
    for (const PartyEdit &p : m_partyEdits)
        if (p.edit->objectName() == source)
            m_copies.append(qMakePair(p.edit, e));
    return e;
}

QWidget *TFrmOrderDo::buildConfirmPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tb6"));
    // Cells fill rows of perRow; a cell of a wide caption (an address) takes a row of its own.
    // The first cells of a row (numbers, contacts) are short: the others get more room.
    const auto group = [page](const QString &title, const QList<QPair<QString, QWidget *>> &cells,
                              int perRow, const QStringList &wide = {}) {
        auto *box = new QGroupBox(title, page);
        auto *grid = new QGridLayout(box);
        grid->setContentsMargins(8, 6, 8, 6);
        grid->setHorizontalSpacing(6);
        grid->setVerticalSpacing(4);
        int i = 0;
        for (const auto &[caption, control] : cells) {
            const bool whole = wide.contains(caption);
            if (whole && i % perRow)
                i += perRow - i % perRow;
            control->setParent(box);
            auto *label = new QLabel(caption, box);
            label->setBuddy(control);
            grid->addWidget(label, i / perRow, (i % perRow) * 2, Qt::AlignRight);
            grid->addWidget(control, i / perRow, (i % perRow) * 2 + 1, 1, whole ? perRow * 2 - 1 : 1);
            grid->setColumnStretch((i % perRow) * 2 + 1, i % perRow ? 3 : 2);
            i += whole ? perRow : 1;
        }
        return box;
    };
    const QString no = QStringLiteral("编号："), name = QStringLiteral("名称："),
                  contact = QStringLiteral("联系人："), tel = QStringLiteral("电话："),
                  address = QStringLiteral("地址："), address2 = QStringLiteral("地址2：");
    auto *dh = group(QStringLiteral("订货人信息"),
                     {{no, copyEdit("EdtUno_Dh_Ok", QStringLiteral("订货人编号"))},
                      {name, copyEdit("EdtName_Dh_Ok", QStringLiteral("订货人名称"))},
                      {contact, copyEdit("EdtLxr_Dh_Ok", QStringLiteral("订货联系人"))},
                      {tel, copyEdit("EdtTel_Dh_Ok", QStringLiteral("订货人电话"))}},
                     2);
    auto *fk = group(QStringLiteral("付款人信息"),
                     {{no, copyEdit("EdtUno_Fk_Ok", QStringLiteral("付款人编号"))},
                      {name, copyEdit("EdtName_Fk_Ok", QStringLiteral("付款人名称"))},
                      {contact, copyEdit("EdtLxr_Fk_Ok", QStringLiteral("付款联系人"))},
                      {tel, copyEdit("EdtTel_Fk_Ok", QStringLiteral("付款人电话"))}},
                     2);
    auto *sh = group(QStringLiteral("收货人信息"),
                     {{no, copyEdit("EdtUno_Sh_Ok", QStringLiteral("收货人编号"))},
                      {name, copyEdit("EdtName_Sh_Ok", QStringLiteral("收货人名称"))},
                      {contact, copyEdit("EdtLxr_Sh_Ok", QStringLiteral("收货联系人"))},
                      {tel, copyEdit("EdtTel_Sh_Ok", QStringLiteral("收货人电话"))},
                      {QStringLiteral("邮编："), copyEdit("EdtCode_Sh_Ok", QStringLiteral("收货邮编"))},
                      {address, copyEdit("EdtAdd_Sh_Ok", QStringLiteral("收货地址"))},
                      {address2, copyEdit("EdtAdd2_Sh_Ok", QStringLiteral("收货地址2"))}},
                     2, {address, address2});
    m_edtFhrqOk = new QLineEdit(this);
    m_edtFhrqOk->setObjectName(QStringLiteral("EdtFhrq_Ok"));
    m_edtFhrqOk->setAccessibleName(QStringLiteral("发货日期"));
    m_edtFhrqOk->setReadOnly(true);
    showStart(m_edtFhrqOk);
    m_mmNotesOk = new QPlainTextEdit(this);
    m_mmNotesOk->setObjectName(QStringLiteral("MmNotes_Ok"));
    m_mmNotesOk->setAccessibleName(QStringLiteral("备注"));
    m_mmNotesOk->setReadOnly(true);
    m_mmNotesOk->setFixedHeight(QFontMetrics(font()).height() * 2 + 12);
    auto *fh = group(QStringLiteral("发货要求"),
                     {{QStringLiteral("结算方式："), copyEdit("EdtJsfs_Ok", QStringLiteral("结算方式"))},
                      {QStringLiteral("付款方式："), copyEdit("EdtFkfs_Ok", QStringLiteral("付款方式"))},
                      {QStringLiteral("发货方式："), copyEdit("EdtFhfs_Ok", QStringLiteral("发货方式"))},
                      {QStringLiteral("发货到站："), copyEdit("EdtDz_Ok", QStringLiteral("发货到站"))},
                      {QStringLiteral("发货日期："), m_edtFhrqOk},
                      {QStringLiteral("备注："), m_mmNotesOk}},
                     1);

    m_dbGrid1 = makeGrid("DBGrid1", QStringLiteral("订购书目"));
    GridColumns cols;
    cols.addField(QStringLiteral("SM"), QStringLiteral("书名"), 260);
    cols.addField(QStringLiteral("TM"), QStringLiteral("条码"), 110);
    cols.addField(QStringLiteral("ZBH"), QStringLiteral("征订序号"), 80);
    cols.addField(QStringLiteral("ISBN"), QStringLiteral("ISBN"), 110);
    cols.addField(QStringLiteral("YC"), QStringLiteral("印次"), 40);
    cols.addField(QStringLiteral("SL"), QStringLiteral("数量"), 60);
    cols.addField(QStringLiteral("DJ"), QStringLiteral("定价"), 64);
    cols.addField(QStringLiteral("MY"), QStringLiteral("码洋"), 80);
    cols.addField(QStringLiteral("ZZ"), QStringLiteral("作者"), 100);
    cols.addField(QStringLiteral("CBBM"), QStringLiteral("出版社编号"), 80);
    cols.addField(QStringLiteral("CBMC"), QStringLiteral("出版社名称"), 150);
    m_dbGrid1->setColumns(cols);
    m_dbGrid1->setDataSet(&m_dsOk);
    m_dbGrid1->setOpensDetail(true);
    m_dbGrid1->setPopupOptions(1, 0, false);

    auto *top = new QGridLayout;
    top->setSpacing(6);
    top->addWidget(dh, 0, 0);
    top->addWidget(fk, 1, 0);
    top->addWidget(sh, 0, 1, 2, 1);
    top->addWidget(fh, 0, 2, 2, 1);
    // The consignee's column, with the addresses, is the widest; the shipping requirements,
    // one to a row and empty but for the date, the narrowest.
    for (int c = 0; c < 3; ++c)
        top->setColumnStretch(c, std::array{4, 5, 2}[c]);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addLayout(top);
    layout->addWidget(m_dbGrid1, 1);
    layout->addWidget(totalsBox(page, m_hzCount, m_hzSl, m_hzMy, "LbHz"));
    return page;
}

QWidget *TFrmOrderDo::buildSendPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tb7"));
    m_dbgOrder = makeGrid("DbgOrder", QStringLiteral("订单列表"));
    GridColumns orders;
    const struct {
        const char *field, *title;
        int width;
        bool visible;
    } orderColumns[] = {
        {"DHDH", "订货单号", 100, true},     {"DHRQ", "订货日期", 80, true},
        {"DFDH", "流水号", 100, true},       {"JSFS", "结算方式", 70, true},
        {"FKFS", "付款方式", 70, true},      {"FHFS", "发货方式", 70, true},
        {"FHDZ", "发货到站", 70, true},      {"DHRH", "订货人编号", 80, true},
        {"DHRM", "订货人名称", 140, true},   {"SHRH", "收货人编号", 80, true},
        {"SHRM", "收货人名称", 140, true},   {"FKRH", "付款人编号", 80, true},
        {"FKRM", "付款人名称", 140, true},   {"FHRQ", "要求发货日期", 90, true},
        {"BZ", "备注", 120, true},           {"DHLR", "订货联系人", 80, false},
        {"DHLH", "订货联系电话", 100, false}, {"DHJB", "订货经办人", 80, false},
        {"SHLR", "收货联系人", 80, false},   {"SHLH", "收货联系电话", 100, false},
        {"SHDZ", "收货人地址", 160, false},  {"SHDZ2", "收货人地址2", 160, false},
        {"SHYB", "收货邮编", 70, false},     {"FKLR", "付款联系人", 80, false},
        {"FKLH", "付款联系电话", 100, false},
    };
    for (const auto &c : orderColumns)
        orders.addField(QString::fromLatin1(c.field), QString::fromUtf8(c.title), c.width).visible = c.visible;
    m_dbgOrder->setColumns(orders);
    m_dbgOrder->setDataSet(&m_dsOther);
    m_dbgOrder->setPopupOptions(0, 1, false);

    m_dbgOrderMx = makeGrid("DbgOrder_Mx", QStringLiteral("订单明细"));
    GridColumns rows;
    const struct {
        const char *field, *title;
        int width;
    } rowColumns[] = {
        {"SM", "书名", 260}, {"TM", "条码", 110},     {"ZBH", "征订序号", 80},
        {"YC", "印次", 40},  {"ZZ", "作者", 100},     {"SL", "订购数量", 70},
        {"DJ", "定价", 64},  {"MY", "订购码洋", 80},  {"ISBN", "ISBN", 110},
    };
    for (const auto &c : rowColumns)
        rows.addField(QString::fromLatin1(c.field), QString::fromUtf8(c.title), c.width);
    m_dbgOrderMx->setColumns(rows);
    m_dbgOrderMx->setDataSet(&m_dsOrderMx);
    m_dbgOrderMx->setOpensDetail(true);
    m_dbgOrderMx->setPopupOptions(0, 0, false);

    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(m_dbgOrder, 2);
    layout->addWidget(m_dbgOrderMx, 3);
    layout->addWidget(totalsBox(page, m_mxCount, m_mxSl, m_mxMy, "LbMx"));
    return page;
}

QWidget *TFrmOrderDo::buildDonePage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tb8"));
    QFont big = font();
    big.setPixelSize(16);
    const auto style = [&](auto *l, const char *name) {
        l->setObjectName(QString::fromLatin1(name));
        l->setFont(big);
        l->setWordWrap(true);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return l;
    };
    const auto line = [&](const char *name, const QString &text) { return style(new QLabel(text, page), name); };
    m_lbDone = line("LbDone", QString());
    const QString count = QStringLiteral("您此次订购的书目总数为："),
                  batch = QStringLiteral("您此次订购书目的订单流水号为："),
                  orders = QStringLiteral("您此次订购操作生成订单数量为：");
    m_lbCount = style(new ValueLabel(count, page), "LbCount");
    m_lbOrderNo = style(new ValueLabel(batch, page), "LbOrderNo");
    m_lbOrderCount = style(new ValueLabel(orders, page), "LbOrderCount");
    m_lbUnsent = line("LbUnsent", QString());
    QPalette red = m_lbUnsent->palette();
    red.setColor(QPalette::WindowText, QColor(0xB0, 0x00, 0x00));
    m_lbUnsent->setPalette(red);
    const auto pair = [&](const QString &caption, QLabel *value) {
        auto *row = new QHBoxLayout;
        auto *c = line("", caption);
        c->setWordWrap(false);
        c->setBuddy(value);
        QPalette blue = value->palette();
        blue.setColor(QPalette::WindowText, GridColours::TabActive);
        value->setPalette(blue);
        row->addWidget(c);
        row->addWidget(value, 1);
        return row;
    };
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(60, 50, 60, 40);
    layout->setSpacing(18);
    layout->addWidget(m_lbDone);
    layout->addLayout(pair(count, m_lbCount));
    layout->addLayout(pair(batch, m_lbOrderNo));
    layout->addLayout(pair(orders, m_lbOrderCount));
    layout->addWidget(m_lbUnsent);
    layout->addWidget(line("LbQuery", QStringLiteral("如果需要查看生成订单情况，请在\"订单查询\"模块中进行查询。")));
    layout->addStretch(1);
    return page;
}

QWidget *TFrmOrderDo::buildBottomBar()
{
    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("PlBottom"));
    auto *note = new QPlainTextEdit(bar);
    note->setObjectName(QStringLiteral("MmStep"));
    note->setAccessibleName(QStringLiteral("订购步骤"));
    note->setReadOnly(true);
    note->setFocusPolicy(Qt::NoFocus);
    note->setFrameShape(QFrame::NoFrame);
    note->setPlainText(QStringLiteral("订购步骤：1.修改书目的订购数量; 2.输入订货信息;\n"
                                      "          3.确认信息完整性;     4.订购完成信息显示"));
    QPalette purple = note->palette();
    purple.setColor(QPalette::Text, QColor(0x80, 0x00, 0x80));
    purple.setColor(QPalette::Base, GridColours::Window);
    note->setPalette(purple);
    note->setFixedHeight(QFontMetrics(note->font()).lineSpacing() * 2 + 10);
    note->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    note->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    m_btnDel = captionedButton(bar, QStringLiteral("BtnDel"), QStringLiteral("删除(&D)"), ButtonWidth);
    m_btnPre = captionedButton(bar, QStringLiteral("BtnPre"), QStringLiteral("上一步(&P)"), ButtonWidth);
    m_btnNext = captionedButton(bar, QStringLiteral("BtnNext"), QStringLiteral("下一步(&N)"), ButtonWidth);
    m_btnClose = captionedButton(bar, QStringLiteral("BtnClose"), QStringLiteral("关闭(&C)"), ButtonWidth);
    // The buttons wrap onto further rows in a narrow window.
    auto *buttons = new ButtonFlowLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(8);
    for (QPushButton *b : {m_btnDel, m_btnPre, m_btnNext, m_btnClose})
        buttons->insertWidget(-1, b);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(6, 4, 8, 6);
    row->setSpacing(8);
    row->addWidget(note, 1);
    row->addLayout(buttons);
    return bar;
}
