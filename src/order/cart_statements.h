#pragma once
// The statements over one operator's cart that the order wizard lists and order making reads,
// with the titles the clerk left in the cart for this run taken out, and the question that
// names the titles of quantity 0 before the clerk decides to leave them out.
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace CartStatements {

struct Bound {
    QString text;
    QVariantList values;
};

// " and tm not in (?,…)" for keys, with the keys appended to values; empty for no keys.
QString withoutTitles(const QStringList &keys, QVariantList &values);

// Page 1's lines of op's cart (quantity first, the cart number last) and their totals
// (ncount, sl, my), both without the titles of leftOut.
Bound lines(const QString &op, const QStringList &leftOut = {});
Bound totals(const QString &op, const QStringList &leftOut = {});

// The question for the lines of quantity 0, named "《书名》（条码 tm）" one a line: at most
// the first 20, then how many there are in all.
QString zeroQuantityQuestion(const QStringList &names);

} // namespace CartStatements
