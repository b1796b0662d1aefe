#pragma once
// The one order of Chinese text in lists: ICU's collation for zh_CN, which orders Han
// characters by their pinyin reading ("阿" < "白" < "张" < "赵"). The locale is fixed, so the
// order never depends on the user's LANG. Digits come first, then Han characters, then
// Latin letters (the zh tailoring reorders Han before Latin).
#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>
#include <QString>
#include <QStringView>

class PinyinCollator {
public:
    PinyinCollator();

    static QLocale locale();

    // < 0, 0, > 0 like strcmp.
    int compare(QStringView a, QStringView b) const;
    bool operator()(const QString &a, const QString &b) const { return compare(a, b) < 0; }
    // A key whose byte order is the collation order: cheaper when one text is compared often.
    QCollatorSortKey sortKey(const QString &text) const;

private:
    QCollator m_collator;
};
