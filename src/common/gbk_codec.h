#pragma once
// Text is stored and written in GBK. GB18030 is a strict superset with the same bytes for
// every GBK character, so encoding through it never loses a character.
#include <QByteArray>
#include <QString>

namespace Gbk {
QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);
}
