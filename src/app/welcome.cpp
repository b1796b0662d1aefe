#include "app/welcome.h"

#include "common/user_settings.h"
#include "data/demo_catalogue.h"
#include "order/mail_settings.h"
#include "widgets/plain_caption.h"

#include <QDir>
#include <QSettings>

namespace Welcome {
namespace {

const QString ShownKey = QStringLiteral("Welcome/shown");

QString cataloguePart(const Facts &facts)
{
    QString text;
    switch (facts.catalogue) {
    case Catalogue::Demo:
        text = QStringLiteral("一、书目：现在显示的是演示目录（%1 种书目，书名、出版社和价格都是编造的），"
                              "不是供货商的目录，只能用来试用。")
                   .arg(facts.titles);
        break;
    case Catalogue::Empty:
        text = QStringLiteral("一、书目：目录中还没有书目。");
        break;
    case Catalogue::Supplier:
        text = QStringLiteral("一、书目：目录中有 %1 种书目。每一季的新目录同样导入。").arg(facts.titles);
        break;
    }
    text += QStringLiteral("\n导入供货商的目录：");
    if (!facts.databaseFile.isEmpty())
        text += QStringLiteral("把供货商提供的 data.mdb 放到 %1，再启动本程序，程序会提出转换；或者")
                    .arg(QDir::toNativeSeparators(facts.databaseFile));
    return text + QStringLiteral("在终端运行 zhengding-admin import-catalogue 文件名。");
}

QString recipientsPart(const Facts &facts)
{
    const QString settings = QStringLiteral("“%1”菜单的“设置”").arg(plainCaption(facts.settingsMenu));
    if (!facts.recipientsFault.isEmpty())
        return QStringLiteral("二、订单的收件人：收件人有误，订单发不出去：%1\n请在%2中改正。")
            .arg(facts.recipientsFault, settings);
    if (facts.recipients.isEmpty())
        return QStringLiteral("二、订单的收件人：还没有设置收件人，发送时要在邮件程序中填写。"
                              "请在%1中填写供货商的地址。")
            .arg(settings);
    QString text = QStringLiteral("二、订单的收件人：订单通过邮件程序发给%1中的收件人：").arg(settings);
    for (const QString &address : facts.recipients) {
        text += QStringLiteral("\n    ") + address;
        if (facts.examples.contains(address))
            text += QStringLiteral("（示例地址，邮件不会送达）");
    }
    if (!facts.examples.isEmpty())
        text += QStringLiteral("\n请把示例地址换成供货商的地址。");
    return text;
}

} // namespace

Facts read(const QSqlDatabase &db, const MainMenuConfig &menu, const QString &databaseFile,
           const QString &recipientsPath)
{
    Facts facts;
    facts.titles = DemoCatalogue::titleCount(db);
    facts.catalogue = facts.titles == 0             ? Catalogue::Empty
                      : DemoCatalogue::isDemo(db) ? Catalogue::Demo
                                                  : Catalogue::Supplier;
    facts.databaseFile = databaseFile;
    // The file as "设置" reads it.
    const QString recipients = OrderMail::readBody(recipientsPath);
    facts.recipients = OrderMail::parseRecipients(recipients, nullptr);
    facts.recipientsFault = MailSettings::recipientsFault(recipients).text;
    facts.examples = MailSettings::exampleRecipients(recipients);
    facts.guideCaption = plainCaption(menu.guideCaption);
    facts.helpMenu = plainCaption(menu.captions.value(QStringLiteral("N3")));
    facts.settingsMenu = plainCaption(menu.captions.value(QStringLiteral("N2")));
    return facts;
}

QString text(const Facts &facts)
{
    return QStringLiteral("欢迎使用本程序征订教材。开始之前，请先了解三件事。") + QStringLiteral("\n\n")
           + cataloguePart(facts) + QStringLiteral("\n\n") + recipientsPart(facts) + QStringLiteral("\n\n")
           + QStringLiteral("三、从哪里开始：先看工具栏上的“%1”，它说明从选书、放入购物车到发送订单的每一步。")
                 .arg(facts.guideCaption)
           + QStringLiteral("\n\n")
           + QStringLiteral("本窗口以后可以从“%1”菜单的“欢迎”再次打开。").arg(facts.helpMenu);
}

bool due()
{
    const auto settings = UserSettings::open();
    return settings && !settings->value(ShownKey).toBool();
}

void markShown()
{
    if (const auto settings = UserSettings::open())
        settings->setValue(ShownKey, true);
}

} // namespace Welcome
