#pragma once
// Reads a local HTML page into text. A page that declares its charset is decoded with it
// ("gb2312" is read as GBK through GB18030); a page without a declaration is taken as GBK,
// unless it is valid UTF-8 with a BOM.
#include <QByteArray>
#include <QString>

namespace HtmlText {
QString decode(const QByteArray &bytes);
// False when the file cannot be read; text is then left unchanged.
bool load(const QString &path, QString *text);
}
