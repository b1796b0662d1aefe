#pragma once
// How orders leave the program, as the [Mail] section of the configuration file syscfg.dbm
// holds it (read by the program, written by the "设置" window):
//
//   [Mail]
//   sServer=smtp.school.cn     SMTP server; empty: orders go through the desktop's mail program
//   iPort=587                  empty or 0: 25 (none), 587 (STARTTLS) or 465 (TLS)
//   sTls=starttls              none | starttls | tls (empty: starttls)
//   sUser=orders               login; empty: no login
//   sPwd=8A0F...               the password, enciphered like the database's sPwd
//   sFrom=orders@school.cn     sender address (required for SMTP)
//   sFromName=教材科           sender name
//   sCaFile=/etc/ssl/school.pem   a certificate to trust besides the system's; empty: none
//   sAttach=text               text | xlsx | both: what the order mail carries (empty: text)
//
// Keys and values follow the reader's rules (ini_reader.h): no case in names, values up to
// 99 bytes. A value that cannot be read (a port that is no number, an unknown TLS mode or
// attachment kind, a damaged password) is named by fault(), never silently replaced.
#include <QString>

namespace MailConfig {

enum class Tls { None, StartTls, Tls };
enum class Attachment { Text, Workbook, Both };

struct Smtp {
    QString server;
    int port = 0;               // 0: the mode's usual port (defaultPort)
    Tls tls = Tls::StartTls;
    QString user;
    QString password;           // clear text
    QString fromAddress;
    QString fromName;
    QString caFile;

    bool enabled() const { return !server.trimmed().isEmpty(); }
    int effectivePort() const { return port > 0 ? port : defaultPort(tls); }
    static int defaultPort(Tls tls);
};

struct Settings {
    Smtp smtp;
    Attachment attachment = Attachment::Text;
    // What could not be read from the file (empty: all of it); the rest is read as usual.
    QString readFault;
};

// The written forms: "none" "starttls" "tls"; "text" "xlsx" "both".
QString tlsKey(Tls tls);
QString attachmentKey(Attachment attachment);
// Shown in the settings window: "不加密" "STARTTLS" "SSL/TLS"; "订单文本（.xls）"
// "订单工作簿（.xlsx）" "两者都附上".
QString tlsText(Tls tls);
QString attachmentText(Attachment attachment);

// The program folder's syscfg.dbm.
QString configFile();

// The [Mail] section of the file (a missing file or section: the desktop mail program, the
// order text attached).
Settings load(const QString &path = configFile());

// Why the settings cannot be used for sending, as the clerk is told it (empty: they can):
// with a server, a sender that is one mail address, a port in 1..65535, a certificate file
// that exists when one is named, a password only with a user.
// field, when given, is set to the setting the fault is about.
enum class Field { None, Server, Port, User, From, CaFile };
QString fault(const Settings &settings, Field *field = nullptr);

// Writes the [Mail] keys, keeping every other line of the file; the password enciphered.
// Throws AppError: fault(settings), or why the file could not be written (nothing written).
void save(const Settings &settings, const QString &path = configFile());

} // namespace MailConfig
