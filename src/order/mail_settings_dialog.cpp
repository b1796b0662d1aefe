#include "order/mail_settings_dialog.h"

#include "common/guarded.h"
#include "common/app_error.h"
#include "order/mail_sending_widget.h"
#include "order/mail_settings.h"
#include "widgets/captioned_controls_gui.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

TFrmSettings::TFrmSettings(Prompter &prompter, const Files &files, QWidget *parent)
    : QDialog(parent), m_prompter(prompter), m_files(files)
{
    setObjectName(QStringLiteral("FrmSettings"));
    setWindowTitle(QStringLiteral("设置"));
    if (m_files.recipients.isEmpty())
        m_files.recipients = OrderMail::recipientsFile();
    if (m_files.body.isEmpty())
        m_files.body = OrderMail::bodyFile();
    if (m_files.config.isEmpty())
        m_files.config = MailConfig::configFile();

    auto *layout = new QVBoxLayout(this);
    m_recipients = new QPlainTextEdit(this);
    m_recipients->setObjectName(QStringLiteral("MmRecipients"));
    m_recipients->setTabChangesFocus(true);
    m_recipients->setLineWrapMode(QPlainTextEdit::NoWrap);
    QLabel *recipientsCaption = captionFor(m_recipients, QStringLiteral("收件人"));
    recipientsCaption->setText(QStringLiteral("收件人(&R)：每行一个邮件地址，订单作为附件发给这些地址"));
    layout->addWidget(recipientsCaption);
    layout->addWidget(m_recipients, 2);

    m_examples = new QLabel(this);
    m_examples->setObjectName(QStringLiteral("LbExamples"));
    m_examples->setWordWrap(true);
    m_examples->setStyleSheet(QStringLiteral("color: #b00000;"));
    layout->addWidget(m_examples);

    m_body = new QPlainTextEdit(this);
    m_body->setObjectName(QStringLiteral("MmBody"));
    m_body->setTabChangesFocus(true);
    QLabel *bodyCaption = captionFor(m_body, QStringLiteral("邮件正文"));
    bodyCaption->setText(QStringLiteral("邮件正文(&B)："));
    layout->addWidget(bodyCaption);
    layout->addWidget(m_body, 3);

    m_sending = new MailSendingWidget(this);
    layout->addWidget(m_sending);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_ok = captionedButton(this, QStringLiteral("BtnOk"), QStringLiteral("确定(&O)"), 84);
    QPushButton *cancel = captionedButton(this, QStringLiteral("BtnCancel"), QStringLiteral("取消(&C)"), 84);
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, [this] { guarded(m_prompter, [&] { saveAndClose(); }); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_recipients, &QPlainTextEdit::textChanged, this, &TFrmSettings::showExamples);

    resize(680, 640);
    guarded(m_prompter, [&] {
        const MailSettings::Texts texts = MailSettings::load(m_files.recipients, m_files.body);
        m_recipients->setPlainText(texts.recipients);
        m_body->setPlainText(texts.body);
    });
    const MailConfig::Settings sending = MailConfig::load(m_files.config);
    m_sending->setSettings(sending);
    if (!sending.readFault.isEmpty())
        m_prompter.message(sending.readFault + QStringLiteral("\n请在本窗口中重新选择，确定后保存。"),
                           QStringLiteral("系统提示"), MsgFlags::Warning);
    showExamples();
    m_recipients->setFocus();
}

void TFrmSettings::showExamples()
{
    const QStringList examples = MailSettings::exampleRecipients(m_recipients->toPlainText());
    const QString text = examples.isEmpty()
        ? QString()
        : QStringLiteral("示例地址不会收到邮件，请改为供货商的地址：%1").arg(examples.join(QStringLiteral("、")));
    m_examples->setText(text);
    m_examples->setAccessibleName(text);
    m_examples->setVisible(!examples.isEmpty());
}

void TFrmSettings::selectLine(int line)
{
    const QTextBlock block = m_recipients->document()->findBlockByNumber(line - 1);
    if (!block.isValid())
        return;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    m_recipients->setTextCursor(cursor);
    m_recipients->setFocus();
}

void TFrmSettings::saveAndClose()
{
    const MailSettings::Texts texts{m_recipients->toPlainText(), m_body->toPlainText()};
    // The line that is not one address is selected for the clerk to correct; save() then
    // refuses with the error that names it.
    if (const MailSettings::Fault fault = MailSettings::recipientsFault(texts.recipients); fault.line) {
        selectLine(fault.line);
        throw AppError(fault.text);
    }
    const MailConfig::Settings sending = m_sending->settings();
    MailConfig::Field field = MailConfig::Field::None;
    QString why = MailConfig::fault(sending, &field);
    if (why.isEmpty() && m_sending->channelBox()->currentIndex() == 1 && !sending.smtp.enabled()) {
        why = QStringLiteral("选择了 SMTP 服务器，但没有填写服务器。");
        field = MailConfig::Field::Server;
    }
    if (why.isEmpty() && sending.smtp.enabled() && OrderMail::parseRecipients(texts.recipients, nullptr).isEmpty())
        why = QStringLiteral("通过 SMTP 服务器发送时必须填写收件人。");
    if (!why.isEmpty()) {
        if (QWidget *control = m_sending->controlFor(field))
            control->setFocus();
        else if (field == MailConfig::Field::None)
            m_recipients->setFocus();
        throw AppError(why);
    }
    MailSettings::save(texts, m_files.recipients, m_files.body);
    try {
        MailConfig::save(sending, m_files.config);
    } catch (const AppError &e) {
        throw AppError(QStringLiteral("收件人和邮件正文已经保存，但发送方式没有保存：\n") + e.text());
    }
    accept();
}
