#include "order/order_parties_page_widget.h"

#include "grid/empty_field_painter.h"

#include <QDateEdit>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QValidator>
#include <QVBoxLayout>

namespace {

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

// The second address may stay empty: it is never coloured.
bool coloured(const QLineEdit *edit)
{
    return edit->objectName() != u"EdtAdd2_Sh";
}

} // namespace

OrderPartiesPage::OrderPartiesPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tb3"));
    for (const PartyField &f : PartyFields()) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(f.edit));
        e->setAccessibleName(QString::fromUtf8(f.label));
        e->setValidator(new WidthValidator(f.width, e));
        e->installEventFilter(this);
        // The shipping requirements and the numbers are kept on the page but never shown.
        if (!f.shown)
            e->hide();
        m_edits.append(e);
    }
    const auto group = [this](const QString &title, const QList<QPair<QString, const char *>> &rows) {
        auto *box = new QGroupBox(title, this);
        auto *grid = new QGridLayout(box);
        grid->setContentsMargins(12, 10, 12, 10);
        grid->setHorizontalSpacing(8);
        grid->setVerticalSpacing(8);
        int r = 0;
        for (const auto &[caption, name] : rows) {
            QLineEdit *e = edit(name);
            e->setParent(box);
            auto *label = new QLabel(caption, box);
            label->setBuddy(e);
            grid->addWidget(label, r, 0, Qt::AlignRight);
            grid->addWidget(e, r, 1);
            ++r;
        }
        grid->setColumnStretch(1, 1);
        return box;
    };
    m_dtpFhrq = new QDateEdit(this);
    m_dtpFhrq->setObjectName(QStringLiteral("DtpFhrq"));
    m_dtpFhrq->setAccessibleName(QStringLiteral("要求发货日期"));
    m_dtpFhrq->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_dtpFhrq->hide();
    m_mmNotes = new QPlainTextEdit(this);
    m_mmNotes->setObjectName(QStringLiteral("MmNotes"));
    m_mmNotes->setAccessibleName(QStringLiteral("备注"));
    m_mmNotes->hide();

    const QString name = QStringLiteral("名称："), contact = QStringLiteral("联系人："),
                  tel = QStringLiteral("联系电话：");
    auto *dh = group(QStringLiteral("订货人信息"), {{name, "EdtName_Dh"}, {contact, "EdtLxr_Dh"}, {tel, "EdtTel_Dh"}});
    auto *sh = group(QStringLiteral("收货人信息"), {{name, "EdtName_Sh"},
                                                    {contact, "EdtLxr_Sh"},
                                                    {tel, "EdtTel_Sh"},
                                                    {QStringLiteral("邮编："), "EdtCode_Sh"},
                                                    {QStringLiteral("地址："), "EdtAdd_Sh"},
                                                    {QStringLiteral("地址2："), "EdtAdd2_Sh"}});
    auto *fk = group(QStringLiteral("付款人信息"), {{name, "EdtName_Fk"}, {contact, "EdtLxr_Fk"}, {tel, "EdtTel_Fk"}});

    auto *left = new QVBoxLayout;
    left->addWidget(dh);
    left->addWidget(fk);
    left->addStretch(1);
    auto *right = new QVBoxLayout;
    right->addWidget(sh);
    right->addStretch(1);
    auto *columns = new QHBoxLayout(this);
    columns->setContentsMargins(16, 16, 16, 16);
    columns->setSpacing(16);
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    // Page 2 in reading order: orderer, payer, consignee.
    const char *order[] = {"EdtName_Dh", "EdtLxr_Dh", "EdtTel_Dh",  "EdtName_Fk", "EdtLxr_Fk", "EdtTel_Fk",
                           "EdtName_Sh", "EdtLxr_Sh", "EdtTel_Sh", "EdtCode_Sh", "EdtAdd_Sh", "EdtAdd2_Sh"};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(edit(order[i - 1]), edit(order[i]));
}

QLineEdit *OrderPartiesPage::edit(const char *name) const
{
    for (QLineEdit *e : m_edits)
        if (e->objectName() == QLatin1String(name))
            return e;
    return nullptr;
}

OrderParties OrderPartiesPage::parties() const
{
    QHash<QString, QString> texts;
    for (const QLineEdit *e : m_edits)
        texts.insert(e->objectName(), e->text());
    return PartiesFromTexts(texts, m_mmNotes->toPlainText());
}

void OrderPartiesPage::fill(const OrderParties &parties)
{
    const QHash<QString, QString> texts = PartyTexts(parties);
    for (QLineEdit *e : m_edits)
        e->setText(texts.value(e->objectName()));
    m_mmNotes->setPlainText(parties.remarks);
    for (QLineEdit *e : m_edits)
        if (coloured(e))
            EmptyFieldPainter::colour(e);
}

QString OrderPartiesPage::overlongParty(const QWidget *ancestor) const
{
    const auto fields = PartyFields();
    for (size_t i = 0; i < fields.size(); ++i) {
        QLineEdit *e = m_edits[int(i)];
        if (e->text().size() > fields[i].width) {
            if (e->isVisibleTo(ancestor))
                e->setFocus();
            return QStringLiteral("%1最多 %2 个字，现有 %3 个字，请修改")
                .arg(QString::fromUtf8(fields[i].label))
                .arg(fields[i].width)
                .arg(e->text().size());
        }
    }
    if (m_mmNotes->toPlainText().size() > 120)
        return QStringLiteral("备注最多 120 个字，请修改");
    return {};
}

void OrderPartiesPage::focusMissing()
{
    if (const PartyField *missing = MissingPartyField(parties()))
        edit(missing->edit)->setFocus();
}

void OrderPartiesPage::focusPostcode()
{
    edit("EdtCode_Sh")->setFocus();
}

void OrderPartiesPage::focusFirst()
{
    edit("EdtName_Dh")->setFocus();
}

QDate OrderPartiesPage::shippingDate() const
{
    return m_dtpFhrq->date();
}

void OrderPartiesPage::setShippingDate(const QDate &date)
{
    m_dtpFhrq->setDate(date);
}

bool OrderPartiesPage::eventFilter(QObject *watched, QEvent *event)
{
    auto *edit = qobject_cast<QLineEdit *>(watched);
    if (!edit)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        // Enter moves on to the next control; it acts on the press, so the release that closed
        // a message box does nothing.
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            focusNextPrevChild(true);
            return true;
        }
        break;
    }
    case QEvent::FocusOut:
        if (coloured(edit))
            EmptyFieldPainter::colour(edit);
        break;
    case QEvent::FocusIn:
        if (edit->objectName() == u"EdtName_Dh")
            EmptyFieldPainter::colour(edit);
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
