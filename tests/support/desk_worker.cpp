// One desk of several working on one database at once, as a separate process: it opens the
// database that <bin>/syscfg.dbm names, as the program does, and then does one of these.
// With a report (--out), it waits until the go file exists (so that all desks start together)
// and then either
//   --rounds N / --seconds S: puts --titles K random titles into the cart of operator --op
//                             (without --op: the desk's operator code as the program takes
//                             it, OperatorCode::current()) and makes orders from it, round
//                             after round, or
//   --numbers N:              draws N numbers from counter "order" (every second one inside a
//                             transaction of its own caller). With --after-busy FILE, a draw
//                             that fails with the busy error makes the file FILE.busy and,
//                             once FILE exists, is tried again (as "重试" would).
// What it did goes to --out as lines (see DeskReport in desk_run.h); errors it caught are
// counted there. The exit code is 0 unless the desk could not work at all.
// Without a report, for the tests that kill a desk in the middle of its work or count turns,
// it prints what it did on its standard output:
//   --fill-cart:              puts every catalogue title into the cart of operator --op,
//                             printing "ready" before and "done <ms>" after;
//   --order-cart:             makes the orders of that cart, the same way;
//   --turns S [--start MS]:   issues serial numbers of counter "desk" for S seconds (from the
//                             wall-clock start in ms since the epoch, when given, so that
//                             several desks run at once) and prints
//                             "turns <n> busy <n> failed <n> longest <ms>".
// An error ends these with exit code 1 and its text on the standard error.
#include "cart/cart.h"
#include "cart/serial_number.h"
#include "common/app_error.h"
#include "common/operator_code.h"
#include "common/program_paths.h"
#include "data/bound_text.h"
#include "data/conflict_retry.h"
#include "data/connection.h"
#include "data/sql_helper.h"
#include "order/order_making.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QSqlQuery>
#include <QThread>
#include <QTextStream>

#include <cstdio>

namespace {

struct Output {
    QStringList lines;
    int errors = 0;
    void error(const QString &text)
    {
        ++errors;
        lines << QStringLiteral("error ") + QString(text).replace(u'\n', u' ');
    }
};

double since(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// Waits until the test says that it let go of what it held (at most a minute).
bool busyAnswered(const QString &afterBusy)
{
    QFile(afterBusy + QStringLiteral(".busy")).open(QIODevice::WriteOnly);
    QDeadlineTimer deadline(60000);
    while (!QFileInfo::exists(afterBusy)) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(5);
    }
    return true;
}

void drawNumbers(const QSqlDatabase &db, int count, Output &out, const QString &afterBusy = {})
{
    for (int i = 0; i < count; ++i) {
        QElapsedTimer timer;
        timer.start();
        try {
            QString number;
            if (i % 2 == 0) {
                number = NextSerialNumber(QStringLiteral("order"), db, QStringLiteral("0"));
            } else {
                // A caller that owns the transaction: a lost race runs the caller's whole
                // transaction again.
                number = Sql::retryOnConflict(db, [&] {
                    Sql::Transaction transaction(db);
                    const QString n = NextSerialNumber(QStringLiteral("order"), db, QStringLiteral("0"));
                    transaction.commit();
                    return n;
                });
            }
            out.lines << QStringLiteral("number ") + number;
        } catch (const BusyError &e) {
            out.error(e.text());
            if (!afterBusy.isEmpty()) {
                out.lines << QStringLiteral("call %1").arg(since(timer), 0, 'f', 3);
                if (busyAnswered(afterBusy))
                    --i;   // the same draw again
                continue;
            }
        } catch (const AppError &e) {
            out.error(e.text());
        }
        out.lines << QStringLiteral("call %1").arg(since(timer), 0, 'f', 3);
    }
}

void makeOrders(const QSqlDatabase &db, const QString &op, int titlesPerRound, int rounds,
                double seconds, Output &out)
{
    QStringList titles;
    {
        QSqlQuery q = Sql::exec(db, QStringLiteral("select tm from debooks where ghbm is not null"
                                                   " order by tm"));
        while (q.next())
            titles << q.value(0).toString().trimmed();
    }
    if (titles.size() < titlesPerRound)
        throw AppError(QStringLiteral("the catalogue has too few titles"));
    OrderParties parties;
    parties.ordererNo = QStringLiteral("B01");
    parties.ordererName = QStringLiteral("书店");
    parties.consigneeNo = QStringLiteral("1");
    parties.consigneeName = QStringLiteral("第一中学");
    parties.payerNo = QStringLiteral("1");
    parties.payerName = QStringLiteral("教育局");
    parties.remarks = op;   // which desk made the order

    QRandomGenerator random(QRandomGenerator::global()->generate());
    QElapsedTimer clock;
    clock.start();
    for (int round = 0; rounds > 0 ? round < rounds : clock.elapsed() < qint64(seconds * 1000); ++round) {
        QStringList pick;
        while (pick.size() < titlesPerRound) {
            const QString t = titles.at(random.bounded(int(titles.size())));
            if (!pick.contains(t))
                pick << t;
        }
        QString keys = pick.join(u',');
        QElapsedTimer timer;
        timer.start();
        try {
            const CartAddResult added = AddToCart(keys, db, op);
            if (!added.complete())
                out.error(CartAddMessage(added));
        } catch (const AppError &e) {
            out.error(e.text());
        }
        out.lines << QStringLiteral("call %1").arg(since(timer), 0, 'f', 3);

        try {
            QList<ConfirmedLine> confirmed;
            QStringList cartLines;
            {
                QSqlQuery q = Sql::exec(db, QStringLiteral("select dhdh,tm,sl from qrydeshopcart where op=?"),
                                        {op});
                while (q.next()) {
                    confirmed.append({q.value(1).toString().trimmed(), q.value(2).toLongLong()});
                    cartLines << q.value(0).toString().trimmed() + u'/' + q.value(1).toString().trimmed();
                }
            }
            if (confirmed.isEmpty())
                continue;
            timer.restart();
            const MadeOrders made = MakeOrders(db, op, parties, confirmed);
            out.lines << QStringLiteral("call %1").arg(since(timer), 0, 'f', 3);
            out.lines << QStringLiteral("batch %1 %2").arg(made.batchNumber, cartLines.join(u','));
            for (const MadeOrder &o : made.orders)
                out.lines << QStringLiteral("order %1 %2 %3").arg(o.orderNumber, made.batchNumber).arg(o.lines);
        } catch (const AppError &e) {
            out.lines << QStringLiteral("call %1").arg(since(timer), 0, 'f', 3);
            out.error(e.text());
        }
    }
}

void say(const QString &line)
{
    std::fputs((line + u'\n').toUtf8().constData(), stdout);
    std::fflush(stdout);
}

void orderCart(const QSqlDatabase &db, const QString &op)
{
    QList<ConfirmedLine> confirmed;
    QSqlQuery q = Sql::exec(db, QStringLiteral("select tm,sl from qrydeshopcart where op=?"), {Sql::boundText(op)});
    while (q.next())
        confirmed.append({q.value(0).toString(), q.value(1).toLongLong()});
    OrderParties parties;
    parties.ordererName = QStringLiteral("第一中学");
    parties.consigneeName = QStringLiteral("第一中学");
    parties.payerName = QStringLiteral("第一中学");
    say(QStringLiteral("ready"));
    QElapsedTimer t;
    t.start();
    MakeOrders(db, op, parties, confirmed);
    say(QStringLiteral("done %1").arg(t.elapsed()));
}

void fillCart(const QSqlDatabase &db, const QString &op)
{
    QStringList keys;
    QSqlQuery q = Sql::exec(db, QStringLiteral("select tm from debooks order by tm"));
    while (q.next())
        keys << q.value(0).toString();
    QString list = keys.join(u',');
    say(QStringLiteral("ready"));
    QElapsedTimer t;
    t.start();
    AddToCart(list, db, op);
    say(QStringLiteral("done %1").arg(t.elapsed()));
}

void takeTurns(const QSqlDatabase &db, int seconds, qint64 startMs)
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
}

// The modes without a report: their output is the standard output's.
int workAndSay(const QSqlDatabase &db, const QCommandLineParser &args, const QString &op)
{
    try {
        if (args.isSet(QStringLiteral("fill-cart")))
            fillCart(db, op);
        else if (args.isSet(QStringLiteral("order-cart")))
            orderCart(db, op);
        else
            takeTurns(db, args.value(QStringLiteral("turns")).toInt(),
                      args.value(QStringLiteral("start")).toLongLong());
    } catch (const AppError &e) {
        std::fputs((e.text() + u'\n').toUtf8().constData(), stderr);
        return 1;
    }
    return 0;
}

bool write(const QString &path, const Output &out)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray bytes;
    for (const QString &l : out.lines)
        bytes += l.toUtf8() + '\n';
    bytes += QStringLiteral("retries %1\nerrors %2\n").arg(Sql::conflictRetries()).arg(out.errors).toUtf8();
    file.write(bytes);
    return file.commit();
}

int work(const QCommandLineParser &args)
{
    const QString bin = args.value(QStringLiteral("bin"));
    ProgramPaths::setProgramFolder(bin);
    const ConnectionConfig config =
        Connection::readConfig(ProgramPaths::withTrailingSlash(bin) + QStringLiteral("syscfg.dbm"));
    QString error;
    QSqlDatabase db = Connection::open(config, QStringLiteral("desk"), &error);
    if (!db.isOpen()) {
        std::fprintf(stderr, "cannot open the database: %s\n", qPrintable(error));
        return 2;
    }
    const QString op = args.isSet(QStringLiteral("op")) ? args.value(QStringLiteral("op")) : OperatorCode::current();
    if (!args.isSet(QStringLiteral("out"))) {
        const int rc = workAndSay(db, args, op);
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("desk"));
        return rc;
    }
    // Connected: say so, then start together with the other desks.
    {
        QFile ready(args.value(QStringLiteral("out")) + QStringLiteral(".ready"));
        ready.open(QIODevice::WriteOnly);
    }
    const QString go = args.value(QStringLiteral("go"));
    QDeadlineTimer deadline(120000);
    while (!go.isEmpty() && !QFileInfo::exists(go)) {
        if (deadline.hasExpired()) {
            std::fprintf(stderr, "no go file\n");
            return 3;
        }
        QThread::msleep(2);
    }
    Output out;
    out.lines << QStringLiteral("operator ") + op;
    try {
        if (args.isSet(QStringLiteral("numbers")))
            drawNumbers(db, args.value(QStringLiteral("numbers")).toInt(), out,
                        args.value(QStringLiteral("after-busy")));
        else
            makeOrders(db, op, args.value(QStringLiteral("titles")).toInt(),
                       args.value(QStringLiteral("rounds")).toInt(),
                       args.value(QStringLiteral("seconds")).toDouble(), out);
    } catch (const AppError &e) {
        out.error(e.text());
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("desk"));
    if (!write(args.value(QStringLiteral("out")), out)) {
        std::fprintf(stderr, "cannot write the report\n");
        return 4;
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser args;
    for (const char *option : {"bin", "op", "titles", "rounds", "seconds", "numbers", "out", "go", "after-busy",
                               "turns", "start"})
        args.addOption(QCommandLineOption(QString::fromLatin1(option), QString(), QStringLiteral("value")));
    for (const char *flag : {"fill-cart", "order-cart"})
        args.addOption(QCommandLineOption(QString::fromLatin1(flag)));
    args.process(app);
    try {
        return work(args);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
