#include "order/order_confirm_page_widget.h"

#include "data/dataset.h"
#include "grid/grid_view.h"
#include "order/order_parties.h"

#include <QDate>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <array>

namespace {

// A read-only field whose value is too long for it shows the value's start, not its tail.
void showStart(QLineEdit *e)
{
    QObject::connect(e, &QLineEdit::textChanged, e, [e] { e->setCursorPosition(0); });
}

} // namespace

OrderConfirmPage::OrderConfirmPage(DataSet &books, PpMenu *popupMenu, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tb6"));
    // Cells fill rows of perRow; a cell of a wide caption (an address) takes a row of its own.
    // The first cells of a row (numbers, contacts) are short: the others get more room.
    const auto group = [this](const QString &title, const QList<QPair<QString, QWidget *>> &cells, int perRow,
                              const QStringList &wide = {}) {
        auto *box = new QGroupBox(title, this);
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
                     {{no, copyEdit("EdtUno_Dh")},
                      {name, copyEdit("EdtName_Dh")},
                      {contact, copyEdit("EdtLxr_Dh")},
                      {tel, copyEdit("EdtTel_Dh")}},
                     2);
    auto *fk = group(QStringLiteral("付款人信息"),
                     {{no, copyEdit("EdtUno_Fk")},
                      {name, copyEdit("EdtName_Fk")},
                      {contact, copyEdit("EdtLxr_Fk")},
                      {tel, copyEdit("EdtTel_Fk")}},
                     2);
    auto *sh = group(QStringLiteral("收货人信息"),
                     {{no, copyEdit("EdtUno_Sh")},
                      {name, copyEdit("EdtName_Sh")},
                      {contact, copyEdit("EdtLxr_Sh")},
                      {tel, copyEdit("EdtTel_Sh")},
                      {QStringLiteral("邮编："), copyEdit("EdtCode_Sh")},
                      {address, copyEdit("EdtAdd_Sh")},
                      {address2, copyEdit("EdtAdd2_Sh")}},
                     2, {address, address2});
    QList<QPair<QString, QWidget *>> shipping{{QStringLiteral("结算方式："), copyEdit("EdtJsfs")},
                                              {QStringLiteral("付款方式："), copyEdit("EdtFkfs")},
                                              {QStringLiteral("发货方式："), copyEdit("EdtFhfs")},
                                              {QStringLiteral("发货到站："), copyEdit("EdtDz")}};
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
    shipping << qMakePair(QStringLiteral("发货日期："), static_cast<QWidget *>(m_edtFhrqOk))
             << qMakePair(QStringLiteral("备注："), static_cast<QWidget *>(m_mmNotesOk));
    auto *fh = group(QStringLiteral("发货要求"), shipping, 1);

    m_grid = OrderWizardControls::grid(this, "DBGrid1", QStringLiteral("订购书目"), popupMenu);
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
    m_grid->setColumns(cols);
    m_grid->setDataSet(&books);
    m_grid->setOpensDetail(true);
    m_grid->setPopupOptions(1, 0, false);

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
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);
    layout->addWidget(m_totals.build(this, "LbHz"));
}

QLineEdit *OrderConfirmPage::copyEdit(const char *source)
{
    const PartyField *field = PartyFieldOf(QString::fromLatin1(source));
    auto *e = new QLineEdit(this);
    e->setObjectName(QString::fromLatin1(source) + QStringLiteral("_Ok"));
    e->setAccessibleName(QString::fromUtf8(field->label));
    e->setReadOnly(true);
    e->installEventFilter(this);
    showStart(e);
    m_copies.insert(QString::fromLatin1(source), e);
    return e;
}

void OrderConfirmPage::show(const OrderParties &parties, const QDate &shippingDate, const DataSet &totals)
{
    const QHash<QString, QString> texts = PartyTexts(parties);
    for (auto it = m_copies.cbegin(); it != m_copies.cend(); ++it)
        it.value()->setText(texts.value(it.key()));
    m_edtFhrqOk->setText(shippingDate.toString(QStringLiteral("yyyy-MM-dd")));
    m_mmNotesOk->setPlainText(parties.remarks);
    const auto total = [&totals](const char *field) {
        return totals.isOpen() && !totals.isEmpty() ? totals.value(0, QString::fromLatin1(field)) : QVariant();
    };
    m_totals.show(DataSet::formatNumber(total("ncount"), QStringLiteral("#,")), total("sl"), total("my"));
}

bool OrderConfirmPage::eventFilter(QObject *watched, QEvent *event)
{
    // Enter moves on to the next control, as on page 2.
    if (event->type() == QEvent::KeyPress && qobject_cast<QLineEdit *>(watched)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            focusNextPrevChild(true);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
