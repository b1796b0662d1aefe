#include "order/mail_hand_over.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace {

const QString StatusName = QStringLiteral(".xdg-email-status");
const QString LogName = QStringLiteral(".xdg-email-log");

bool namesUtf8(const QString &locale)
{
    return locale.contains(QStringLiteral("utf-8"), Qt::CaseInsensitive)
           || locale.contains(QStringLiteral("utf8"), Qt::CaseInsensitive);
}

} // namespace

MailHandOver::MailHandOver(const MailRequest &request, const QString &spoolFolder,
                           Settings settings, QObject *parent)
    : QObject(parent), m_request(request), m_folder(spoolFolder), m_settings(std::move(settings))
{
    m_timer.setInterval(m_settings.pollMs);
    connect(&m_timer, &QTimer::timeout, this, &MailHandOver::poll);
}

QProcessEnvironment MailHandOver::withUtf8Locale(QProcessEnvironment environment)
{
    // The character type comes from the first of LC_ALL, LC_CTYPE, LANG that is set.
    const auto effective = [&environment] {
        for (const char *name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
            const QString value = environment.value(QLatin1String(name));
            if (!value.isEmpty())
                return value;
        }
        return QString();
    };
    if (namesUtf8(effective()))
        return environment;
    environment.remove(QStringLiteral("LC_ALL"));
    if (!namesUtf8(environment.value(QStringLiteral("LC_CTYPE"))))
        environment.remove(QStringLiteral("LC_CTYPE"));
    if (!namesUtf8(effective()))
        environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    return environment;
}

bool MailHandOver::start()
{
    const QStringList path =
        m_settings.environment.value(QStringLiteral("PATH")).split(u':', Qt::SkipEmptyParts);
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-email"), path);
    if (program.isEmpty()) {
        m_reason = QStringLiteral("找不到邮件程序的启动命令 xdg-email（请安装 xdg-utils）。");
        QDir(m_folder).removeRecursively();
        return false;
    }

    const QString status = m_folder + u'/' + StatusName;
    QProcess process;
    process.setProgram(QStringLiteral("/bin/sh"));
    // The wrapper leaves xdg-email's exit code in the spool folder, written whole (rename).
    process.setArguments(QStringList{
        QStringLiteral("-c"),
        QStringLiteral("status=$1; shift; \"$@\"; code=$?; "
                       "echo \"$code\" > \"$status.part\" && mv -f \"$status.part\" \"$status\""),
        QStringLiteral("zhengding-mail"), status, program} + m_request.arguments());
    process.setProcessEnvironment(withUtf8Locale(m_settings.environment));
    process.setWorkingDirectory(m_folder);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(m_folder + u'/' + LogName);
    if (!process.startDetached()) {
        m_reason = QStringLiteral("无法启动邮件程序 xdg-email：%1").arg(process.errorString());
        QDir(m_folder).removeRecursively();
        return false;
    }
    m_clock.start();
    m_timer.start();
    return true;
}

QString MailHandOver::launcherWords(const QString &log)
{
    // The launcher tries a dozen browsers before it gives up and says why on its last line;
    // all of it may help whoever sets the desktop up, the end most.
    constexpr int MaxLength = 8000;
    const QString words = log.trimmed();
    return words.size() > MaxLength ? QStringLiteral("…") + words.right(MaxLength) : words;
}

QString MailHandOver::exitReason(int code)
{
    switch (code) {
    case 3:
        return QStringLiteral("没有可用的邮件程序，邮件未能交给邮件程序（xdg-email 退出码 3）。"
                              "请在桌面设置中选择默认邮件程序，或导出订单后另行发送。");
    case 4:
        return QStringLiteral("邮件程序启动后报告了错误，邮件未能交给邮件程序（xdg-email 退出码 4）。");
    default:
        return QStringLiteral("邮件未能交给邮件程序（xdg-email 退出码 %1）。").arg(code);
    }
}

void MailHandOver::poll()
{
    if (m_done)
        return;
    QFile status(m_folder + u'/' + StatusName);
    if (status.open(QIODevice::ReadOnly)) {
        bool ok = false;
        const int code = status.readAll().trimmed().toInt(&ok);
        status.close();
        if (ok && code == 0) {
            m_done = true;
            m_timer.stop();
            emit finished(true, QString());
            return;
        }
        QFile log(m_folder + u'/' + LogName);
        if (log.open(QIODevice::ReadOnly))
            m_details = launcherWords(QString::fromUtf8(log.readAll()));
        fail(exitReason(code));
        return;
    }
    if (m_clock.elapsed() >= m_settings.graceMs) {
        // Still running: the composer is open and reads the attachment from the spool folder.
        m_done = true;
        m_timer.stop();
        emit finished(true, QString());
    }
}

void MailHandOver::fail(const QString &reason)
{
    m_done = true;
    m_timer.stop();
    m_reason = reason;
    QDir(m_folder).removeRecursively();
    emit finished(false, reason);
}
