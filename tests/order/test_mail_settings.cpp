// The order mail's settings edited in "设置": what is saved is what the mail hand-over then
// reads, a wrong address is named and saves nothing, and the files keep their shipped form.
#include "common/app_error.h"
#include "common/gbk_codec.h"
#include "order/mail_config.h"
#include "order/mail_request.h"
#include "order/mail_sending_widget.h"
#include "order/mail_settings.h"
#include "order/mail_settings_dialog.h"
#include "scripted_prompter.h"

#include <QFile>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

class MailSettingsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString recipients() const { return dir.filePath(QStringLiteral("mailadd.txt")); }
    QString body() const { return dir.filePath(QStringLiteral("mail.txt")); }
    QString config() const { return dir.filePath(QStringLiteral("syscfg.dbm")); }
};

TEST_F(MailSettingsTest, WhatIsSavedIsWhatTheHandOverReads)
{
    const struct {
        const char *what;
        QString recipients, body;
        QStringList read;   // the recipients the hand-over then takes
    } cases[] = {
        {"shipped form", QStringLiteral("dingdan@school.cn\nSMTP:orders@supplier.cn\n"),
         QStringLiteral("您好！\n附件是我校的教材征订单。"),
         {QStringLiteral("dingdan@school.cn"), QStringLiteral("orders@supplier.cn")}},
        {"no recipients, empty body", QString(), QString(), {}},
        {"a character outside GBK", QStringLiteral("a@b.cn"), QStringLiteral("祝好 😀 𠀀"), {QStringLiteral("a@b.cn")}},
        // GBK bytes of these characters are also valid UTF-8 (of two U+FFFD).
        {"GBK bytes that read as UTF-8", QStringLiteral("a@b.cn"), QStringLiteral("锟斤拷"), {QStringLiteral("a@b.cn")}},
        {"blank lines and spaces", QStringLiteral("\n  a@b.cn  \n\n"), QStringLiteral("第一行\n\n第三行\n"),
         {QStringLiteral("a@b.cn")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        MailSettings::save({c.recipients, c.body}, recipients(), body());
        const MailSettings::Texts back = MailSettings::load(recipients(), body());
        EXPECT_EQ(back.recipients, c.recipients);
        EXPECT_EQ(back.body, c.body);
        EXPECT_EQ(OrderMail::readRecipients(recipients()), c.read);
        EXPECT_EQ(OrderMail::readBody(body()), c.body);
    }
}

TEST_F(MailSettingsTest, FilesKeepTheShippedGbkAndCrlfFormWhereTheyCan)
{
    EXPECT_EQ(MailSettings::fileBytes(QStringLiteral("您好！\n附件")), Gbk::encode(QStringLiteral("您好！\r\n附件")));
    EXPECT_EQ(MailSettings::fileBytes(QStringLiteral("a@b.cn\r\nc@d.cn")), QByteArray("a@b.cn\r\nc@d.cn"));
    // Only where GBK would read back as something else: UTF-8 behind a byte-order mark.
    EXPECT_EQ(MailSettings::fileBytes(QStringLiteral("锟斤拷")), QByteArray("\xEF\xBB\xBF") + QStringLiteral("锟斤拷").toUtf8());
}

TEST_F(MailSettingsTest, AWrongAddressIsNamedByItsLineAndNothingIsSaved)
{
    ASSERT_TRUE(writeBytes(recipients(), "old@school.cn\r\n"));
    ASSERT_TRUE(writeBytes(body(), "old body"));
    const struct {
        QString text;
        int line;
        const char *why;
    } cases[] = {
        {QStringLiteral("a@b.cn\nnot an address\n"), 2, "不是一个邮件地址"},
        {QStringLiteral("\n\na@b.cn;c@d.cn"), 3, "a@b.cn;c@d.cn"},
        {QStringLiteral("-x@b.cn"), 1, "以“-”开头"},
        {QStringLiteral("SMTP:"), 0, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const MailSettings::Fault fault = MailSettings::recipientsFault(c.text);
        EXPECT_EQ(fault.line, c.line);
        if (!c.line)
            continue;
        EXPECT_TRUE(fault.text.contains(QStringLiteral("第 %1 行").arg(c.line))) << fault.text.toStdString();
        EXPECT_TRUE(fault.text.contains(QString::fromUtf8(c.why))) << fault.text.toStdString();
        EXPECT_THROW(MailSettings::save({c.text, QStringLiteral("new body")}, recipients(), body()), AppError);
        EXPECT_EQ(bytesOf(recipients()), QByteArray("old@school.cn\r\n"));
        EXPECT_EQ(bytesOf(body()), QByteArray("old body"));
    }
}

TEST_F(MailSettingsTest, ABodyThatCannotBeWrittenIsToldWithTheRecipientsSaved)
{
    const QString noFolder = dir.filePath(QStringLiteral("missing/mail.txt"));
    try {
        MailSettings::save({QStringLiteral("a@b.cn"), QStringLiteral("body")}, recipients(), noFolder);
        FAIL() << "saved into a missing folder";
    } catch (const AppError &e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("收件人已经保存，邮件正文没有保存"))) << e.text().toStdString();
    }
    EXPECT_EQ(bytesOf(recipients()), QByteArray("a@b.cn"));
}

TEST_F(MailSettingsTest, ExampleAddressesAreFound)
{
    EXPECT_EQ(MailSettings::exampleRecipients(QStringLiteral("dingdan@example.com\nreal@school.cn\nx@mail.EXAMPLE.org\ny@notexample.com")),
              (QStringList{QStringLiteral("dingdan@example.com"), QStringLiteral("x@mail.EXAMPLE.org")}));
}

TEST_F(MailSettingsTest, TheWindowSelectsAWrongLineThenSavesTheCorrectedText)
{
    ASSERT_TRUE(writeBytes(recipients(), "dingdan@example.com\r\n"));
    ASSERT_TRUE(writeBytes(body(), Gbk::encode(QStringLiteral("您好！"))));
    ScriptedPrompter prompter;
    TFrmSettings window(prompter, {recipients(), body(), config()});
    EXPECT_EQ(window.recipientsEdit()->toPlainText(), QStringLiteral("dingdan@example.com\n"));
    EXPECT_EQ(window.bodyEdit()->toPlainText(), QStringLiteral("您好！"));
    EXPECT_FALSE(window.examplesLabel()->isHidden());
    EXPECT_TRUE(window.examplesLabel()->text().contains(QStringLiteral("dingdan@example.com")));
    EXPECT_EQ(window.recipientsEdit()->accessibleName(), QStringLiteral("收件人"));
    EXPECT_EQ(window.okButton()->accessibleName(), QStringLiteral("确定"));

    window.recipientsEdit()->setPlainText(QStringLiteral("orders@supplier.cn\nwrong line"));
    EXPECT_TRUE(window.examplesLabel()->isHidden());
    window.okButton()->click();
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].text.contains(QStringLiteral("第 2 行"))) << prompter.shown[0].text.toStdString();
    EXPECT_EQ(window.recipientsEdit()->textCursor().selectedText(), QStringLiteral("wrong line"));
    EXPECT_EQ(bytesOf(recipients()), QByteArray("dingdan@example.com\r\n"));
    EXPECT_EQ(window.result(), QDialog::Rejected);

    window.recipientsEdit()->setPlainText(QStringLiteral("orders@supplier.cn"));
    window.okButton()->click();
    EXPECT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(OrderMail::readRecipients(recipients()), QStringList{QStringLiteral("orders@supplier.cn")});
    EXPECT_EQ(OrderMail::readBody(body()), QStringLiteral("您好！"));
}

TEST_F(MailSettingsTest, TheWindowWritesTheSendingSettingsOnlyWhenTheyCanBeUsed)
{
    ASSERT_TRUE(writeBytes(recipients(), "orders@supplier.cn\r\n"));
    ASSERT_TRUE(writeBytes(config(), Gbk::encode(QStringLiteral("[All]\r\napptitle=征订\r\n"))));
    ScriptedPrompter prompter;
    TFrmSettings window(prompter, {recipients(), body(), config()});
    MailSendingWidget *sending = window.sendingWidget();
    EXPECT_EQ(sending->channelBox()->currentIndex(), 0);   // no server: the mail program
    EXPECT_FALSE(sending->serverEdit()->isEnabled());
    EXPECT_EQ(sending->channelBox()->accessibleName(), QStringLiteral("发送方式"));

    sending->channelBox()->setCurrentIndex(1);
    sending->serverEdit()->setText(QStringLiteral("smtp.school.cn"));
    sending->passwordEdit()->setText(QStringLiteral("secret"));
    sending->attachmentBox()->setCurrentIndex(2);
    window.okButton()->click();   // no sender address
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].text.contains(QStringLiteral("发件人"))) << prompter.shown[0].text.toStdString();
    EXPECT_EQ(MailConfig::load(config()).smtp.server, QString());
    EXPECT_EQ(window.result(), QDialog::Rejected);

    sending->fromEdit()->setText(QStringLiteral("orders@school.cn"));
    window.okButton()->click();   // a password without a user
    ASSERT_EQ(prompter.shown.size(), 2);
    EXPECT_TRUE(prompter.shown[1].text.contains(QStringLiteral("用户名"))) << prompter.shown[1].text.toStdString();

    sending->passwordEdit()->clear();
    window.okButton()->click();
    EXPECT_EQ(prompter.shown.size(), 2);
    EXPECT_EQ(window.result(), QDialog::Accepted);
    const MailConfig::Settings saved = MailConfig::load(config());
    EXPECT_EQ(saved.smtp.server, QStringLiteral("smtp.school.cn"));
    EXPECT_EQ(saved.smtp.fromAddress, QStringLiteral("orders@school.cn"));
    EXPECT_EQ(saved.attachment, MailConfig::Attachment::Both);
    EXPECT_TRUE(bytesOf(config()).startsWith(Gbk::encode(QStringLiteral("[All]\r\napptitle=征订\r\n"))));

    // Back to the mail program: the server goes, so orders are handed to the mail program.
    TFrmSettings again(prompter, {recipients(), body(), config()});
    EXPECT_EQ(again.sendingWidget()->channelBox()->currentIndex(), 1);
    again.sendingWidget()->channelBox()->setCurrentIndex(0);
    again.okButton()->click();
    EXPECT_FALSE(MailConfig::load(config()).smtp.enabled());
    EXPECT_EQ(MailConfig::load(config()).smtp.fromAddress, QStringLiteral("orders@school.cn"));
}

} // namespace
