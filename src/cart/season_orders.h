#pragma once
// Titles already ordered this season: the order rows (deorder_mx) of a title whose order
// (deorder) is dated in the current calendar year. Putting titles into the cart and making
// orders ask before a title is ordered twice.
#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>

class Prompter;

namespace SeasonOrders {

// One order row of a title in this season.
struct OrderedLine {
    QString key;        // tm
    QString title;      // sm of the order row
    QString order;      // dhdh
    QString date;       // dhrq
    QString quantity;   // sl as the clerk reads it ("5")
};

// The titles of one question, at most this many named; the rest counted ("等 N 种").
constexpr int NamedTitles = 20;

// The season's order rows of the titles of keys (catalogue keys; empty ones and repeats passed
// over), by the order of keys, each title's rows by date and order number. The season is the
// calendar year of today. Keys go to the database in sets of a few hundred bound values, one
// statement per set. Throws AppError.
QList<OrderedLine> find(const QSqlDatabase &db, const QStringList &keys, const QDate &today = QDate::currentDate());

// The select-list item "已订" of a title list on qrydebooks: the quantity of the row's title
// ordered this season (null when none), named ydsl. It holds two placeholders, bound to
// seasonBounds(), which go before the values of the rest of the statement.
QString quantityColumn();
QVariantList seasonBounds(const QDate &today = QDate::currentDate());

// The keys of the titles in lines, each once, in their order.
QStringList keysOf(const QList<OrderedLine> &lines);

// "以下书目本季已经订购：" then a line per title, 《title》（条码 …） followed by each of its orders as
// （order number，date，quantity）, the first NamedTitles titles named and the others counted
// ("等 N 种"), then closing (the question, e.g. "仍然放入购物车吗？").
QString question(const QList<OrderedLine> &lines, const QString &closing);

// What to put into the cart of the titles of keys (joined by ","): asks the clerk, once for
// the whole list, about the titles ordered this season. 是 keeps every title, 否 takes the
// ordered ones out of keys, 取消 (or closing the question) returns false and keys stay as they
// were. Without such titles nothing is asked. Throws AppError.
bool confirmCartKeys(QString &keys, const QSqlDatabase &db, Prompter &prompter,
                     const QDate &today = QDate::currentDate());

} // namespace SeasonOrders
