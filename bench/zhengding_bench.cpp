// Benchmarks over generated catalogues: Zhengding's own time for a piece of work next to the
// sqlite3 command's time for the same statement, in the same run.
//
//   zhengding-bench [--sizes 10000,100000,300000] [--cache DIR] [--runs N]
#include "cart/cart.h"
#include "catalog/book_detail_pane.h"
#include "catalog/book_list.h"
#include "catalog/catalogue_export.h"
#include "common/program_paths.h"
#include "data/connection.h"
#include "data/dataset.h"
#include "data/demo_catalogue.h"
#include "data/schema.h"
#include "data/sql_helper.h"
#include "common/prompter.h"
#include "grid/marked_rows.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

int g_runs = 3;

// A benchmark has nobody to answer: messages go to standard error.
class StderrPrompter : public Prompter {
public:
    int message(const QString &text, const QString &, int) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return MsgResult::Ok;
    }
    QString saveFileName(const SaveRequest &) override { return {}; }
};

StderrPrompter g_prompter;

// Copies the shipped pictures beside a generated catalogue, as the runtime tree has them.
void copyPictures(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    for (const QFileInfo &e : QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (e.isDir())
            copyPictures(e.filePath(), to + u'/' + e.fileName());
        else if (!QFile::exists(to + u'/' + e.fileName()))
            QFile::copy(e.filePath(), to + u'/' + e.fileName());
    }
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Milliseconds of fn, the median of g_runs runs.
double timeMs(const std::function<void()> &fn, int runs = g_runs)
{
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        fn();
        t.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(t);
}

// The sqlite3 command running a script (its own start-up included, which is measured alone
// and subtracted).
double sqliteMs(const QString &dbPath, const QString &script)
{
    auto run = [&](const QString &text) {
        return timeMs([&] {
            QProcess p;
            p.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), dbPath});
            p.waitForStarted();
            p.write(text.toUtf8());
            p.closeWriteChannel();
            p.waitForFinished(-1);
            if (p.exitCode() != 0)
                std::fprintf(stderr, "sqlite3 failed: %s\n", p.readAllStandardError().constData());
        });
    };
    const double startup = run(QStringLiteral(".output /dev/null\nselect 1;\n"));
    return std::max(0.0, run(script) - startup);
}

long rssKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

void row(const char *what, int titles, double ours, double peer, const char *goal)
{
    if (peer > 0)
        std::printf("| %-44s | %7d | %9.1f ms | %9.1f ms | %5.2f × | %s |\n", what, titles, ours, peer, ours / peer, goal);
    else
        std::printf("| %-44s | %7d | %9.1f ms | %12s | %7s | %s |\n", what, titles, ours, "—", "—", goal);
    std::fflush(stdout);
}

QSqlDatabase openDb(const QString &path, const QString &name)
{
    ProgramPaths::setProgramFolder(QFileInfo(path).absolutePath() + QStringLiteral("/../bin/"));
    ConnectionConfig config;
    config.kind = QStringLiteral("Oledb40");
    QString error;
    QSqlDatabase db = Connection::openForCreate(config, name, &error);
    if (!db.isOpen()) {
        std::fprintf(stderr, "cannot open %s: %s\n", qPrintable(path), qPrintable(error));
        std::exit(1);
    }
    return db;
}

// The catalogue of `titles` titles, generated once into the cache folder.
QString catalogue(const QString &cache, int titles)
{
    const QString dir = QStringLiteral("%1/t%2").arg(cache).arg(titles);
    const QString path = dir + QStringLiteral("/init/data.mdb");
    if (QFile::exists(path))
        return path;
    QDir().mkpath(dir + QStringLiteral("/init"));
    QDir().mkpath(dir + QStringLiteral("/bin"));
    copyPictures(QStringLiteral(ZD_SOURCE_DIR "/dist/bookimages"), dir + QStringLiteral("/bookimages"));
    {
        QSqlDatabase db = openDb(path, QStringLiteral("gen"));
        Schema::create(db);
        QElapsedTimer t;
        t.start();
        DemoCatalogue::fill(db, titles);
        std::fprintf(stderr, "generated %d titles in %.1f s\n", titles, t.elapsed() / 1000.0);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("gen"));
    return path;
}

QString categoryNear(const QSqlDatabase &db, int wanted, int *count)
{
    QSqlQuery q = Sql::exec(db, QStringLiteral("select ywbc, count(*) from debooks group by ywbc"));
    QString best;
    int bestCount = 0;
    while (q.next()) {
        const int c = q.value(1).toInt();
        if (best.isEmpty() || std::abs(c - wanted) < std::abs(bestCount - wanted)) {
            best = q.value(0).toString();
            bestCount = c;
        }
    }
    *count = bestCount;
    return best;
}

void benchSize(const QString &cache, int titles, bool memoryOnly)
{
    const QString path = catalogue(cache, titles);
    QSqlDatabase db = openDb(path, QStringLiteral("bench%1").arg(titles));
    const QString cols = BookList::browseColumns();

    if (memoryOnly) {
        const long before = rssKb();
        DataSet list;
        list.setConnection(db);
        BookList::prepare(list);
        list.setStatement(QStringLiteral("select %1,fmtp from qrydebooks limit 50000").arg(cols));
        list.open();
        std::printf("%ld\n", (rssKb() - before) / 1024);
        return;
    }

    // 1. A category list of about 20,000 titles, as the category browse opens it.
    int count = 0;
    const QString category = categoryNear(db, 20000, &count);
    {
        const QString stmt = QStringLiteral("select * from qrydebooks b where ywbc=? order by ZBH");
        DataSet list;
        list.setConnection(db);
        BookList::prepare(list);
        list.setStatement(stmt, {category});
        const double ours = timeMs([&] { list.open(); });
        QString literal = category;
        literal.replace(u'\'', QStringLiteral("''"));
        const double peer = sqliteMs(path, QStringLiteral(".output /dev/null\nselect * from qrydebooks b where ywbc='%1' order by ZBH;\n").arg(literal));
        char what[96];
        std::snprintf(what, sizeof what, "open a category list (%d titles)", count);
        row(what, titles, ours, peer, "≤ 1.5 × sqlite3");
    }

    const int listRows = std::min(titles, 50000);
    DataSet big;
    big.setConnection(db);
    BookList::prepare(big);
    big.setStatement(QStringLiteral("select %1,fmtp from qrydebooks limit %2").arg(cols).arg(listRows));
    big.open();

    // 2. Sorting by 书名 in pinyin order: the first sort builds the collation keys.
    {
        std::vector<double> first;
        for (int i = 0; i < g_runs; ++i) {
            big.refresh();
            first.push_back(timeMs([&] { big.setSortText(QStringLiteral("sm ASC")); }, 1));
        }
        char what[96];
        std::snprintf(what, sizeof what, "sort %d rows by 书名 (pinyin)", listRows);
        row(what, titles, median(first), 0, "< 200 ms");
        const double again = timeMs([&] {
            big.setSortText(QStringLiteral("sm DESC"));
            big.setSortText(QStringLiteral("sm ASC"));
        }) / 2;
        row("  … sorting the same column again", titles, again, 0, "—");
    }

    // 3. The detail pane's refresh for one row change.
    {
        TBookDetailPane pane(g_prompter);
        pane.setLoadsPictures(true);
        pane.setBookList(&big);
        QRandomGenerator rng(42);
        const int changes = 500;
        const double total = timeMs([&] {
            for (int i = 0; i < changes; ++i)
                big.setCurrentRow(int(rng.bounded(big.recordCount())));
        }, 1);
        row("detail pane refresh for one row change", titles, total / changes, 0, "< 5 ms");
    }

    // 4. Exporting the list (layout A) next to sqlite3 writing the same columns to a file.
    {
        QTemporaryDir tmp;
        const QString ours = tmp.filePath(QStringLiteral("export.txt"));
        const double t = timeMs([&] { CatalogueExport::writeFile(ours, big, CatalogueExport::Layout::A); });
        const double peer = sqliteMs(path, QStringLiteral(".mode tabs\n.headers on\n.output %1\nselect sm,zz,cbmc,isbn,dj,zbh from qrydebooks limit %2;\n")
                                               .arg(tmp.filePath(QStringLiteral("peer.txt")))
                                               .arg(listRows));
        char what[96];
        std::snprintf(what, sizeof what, "export %d rows", listRows);
        row(what, titles, t, peer, "≤ 1.5 × sqlite3");
    }

    // 5. Putting 1,000 marked titles into the cart.
    {
        MarkedRowList marked;
        marked.setDataSet(&big);
        for (int r = 1; r <= std::min(1000, big.recordCount()); ++r)
            marked.mark(r * std::max(1, big.recordCount() / 1000) - 1);
        const double t = timeMs([&] {
            Sql::exec(db, QStringLiteral("delete from deshopcart_mx"));
            Sql::exec(db, QStringLiteral("delete from deshopcart"));
            QString keys;
            CollectSelectedKeys(marked, big, keys, QStringLiteral("tm"));
            AddToCart(keys, db, QString());
        });
        row("put 1,000 marked titles into the cart", titles, t, 0, "< 500 ms");
        Sql::exec(db, QStringLiteral("delete from deshopcart_mx"));
        Sql::exec(db, QStringLiteral("delete from deshopcart"));
    }
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Zhengding benchmarks over generated catalogues"));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("sizes"), QStringLiteral("Catalogue sizes."), QStringLiteral("N,N,…"), QStringLiteral("10000,100000,300000")});
    parser.addOption({QStringLiteral("cache"), QStringLiteral("Folder for the generated catalogues."), QStringLiteral("DIR"), QDir::tempPath() + QStringLiteral("/zhengding-bench")});
    parser.addOption({QStringLiteral("runs"), QStringLiteral("Runs per measurement (median)."), QStringLiteral("N"), QStringLiteral("3")});
    parser.addOption({QStringLiteral("memory-of"), QStringLiteral("(internal) memory of a 50,000-row list"), QStringLiteral("N")});
    parser.process(app);
    g_runs = std::max(1, parser.value(QStringLiteral("runs")).toInt());
    const QString cache = parser.value(QStringLiteral("cache"));

    if (parser.isSet(QStringLiteral("memory-of"))) {
        benchSize(cache, parser.value(QStringLiteral("memory-of")).toInt(), true);
        return 0;
    }

    std::printf("| measurement | titles | Zhengding | sqlite3 | ratio | goal |\n|---|---|---|---|---|---|\n");
    for (const QString &s : parser.value(QStringLiteral("sizes")).split(u',')) {
        const int titles = s.toInt();
        benchSize(cache, titles, false);
        if (titles >= 50000) {
            // Memory in a fresh process, so nothing else the run allocated is counted.
            QProcess p;
            p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--cache"), cache, QStringLiteral("--memory-of"), s});
            p.waitForFinished(-1);
            std::printf("| %-44s | %7d | %9s MB | %12s | %7s | %s |\n", "memory held by a 50,000-row browse list", titles,
                        p.readAllStandardOutput().trimmed().constData(), "—", "—", "< 150 MB");
        }
    }
    return 0;
}
