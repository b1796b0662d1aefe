#include "order/order_text.h"

#include "common/app_error.h"
#include "common/gbk_codec.h"
#include "common/whole_file.h"
#include "data/number_text.h"


namespace OrderText {
namespace {

// Keeps a value inside its field and on its line.
QString cell(const QString &value)
{
    QString out = value;
    for (QChar &c : out)
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
    return out;
}

QString cell(const std::optional<double> &number)
{
    return number ? NumberText::plain(*number) : QString();
}

} // namespace

QString text(const OrderDocument &order, OrderSource source)
{
    const OrderHeader &h = order.header;
    // The second address line goes on the address line after a blank, so the shape holds.
    QString address = h.shdz;
    if (!h.shdz2.trimmed().isEmpty())
        address = address.isEmpty() ? h.shdz2 : address + u' ' + h.shdz2;
    const QString tab = QStringLiteral("\t");
    const QString eol = QStringLiteral("\r\n");
    const std::pair<const char16_t *, const QString *> labelled[] = {
        {u"订货单号：", &h.dhdh},   {u"订货日期：", &h.dhrq},   {u"订货人编号：", &h.dhrh},
        {u"订货人名称：", &h.dhrm}, {u"订货联系人：", &h.dhlr}, {u"订货人电话：", &h.dhlh},
        {u"收货人编号：", &h.shrh}, {u"收货人名称：", &h.shrm}, {u"收货联系人：", &h.shlr},
        {u"收货人电话：", &h.shlh}, {u"收货人地址：", &address}, {u"收货人邮编：", &h.shyb},
        {u"付款人编号：", &h.fkrh}, {u"付款人名称：", &h.fkrm}, {u"付款联系人：", &h.fklr},
        {u"付款人电话：", &h.fklh}, {u"结算方式：", &h.jsfs},   {u"付款方式：", &h.fkfs},
        {u"发货方式：", &h.fhfs},   {u"发货到站：", &h.fhdz},   {u"要求发货日期：", &h.fhrq},
    };

    const bool query = source == OrderSource::Query;
    QString out;
    out += OrderNames::title(source) + eol;
    for (const auto &[label, value] : labelled)
        out += QString::fromUtf16(label) + tab + cell(*value) + eol;
    out += QStringLiteral("备注：") + cell(h.bz) + eol;
    out += QStringLiteral(" ") + eol;
    out += query ? QStringLiteral("征定号\t书名\tISBN\t版别\t订购数量\t定价\t码洋")
                 : QStringLiteral("征订号\t书名\tISBN\t版别\t订购数量");
    out += eol;
    for (const OrderRow &row : order.rows) {
        out += cell(row.zbh) + tab + cell(row.sm) + tab + cell(row.isbn) + tab + cell(row.cbmc)
               + tab + cell(row.sl);
        if (query)
            out += tab + cell(row.dj) + tab + cell(row.my);
        out += eol;
    }
    return out;
}

QByteArray render(const OrderDocument &order, OrderSource source)
{
    return Gbk::encode(text(order, source));
}

void writeFile(const QString &path, const OrderDocument &order, OrderSource source)
{
    // Complete or absent, with the reason in Chinese.
    WholeFile::writeOrThrow(path, render(order, source));
}

} // namespace OrderText
