#include "order/order_report.h"

#include "common/app_error.h"
#include "common/program_paths.h"
#include "data/dataset.h"
#include "data/number_text.h"

#include <utility>

namespace {

QString number(const std::optional<double> &value)
{
    return value ? NumberText::plainValue(*value) : QString();
}

std::optional<double> amountOf(const OrderRow &row)
{
    if (row.my)
        return row.my;
    if (row.dj && row.sl)
        return *row.dj * *row.sl;
    return std::nullopt;
}

} // namespace

OrderReport::OrderReport(OrderDocument document) : m_document(std::move(document)) {}

OrderReport OrderReport::load(const QSqlDatabase &db, const QString &orderNumber)
{
    return OrderReport(OrderDocument::load(db, orderNumber, QStringLiteral("tm")));
}

QString OrderReport::layoutPath()
{
    return ProgramPaths::resolve(QStringLiteral("Order.layout"));
}

int OrderReport::count() const
{
    return int(m_document.rows.size());
}

QString OrderReport::text(int row, const QString &field) const
{
    const OrderRow &r = m_document.rows.at(row);
    const QString f = field.toLower();
    if (f == u"sm")
        return r.sm;
    if (f == u"tm")
        return r.tm;
    if (f == u"isbn")
        return r.isbn;
    if (f == u"code")
        return r.isbn.isEmpty() ? r.tm : r.isbn;
    if (f == u"zbh")
        return r.zbh;
    if (f == u"yc")
        return r.yc;
    if (f == u"zz")
        return r.zz;
    if (f == u"cbmc")
        return r.cbmc;
    if (f == u"sl")
        return number(r.sl);
    if (f == u"dj")
        return number(r.dj);
    if (f == u"my")
        return number(amountOf(r));
    throw AppError(QStringLiteral("订单明细没有字段“%1”").arg(field));
}

QHash<QString, QString> OrderReport::values() const
{
    const OrderHeader &h = m_document.header;
    QHash<QString, QString> v{
        {"dhdh", h.dhdh}, {"dhrq", h.dhrq}, {"dfdh", h.dfdh}, {"xsfh", h.xsfh}, {"xsfm", h.xsfm},
        {"jsfs", h.jsfs}, {"fkfs", h.fkfs}, {"dhrh", h.dhrh}, {"dhrm", h.dhrm}, {"dhlr", h.dhlr},
        {"dhlh", h.dhlh}, {"dhjb", h.dhjb}, {"shrh", h.shrh}, {"shrm", h.shrm}, {"shlr", h.shlr},
        {"shlh", h.shlh}, {"shdz", h.shdz}, {"shdz2", h.shdz2}, {"shyb", h.shyb},
        {"fkrh", h.fkrh}, {"fkrm", h.fkrm}, {"fklr", h.fklr}, {"fklh", h.fklh},
        {"fhfs", h.fhfs}, {"fhdz", h.fhdz}, {"fhrq", h.fhrq}, {"bz", h.bz}};
    double copies = 0;
    double amount = 0;
    for (const OrderRow &r : m_document.rows) {
        copies += r.sl.value_or(0);
        amount += amountOf(r).value_or(0);
    }
    v.insert(QStringLiteral("titles"), QString::number(m_document.rows.size()));
    v.insert(QStringLiteral("copies"), DataSet::formatNumber(copies, QStringLiteral("#,")));
    v.insert(QStringLiteral("amount"), DataSet::formatNumber(amount, QStringLiteral("#,.00;#,.00;0")));
    return v;
}

QString OrderReport::pdfName() const
{
    return QStringLiteral("订单%1.pdf").arg(m_document.header.dhdh);
}
