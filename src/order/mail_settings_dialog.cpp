#include "order/mail_settings_dialog.h"

#include "common/guarded.h"
#include "order/mail_settings.h"
#include "widgets/captioned_controls_gui.h"

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

    resize(640, 480);
    guarded(m_prompter, [&] {
        const MailSettings::Texts texts = MailSettings::load(m_files.recipients, m_files.body);
        m_recipients->setPlainText(texts.recipients);
        m_body->setPlainText(texts.body);
    });
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
    if (const MailSettings::Fault fault = MailSettings::recipientsFault(texts.recipients); fault.line)
        selectLine(fault.line);
    MailSettings::save(texts, m_files.recipients, m_files.body);
    accept();
}
