// A desk in a child process, for the tests that share one SQLite file between processes or
// kill a desk in the middle of its work. It opens the database of the runtime tree whose
// program folder it is given, as the program does, and then:
//   orders <bin>               makes the orders of the cart, printing "ready" before and "done <ms>" after
//   cart <bin>                 puts every catalogue title into the cart, the same way
//   turns <bin> <seconds> [<start>]
//                              issues serial numbers of one shared counter for that long (from
//                              the wall-clock start in ms since the epoch, when given, so that
//                              several desks run at once) and prints
//                              "turns <n> busy <n> failed <n> longest <ms>"
#include "cart/cart.h"
#include "cart/serial_number.h"
#include "common/app_error.h"
#include "common/program_paths.h"
#include "data/connection.h"
#include "data/sql_helper.h"
#include "order/order_making.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QThread>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <cstdio>

namespace {

void say(const QString &line)
{
    std::fputs((line + u'\n').toUtf8().constData(), stdout);
    std::fflush(stdout);
}

int makeOrders(const QSqlDatabase &db)
{
    QList<ConfirmedLine> confirmed;
    QSqlQuery q = Sql::exec(db, QStringLiteral("select tm,sl from qrydeshopcart where op=''"));
    while (q.next())
        confirmed.append({q.value(0).toString(), q.value(1).toLongLong()});
    OrderParties parties;
    parties.ordererName = QStringLiteral("第一中学");
    parties.consigneeName = QStringLiteral("第一中学");
    parties.payerName = QStringLiteral("第一中学");
    say(QStringLiteral("ready"));
    QElapsedTimer t;
    t.start();
    MakeOrders(db, QString(), parties, confirmed);
    say(QStringLiteral("done %1").arg(t.elapsed()));
    return 0;
}

int fillCart(const QSqlDatabase &db)
{
    QStringList keys;
    QSqlQuery q = Sql::exec(db, QStringLiteral("select tm from debooks order by tm"));
    while (q.next())
        keys << q.value(0).toString();
    QString list = keys.join(u',');
    say(QStringLiteral("ready"));
    QElapsedTimer t;
    t.start();
    AddToCart(list, db, QString());
    say(QStringLiteral("done %1").arg(t.elapsed()));
    return 0;
}

int takeTurns(const QSqlDatabase &db, int seconds, qint64 startMs)
{
    const qint64 wait = startMs - QDateTime::currentMSecsSinceEpoch();
    if (wait > 0)
        QThread::msleep(static_cast<unsigned long>(wait));
    int turns = 0, busy = 0, failed = 0;
    qint64 longest = 0;
    QElapsedTimer run;
    run.start();
    while (run.elapsed() < seconds * 1000) {
        QElapsedTimer call;
        call.start();
        try {
            NextSerialNumber(QStringLiteral("desk"), db, QString());
            ++turns;
        } catch (const BusyError &) {
            ++busy;
        } catch (const AppError &) {
            ++failed;
        }
        longest = qMax(longest, call.elapsed());
        // A desk also reads between its writes.
        Sql::scalar(db, QStringLiteral("select count(*) from parameter"));
    }
    say(QStringLiteral("turns %1 busy %2 failed %3 longest %4").arg(turns).arg(busy).arg(failed).arg(longest));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fputs("usage: sqlite_desk_worker orders|cart|turns <program folder> [seconds]\n", stderr);
        return 2;
    }
    ProgramPaths::setProgramFolder(args[2]);
    ConnectionConfig config;
    config.kind = QStringLiteral("Oledb40");
    QString error;
    int rc = 2;
    {
        const QSqlDatabase db = Connection::open(config, QStringLiteral("desk"), &error);
        if (!db.isOpen()) {
            std::fputs(error.toUtf8().constData(), stderr);
            return 3;
        }
        try {
            if (args[1] == u"orders")
                rc = makeOrders(db);
            else if (args[1] == u"cart")
                rc = fillCart(db);
            else if (args[1] == u"turns" && args.size() > 3)
                rc = takeTurns(db, args[3].toInt(), args.value(4).toLongLong());
        } catch (const AppError &e) {
            std::fputs((e.text() + u'\n').toUtf8().constData(), stderr);
            rc = 1;
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("desk"));
    return rc;
}
