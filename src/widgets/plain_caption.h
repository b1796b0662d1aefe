#pragma once
// A control's caption as it is read out: "确定(&O)" -> "确定", "&Save" -> "Save".
#include <QRegularExpression>
#include <QString>

inline QString plainCaption(const QString &caption)
{
    static const QRegularExpression mnemonic(QStringLiteral("\\(&.\\)"));
    QString plain = caption;
    plain.remove(mnemonic);
    plain.remove(u'&');
    return plain.trimmed();
}
