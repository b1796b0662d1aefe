#include "order/mail_sending_widget.h"

#include "widgets/captioned_controls_gui.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {

const MailConfig::Tls TlsModes[] = {MailConfig::Tls::StartTls, MailConfig::Tls::Tls, MailConfig::Tls::None};
const MailConfig::Attachment Kinds[] = {MailConfig::Attachment::Text, MailConfig::Attachment::Workbook,
                                        MailConfig::Attachment::Both};

// A caption with its mnemonic in front of control, placed in row, column pair col.
void addField(QGridLayout *grid, int row, int col, QWidget *control, const QString &caption,
              const QString &mnemonic)
{
    QLabel *label = captionFor(control, caption);
    label->setText(caption + QStringLiteral("(&") + mnemonic + QStringLiteral(")："));
    grid->addWidget(label, row, col * 2);
    grid->addWidget(control, row, col * 2 + 1);
}

QLineEdit *lineEdit(QWidget *parent, const QString &name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

} // namespace

MailSendingWidget::MailSendingWidget(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto *top = new QGridLayout;
    m_channel = new QComboBox(this);
    m_channel->setObjectName(QStringLiteral("CbChannel"));
    m_channel->addItems({QStringLiteral("桌面的邮件程序"), QStringLiteral("SMTP 服务器")});
    addField(top, 0, 0, m_channel, QStringLiteral("发送方式"), QStringLiteral("M"));
    m_attachment = new QComboBox(this);
    m_attachment->setObjectName(QStringLiteral("CbAttachment"));
    for (MailConfig::Attachment kind : Kinds)
        m_attachment->addItem(MailConfig::attachmentText(kind));
    addField(top, 0, 1, m_attachment, QStringLiteral("附件"), QStringLiteral("A"));
    top->setColumnStretch(1, 1);
    top->setColumnStretch(3, 1);
    layout->addLayout(top);

    m_smtpBox = new QGroupBox(QStringLiteral("SMTP 服务器"), this);
    m_smtpBox->setObjectName(QStringLiteral("GbSmtp"));
    auto *grid = new QGridLayout(m_smtpBox);
    m_server = lineEdit(m_smtpBox, QStringLiteral("EdServer"));
    m_server->setPlaceholderText(QStringLiteral("例如 smtp.school.cn"));
    addField(grid, 0, 0, m_server, QStringLiteral("服务器"), QStringLiteral("V"));
    auto *portAndTls = new QHBoxLayout;
    m_port = new QSpinBox(m_smtpBox);
    m_port->setObjectName(QStringLiteral("SePort"));
    m_port->setRange(0, 65535);
    m_port->setSpecialValueText(QStringLiteral("自动"));
    QLabel *portLabel = captionFor(m_port, QStringLiteral("端口"));
    portLabel->setText(QStringLiteral("端口(&P)："));
    m_tls = new QComboBox(m_smtpBox);
    m_tls->setObjectName(QStringLiteral("CbTls"));
    for (MailConfig::Tls mode : TlsModes)
        m_tls->addItem(MailConfig::tlsText(mode));
    QLabel *tlsLabel = captionFor(m_tls, QStringLiteral("加密"));
    tlsLabel->setText(QStringLiteral("加密(&E)："));
    portAndTls->addWidget(m_port);
    portAndTls->addWidget(tlsLabel);
    portAndTls->addWidget(m_tls, 1);
    grid->addWidget(portLabel, 0, 2);
    grid->addLayout(portAndTls, 0, 3);

    m_user = lineEdit(m_smtpBox, QStringLiteral("EdUser"));
    addField(grid, 1, 0, m_user, QStringLiteral("用户名"), QStringLiteral("U"));
    m_password = lineEdit(m_smtpBox, QStringLiteral("EdPassword"));
    m_password->setEchoMode(QLineEdit::Password);
    addField(grid, 1, 1, m_password, QStringLiteral("口令"), QStringLiteral("W"));
    m_from = lineEdit(m_smtpBox, QStringLiteral("EdFrom"));
    addField(grid, 2, 0, m_from, QStringLiteral("发件人地址"), QStringLiteral("F"));
    m_fromName = lineEdit(m_smtpBox, QStringLiteral("EdFromName"));
    addField(grid, 2, 1, m_fromName, QStringLiteral("发件人名称"), QStringLiteral("N"));

    auto *certificate = new QHBoxLayout;
    m_caFile = lineEdit(m_smtpBox, QStringLiteral("EdCaFile"));
    m_caFile->setPlaceholderText(QStringLiteral("只在学校自建的服务器需要时填写"));
    QPushButton *browse = captionedButton(m_smtpBox, QStringLiteral("BtnCaFile"), QStringLiteral("浏览(&I)…"), 84);
    certificate->addWidget(m_caFile, 1);
    certificate->addWidget(browse);
    QLabel *caLabel = captionFor(m_caFile, QStringLiteral("证书文件"));
    grid->addWidget(caLabel, 3, 0);
    grid->addLayout(certificate, 3, 1, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    layout->addWidget(m_smtpBox);

    connect(m_channel, &QComboBox::currentIndexChanged, this, &MailSendingWidget::showChannel);
    connect(browse, &QPushButton::clicked, this, &MailSendingWidget::chooseCertificate);
    showChannel();
}

void MailSendingWidget::setSettings(const MailConfig::Settings &settings)
{
    const MailConfig::Smtp &m = settings.smtp;
    m_server->setText(m.server);
    m_keptServer = m.server;
    m_port->setValue(m.port);
    for (int i = 0; i < int(std::size(TlsModes)); ++i)
        if (TlsModes[i] == m.tls)
            m_tls->setCurrentIndex(i);
    m_user->setText(m.user);
    m_password->setText(m.password);
    m_from->setText(m.fromAddress);
    m_fromName->setText(m.fromName);
    m_caFile->setText(m.caFile);
    for (int i = 0; i < int(std::size(Kinds)); ++i)
        if (Kinds[i] == settings.attachment)
            m_attachment->setCurrentIndex(i);
    m_channel->setCurrentIndex(m.enabled() ? 1 : 0);
    showChannel();
}

MailConfig::Settings MailSendingWidget::settings() const
{
    MailConfig::Settings s;
    MailConfig::Smtp &m = s.smtp;
    m.server = m_channel->currentIndex() == 1 ? m_server->text().trimmed() : QString();
    m.port = m_port->value();
    m.tls = TlsModes[qBound(0, m_tls->currentIndex(), int(std::size(TlsModes)) - 1)];
    m.user = m_user->text().trimmed();
    m.password = m_password->text();
    m.fromAddress = m_from->text().trimmed();
    m.fromName = m_fromName->text().trimmed();
    m.caFile = m_caFile->text().trimmed();
    s.attachment = Kinds[qBound(0, m_attachment->currentIndex(), int(std::size(Kinds)) - 1)];
    return s;
}

QWidget *MailSendingWidget::controlFor(MailConfig::Field field) const
{
    switch (field) {
    case MailConfig::Field::Server: return m_server;
    case MailConfig::Field::Port: return m_port;
    case MailConfig::Field::User: return m_user;
    case MailConfig::Field::From: return m_from;
    case MailConfig::Field::CaFile: return m_caFile;
    case MailConfig::Field::None: break;
    }
    return nullptr;
}

void MailSendingWidget::showChannel()
{
    const bool smtp = m_channel->currentIndex() == 1;
    if (!smtp && !m_server->text().trimmed().isEmpty())
        m_keptServer = m_server->text();
    if (smtp && m_server->text().trimmed().isEmpty())
        m_server->setText(m_keptServer);
    m_smtpBox->setEnabled(smtp);
}

void MailSendingWidget::chooseCertificate()
{
    const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("证书文件"), m_caFile->text(),
                                                      QStringLiteral("证书文件 (*.pem *.crt *.cer);;所有文件 (*)"));
    if (!file.isEmpty())
        m_caFile->setText(file);
}
