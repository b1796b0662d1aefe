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

using P = OrderParties;

const PartyField Fields[] = {
    {"EdtUno_Dh", "订货人编号", 10, &P::ordererNo, nullptr, false},
    {"EdtName_Dh", "订货人名称", 100, &P::ordererName, "请填写订货人名称", true},
    {"EdtLxr_Dh", "订货联系人", 30, &P::ordererContact, "请填写订货联系人", true},
    {"EdtTel_Dh", "订货人电话", 60, &P::ordererTel, "请填写订货人联系电话", true},
    {"EdtJbr_Dh", "订货经办人", 30, &P::ordererClerk, nullptr, false},
    {"EdtUno_Sh", "收货人编号", 20, &P::consigneeNo, nullptr, false},
    {"EdtName_Sh", "收货人名称", 100, &P::consigneeName, "请填写收货人名称", true},
    {"EdtLxr_Sh", "收货联系人", 30, &P::consigneeContact, "请填写收货联系人", true},
    {"EdtTel_Sh", "收货人电话", 60, &P::consigneeTel, "请填写收货人电话", true},
    {"EdtCode_Sh", "收货邮编", 15, &P::consigneeZip, "请填写收货人邮编", true},
    {"EdtAdd_Sh", "收货地址", 80, &P::consigneeAddress, "请填写收货人地址", true},
    {"EdtAdd2_Sh", "收货地址2", 80, &P::consigneeAddress2, nullptr, true},
    {"EdtUno_Fk", "付款人编号", 20, &P::payerNo, nullptr, false},
    {"EdtName_Fk", "付款人名称", 100, &P::payerName, "请填写付款人名称", true},
    {"EdtLxr_Fk", "付款联系人", 30, &P::payerContact, "请填写付款联系人", true},
    {"EdtTel_Fk", "付款人电话", 60, &P::payerTel, "请填写付款人电话", true},
    {"EdtFhfs", "发货方式", 20, &P::shippingMethod, nullptr, false},
    {"EdtDz", "发货到站", 20, &P::station, nullptr, false},
    {"EdtFkfs", "付款方式", 30, &P::payment, nullptr, false},
    {"EdtJsfs", "结算方式", 30, &P::settlement, nullptr, false},
};

} // namespace

std::span<const PartyField> PartyFields()
{
    return Fields;
}

const PartyField *PartyFieldOf(const QString &edit)
{
    for (const PartyField &f : Fields)
        if (edit == QLatin1String(f.edit))
            return &f;
    return nullptr;
}

QHash<QString, QString> PartyTexts(const OrderParties &parties)
{
    QHash<QString, QString> texts;
    for (const PartyField &f : Fields)
        texts.insert(QString::fromLatin1(f.edit), parties.*f.member);
    return texts;
}

OrderParties PartiesFromTexts(const QHash<QString, QString> &texts, const QString &remarks)
{
    OrderParties p;
    for (const PartyField &f : Fields)
        p.*f.member = Sql::boundText(texts.value(QString::fromLatin1(f.edit)));
    p.remarks = Sql::boundText(remarks);
    return p;
}

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

const PartyField *MissingPartyField(const OrderParties &p)
{
    for (const PartyField &f : Fields)
        if (f.missing && (p.*f.member).isEmpty())
            return &f;
    return nullptr;
}

QString MissingPartyMessage(const OrderParties &p)
{
    const PartyField *missing = MissingPartyField(p);
    return missing ? QString::fromUtf8(missing->missing) : QString();
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
