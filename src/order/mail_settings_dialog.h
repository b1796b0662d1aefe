#pragma once
// "设置": the order mail's recipients and body, edited here instead of in the files
// "../init/mailadd.txt" and "../init/mail.txt" (order/mail_settings.h reads, checks and writes
// them).
//
//   ┌ 设置 ───────────────────────────────────────────────┐
//   │ 收件人：（每行一个邮件地址，订单作为附件发给这些地址）│
//   │ [                                                  ] │
//   │ 示例地址不会收到邮件：dingdan@example.com …           │  shown while there are some
//   │ 邮件正文：                                           │
//   │ [                                                  ] │
//   │ 发送方式、附件、SMTP 服务器 (order/mail_sending_widget.h)  │
//   │                                  [确定(O)] [取消(C)] │
//   └──────────────────────────────────────────────────────┘
//
// 确定 checks everything first — a line that is not one mail address, or a sending setting that
// cannot be used, is named in the error box and selected, and nothing is saved — then writes
// the two files and the [Mail] section of syscfg.dbm and closes. 取消 and Esc close without
// saving.
#include <QDialog>
#include <QString>

class MailSendingWidget;
class Prompter;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class TFrmSettings : public QDialog {
    Q_OBJECT
public:
    struct Files {
        QString recipients;   // empty: "../init/mailadd.txt" beside the program folder
        QString body;         // empty: "../init/mail.txt"
        QString config;       // empty: the program folder's syscfg.dbm
    };

    TFrmSettings(Prompter &prompter, const Files &files, QWidget *parent = nullptr);

    QPlainTextEdit *recipientsEdit() const { return m_recipients; }
    QPlainTextEdit *bodyEdit() const { return m_body; }
    QLabel *examplesLabel() const { return m_examples; }
    MailSendingWidget *sendingWidget() const { return m_sending; }
    QPushButton *okButton() const { return m_ok; }

private:
    void saveAndClose();
    void showExamples();
    void selectLine(int line);

    Prompter &m_prompter;
    Files m_files;
    QPlainTextEdit *m_recipients = nullptr;
    QPlainTextEdit *m_body = nullptr;
    QLabel *m_examples = nullptr;
    MailSendingWidget *m_sending = nullptr;
    QPushButton *m_ok = nullptr;
};
