#include "common/delimited_text.h"

#include <QList>
#include <QStringList>

namespace DelimitedText {
namespace {

struct Piece {
    qsizetype start;
    qsizetype length;
};

// The pieces of text by the splitting rule, as positions into text.
QList<Piece> split(const QString &text, QChar sep)
{
    QList<Piece> pieces;
    if (text.isEmpty() || sep.isNull())
        return pieces;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype at = text.indexOf(sep, start);
        if (at < 0) {
            pieces.append({start, text.size() - start});
            break;
        }
        pieces.append({start, at - start});
        start = at + 1;
    }
    return pieces;
}

// The separator as text; empty for the empty separator.
QString sepText(QChar sep)
{
    return sep.isNull() ? QString() : QString(sep);
}

} // namespace

int count(const QString &text, QChar sep)
{
    return int(split(text, sep).size());
}

QString piece(const QString &text, int n, QChar sep)
{
    const QList<Piece> pieces = split(text, sep);
    if (n < 1 || n > pieces.size())
        return QString();
    const Piece &p = pieces.at(n - 1);
    return text.mid(p.start, p.length);
}

int position(const QString &text, const QString &value, QChar sep)
{
    if (value.isEmpty())
        return 0;
    const QList<Piece> pieces = split(text, sep);
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const Piece &p = pieces.at(i);
        if (QStringView(text).mid(p.start, p.length) == value)
            return int(i + 1);
    }
    return 0;
}

QString head(const QString &text, QChar sep)
{
    if (text.isEmpty() || sep.isNull())
        return QString();
    const qsizetype at = text.indexOf(sep);
    return at < 0 ? text : text.left(at);
}

QString last(const QString &text, QChar sep)
{
    return piece(text, count(text, sep), sep);
}

void append(QString &list, const QString &item, QChar sep)
{
    if (list.isEmpty())
        list = item;
    else
        list += sepText(sep) + item;
}

void removeLast(QString &list, QChar sep)
{
    if (list.isEmpty())
        return;
    const qsizetype keep = list.size() - last(list, sep).size() - 1;
    list.truncate(qMax<qsizetype>(keep, 0));
}

void insert(QString &list, const QString &item, int n, QChar sep)
{
    const QList<Piece> pieces = split(list, sep);
    if (n < 1 || n > pieces.size() + 1)
        return;
    if (n == pieces.size() + 1)
        append(list, item, sep);
    else
        list.insert(pieces.at(n - 1).start, item + sepText(sep));
}

void remove(QString &list, int n, QChar sep)
{
    const QList<Piece> pieces = split(list, sep);
    if (n < 1 || n > pieces.size())
        return;
    QStringList kept;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i != n - 1)
            kept.append(list.mid(pieces.at(i).start, pieces.at(i).length));
    }
    list = kept.join(sepText(sep));
}

} // namespace DelimitedText
