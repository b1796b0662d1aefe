// The parties of an order: defaults from the unit record and the remembered consignee and
// payer, the required fields, and replacing the remembered parties in one piece.
#include "order_fixture.h"

#include "common/app_error.h"
#include "order/order_making.h"
#include "order/order_parties.h"

namespace {

class OrderPartiesTest : public OrderDbTest {
protected:
    void setUnit()
    {
        Sql::exec(db, QStringLiteral("insert into bookstore (bno,bname,contact,tele,zipcode,address)"
                                     " values ('B01','读者''之友书店','王一','010-1','100001','东街 1 号')"));
    }
    void addParty(const char *cls, const char *state, const char *def, const QString &name)
    {
        Sql::exec(db,
                  QStringLiteral("insert into decltrla (uno,uname,addr,addr2,contact,zip,tel,state,def,cls)"
                                 " values ('7',?,'西路','二层','联系人','200002','021-2',?,?,?)"),
                  {name, QString::fromLatin1(state), QString::fromLatin1(def), QString::fromLatin1(cls)});
    }
    QStringList parties()
    {
        return rows(QStringLiteral("select cls,uno,uname,addr,addr2,contact,zip,tel,def,state"
                                   " from decltrla order by cls"));
    }
};

OrderParties filled()
{
    OrderParties p;
    p.ordererNo = QStringLiteral("B01");
    p.ordererName = QStringLiteral("读者'之友书店");
    p.ordererContact = QStringLiteral("王'一");
    p.ordererTel = QStringLiteral("010-1");
    p.consigneeNo = QStringLiteral("1");
    p.consigneeName = QStringLiteral("第一'中学");
    p.consigneeContact = QStringLiteral("李二");
    p.consigneeTel = QStringLiteral("020-2");
    p.consigneeZip = QStringLiteral("100001");
    p.consigneeAddress = QStringLiteral("东街'1号");
    p.consigneeAddress2 = QStringLiteral("");
    p.payerNo = QStringLiteral("1");
    p.payerName = QStringLiteral("教育局");
    p.payerContact = QStringLiteral("张三");
    p.payerTel = QStringLiteral("030-3");
    return p;
}

TEST_F(OrderPartiesTest, DefaultsComeFromTheUnitAndTheRememberedParties)
{
    // No unit record, no remembered parties: only the party numbers are set.
    OrderParties none;
    none.consigneeNo = QStringLiteral("1");
    none.payerNo = QStringLiteral("1");
    EXPECT_EQ(LoadDefaultParties(db), none);

    // A unit record alone: the consignee and the payer are the orderer.
    setUnit();
    // Rows that are not defaults in use are never offered.
    addParty("SHR", "N", "N", QStringLiteral("不是默认"));
    addParty("SHR", "X", "Y", QStringLiteral("不在使用"));
    addParty("FKR", "N", "N", QStringLiteral("不是默认"));
    const OrderParties unitOnly = LoadDefaultParties(db);
    EXPECT_EQ(unitOnly.ordererNo, QStringLiteral("B01"));
    EXPECT_EQ(unitOnly.ordererName, QStringLiteral("读者'之友书店"));
    EXPECT_EQ(unitOnly.ordererContact, QStringLiteral("王一"));
    EXPECT_EQ(unitOnly.ordererTel, QStringLiteral("010-1"));
    EXPECT_EQ(unitOnly.consigneeNo, QStringLiteral("1"));
    EXPECT_EQ(unitOnly.consigneeName, unitOnly.ordererName);
    EXPECT_EQ(unitOnly.consigneeContact, unitOnly.ordererContact);
    EXPECT_EQ(unitOnly.consigneeTel, unitOnly.ordererTel);
    EXPECT_EQ(unitOnly.consigneeZip, QStringLiteral("100001"));
    EXPECT_EQ(unitOnly.consigneeAddress, QStringLiteral("东街 1 号"));
    EXPECT_EQ(unitOnly.consigneeAddress2, QString());
    EXPECT_EQ(unitOnly.payerNo, QStringLiteral("1"));
    EXPECT_EQ(unitOnly.payerName, unitOnly.ordererName);
    EXPECT_EQ(unitOnly.payerTel, unitOnly.ordererTel);

    // Remembered defaults in use win.
    addParty("SHR", "N", "Y", QStringLiteral("第一中学"));
    addParty("FKR", "N", "Y", QStringLiteral("教育局"));
    const OrderParties remembered = LoadDefaultParties(db);
    EXPECT_EQ(remembered.ordererName, QStringLiteral("读者'之友书店"));
    EXPECT_EQ(remembered.consigneeNo, QStringLiteral("7"));
    EXPECT_EQ(remembered.consigneeName, QStringLiteral("第一中学"));
    EXPECT_EQ(remembered.consigneeAddress, QStringLiteral("西路"));
    EXPECT_EQ(remembered.consigneeAddress2, QStringLiteral("二层"));
    EXPECT_EQ(remembered.consigneeContact, QStringLiteral("联系人"));
    EXPECT_EQ(remembered.consigneeZip, QStringLiteral("200002"));
    EXPECT_EQ(remembered.consigneeTel, QStringLiteral("021-2"));
    EXPECT_EQ(remembered.payerNo, QStringLiteral("7"));
    EXPECT_EQ(remembered.payerName, QStringLiteral("教育局"));
    EXPECT_EQ(remembered.payerContact, QStringLiteral("联系人"));
    EXPECT_EQ(remembered.payerTel, QStringLiteral("021-2"));
}

TEST_F(OrderPartiesTest, SavingReplacesThePartiesAndRewritesTheUnit)
{
    setUnit();
    addParty("SHR", "N", "Y", QStringLiteral("旧收货人"));
    addParty("FKR", "N", "Y", QStringLiteral("旧付款人"));
    addParty("XYZ", "N", "N", QStringLiteral("别的"));

    const OrderParties p = filled();
    SaveDefaultParties(db, p);
    EXPECT_EQ(parties(), (QStringList{QStringLiteral("FKR|1|教育局|<null>|<null>|张三|<null>|030-3|Y|N"),
                                      QStringLiteral("SHR|1|第一'中学|东街'1号||李二|100001|020-2|Y|N"),
                                      QStringLiteral("XYZ|7|别的|西路|二层|联系人|200002|021-2|N|N")}));
    EXPECT_EQ(rows(QStringLiteral("select bno,bname,contact,tele,zipcode,address from bookstore")),
              QStringList{QStringLiteral("B01|读者'之友书店|王'一|010-1|100001|东街 1 号")});
    EXPECT_EQ(LoadDefaultParties(db), p);
}

// Saving replaces only the default consignee and payer in use; every other party (other
// classes, rows that are not defaults, rows not in use) stays, and a party's number read from
// the table goes into the orders and back into the table.
TEST_F(OrderPartiesTest, SavingReplacesOnlyTheDefaultsAndKeepsTheirNumbers)
{
    const struct {
        const char *what;
        const char *cls, *state, *def;
        bool stays;
    } rowsBefore[] = {
        {"default consignee", "SHR", "N", "Y", false},
        {"default payer", "FKR", "N", "Y", false},
        {"another consignee", "SHR", "N", "N", true},
        {"a payer not in use", "FKR", "X", "Y", true},
        {"another class", "GHS", "N", "Y", true},
    };
    QStringList staying;
    for (const auto &r : rowsBefore) {
        Sql::exec(db,
                  QStringLiteral("insert into decltrla (uno,uname,state,def,cls) values (?,?,?,?,?)"),
                  {QStringLiteral("S07"), QString::fromUtf8(r.what), QString::fromLatin1(r.state),
                   QString::fromLatin1(r.def), QString::fromLatin1(r.cls)});
        if (r.stays)
            staying << QStringLiteral("%1|%2|%3").arg(QString::fromLatin1(r.cls), QString::fromUtf8(r.what),
                                                     QString::fromLatin1(r.def));
    }
    const OrderParties loaded = LoadDefaultParties(db);
    EXPECT_EQ(loaded.consigneeNo, QStringLiteral("S07"));
    EXPECT_EQ(loaded.payerNo, QStringLiteral("S07"));

    OrderParties p = loaded;
    p.consigneeName = QStringLiteral("新收货人");
    p.payerName = QStringLiteral("新付款人");
    const OrderParties ordered = PartiesForOrder(p);
    EXPECT_EQ(ordered.consigneeNo, QStringLiteral("S07"));
    EXPECT_EQ(ordered.payerNo, QStringLiteral("S07"));
    SaveDefaultParties(db, ordered);

    QStringList expected = staying;
    expected << QStringLiteral("FKR|新付款人|Y") << QStringLiteral("SHR|新收货人|Y");
    expected.sort();
    QStringList after = rows(QStringLiteral("select cls,uname,def from decltrla"));
    after.sort();
    EXPECT_EQ(after, expected);
    EXPECT_EQ(rows(QStringLiteral("select distinct uno from decltrla")), QStringList{QStringLiteral("S07")});
    EXPECT_EQ(LoadDefaultParties(db), ordered);

    // Without a number (nothing remembered) the parties are number "1".
    OrderParties unnumbered = ordered;
    unnumbered.consigneeNo.clear();
    unnumbered.payerNo = QStringLiteral(" ");
    EXPECT_EQ(PartiesForOrder(unnumbered).consigneeNo, QStringLiteral("1"));
    EXPECT_EQ(PartiesForOrder(unnumbered).payerNo, QStringLiteral("1"));
}

TEST_F(OrderPartiesTest, AnEmptyUnitTableStaysEmpty)
{
    SaveDefaultParties(db, filled());
    EXPECT_EQ(count(QStringLiteral("bookstore")), 0);
    EXPECT_EQ(count(QStringLiteral("decltrla")), 2);
}

TEST_F(OrderPartiesTest, AFailedSaveKeepsTheEarlierPartiesAndUnit)
{
    const struct {
        const char *step;
        const char *trigger;
    } cases[] = {
        {"payer insert", "create trigger fail before insert on decltrla when new.cls='FKR'"
                         " begin select raise(abort,'refused'); end"},
        {"consignee insert", "create trigger fail before insert on decltrla when new.cls='SHR'"
                             " begin select raise(abort,'refused'); end"},
        {"delete", "create trigger fail before delete on decltrla"
                   " begin select raise(abort,'refused'); end"},
    };
    setUnit();
    addParty("SHR", "N", "Y", QStringLiteral("旧收货人"));
    addParty("FKR", "N", "Y", QStringLiteral("旧付款人"));
    const QStringList before = parties();
    const QStringList unitBefore = rows(QStringLiteral("select * from bookstore"));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.step);
        Sql::exec(db, QString::fromLatin1(c.trigger));
        EXPECT_THROW(SaveDefaultParties(db, filled()), AppError);
        EXPECT_EQ(parties(), before);
        EXPECT_EQ(rows(QStringLiteral("select * from bookstore")), unitBefore);
        EXPECT_EQ(Sql::transactionDepth(db), 0);
        Sql::exec(db, QStringLiteral("drop trigger fail"));
    }
}

TEST_F(OrderPartiesTest, TheFirstEmptyRequiredFieldIsNamed)
{
    const struct {
        QString OrderParties::*field;
        const char *message;
    } cases[] = {
        {&OrderParties::ordererName, "请填写订货人名称"},
        {&OrderParties::ordererContact, "请填写订货联系人"},
        {&OrderParties::ordererTel, "请填写订货人联系电话"},
        {&OrderParties::consigneeName, "请填写收货人名称"},
        {&OrderParties::consigneeContact, "请填写收货联系人"},
        {&OrderParties::consigneeTel, "请填写收货人电话"},
        {&OrderParties::consigneeZip, "请填写收货人邮编"},
        {&OrderParties::consigneeAddress, "请填写收货人地址"},
        {&OrderParties::payerName, "请填写付款人名称"},
        {&OrderParties::payerContact, "请填写付款联系人"},
        {&OrderParties::payerTel, "请填写付款人电话"},
    };
    EXPECT_EQ(MissingPartyMessage(filled()), QString());
    OrderParties blanks = filled();
    blanks.payerTel = QStringLiteral(" ");   // blanks count as content
    blanks.consigneeAddress2.clear();        // the second address line is optional
    EXPECT_EQ(MissingPartyMessage(blanks), QString());

    OrderParties allEmpty;
    EXPECT_EQ(MissingPartyMessage(allEmpty), QStringLiteral("请填写订货人名称"));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
        OrderParties p = filled();
        (p.*c.field).clear();
        EXPECT_EQ(MissingPartyMessage(p), QString::fromUtf8(c.message));
    }
}

TEST_F(OrderPartiesTest, ThePostcodeIsSixDigits)
{
    const struct {
        const char *zip;
        bool taken;
    } cases[] = {
        {"430070", true},   {"000000", true},    {"", true},   // empty: the required-field check's
        {"43007a", false},  {"43007", false},    {"4300701", false},
        {" 430070", false}, {"430 070", false},  {"４３００７０", false}, {"-43007", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.zip);
        OrderParties p = filled();
        p.consigneeZip = QString::fromUtf8(c.zip);
        const QString message = MalformedPartyMessage(p);
        if (c.taken) {
            EXPECT_EQ(message, QString());
        } else {
            EXPECT_TRUE(message.startsWith(QStringLiteral("收货邮编"))) << message.toStdString();
            EXPECT_TRUE(message.contains(p.consigneeZip)) << message.toStdString();
        }
    }
}

// The wizard's edits and OrderParties meet in one table: what the edits hold comes back whole,
// and each edit's text reaches the order column of its own field.
TEST_F(OrderPartiesTest, TheEditsRoundTripThroughTheParties)
{
    OrderParties p;
    int n = 0;
    for (const PartyField &f : PartyFields())
        p.*f.member = QStringLiteral("值%1").arg(++n);
    p.remarks = QStringLiteral("备注");
    OrderParties everyMember = filled();
    everyMember.ordererClerk = QStringLiteral("经办");
    everyMember.consigneeAddress2 = QStringLiteral("二楼");
    everyMember.settlement = QStringLiteral("月结");
    everyMember.payment = QStringLiteral("转账");
    everyMember.shippingMethod = QStringLiteral("邮寄");
    everyMember.station = QStringLiteral("北站");
    everyMember.remarks = QStringLiteral("急");
    for (const OrderParties &parties : {p, everyMember}) {
        const QHash<QString, QString> texts = PartyTexts(parties);
        EXPECT_EQ(texts.size(), int(PartyFields().size()));   // one edit per field
        EXPECT_EQ(PartiesFromTexts(texts, parties.remarks), parties);
    }
    // Missing texts come back empty, not null: they are bound as text.
    const OrderParties none = PartiesFromTexts({}, QString());
    EXPECT_FALSE(none.consigneeAddress2.isNull());
    EXPECT_FALSE(none.remarks.isNull());
}

TEST_F(OrderPartiesTest, EachEditReachesItsOrderColumn)
{
    addLine(QStringLiteral("A1"), QStringLiteral("一"), 10.0, 2, QStringLiteral("G1"), QStringLiteral("甲"));
    QHash<QString, QString> texts;
    for (const PartyField &f : PartyFields())
        texts.insert(QString::fromLatin1(f.edit), QString::fromLatin1(f.edit).toLower());
    MakeOrders(db, QStringLiteral(""), PartiesFromTexts(texts, QStringLiteral("备注")), {{QStringLiteral("A1"), 2}});
    const struct {
        const char *edit, *column;
    } cases[] = {
        {"EdtUno_Dh", "dhrh"},  {"EdtName_Dh", "dhrm"}, {"EdtLxr_Dh", "dhlr"},  {"EdtTel_Dh", "dhlh"},
        {"EdtJbr_Dh", "dhjb"},  {"EdtUno_Sh", "shrh"},  {"EdtName_Sh", "shrm"}, {"EdtLxr_Sh", "shlr"},
        {"EdtTel_Sh", "shlh"},  {"EdtCode_Sh", "shyb"}, {"EdtAdd_Sh", "shdz"},  {"EdtAdd2_Sh", "shdz2"},
        {"EdtUno_Fk", "fkrh"},  {"EdtName_Fk", "fkrm"}, {"EdtLxr_Fk", "fklr"},  {"EdtTel_Fk", "fklh"},
        {"EdtFhfs", "fhfs"},    {"EdtDz", "fhdz"},      {"EdtFkfs", "fkfs"},    {"EdtJsfs", "jsfs"},
    };
    ASSERT_EQ(std::size(cases), PartyFields().size());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.edit);
        ASSERT_NE(PartyFieldOf(QString::fromLatin1(c.edit)), nullptr);
        EXPECT_EQ(rows(QStringLiteral("select %1 from deorder").arg(QString::fromLatin1(c.column))),
                  QStringList{QString::fromLatin1(c.edit).toLower()});
    }
    EXPECT_EQ(rows(QStringLiteral("select bz from deorder")), QStringList{QStringLiteral("备注")});
}

} // namespace
