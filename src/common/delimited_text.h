#pragma once
// Small lists kept as one delimited text ("a,b,c", "x@y;z@w", "sm ASC,tm DESC").
//
// Splitting rule shared by every routine: the first piece is the text before the first
// separator and splitting goes on with the text after it; when no separator is left the
// remaining text is the last piece; splitting stops when the remaining text is empty. So the
// empty text has no pieces, a separator at the very end adds no empty piece ("a,b," has 2),
// and a leading or doubled separator does give empty pieces (",a" has 2, "a,,b" has 3).
// Pieces are numbered from 1. A null QChar() is the empty separator: no text has pieces
// under it. Separators are never quoted or escaped.
#include <QChar>
#include <QString>

namespace DelimitedText {

// Number of pieces; 0 when the text or the separator is empty.
int count(const QString &text, QChar sep);
// The n-th piece; empty when the text or separator is empty or n is outside 1..count.
QString piece(const QString &text, int n, QChar sep);
// Number of the first piece equal to value (case-sensitive); 0 when none or when any
// argument is empty.
int position(const QString &text, const QString &value, QChar sep);
// The text before the first separator, the whole text when there is none; empty when the
// text or the separator is empty.
QString head(const QString &text, QChar sep);
// The last piece (piece number count).
QString last(const QString &text, QChar sep);

// An empty list becomes item; otherwise list + sep + item (also for an empty item).
void append(QString &list, const QString &item, QChar sep);
// Drops the last piece and the separator before it: keeps the first
// (length - length of last piece - 1) characters; a list of one piece becomes empty.
void removeLast(QString &list, QChar sep);
// Makes item the n-th piece when 1 <= n <= count + 1; otherwise the list is unchanged.
// n = count + 1 appends as append() does.
void insert(QString &list, const QString &item, int n, QChar sep);
// Removes the n-th piece when 1 <= n <= count and joins the remaining pieces with sep;
// otherwise the list is unchanged.
void remove(QString &list, int n, QChar sep);

} // namespace DelimitedText
