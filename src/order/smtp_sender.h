#pragma once
// Sends one composed message (smtp_message.h) through libcurl's SMTP. The call blocks until
// the server has taken the message or the attempt failed: run it in a worker thread, never in
// the window's.
//
//   TLS     none: smtp:// in clear; starttls: smtp:// and STARTTLS required (a server that
//           does not offer it is refused); tls: smtps://
//   trust   the peer's certificate and its name are verified against the system's
//           certificates; a configured certificate file is trusted besides them
//   login   when a user is set
//   waits   bounded: connecting (with the server's greeting) and the whole attempt
//
// A failure is told for the clerk in Chinese (login refused, the recipient the server refused,
// the server not answering at server:port, a certificate not trusted or not made for the
// server's name, no TLS offered), with the server's last reply or libcurl's own words as the
// details.
#include "order/mail_config.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace SmtpSender {

struct Limits {
    int connectMs = 20000;   // to connect, greet and agree on TLS
    int totalMs = 60000;     // the whole attempt
};

struct Envelope {
    QString from;
    QStringList recipients;
};

struct Result {
    bool sent = false;
    QString reply;          // the server's last reply line ("250 2.0.0 Ok: queued as …")
    QStringList replies;    // every reply line the server sent, in order
    QString reason;         // for a failure: what the clerk is told …
    QString details;        // … and what the server or libcurl said
};

// "smtp://server:port" or "smtps://server:port" (an IPv6 address in brackets).
QString url(const MailConfig::Smtp &smtp);

Result send(const MailConfig::Smtp &smtp, const Envelope &envelope, const QByteArray &message,
            const Limits &limits = {});

} // namespace SmtpSender
