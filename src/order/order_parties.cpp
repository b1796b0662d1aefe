#include "order/order_parties.h"

#include "data/bound_text.h"
#include "data/sql_helper.h"

#include <QSqlQuery>
#include <algorithm>

namespace {

QString column(const QSqlQuery &q, int index)
{
    return Sql::boundText(q.value(index).toString());
}

} // namespace

OrderParties LoadDefaultParties(const QSqlDatabase &db)
{
    OrderParties p;
    QString unitZip, unitAddress;
    {
        QSqlQuery q = Sql::exec(
            db, QStringLiteral("select bno,bname,contact,tele,zipcode,address from bookstore"));
        if (q.next()) {
            p.ordererNo = column(q, 0);
            p.ordererName = column(q, 1);
            p.ordererContact = column(q, 2);
            p.ordererTel = column(q, 3);
            unitZip = column(q, 4);
            unitAddress = column(q, 5);
        }
    }
    {
        QSqlQuery q = Sql::exec(db, QStringLiteral(
            "select uno,uname,contact,addr,addr2,zip,tel from decltrla"
            " where cls='SHR' and state='N' and def='Y'"));
        if (q.next()) {
            p.consigneeNo = column(q, 0);
            p.consigneeName = column(q, 1);
            p.consigneeContact = column(q, 2);
            p.consigneeAddress = column(q, 3);
            p.consigneeAddress2 = column(q, 4);
            p.consigneeZip = column(q, 5);
            p.consigneeTel = column(q, 6);
        } else {
            p.consigneeNo = QStringLiteral("1");
            p.consigneeName = p.ordererName;
            p.consigneeContact = p.ordererContact;
            p.consigneeTel = p.ordererTel;
            p.consigneeZip = unitZip;
            p.consigneeAddress = unitAddress;
        }
    }
    {
        QSqlQuery q = Sql::exec(db, QStringLiteral(
            "select uno,uname,contact,tel from decltrla where cls='FKR' and state='N' and def='Y'"));
        if (q.next()) {
            p.payerNo = column(q, 0);
            p.payerName = column(q, 1);
            p.payerContact = column(q, 2);
            p.payerTel = column(q, 3);
        } else {
            p.payerNo = QStringLiteral("1");
            p.payerName = p.ordererName;
            p.payerContact = p.ordererContact;
            p.payerTel = p.ordererTel;
        }
    }
    return p;
}

QString MissingPartyMessage(const OrderParties &p)
{
    const struct {
        const QString &value;
        const char *message;
    } required[] = {
        {p.ordererName, "请填写订货人名称"},     {p.ordererContact, "请填写订货联系人"},
        {p.ordererTel, "请填写订货人联系电话"},  {p.consigneeName, "请填写收货人名称"},
        {p.consigneeContact, "请填写收货联系人"}, {p.consigneeTel, "请填写收货人电话"},
        {p.consigneeZip, "请填写收货人邮编"},    {p.consigneeAddress, "请填写收货人地址"},
        {p.payerName, "请填写付款人名称"},       {p.payerContact, "请填写付款联系人"},
        {p.payerTel, "请填写付款人电话"},
    };
    for (const auto &r : required)
        if (r.value.isEmpty())
            return QString::fromUtf8(r.message);
    return QString();
}

QString MalformedPartyMessage(const OrderParties &p)
{
    const QString &zip = p.consigneeZip;
    const bool sixDigits = zip.size() == 6
                           && std::all_of(zip.begin(), zip.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!zip.isEmpty() && !sixDigits)
        return QStringLiteral("收货邮编应为 6 位数字，现为\"%1\"，请修改").arg(zip);
    return QString();
}

OrderParties PartiesForOrder(OrderParties parties)
{
    if (parties.consigneeNo.trimmed().isEmpty())
        parties.consigneeNo = QStringLiteral("1");
    if (parties.payerNo.trimmed().isEmpty())
        parties.payerNo = QStringLiteral("1");
    return parties;
}

void SaveDefaultParties(const QSqlDatabase &db, const OrderParties &p)
{
    Sql::Transaction transaction(db);
    Sql::exec(db, QStringLiteral("update bookstore set bname=?,contact=?,tele=?"),
              {Sql::boundText(p.ordererName), Sql::boundText(p.ordererContact), Sql::boundText(p.ordererTel)});
    // Only the two rows LoadDefaultParties reads are replaced; every other party stays.
    Sql::exec(db, QStringLiteral("delete from decltrla where cls in ('SHR','FKR') and def='Y' and state='N'"));
    Sql::exec(db,
              QStringLiteral("insert into decltrla (uno,uname,addr,addr2,contact,zip,tel,def,state,cls)"
                             " values (?,?,?,?,?,?,?,'Y','N','SHR')"),
              {Sql::boundText(p.consigneeNo), Sql::boundText(p.consigneeName), Sql::boundText(p.consigneeAddress),
               Sql::boundText(p.consigneeAddress2), Sql::boundText(p.consigneeContact), Sql::boundText(p.consigneeZip),
               Sql::boundText(p.consigneeTel)});
    Sql::exec(db,
              QStringLiteral("insert into decltrla (uno,uname,contact,tel,def,state,cls)"
                             " values (?,?,?,?,'Y','N','FKR')"),
              {Sql::boundText(p.payerNo), Sql::boundText(p.payerName), Sql::boundText(p.payerContact), Sql::boundText(p.payerTel)});
    transaction.commit();
}
