#include "order/dispatch_log.h"

#include "data/sql_helper.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSqlQuery>

namespace DispatchLog {

namespace {

const char *const timeFormat = "yyyy-MM-dd hh:mm:ss";

QString cut(const QString &text, int width)
{
    return text.left(width);
}

Result resultOf(const QString &text)
{
    if (text == resultText(Result::HandedOver))
        return Result::HandedOver;
    if (text == resultText(Result::Sent))
        return Result::Sent;
    return Result::Failed;
}

} // namespace

QString channelText(Channel channel)
{
    return channel == Channel::Smtp ? QStringLiteral("SMTP") : QStringLiteral("邮件程序");
}

QString resultText(Result result)
{
    switch (result) {
    case Result::HandedOver:
        return QStringLiteral("已交给邮件程序");
    case Result::Sent:
        return QStringLiteral("已发送");
    case Result::Failed:
        break;
    }
    return QStringLiteral("发送失败");
}

QString unsentText()
{
    return QStringLiteral("未发送");
}

QString stateText(const Entry &entry)
{
    if (entry.result == Result::Failed) {
        // The reason's first line is the clerk's words; what follows is the launcher's or the
        // server's own. A general first line names no reason: the next one does.
        QStringList lines = entry.failure.split(u'\n', Qt::SkipEmptyParts);
        if (lines.size() > 1 && lines.constFirst().trimmed() == QStringLiteral("发送订单时发生错误！"))
            lines.removeFirst();
        QString first = lines.value(0).trimmed();
        if (first.size() > 60)
            first = first.left(59) + u'…';
        return QStringLiteral("发送失败：") + first;
    }
    return resultText(entry.result) + u' ' + entry.time.toString(QStringLiteral("MM-dd hh:mm"));
}

QString handedOverText(const QString &orders, const QStringList &recipients)
{
    const QString to = recipients.isEmpty() ? QStringLiteral("收件人在邮件程序中填写")
                                            : QStringLiteral("收件人 ") + recipients.join(QStringLiteral("、"));
    return QStringLiteral("订单 %1 已交给邮件程序（%2）。").arg(orders, to);
}

QString sentText(const QString &orders, const QStringList &recipients)
{
    return QStringLiteral("订单 %1 已发送至 %2。").arg(orders, recipients.join(QStringLiteral("、")));
}

QString fileSha256(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return {};
    return QString::fromLatin1(hash.result().toHex());
}

void record(const QSqlDatabase &db, const Entry &entry)
{
    Sql::Transaction transaction(db);
    const int next =
        Sql::scalar(db, QStringLiteral("select coalesce(max(xh),0) from deorderlog where dhdh=?"),
                    {entry.orderNumber})
            .toInt()
        + 1;
    const QDateTime time = entry.time.isValid() ? entry.time : QDateTime::currentDateTime();
    Entry shown = entry;
    shown.time = time;
    Sql::exec(db,
              QStringLiteral("insert into deorderlog (dhdh,xh,fssj,fsfs,sjr,zt,fjmc,fjsha,jg,sbyy,fszt)"
                             " values (?,?,?,?,?,?,?,?,?,?,?)"),
              {entry.orderNumber, next, time.toString(QLatin1String(timeFormat)),
               channelText(entry.channel), cut(entry.recipients.join(u';'), 1000),
               cut(entry.subject, 100), cut(entry.attachmentName, 200), entry.attachmentSha256,
               resultText(entry.result), cut(entry.failure, 2000), cut(stateText(shown), 200)});
    if (entry.result != Result::Failed)
        Sql::exec(db, QStringLiteral("update deorder set cdcs=coalesce(cdcs,0)+1 where dhdh=?"),
                  {entry.orderNumber});
    transaction.commit();
}

QList<Entry> entries(const QSqlDatabase &db, const QString &orderNumber)
{
    QSqlQuery q = Sql::exec(db,
                            QStringLiteral("select fssj,fsfs,sjr,zt,fjmc,fjsha,jg,sbyy from deorderlog"
                                           " where dhdh=? order by xh"),
                            {orderNumber});
    QList<Entry> out;
    while (q.next()) {
        Entry e;
        e.orderNumber = orderNumber;
        e.time = QDateTime::fromString(q.value(0).toString().trimmed(), QLatin1String(timeFormat));
        e.channel = q.value(1).toString().trimmed() == u"SMTP" ? Channel::Smtp : Channel::MailProgram;
        e.recipients = q.value(2).toString().split(u';', Qt::SkipEmptyParts);
        e.subject = q.value(3).toString();
        e.attachmentName = q.value(4).toString();
        e.attachmentSha256 = q.value(5).toString().trimmed();
        e.result = resultOf(q.value(6).toString().trimmed());
        e.failure = q.value(7).toString();
        out.append(e);
    }
    return out;
}

QStringList handedOver(const QSqlDatabase &db, const QStringList &orderNumbers)
{
    QStringList out;
    for (const QString &number : orderNumbers) {
        const QList<Entry> rows = entries(db, number);
        if (!rows.isEmpty() && rows.last().result != Result::Failed)
            out << number;
    }
    return out;
}

} // namespace DispatchLog
