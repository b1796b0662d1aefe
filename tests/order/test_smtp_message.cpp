// The order mail as an Internet message, read back by Python's mail parser (an independent
// reader): Chinese subject, sender name and file names decoded to what was meant, the body and
// every attachment byte for byte, and lines that keep to the limits of the mail format.
#include "local_smtp.h"

#include "common/app_error.h"
#include "order/smtp_message.h"

#include <gtest/gtest.h>

namespace {

class SmtpMessageTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString attachment(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
};

QString repeated(const QString &text, int times)
{
    QString out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

TEST_F(SmtpMessageTest, ThePartsReadBackAsTheyWereMeant)
{
    // Bytes of every value, line ends and a dot at a line start among them.
    QByteArray binary;
    for (int i = 0; i < 2000; ++i)
        binary += char(i * 7 % 256);
    const QByteArray orderText = "图书征订单\r\n订货单号：\tD1\r\n.\r\n" + binary;
    const struct {
        const char *what;
        QString subject;
        QString senderName;
        const char *fromShown;   // the From field as the parser reads it
        QStringList names;
        QByteArray plainSubject; // the subject's raw field when it must stay unencoded
    } cases[] = {
        {"the order mail", QStringLiteral("图书征订单"), QStringLiteral("教材科"), "教材科 <orders@school.cn>",
         {QStringLiteral("图书征订单20260315143005.xls")}, {}},
        {"long texts, both attachments", repeated(QStringLiteral("二〇二六年春季教材征订 "), 6) + QStringLiteral("𠀀 end"),
         repeated(QStringLiteral("第一中学教材科"), 5),
         "第一中学教材科第一中学教材科第一中学教材科第一中学教材科第一中学教材科 <orders@school.cn>",
         {repeated(QStringLiteral("图书征定单"), 8) + QStringLiteral(" (1).xls"),
          QStringLiteral("订单 D1 工作簿.xlsx")}, {}},
        {"plain ASCII", QStringLiteral("Order D1"), QStringLiteral("Orders Office"), "Orders Office <orders@school.cn>",
         {QStringLiteral("order.xls")}, "Subject: Order D1\r\n"},
        {"ASCII that looks encoded", QStringLiteral("=?UTF-8?B?x?= 1"), QString(), "orders@school.cn",
         {QStringLiteral("a%b'c.bin")}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        MailRequest request;
        request.recipients = {QStringLiteral("a@x.cn"), QStringLiteral("b@y.cn")};
        request.subject = c.subject;
        request.body = QStringLiteral("您好：\n附件是订单。\n.\n谢谢");
        for (const QString &name : c.names)
            request.attachments << attachment(name, orderText + name.toUtf8());
        const QByteArray raw = SmtpMessage::compose(request, {QStringLiteral("orders@school.cn"), c.senderName},
                                                    QDateTime(QDate(2026, 3, 15), QTime(14, 30, 5)));

        // CRLF everywhere; no line longer than the format allows (78 columns asked for).
        EXPECT_FALSE(QByteArray(raw).replace("\r\n", "").contains('\n'));
        EXPECT_TRUE(raw.endsWith("\r\n"));
        for (const QByteArray &line : raw.split('\n'))
            EXPECT_LE(line.size(), 79) << line.toStdString();   // 78 and the CR
        if (!c.plainSubject.isEmpty())
            EXPECT_TRUE(raw.contains(c.plainSubject));

        const QJsonObject mail = LocalSmtp::parse(raw);
        ASSERT_FALSE(mail.isEmpty());
        EXPECT_TRUE(mail.value(QStringLiteral("defects")).toArray().isEmpty())
            << QJsonDocument(mail.value(QStringLiteral("defects")).toArray()).toJson().toStdString();
        EXPECT_EQ(mail.value(QStringLiteral("subject")).toString(), c.subject);
        EXPECT_EQ(mail.value(QStringLiteral("from")).toString(), QString::fromUtf8(c.fromShown));
        EXPECT_EQ(mail.value(QStringLiteral("to")).toString(), QStringLiteral("a@x.cn, b@y.cn"));
        EXPECT_EQ(mail.value(QStringLiteral("mime_version")).toString(), QStringLiteral("1.0"));
        EXPECT_TRUE(mail.value(QStringLiteral("date")).toString().contains(QStringLiteral("15 Mar 2026 14:30:05")));
        EXPECT_TRUE(mail.value(QStringLiteral("message_id")).toString().endsWith(QStringLiteral("@school.cn>")));
        EXPECT_EQ(mail.value(QStringLiteral("type")).toString(), QStringLiteral("multipart/mixed"));

        const QJsonArray parts = mail.value(QStringLiteral("parts")).toArray();
        ASSERT_EQ(parts.size(), c.names.size() + 1);
        const QJsonObject body = parts.at(0).toObject();
        EXPECT_EQ(body.value(QStringLiteral("type")).toString(), QStringLiteral("text/plain"));
        EXPECT_EQ(body.value(QStringLiteral("charset")).toString(), QStringLiteral("utf-8"));
        EXPECT_EQ(LocalSmtp::payload(body), QStringLiteral("您好：\r\n附件是订单。\r\n.\r\n谢谢").toUtf8());
        for (qsizetype i = 0; i < c.names.size(); ++i) {
            const QJsonObject part = parts.at(i + 1).toObject();
            const QString &name = c.names.at(i);
            EXPECT_EQ(part.value(QStringLiteral("disposition")).toString(), QStringLiteral("attachment"));
            EXPECT_EQ(part.value(QStringLiteral("filename")).toString(), name);
            EXPECT_EQ(part.value(QStringLiteral("name")).toString(), name);
            EXPECT_EQ(part.value(QStringLiteral("type")).toString(), QString::fromLatin1(SmtpMessage::contentType(name)));
            EXPECT_EQ(LocalSmtp::payload(part), orderText + name.toUtf8());
        }
    }
}

TEST_F(SmtpMessageTest, TheTypeFollowsTheSuffix)
{
    EXPECT_EQ(SmtpMessage::contentType(QStringLiteral("图书征订单1.xls")), "application/vnd.ms-excel");
    EXPECT_EQ(SmtpMessage::contentType(QStringLiteral("D1.XLSX")),
              "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");
    EXPECT_EQ(SmtpMessage::contentType(QStringLiteral("D1.txt")), "application/octet-stream");
}

TEST_F(SmtpMessageTest, AnAttachmentThatCannotBeReadIsNamed)
{
    MailRequest request;
    request.recipients = {QStringLiteral("a@x.cn")};
    request.attachments = {dir.filePath(QStringLiteral("gone.xls"))};
    try {
        SmtpMessage::compose(request, {QStringLiteral("orders@school.cn"), QString()});
        ADD_FAILURE() << "composed without its attachment";
    } catch (const AppError &e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("gone.xls"))) << e.text().toStdString();
    }
}

} // namespace
