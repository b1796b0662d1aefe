#pragma once
// Text is stored and written in GB18030: a strict superset of GBK with the same bytes for
// every GBK character, so a GBK reader sees the files it always saw, and a character outside
// GBK (U+20000, emoji) is kept in its four-byte form instead of being lost. Files that declare
// their encoding therefore declare gb18030.
#include <QByteArray>
#include <QString>

namespace Gbk {
QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);
}
