#include "desk_run.h"

#include "data/schema.h"
#include "data/sql_helper.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QSqlQuery>
#include <QThread>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

void readReport(const QString &path, DeskReport &r)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return;
    r.errors = 0;
    for (const QByteArray &raw : f.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        const QString word = line.section(u' ', 0, 0);
        const QString rest = line.section(u' ', 1);
        if (word == u"errors")
            r.errors = rest.toInt();
        else if (word == u"operator")
            r.op = rest;
        else if (word == u"retries")
            r.retries = rest.toInt();
        else if (word == u"error")
            r.errorTexts << rest;
        else if (word == u"number")
            r.numbers << rest;
        else if (word == u"call")
            r.callMs << rest.toDouble();
        else if (word == u"batch")
            r.batches.append({rest.section(u' ', 0, 0),
                              rest.section(u' ', 1).split(u',', Qt::SkipEmptyParts)});
        else if (word == u"order")
            r.orders.append({rest.section(u' ', 0, 0), rest.section(u' ', 1, 1),
                             rest.section(u' ', 2, 2).toInt()});
    }
}

// Problems with a set of numbers that should be 1..count of one counter.
void checkConsecutive(const QString &what, const QStringList &numbers, QStringList &problems)
{
    QList<qint64> sequence;
    QSet<QString> seen;
    for (const QString &n : numbers) {
        if (seen.contains(n))
            problems << QStringLiteral("%1 %2 was handed out twice").arg(what, n);
        seen.insert(n);
        sequence << sequenceOf(n);
    }
    std::sort(sequence.begin(), sequence.end());
    for (qsizetype i = 0; i < sequence.size(); ++i)
        if (sequence.at(i) != i + 1) {
            problems << QStringLiteral("%1 numbers are not 1..%2 (position %3 holds %4)")
                            .arg(what)
                            .arg(sequence.size())
                            .arg(i + 1)
                            .arg(sequence.at(i));
            break;
        }
}

void checkCounter(const QSqlDatabase &db, const QString &name, qint64 expected, QStringList &problems)
{
    const QVariant value = Sql::scalar(
        db, QStringLiteral("select pvalue from %1 where pname=? and userno='0'")
                .arg(Schema::sqlName(db, QStringLiteral("parameter"))),
        {name});
    if (expected == 0 && !value.isValid())
        return;
    if (value.toLongLong() != expected)
        problems << QStringLiteral("counter %1 holds %2, %3 numbers were issued")
                        .arg(name, value.toString())
                        .arg(expected);
}

qint64 count(const QSqlDatabase &db, const QString &statement, const QVariantList &values = {})
{
    return Sql::scalar(db, statement, values).toLongLong();
}

void checkWorkers(const QList<DeskReport> &reports, QStringList &problems)
{
    for (const DeskReport &r : reports) {
        if (r.exitCode != 0)
            problems << QStringLiteral("desk %1 ended with code %2: %3").arg(r.op).arg(r.exitCode).arg(r.processOutput);
        if (r.errors != 0)
            problems << QStringLiteral("desk %1 had %2 errors: %3")
                            .arg(r.op)
                            .arg(r.errors)
                            .arg(r.errorTexts.join(QStringLiteral(" | ")));
    }
}

} // namespace

qint64 sequenceOf(const QString &number)
{
    if (number.size() != 12)
        return -1;
    bool ok = false;
    const qint64 n = number.mid(4).toLongLong(&ok);
    return ok ? n : -1;
}

QList<DeskReport> runDesks(const QString &worker, const QString &bin, int desks,
                           const QStringList &workerArgs, const QString &workFolder, int timeoutMs,
                           const QStringList &logins)
{
    QDir().mkpath(workFolder);
    const QString go = workFolder + QStringLiteral("/go");
    QFile::remove(go);
    std::vector<std::unique_ptr<QProcess>> processes;
    QList<DeskReport> reports;
    // A desk's exit code says whether it could work; the client libraries it loads (Firebird,
    // ODBC drivers) keep allocations to the end, which a leak check would turn into a failure.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString asan = environment.value(QStringLiteral("ASAN_OPTIONS"));
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       (asan.isEmpty() ? QString() : asan + u':') + QStringLiteral("detect_leaks=0"));
    for (int i = 1; i <= desks; ++i) {
        DeskReport r;
        r.op = QStringLiteral("D%1").arg(i);
        reports << r;
        const QString out = workFolder + QStringLiteral("/%1.txt").arg(r.op);
        QFile::remove(out);
        QFile::remove(out + QStringLiteral(".ready"));
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::MergedChannels);
        QStringList identity{QStringLiteral("--op"), r.op};
        if (!logins.isEmpty()) {
            QProcessEnvironment desk = environment;
            desk.insert(QStringLiteral("LOGNAME"), logins.value(i - 1));
            desk.insert(QStringLiteral("USER"), logins.value(i - 1));
            p->setProcessEnvironment(desk);
            identity.clear();
        } else {
            p->setProcessEnvironment(environment);
        }
        p->start(worker, QStringList{QStringLiteral("--bin"), bin} + identity
                             + QStringList{QStringLiteral("--out"), out, QStringLiteral("--go"), go}
                             + workerArgs);
        processes.push_back(std::move(p));
    }
    // All desks connected (or ended): let them go together.
    QDeadlineTimer ready(120000);
    for (int i = 0; i < desks; ++i) {
        const QString flag = workFolder + QStringLiteral("/%1.txt.ready").arg(reports.at(i).op);
        while (!QFileInfo::exists(flag) && processes.at(i)->state() != QProcess::NotRunning
               && !ready.hasExpired())
            processes.at(i)->waitForFinished(5);
    }
    QFile flag(go);
    flag.open(QIODevice::WriteOnly);
    flag.close();

    QDeadlineTimer deadline(timeoutMs);
    for (int i = 0; i < desks; ++i) {
        QProcess &p = *processes.at(i);
        DeskReport &r = reports[i];
        if (!p.waitForFinished(int(qMax<qint64>(1, deadline.remainingTime())))) {
            p.kill();
            p.waitForFinished(5000);
            r.processOutput = QStringLiteral("(did not end in time) ");
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.processOutput += QString::fromLocal8Bit(p.readAll()).trimmed();
        readReport(workFolder + QStringLiteral("/%1.txt").arg(r.op), r);
    }
    return reports;
}

QStringList orderRunProblems(const QSqlDatabase &db, const QList<DeskReport> &reports)
{
    QStringList problems;
    checkWorkers(reports, problems);

    QStringList batchNumbers, orderNumbers, cartNumbers;
    qint64 lines = 0;
    for (const DeskReport &r : reports) {
        for (const DeskReport::Batch &b : r.batches) {
            batchNumbers << b.number;
            QStringList keys;
            for (const QString &line : b.cartLines) {
                const QString cart = line.section(u'/', 0, 0);
                if (!cartNumbers.contains(cart))
                    cartNumbers << cart;
                keys << line.section(u'/', 1);
            }
            lines += keys.size();
            // The batch's orders hold exactly the cart's lines, each once, all from this desk.
            QSqlQuery q = Sql::exec(db,
                                    QStringLiteral("select m.tm,o.bz from deorder_mx m inner join deorder o"
                                                   " on o.dhdh=m.dhdh where o.dfdh=?"),
                                    {b.number});
            QStringList ordered;
            while (q.next()) {
                ordered << q.value(0).toString().trimmed();
                if (q.value(1).toString().trimmed() != r.op)
                    problems << QStringLiteral("batch %1 of desk %2 holds an order of %3")
                                    .arg(b.number, r.op, q.value(1).toString());
            }
            std::sort(keys.begin(), keys.end());
            std::sort(ordered.begin(), ordered.end());
            if (keys != ordered)
                problems << QStringLiteral("batch %1 of desk %2: cart lines %3, ordered %4")
                                .arg(b.number, r.op, keys.join(u','), ordered.join(u','));
        }
        for (const DeskReport::Order &o : r.orders) {
            orderNumbers << o.number;
            const qint64 stored = count(db, QStringLiteral("select count(*) from deorder_mx where dhdh=?"),
                                        {o.number});
            if (stored != o.lines)
                problems << QStringLiteral("order %1 has %2 lines, %3 were made").arg(o.number).arg(stored).arg(o.lines);
        }
    }
    // A cart is ordered whole: its number belongs to one batch only.
    QHash<QString, QString> batchOfCart;
    for (const DeskReport &r : reports)
        for (const DeskReport::Batch &b : r.batches)
            for (const QString &line : b.cartLines) {
                const QString cart = line.section(u'/', 0, 0);
                const QString other = batchOfCart.value(cart, b.number);
                if (other != b.number)
                    problems << QStringLiteral("cart %1 is in batches %2 and %3").arg(cart, other, b.number);
                batchOfCart.insert(cart, b.number);
            }
    checkConsecutive(QStringLiteral("batch"), batchNumbers, problems);
    checkConsecutive(QStringLiteral("order"), orderNumbers, problems);
    checkConsecutive(QStringLiteral("cart"), cartNumbers, problems);

    // The database as a whole: nothing more, nothing half-written, nothing left in a cart.
    const struct {
        const char *what;
        const char *statement;
        qint64 expected;
    } totals[] = {
        {"orders", "select count(*) from deorder", qint64(orderNumbers.size())},
        {"distinct order numbers", "select count(distinct dhdh) from deorder", qint64(orderNumbers.size())},
        {"batches", "select count(distinct dfdh) from deorder", qint64(batchNumbers.size())},
        {"order lines", "select count(*) from deorder_mx", lines},
        {"orders without lines",
         "select count(*) from deorder o where not exists (select 1 from deorder_mx m where m.dhdh=o.dhdh)", 0},
        {"lines without an order",
         "select count(*) from deorder_mx m where not exists (select 1 from deorder o where o.dhdh=m.dhdh)", 0},
        {"cart lines left", "select count(*) from deshopcart_mx", 0},
        {"carts left", "select count(*) from deshopcart", 0},
    };
    for (const auto &t : totals) {
        const qint64 found = count(db, QString::fromLatin1(t.statement));
        if (found != t.expected)
            problems << QStringLiteral("%1: %2, expected %3").arg(QLatin1String(t.what)).arg(found).arg(t.expected);
    }
    checkCounter(db, QStringLiteral("OrderBill"), batchNumbers.size(), problems);
    checkCounter(db, QStringLiteral("order"), orderNumbers.size(), problems);
    checkCounter(db, QStringLiteral("shopcart"), cartNumbers.size(), problems);
    if (batchNumbers.isEmpty())
        problems << QStringLiteral("no desk made an order");
    return problems;
}

QStringList numberRunProblems(const QSqlDatabase &db, const QList<DeskReport> &reports)
{
    QStringList problems;
    checkWorkers(reports, problems);
    QStringList numbers;
    for (const DeskReport &r : reports)
        numbers += r.numbers;
    checkConsecutive(QStringLiteral("number"), numbers, problems);
    checkCounter(db, QStringLiteral("order"), numbers.size(), problems);
    if (numbers.isEmpty())
        problems << QStringLiteral("no number was drawn");
    return problems;
}

DeskFigures figuresOf(const QList<DeskReport> &reports)
{
    DeskFigures f;
    std::vector<double> calls;
    for (const DeskReport &r : reports) {
        f.orders += int(r.orders.size());
        f.batches += int(r.batches.size());
        f.errors += qMax(0, r.errors) + (r.exitCode != 0 ? 1 : 0);
        f.retries += r.retries;
        calls.insert(calls.end(), r.callMs.begin(), r.callMs.end());
    }
    f.calls = int(calls.size());
    if (calls.empty())
        return f;
    std::sort(calls.begin(), calls.end());
    f.slowestMs = calls.back();
    f.medianMs = calls.at(calls.size() / 2);
    f.p99Ms = calls.at(std::min(calls.size() - 1, size_t(double(calls.size()) * 0.99)));
    return f;
}
