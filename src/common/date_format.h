#pragma once
// From the main window's creation on, every date shown or turned into text uses this format.
#include <QDate>
#include <QString>

namespace DateFormat {
inline QString shortFormat() { return QStringLiteral("yyyy-MM-dd"); }
inline QString shortDate(const QDate &date) { return date.toString(shortFormat()); }
}
