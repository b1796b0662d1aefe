// Several desks on one database for a fixed time: four processes (zd-desk-worker) each put
// titles into their own cart and make orders from it, round after round, on one SQLite file,
// a Firebird server and a PostgreSQL server (behind ODBC) of the benchmark's own. The desks
// start as the program ships: no operator code configured, each with a login name of its own,
// from which each takes its cart. Prints orders per second, the slowest call, the 99th percentile call time, errors,
// duplicate numbers and conflicts that were run again; then checks the database as the tests
// do (nothing half-written, every cart line in one order).
//
//   zhengding-desks-bench [--seconds 60] [--desks 4] [--titles 5] [--engines sqlite,firebird,postgres]
#include "db_servers.h"
#include "desk_run.h"

#include "common/program_paths.h"
#include "data/connection.h"
#include "data/demo_catalogue.h"
#include "data/schema.h"
#include "data/sql_helper.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <cstdio>

namespace {

const int kCatalogueTitles = 300;

struct Options {
    int seconds = 60, desks = 4, titles = 5;
};

// Opens the database that bin/syscfg.dbm names; for SQLite the file is created.
QSqlDatabase openConfigured(const QString &bin, const QString &name, bool create, QString *error)
{
    ProgramPaths::setProgramFolder(bin);
    const ConnectionConfig c = Connection::readConfig(bin + QStringLiteral("syscfg.dbm"));
    return create ? Connection::openForCreate(c, name, error) : Connection::open(c, name, error);
}

void closeConnection(const QString &name)
{
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

int duplicates(const QStringList &numbers)
{
    return int(numbers.size() - QSet<QString>(numbers.begin(), numbers.end()).size());
}

// The desks' login names: each desk takes its operator code from its own.
QStringList logins(int desks)
{
    QStringList names;
    for (int i = 1; i <= desks; ++i)
        names << QStringLiteral("clerk%1").arg(i);
    return names;
}

void writeConfig(const QString &root, const QByteArray &text)
{
    QDir(root).mkpath(QStringLiteral("bin"));
    QDir(root).mkpath(QStringLiteral("init"));
    QFile config(root + QStringLiteral("/bin/syscfg.dbm"));
    config.open(QIODevice::WriteOnly);
    config.write(text);
}

// Runs the desks over the prepared database and prints one row; returns whether it was sound.
bool runAndReport(const QString &engine, const QString &root, const Options &o)
{
    const QString bin = root + QStringLiteral("/bin/");
    QString error;
    {
        QSqlDatabase db = openConfigured(bin, QStringLiteral("bench_setup"), engine == u"sqlite", &error);
        if (!db.isOpen()) {
            std::fprintf(stderr, "%s: cannot open the database: %s\n", qPrintable(engine), qPrintable(error));
            return false;
        }
        try {
            Schema::create(db);
            DemoCatalogue::fill(db, kCatalogueTitles);
        } catch (const std::exception &e) {
            std::fprintf(stderr, "%s: cannot prepare the database: %s\n", qPrintable(engine), e.what());
            return false;
        }
    }
    closeConnection(QStringLiteral("bench_setup"));

    const QList<DeskReport> reports =
        runDesks(QStringLiteral(ZD_DESK_WORKER), bin, o.desks,
                 {QStringLiteral("--seconds"), QString::number(o.seconds), QStringLiteral("--titles"),
                  QString::number(o.titles)},
                 root + QStringLiteral("/desks"), (o.seconds + 300) * 1000, logins(o.desks));

    QSqlDatabase db = openConfigured(bin, QStringLiteral("bench_check"), false, &error);
    QStringList problems;
    int storedDuplicates = 0;
    if (db.isOpen()) {
        problems = orderRunProblems(db, reports);
        storedDuplicates = Sql::scalar(db, QStringLiteral("select count(*)-count(distinct dhdh) from deorder")).toInt();
        db = QSqlDatabase();
    } else {
        problems << error;
    }
    closeConnection(QStringLiteral("bench_check"));

    QStringList batchNumbers, orderNumbers;
    for (const DeskReport &r : reports) {
        for (const DeskReport::Batch &b : r.batches)
            batchNumbers << b.number;
        for (const DeskReport::Order &order : r.orders)
            orderNumbers << order.number;
    }
    const DeskFigures f = figuresOf(reports);
    std::printf("| %-8s | %3d s | %d | %6d | %7.1f | %6d | %6d | %8.1f | %8.1f | %8.1f | %6d | %6d | %4d |\n",
                qPrintable(engine), o.seconds, o.desks, f.orders, double(f.orders) / o.seconds, f.batches,
                f.calls, f.medianMs, f.p99Ms, f.slowestMs, f.retries, f.errors,
                duplicates(batchNumbers) + duplicates(orderNumbers) + storedDuplicates);
    for (const DeskReport &r : reports)
        std::printf("|   desk %s: %d batches, %d orders, %d errors\n", qPrintable(r.op), int(r.batches.size()),
                    int(r.orders.size()), r.errors);
    for (const QString &p : problems)
        std::printf("|   problem: %s\n", qPrintable(p));
    std::fflush(stdout);
    return problems.isEmpty();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Several desks making carts and orders on one database"));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("seconds"), QStringLiteral("How long the desks work."), QStringLiteral("S"), QStringLiteral("60")});
    parser.addOption({QStringLiteral("desks"), QStringLiteral("How many desks."), QStringLiteral("N"), QStringLiteral("4")});
    parser.addOption({QStringLiteral("titles"), QStringLiteral("Titles per cart."), QStringLiteral("N"), QStringLiteral("5")});
    parser.addOption({QStringLiteral("engines"), QStringLiteral("Any of sqlite, firebird, postgres."), QStringLiteral("LIST"), QStringLiteral("sqlite,firebird,postgres")});
    parser.process(app);
    Options o;
    o.seconds = std::max(1, parser.value(QStringLiteral("seconds")).toInt());
    o.desks = std::max(1, parser.value(QStringLiteral("desks")).toInt());
    o.titles = std::max(1, parser.value(QStringLiteral("titles")).toInt());
    const QStringList engines = parser.value(QStringLiteral("engines")).split(u',', Qt::SkipEmptyParts);

    std::printf("| engine | time | desks | orders | orders/s | batches | calls | median ms | p99 ms | slowest ms | conflicts run again | errors | duplicates |\n"
                "|---|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    bool sound = true;
    if (engines.contains(QStringLiteral("sqlite"))) {
        QTemporaryDir root;
        writeConfig(root.path(), "[All]\r\nsDbType=Oledb40\r\n[Oledb40]\r\nsPwd=\r\n");
        sound = runAndReport(QStringLiteral("sqlite"), root.path(), o) && sound;
    }
    if (engines.contains(QStringLiteral("firebird"))) {
        QTemporaryDir root;
        FirebirdServer server(root.filePath(QStringLiteral("firebird")));
        const QString error = server.start();
        QString created;
        if (error.isEmpty())
            created = server.createDatabase(QStringLiteral("desks.fdb"));
        if (!error.isEmpty() || !created.isEmpty()) {
            std::printf("| firebird | not measured: %s |\n", qPrintable(error.isEmpty() ? created : error));
        } else {
            writeConfig(root.path(), server.config(QStringLiteral("desks.fdb")));
            sound = runAndReport(QStringLiteral("firebird"), root.path(), o) && sound;
        }
    }
    if (engines.contains(QStringLiteral("postgres"))) {
        QTemporaryDir root;
        PostgresServer server;
        const QString error = server.start();
        if (!error.isEmpty()) {
            std::printf("| postgres | not measured: %s |\n", qPrintable(error));
        } else {
            writeConfig(root.path(), PostgresServer::config());
            sound = runAndReport(QStringLiteral("postgres"), root.path(), o) && sound;
        }
    }
    return sound ? 0 : 1;
}
