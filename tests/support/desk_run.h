#pragma once
// Runs several desk workers (zd-desk-worker) at once on one database and checks what they
// left behind.
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// What one desk reported (the worker's --out file) and how its process ended.
struct DeskReport {
    QString op;
    int exitCode = -1;
    QString processOutput;   // the worker's standard error and output
    int errors = -1;         // errors the worker caught (-1: no report)
    int retries = 0;         // transactions run again after a conflict
    QStringList errorTexts;
    QStringList numbers;     // --numbers mode
    struct Batch {
        QString number;
        QStringList cartLines;   // "cart number/tm" of every line the run ordered
    };
    QList<Batch> batches;
    struct Order {
        QString number, batch;
        int lines = 0;
    };
    QList<Order> orders;
    QList<double> callMs;    // every AddToCart, MakeOrders or NextSerialNumber call
};

// Starts `desks` workers with operator codes D1, D2, … over the database that bin/syscfg.dbm
// names, lets them start together once all have connected, waits for them (at most
// timeoutMs) and reads their reports. workerArgs are the worker's mode options.
// With `logins` (one per desk), the desks are started as the program ships instead: no
// operator code is given, and desk i runs with login name logins[i] ($LOGNAME and $USER),
// from which it takes its code as the program does; its report's op is that code.
QList<DeskReport> runDesks(const QString &worker, const QString &bin, int desks,
                           const QStringList &workerArgs, const QString &workFolder,
                           int timeoutMs = 300000, const QStringList &logins = {});

// Everything wrong with a run of order-making desks, in words; empty when the run is sound:
// every worker ended with code 0 and no error; batch, order and cart numbers are unique and
// consecutive from 1; each order has its lines and each line its order; every cart line
// the desks confirmed is in exactly one order of its batch; the carts are empty.
QStringList orderRunProblems(const QSqlDatabase &db, const QList<DeskReport> &reports);

// The same for desks that drew numbers: all distinct, consecutive from 1, and the counter
// holds the last.
QStringList numberRunProblems(const QSqlDatabase &db, const QList<DeskReport> &reports);

// Figures of a run: call times pooled over the desks.
struct DeskFigures {
    int orders = 0, batches = 0, errors = 0, retries = 0, calls = 0;
    double slowestMs = 0, p99Ms = 0, medianMs = 0;
};
DeskFigures figuresOf(const QList<DeskReport> &reports);

// The sequence part of a number issued by a counter with the initial pattern (the year and
// eight digits); -1 when it is not of that form.
qint64 sequenceOf(const QString &number);
