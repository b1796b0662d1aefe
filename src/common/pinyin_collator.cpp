#include "common/pinyin_collator.h"

PinyinCollator::PinyinCollator() : m_collator(locale()) {}

QLocale PinyinCollator::locale()
{
    return QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China);
}

int PinyinCollator::compare(QStringView a, QStringView b) const
{
    return m_collator.compare(a, b);
}

QCollatorSortKey PinyinCollator::sortKey(const QString &text) const
{
    return m_collator.sortKey(text);
}
