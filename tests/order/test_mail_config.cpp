#include "common/app_error.h"
#include "common/ini_reader.h"
#include "common/string_cipher.h"
#include "order/mail_config.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class MailConfigTest : public ::testing::Test {
protected:
    void write(const QByteArray &bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("syscfg.dbm"));
};

TEST_F(MailConfigTest, NoSectionMeansTheMailProgramAndTheOrderText)
{
    write("[All]\nsDbType=Oledb40\n");
    const MailConfig::Settings s = MailConfig::load(path);
    EXPECT_FALSE(s.smtp.enabled());
    EXPECT_EQ(s.attachment, MailConfig::Attachment::Text);
    EXPECT_TRUE(MailConfig::fault(s).isEmpty());
}

TEST_F(MailConfigTest, SavedSettingsReadBackWithThePasswordEnciphered)
{
    write("; head\n[All]\nsDbType=Oledb40\n");
    MailConfig::Settings s;
    s.smtp.server = QStringLiteral("smtp.school.cn");
    s.smtp.port = 2525;
    s.smtp.tls = MailConfig::Tls::Tls;
    s.smtp.user = QStringLiteral("orders");
    s.smtp.password = QStringLiteral("口令 p@ss");
    s.smtp.fromAddress = QStringLiteral("orders@school.cn");
    s.smtp.fromName = QStringLiteral("教材科");
    s.attachment = MailConfig::Attachment::Both;
    MailConfig::save(s, path);

    const MailConfig::Settings back = MailConfig::load(path);
    EXPECT_TRUE(back.readFault.isEmpty()) << back.readFault.toStdString();
    EXPECT_EQ(back.smtp.server, s.smtp.server);
    EXPECT_EQ(back.smtp.effectivePort(), 2525);
    EXPECT_EQ(back.smtp.tls, MailConfig::Tls::Tls);
    EXPECT_EQ(back.smtp.user, s.smtp.user);
    EXPECT_EQ(back.smtp.password, s.smtp.password);
    EXPECT_EQ(back.smtp.fromAddress, s.smtp.fromAddress);
    EXPECT_EQ(back.smtp.fromName, s.smtp.fromName);
    EXPECT_EQ(back.attachment, MailConfig::Attachment::Both);
    const QString stored = Ini::readValue(path, QStringLiteral("Mail"), QStringLiteral("sPwd"));
    EXPECT_NE(stored, s.smtp.password);
    EXPECT_EQ(StringCipher::decipherPassword(stored), s.smtp.password);
    EXPECT_EQ(Ini::readValue(path, QStringLiteral("All"), QStringLiteral("sDbType")),
              QStringLiteral("Oledb40"));
}

TEST_F(MailConfigTest, WhatCannotBeReadOrUsedIsNamed)
{
    struct Case {
        const char *file;
        const char *named;   // part of the fault
    } const cases[] = {
        {"[Mail]\niPort=abc\n", "iPort"},
        {"[Mail]\nsTls=ssl3\n", "sTls"},
        {"[Mail]\nsAttach=pdf\n", "sAttach"},
        {"[Mail]\nsPwd=ZZ\n", "sPwd"},
        {"[Mail]\nsServer=smtp.x.cn\n", "发件人"},
        {"[Mail]\nsServer=smtp.x.cn\nsFrom=not-an-address\n", "发件人地址"},
        {"[Mail]\nsServer=smtp.x.cn\nsFrom=a@x.cn\nsCaFile=/no/such.pem\n", "证书文件"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        write(c.file);
        const QString why = MailConfig::fault(MailConfig::load(path));
        EXPECT_TRUE(why.contains(QString::fromUtf8(c.named))) << why.toStdString();
    }
    // Nothing is written when the settings cannot be used.
    write("[Mail]\nsServer=old.x.cn\n");
    MailConfig::Settings s;
    s.smtp.server = QStringLiteral("smtp.x.cn");
    EXPECT_THROW(MailConfig::save(s, path), AppError);
    EXPECT_EQ(MailConfig::load(path).smtp.server, QStringLiteral("old.x.cn"));
}

} // namespace
