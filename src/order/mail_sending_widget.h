#pragma once
// The "发送方式" part of the "设置" window: how orders leave the program, edited as the
// [Mail] section of syscfg.dbm holds it (order/mail_config.h).
//
//   发送方式：[桌面的邮件程序 | SMTP 服务器 ▾]      附件：[订单文本（.xls） ▾]
//   ┌ SMTP 服务器 ─────────────────────────────────────────┐   enabled for SMTP only
//   │ 服务器：[smtp.school.cn     ] 端口：[自动] 加密：[STARTTLS ▾] │
//   │ 用户名：[        ] 口令：[••••]                            │
//   │ 发件人地址：[     ] 发件人名称：[      ]                   │
//   │ 证书文件：[                        ] [浏览(&I)…]          │
//   └──────────────────────────────────────────────────────┘
//
// Choosing the mail program empties the server (the program sends through SMTP exactly when
// a server is named) and keeps the other SMTP values for a later change of mind.
#include "order/mail_config.h"

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QSpinBox;

class MailSendingWidget : public QWidget {
    Q_OBJECT
public:
    explicit MailSendingWidget(QWidget *parent = nullptr);

    void setSettings(const MailConfig::Settings &settings);
    MailConfig::Settings settings() const;
    // The control of a setting (for the clerk to correct), or nullptr.
    QWidget *controlFor(MailConfig::Field field) const;

    QComboBox *channelBox() const { return m_channel; }
    QComboBox *attachmentBox() const { return m_attachment; }
    QLineEdit *serverEdit() const { return m_server; }
    QLineEdit *fromEdit() const { return m_from; }
    QLineEdit *passwordEdit() const { return m_password; }

private:
    void showChannel();
    void chooseCertificate();

    QComboBox *m_channel = nullptr;
    QComboBox *m_attachment = nullptr;
    QGroupBox *m_smtpBox = nullptr;
    QLineEdit *m_server = nullptr;
    QSpinBox *m_port = nullptr;
    QComboBox *m_tls = nullptr;
    QLineEdit *m_user = nullptr;
    QLineEdit *m_password = nullptr;
    QLineEdit *m_from = nullptr;
    QLineEdit *m_fromName = nullptr;
    QLineEdit *m_caFile = nullptr;
    QString m_keptServer;   // the server while the mail program is chosen
};
