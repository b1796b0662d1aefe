#include "data/sort_text_reader.h"

#include "common/app_error.h"

#include <QStringList>

namespace SortTextReader {

QList<Term> read(const QString &text)
{
    QList<Term> terms;
    for (const QString &piece : text.split(u',', Qt::SkipEmptyParts)) {
        const QStringList words = piece.simplified().split(u' ', Qt::SkipEmptyParts);
        if (words.isEmpty())
            continue;
        Term term{words[0], false};
        if (words.size() == 2 && words[1].compare(u"DESC", Qt::CaseInsensitive) == 0)
            term.descending = true;
        else if (words.size() > 2 || (words.size() == 2 && words[1].compare(u"ASC", Qt::CaseInsensitive) != 0))
            throw AppError(QStringLiteral("无法识别的排序设置“%1”").arg(piece.trimmed()));
        terms.append(term);
    }
    return terms;
}

} // namespace SortTextReader
