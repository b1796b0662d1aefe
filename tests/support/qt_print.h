#pragma once
// Lets GoogleTest print Qt values readably in failure messages.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray &b, std::ostream *os) { *os << "bytes:" << b.toHex().toStdString(); }
inline void PrintTo(const QStringList &l, std::ostream *os) { *os << '[' << l.join(u'|').toStdString() << ']'; }
inline void PrintTo(const QVariant &v, std::ostream *os) { *os << v.toString().toStdString(); }
